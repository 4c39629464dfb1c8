#include "camera/frame_list.h"

#include <cstdlib>
#include <new>

PImageLst NewFrame(int32_t w, int32_t h, std::string text)
{
    // calloc hands out fresh zeroed pages for a block this size, so only the
    // pages the camera actually fills are ever touched.
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
    frame->w = w;
    frame->h = h;
    frame->TS = std::move(text);
    return frame;
}

void FreeFrame(PImageLst frame)
{
    if (!frame) {
        return;
    }
    std::free(frame->Data);
    delete frame;
}

void FrameList::AppendFrame(PImageLst frame)
{
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

void FrameList::RemoveOldestFrame()
{
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

void FrameList::ClearFrameList()
{
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

PImageLst FrameList::Oldest() const
{
    std::lock_guard lock(mutex_);
    return head_;
}

PImageLst FrameList::Newest() const
{
    std::lock_guard lock(mutex_);
    return tail_;
}

size_t FrameList::Count() const
{
    std::lock_guard lock(mutex_);
    return count_;
}
