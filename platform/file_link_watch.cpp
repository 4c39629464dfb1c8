#include "platform/file_link_watch.h"

#include <QFile>

#if defined(_WIN32)

// A folder cannot be removed while a file in it is open, nor an open file
// deleted, so a file being written always keeps its name.
FileLinkWatch::~FileLinkWatch() = default;
void FileLinkWatch::Watch(const QString &) {}
void FileLinkWatch::Stop() {}
bool FileLinkWatch::StillNamed() const {
    return true;
}

#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileLinkWatch::~FileLinkWatch() {
    Stop();
}

// A descriptor of its own on the file, whoever writes it: the writers need
// not hand theirs out, and it refers to the same file for as long as it is open.
void FileLinkWatch::Watch(const QString &file_name) {
    Stop();
    descriptor_ = ::open(QFile::encodeName(file_name).constData(), O_RDONLY | O_CLOEXEC);
}

void FileLinkWatch::Stop() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        descriptor_ = -1;
    }
}

bool FileLinkWatch::StillNamed() const {
    struct stat status {};
    if (descriptor_ < 0 || ::fstat(descriptor_, &status) != 0) {
        return true;
    }
    return status.st_nlink > 0;
}

#endif
