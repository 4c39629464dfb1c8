#include "avi/raw_file.h"

#include <algorithm>
#include <cerrno>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

bool RawFile::Create(const char *file_name) {
    Close();
#if defined(_WIN32)
    fd_ = _open(file_name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    fd_ = open(file_name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
    size_ = 0;
    return fd_ >= 0;
}

bool RawFile::Append(const FilePiece *pieces, int count) {
    if (fd_ < 0) {
        return false;
    }
    const int64_t old_size = size_;
    if (WriteAll(pieces, count)) {
        return true;
    }
    // Whatever part of the pieces reached the file is cut away again, so the
    // file never ends in half a chunk.
    Truncate(old_size);
    return false;
}

#if defined(_WIN32)

bool RawFile::WriteAll(const FilePiece *pieces, int count) {
    for (int i = 0; i < count; ++i) {
        const char *at = static_cast<const char *>(pieces[i].data);
        size_t left = pieces[i].size;
        while (left > 0) {
            const unsigned int chunk = static_cast<unsigned int>(std::min<size_t>(left, 1u << 30));
            const int written = _write(fd_, at, chunk);
            if (written <= 0) {
                return false;
            }
            at += written;
            left -= static_cast<size_t>(written);
            size_ += written;
        }
    }
    return true;
}

bool RawFile::WriteAt(int64_t offset, const void *data, size_t size) {
    if (fd_ < 0 || offset < 0 || offset + static_cast<int64_t>(size) > size_) {
        return false;
    }
    if (_lseeki64(fd_, offset, SEEK_SET) != offset) {
        return false;
    }
    const bool written =
        _write(fd_, data, static_cast<unsigned int>(size)) == static_cast<int>(size);
    return _lseeki64(fd_, size_, SEEK_SET) == size_ && written;
}

bool RawFile::Truncate(int64_t size) {
    if (fd_ < 0 || size < 0 || size > size_) {
        return false;
    }
    if (_chsize_s(fd_, size) != 0 || _lseeki64(fd_, size, SEEK_SET) != size) {
        return false;
    }
    size_ = size;
    return true;
}

bool RawFile::Close() {
    if (fd_ < 0) {
        return true;
    }
    const int result = _close(fd_);
    fd_ = -1;
    return result == 0;
}

#else

bool RawFile::WriteAll(const FilePiece *pieces, int count) {
    constexpr int MAX_PIECES = 8;
    if (count > MAX_PIECES) {
        return false;
    }
    iovec vectors[MAX_PIECES];
    for (int i = 0; i < count; ++i) {
        vectors[i].iov_base = const_cast<void *>(pieces[i].data);
        vectors[i].iov_len = pieces[i].size;
    }
    iovec *next = vectors;
    int left = count;
    while (left > 0) {
        if (next->iov_len == 0) {
            ++next;
            --left;
            continue;
        }
        const ssize_t written = writev(fd_, next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        size_ += written;
        // Step over what was written; a short write resumes inside a piece.
        size_t done = static_cast<size_t>(written);
        while (left > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
            --left;
        }
        if (left > 0) {
            next->iov_base = static_cast<char *>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
    return true;
}

bool RawFile::WriteAt(int64_t offset, const void *data, size_t size) {
    if (fd_ < 0 || offset < 0 || offset + static_cast<int64_t>(size) > size_) {
        return false;
    }
    const char *at = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = pwrite(fd_, at, size, offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        at += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

bool RawFile::Truncate(int64_t size) {
    if (fd_ < 0 || size < 0 || size > size_) {
        return false;
    }
    if (ftruncate(fd_, size) != 0 || lseek(fd_, size, SEEK_SET) != size) {
        return false;
    }
    size_ = size;
    return true;
}

bool RawFile::Close() {
    if (fd_ < 0) {
        return true;
    }
    const int result = close(fd_);
    fd_ = -1;
    return result == 0;
}

#endif
