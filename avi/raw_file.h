#pragma once

#include <cstddef>
#include <cstdint>

// One piece of a gathered write.
struct FilePiece {
    const void *data;
    size_t size;
};

// A file written straight through the operating system, without a user-space
// buffer: large frames go to the kernel in one call each, and a failed write
// can be cut back so the file ends after its last complete piece.
class RawFile {
  public:
    RawFile() = default;
    ~RawFile() { Close(); }
    RawFile(const RawFile &) = delete;
    RawFile &operator=(const RawFile &) = delete;

    // Creates the file (name in the system's 8-bit encoding); fails when
    // anything of that name exists, so no file is ever overwritten, even by
    // another program choosing the same name at the same moment.
    bool Create(const char *file_name);
    bool IsOpen() const { return fd_ >= 0; }
    // Appends the pieces at the end of the file in one gathered write; on
    // failure the file is cut back to its previous end.
    bool Append(const FilePiece *pieces, int count);
    // Overwrites bytes inside the file; the end stays where it is.
    bool WriteAt(int64_t offset, const void *data, size_t size);
    // Cuts the file back to `size` bytes (at most its current end).
    bool Truncate(int64_t size);
    int64_t Size() const { return size_; }
    // Closes the file; false when the system reports an error on closing.
    bool Close();

  private:
    bool WriteAll(const FilePiece *pieces, int count);

    int fd_ = -1;
    int64_t size_ = 0;
};
