#include "camera/frame_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Blocks of freed frames, kept for the next frames. A block handed out again
// only needs the bytes its last frame used zeroed, where a new block would
// cost a zero-fill of all 6 MB (or a page fault per 4 KB) for every frame.
class SpareBlocks {
  public:
    static constexpr size_t MAX_SPARE = 4;

    uint8_t *Take() {
        Spare spare{};
        {
            std::lock_guard lock(mutex_);
            if (spares_.empty()) {
                return static_cast<uint8_t *>(std::calloc(FRAME_BLOCK_BYTES, 1));
            }
            spare = spares_.back();
            spares_.pop_back();
        }
        std::memset(spare.block, 0, spare.used_bytes);
        return spare.block;
    }

    void Give(uint8_t *block, size_t used_bytes) {
        {
            std::lock_guard lock(mutex_);
            if (spares_.size() < MAX_SPARE) {
                spares_.push_back({block, std::min(used_bytes, FRAME_BLOCK_BYTES)});
                return;
            }
        }
        std::free(block);
    }

    ~SpareBlocks() {
        for (const Spare &spare : spares_)
            std::free(spare.block);
    }

  private:
    struct Spare {
        uint8_t *block;
        size_t used_bytes;
    };
    std::mutex mutex_;
    std::vector<Spare> spares_;
};

SpareBlocks &Spares() {
    static SpareBlocks spares;
    return spares;
}

}  // namespace

PImageLst NewFrame(int32_t w, int32_t h, std::string text) {
    uint8_t *data = Spares().Take();
    if (!data) {
        return nullptr;
    }
    auto *frame = new (std::nothrow) ImageLst;
    if (!frame) {
        Spares().Give(data, 0);
        return nullptr;
    }
    frame->Data = data;
    frame->w = w;
    frame->h = h;
    frame->TS = std::move(text);
    return frame;
}

void FreeFrame(PImageLst frame) {
    if (!frame) {
        return;
    }
    if (frame->Data) {
        const size_t used = static_cast<size_t>(std::max(frame->w, 0)) * std::max(frame->h, 0);
        Spares().Give(frame->Data, used);
    }
    delete frame;
}

void FrameList::AppendFrame(PImageLst frame) {
    frame->Next = nullptr;
    std::lock_guard lock(mutex_);
    if (tail_) {
        tail_->Next = frame;
    } else {
        head_ = frame;
    }
    tail_ = frame;
    ++count_;
}

void FrameList::RemoveOldestFrame() {
    PImageLst oldest;
    {
        std::lock_guard lock(mutex_);
        oldest = head_;
        if (!oldest) {
            return;
        }
        head_ = oldest->Next;
        if (!head_) {
            tail_ = nullptr;
        }
        --count_;
    }
    FreeFrame(oldest);  // outside the lock: freeing 6 MB must not hold up the camera
}

void FrameList::ClearFrameList() {
    PImageLst frames;
    {
        std::lock_guard lock(mutex_);
        frames = head_;
        head_ = tail_ = nullptr;
        count_ = 0;
    }
    while (frames) {
        PImageLst next = frames->Next;
        FreeFrame(frames);
        frames = next;
    }
}

PImageLst FrameList::Oldest() const {
    std::lock_guard lock(mutex_);
    return head_;
}

PImageLst FrameList::Newest() const {
    std::lock_guard lock(mutex_);
    return tail_;
}

size_t FrameList::Count() const {
    std::lock_guard lock(mutex_);
    return count_;
}
