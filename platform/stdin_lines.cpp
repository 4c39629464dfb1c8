#include "platform/stdin_lines.h"

#if defined(_WIN32)
#include <iostream>

StdinLines::Result StdinLines::Take(std::string &line) {
    if (ended_ || !std::getline(std::cin, line)) {
        ended_ = true;
        return Result::End;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return Result::Line;
}
#else
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Reads what standard input holds now, up to a line end; false when it has
// ended or failed.
bool ReadAvailable(std::string &pending) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (poll(&input, 1, 0) > 0) {
        char chunk[4096];
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got > 0) {
            pending.append(chunk, static_cast<size_t>(got));
            if (pending.find('\n') != std::string::npos) {
                return true;
            }
        } else if (got < 0 && errno == EAGAIN) {
            return true;
        } else if (got == 0 || errno != EINTR) {
            return false;  // ended (a closed pipe polls as ready and reads 0), or failed
        }
    }
    return true;
}

}  // namespace

StdinLines::Result StdinLines::Take(std::string &line) {
    if (!ended_ && pending_.find('\n') == std::string::npos) {
        ended_ = !ReadAvailable(pending_);
    }
    const size_t end = pending_.find('\n');
    if (end == std::string::npos && !(ended_ && !pending_.empty())) {
        return ended_ ? Result::End : Result::NoLineYet;
    }
    // A last line without its line end still counts as a line.
    line = pending_.substr(0, end);
    pending_.erase(0, end == std::string::npos ? pending_.size() : end + 1);
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return Result::Line;
}
#endif
