#pragma once

#include <QString>

// Watches that a file being written still has a name. Removing the folder of
// a file that is open for writing (possible on Linux, not on Windows) leaves
// the writer going on into a file that nobody can ever find again; the open
// file's link count is the only sign of it. Used on one thread.
class FileLinkWatch {
  public:
    FileLinkWatch() = default;
    ~FileLinkWatch();
    FileLinkWatch(const FileLinkWatch &) = delete;
    FileLinkWatch &operator=(const FileLinkWatch &) = delete;

    // Watches the file that has this name now (after any earlier one).
    void Watch(const QString &file_name);
    // Stops watching.
    void Stop();
    // False once the watched file has lost its last name; true when it has
    // one, or when nothing is watched or the system cannot tell.
    bool StillNamed() const;

  private:
    int descriptor_ = -1;
};
