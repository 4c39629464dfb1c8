#include "camera/frame_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// Freed frames, record and block together, kept for the next frames. A new
// block costs a page fault per 4 KB the camera writes into (and a zero-fill of
// all 6 MB where the allocator hands out recycled heap memory), which at small
// frames and high rates was most of the program's work per frame: so freed
// frames are kept, as many as a writer that fell behind a fast camera leaves
// at once, and a kept block is handed out as it is, since the camera writes
// every sample of the frame it is given. The record keeps its stamp text's
// memory, so the camera thread allocates nothing per frame once the frames
// have gone round.
class SpareFrames {
  public:
    static constexpr size_t MAX_SPARE = 64;

    PImageLst Take(size_t used_bytes) {
        PImageLst frame = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (!spares_.empty()) {
                frame = spares_.back();
                spares_.pop_back();
            }
        }
        return frame ? frame : Allocate(used_bytes);
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
    // A block whose first frame's bytes are zero; the rest is never read
    // before the camera writes it.
    static PImageLst Allocate(size_t used_bytes) {
        auto *data = static_cast<uint8_t *>(std::malloc(FRAME_BLOCK_BYTES));
        if (!data) {
            return nullptr;
        }
        std::memset(data, 0, std::min(used_bytes, FRAME_BLOCK_BYTES));
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
    PImageLst frame =
        Spares().Take(static_cast<size_t>(std::max(w, 0)) * static_cast<size_t>(std::max(h, 0)));
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

size_t FrameList::CountWhere(const std::function<bool(const ImageLst &)> &wanted) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (PImageLst frame = head_; frame; frame = frame->Next) {
        n += wanted(*frame) ? 1 : 0;
    }
    return n;
}
