#include "camera/frame_list.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <vector>

#include "platform/memory_block.h"

namespace {

// Freed frames, record and block together, kept for the next frames. A new
// block is new memory from the system, zero already and backed in one call
// for the frame it is made for; still, new memory costs far more than a
// frame's copy, which at small frames and high rates made it most of the
// program's work per frame: so freed
// frames are kept, as many as a writer that fell behind a fast camera leaves
// at once, and a kept block is handed out as it is, since the camera writes
// every sample of the frame it is given. The record keeps its stamp text's
// memory, so the camera thread allocates nothing per frame once the frames
// have gone round.
class SpareFrames {
  public:
    PImageLst Take(size_t used_bytes) {
        PImageLst frame = nullptr;
        size_t block_bytes = 0;
        std::vector<PImageLst> too_small;
        {
            std::lock_guard lock(mutex_);
            if (used_bytes > block_bytes_) {
                // Larger than the connection said; its samples must not run
                // past the block, so the blocks grow to it.
                block_bytes_ = used_bytes;
                too_small.swap(spares_);
            } else if (!spares_.empty()) {
                frame = spares_.back();
                spares_.pop_back();
            }
            block_bytes = block_bytes_;
        }
        ReleaseAll(too_small);
        return frame ? frame : Allocate(block_bytes, used_bytes);
    }

    void Give(PImageLst frame) {
        {
            std::lock_guard lock(mutex_);
            if (spares_.size() < SPARE_FRAMES && frame->block_bytes == block_bytes_) {
                spares_.push_back(frame);
                return;
            }
        }
        Release(frame);
    }

    void SetBlockBytes(size_t bytes) {
        std::vector<PImageLst> other_size;
        {
            std::lock_guard lock(mutex_);
            if (bytes == block_bytes_) {
                return;
            }
            block_bytes_ = bytes;
            other_size.swap(spares_);
        }
        ReleaseAll(other_size);
    }

    size_t BlockBytes() {
        std::lock_guard lock(mutex_);
        return block_bytes_;
    }

    ~SpareFrames() { ReleaseAll(spares_); }

  private:
    // A block whose first frame's bytes are zero; the rest is never read
    // before the camera writes it.
    static PImageLst Allocate(size_t block_bytes, size_t used_bytes) {
        uint8_t *data = NewMemoryBlock(block_bytes, used_bytes);
        if (!data) {
            return nullptr;
        }
        auto *frame = new (std::nothrow) ImageLst;
        if (!frame) {
            FreeMemoryBlock(data, block_bytes);
            return nullptr;
        }
        frame->Data = data;
        frame->block_bytes = block_bytes;
        return frame;
    }
    static void Release(PImageLst frame) {
        FreeMemoryBlock(frame->Data, frame->block_bytes);
        delete frame;
    }
    static void ReleaseAll(std::vector<PImageLst> &frames) {
        for (PImageLst frame : frames)
            Release(frame);
        frames.clear();
    }

    std::mutex mutex_;
    std::vector<PImageLst> spares_;
    size_t block_bytes_ = FRAME_BLOCK_BYTES;
};

SpareFrames &Spares() {
    static SpareFrames spares;
    return spares;
}

}  // namespace

size_t FrameBlockBytes(int32_t sensor_width, int32_t sensor_height, int32_t bit_depth) {
    const size_t sensor_bytes = static_cast<size_t>(std::max(sensor_width, 0)) *
                                static_cast<size_t>(std::max(sensor_height, 0)) *
                                BytesPerSample(bit_depth);
    return std::max(sensor_bytes, FRAME_BLOCK_BYTES);
}

void SetFrameBlockBytes(size_t bytes) {
    Spares().SetBlockBytes(std::max(bytes, FRAME_BLOCK_BYTES));
}

size_t CurrentFrameBlockBytes() {
    return Spares().BlockBytes();
}

PImageLst NewFrame(int32_t w, int32_t h, std::string_view text, int32_t bit_depth) {
    PImageLst frame = Spares().Take(static_cast<size_t>(std::max(w, 0)) *
                                    static_cast<size_t>(std::max(h, 0)) * BytesPerSample(bit_depth));
    if (!frame) {
        return nullptr;
    }
    // A reused record starts afresh, all but its block and its text's memory.
    ImageLst fresh;
    fresh.Data = frame->Data;
    fresh.block_bytes = frame->block_bytes;
    fresh.TS = std::move(frame->TS);
    *frame = std::move(fresh);
    frame->w = w;
    frame->h = h;
    frame->bit_depth = bit_depth;
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
    bool room_made;
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
        room_made = count_ < room_wanted_below_;
    }
    if (room_made) {
        room_made_.notify_one();
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
    room_made_.notify_one();
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

bool FrameList::WaitForRoom(size_t limit, uint32_t timeout_ms) {
    std::unique_lock lock(mutex_);
    room_wanted_below_ = limit;
    const bool room = room_made_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                                          [&] { return count_ < limit; });
    room_wanted_below_ = 0;
    return room;
}

size_t FrameList::CountWhere(const std::function<bool(const ImageLst &)> &wanted) const {
    std::lock_guard lock(mutex_);
    size_t n = 0;
    for (PImageLst frame = head_; frame; frame = frame->Next) {
        n += wanted(*frame) ? 1 : 0;
    }
    return n;
}
