// The library's C entries: a table of open writers behind 32-bit handles.
// Nothing thrown inside may leave through these functions.

#include "avi/avi_utils.h"

#include <map>
#include <memory>
#include <mutex>

#include "avi/avi_writer.h"

namespace {

struct OpenAvi {
    OpenAvi(int32_t width, int32_t height) : writer(width, height) {}
    std::mutex busy;  // one call at a time per file
    AviWriter writer;
};

std::mutex table_mutex;
std::map<int32_t, std::shared_ptr<OpenAvi>> open_files;
int32_t next_handle = 1;

std::shared_ptr<OpenAvi> Find(int32_t handle) {
    std::lock_guard<std::mutex> lock(table_mutex);
    const auto found = open_files.find(handle);
    return found == open_files.end() ? nullptr : found->second;
}

}  // namespace

extern "C" {

AVI_API int32_t AVI_CALL CreateAvi(const char *file_name, const AviFrameImage *frame_template) {
    try {
        if (file_name == nullptr || frame_template == nullptr) {
            return -1;
        }
        auto file = std::make_shared<OpenAvi>(frame_template->width, frame_template->height);
        if (!file->writer.Create(file_name)) {
            return -1;
        }
        std::lock_guard<std::mutex> lock(table_mutex);
        // Handles count up and wrap, skipping any still open, so a stale
        // handle rarely names another file.
        while (open_files.count(next_handle) != 0) {
            next_handle = next_handle == INT32_MAX ? 1 : next_handle + 1;
        }
        const int32_t handle = next_handle;
        next_handle = next_handle == INT32_MAX ? 1 : next_handle + 1;
        open_files.emplace(handle, std::move(file));
        return handle;
    } catch (...) {
        return -1;
    }
}

AVI_API int32_t AVI_CALL AddAviFrame(int32_t handle, const AviFrameImage *frame) {
    try {
        const std::shared_ptr<OpenAvi> file = Find(handle);
        if (file == nullptr || frame == nullptr) {
            return AVI_FAILED;
        }
        std::lock_guard<std::mutex> lock(file->busy);
        return file->writer.AddFrame(*frame) ? AVI_OK : AVI_FAILED;
    } catch (...) {
        return AVI_FAILED;
    }
}

AVI_API int32_t AVI_CALL CloseAvi(int32_t handle) {
    try {
        std::shared_ptr<OpenAvi> file;
        {
            std::lock_guard<std::mutex> lock(table_mutex);
            const auto found = open_files.find(handle);
            if (found == open_files.end()) {
                return AVI_FAILED;
            }
            file = std::move(found->second);
            open_files.erase(found);
        }
        std::lock_guard<std::mutex> lock(file->busy);
        return file->writer.Close() ? AVI_OK : AVI_FAILED;
    } catch (...) {
        return AVI_FAILED;
    }
}

}  // extern "C"
