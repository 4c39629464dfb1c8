#include "camera/frame_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Freed frames, record and block together, kept for the next frames. A block
// handed out again only needs the bytes its last frame used zeroed, where a
// new block would cost a zero-fill of all 6 MB (or a page fault per 4 KB) for
// every frame; the record keeps its stamp text's memory, so the camera thread
// allocates nothing per frame once a few frames have gone round.
class SpareFrames {
  public:
    static constexpr size_t MAX_SPARE = 4;

    PImageLst Take() {
        PImageLst frame = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (!spares_.empty()) {
                frame = spares_.back();
                spares_.pop_back();
            }
        }
        if (!frame) {
            return Allocate();
        }
        std::memset(frame->Data, 0, UsedBytes(*frame));
        return frame;
    }

    void Give(PImageLst frame) {
        {
            std::lock_guard lock(mutex_);
            if (spares_.size() < MAX_SPARE) {
                spares_.push_back(frame);
                return;
            }
        }
        Release(frame);
    }

    ~SpareFrames() {
        for (PImageLst frame : spares_)
            Release(frame);
    }

  private:
    static size_t UsedBytes(const ImageLst &frame) {
        return std::min(static_cast<size_t>(std::max(frame.w, 0)) * std::max(frame.h, 0),
                        FRAME_BLOCK_BYTES);
    }
    static PImageLst Allocate() {
        auto *data = static_cast<uint8_t *>(std::calloc(FRAME_BLOCK_BYTES, 1));
        if (!data) {
            return nullptr;
        }
        auto *frame = new (std::nothrow) ImageLst;
        if (!frame) {
            std::free(data);
            return nullptr;
        }
        frame->Data = data;
        return frame;
    }
    static void Release(PImageLst frame) {
        std::free(frame->Data);
        delete frame;
    }

    std::mutex mutex_;
    std::vector<PImageLst> spares_;
};

SpareFrames &Spares() {
    static SpareFrames spares;
    return spares;
}

}  // namespace

PImageLst NewFrame(int32_t w, int32_t h, std::string_view text) {
    PImageLst frame = Spares().Take();
    if (!frame) {
        return nullptr;
    }
    // A reused record starts afresh, all but its block and its text's memory.
    ImageLst fresh;
    fresh.Data = frame->Data;
    fresh.TS = std::move(frame->TS);
    *frame = std::move(fresh);
    frame->w = w;
    frame->h = h;
    try {
        frame->TS.assign(text);
    } catch (const std::bad_alloc &) {
        FreeFrame(frame);
        return nullptr;
    }
    return frame;
}

void FreeFrame(PImageLst frame) {
    if (frame) {
        Spares().Give(frame);
    }
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
