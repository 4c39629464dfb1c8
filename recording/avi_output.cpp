#include "recording/avi_output.h"

#include <QFile>

#include "avi/avi_utils.h"

namespace {

AviFrameImage FrameImageOf(const Bitmap24 &bitmap) {
    return {bitmap.Width(), bitmap.Height(), bitmap.Stride(), bitmap.Bits()};
}

}  // namespace

AviOutput::AviOutput(FileNamer &namer, int64_t split_bytes)
    : namer_(namer), split_bytes_(split_bytes) {}

AviOutput::~AviOutput() {
    if (handle_ != AVI_NO_HANDLE) {
        (void)EndAviFile();
    }
}

int32_t AviOutput::CreateNextFile(const Bitmap24 &frame_template) {
    const AviFrameImage image = FrameImageOf(frame_template);
    int32_t handle = AVI_NO_HANDLE;
    file_name_ = namer_.NextFileName(base_path_, AVI_EXTENSION, [&](const QString &name) {
        handle = CreateAvi(QFile::encodeName(name).constData(), &image);
        return handle != AVI_NO_HANDLE;
    });
    return handle;
}

int32_t AviOutput::StartAviFile(const QString &base_path, const Bitmap24 &frame_template) {
    if (handle_ != AVI_NO_HANDLE) {
        (void)EndAviFile();
    }
    base_path_ = base_path;
    avi_bytes_ = 0;
    handle_ = CreateNextFile(frame_template);
    return handle_;
}

bool AviOutput::AddAviImage(const Bitmap24 &bitmap) {
    if (handle_ == AVI_NO_HANDLE) {
        return false;
    }
    if (avi_bytes_ > split_bytes_) {
        // A file that could not be completed means the disk gives no more;
        // no further file is started then.
        if (!EndAviFile()) {
            return false;
        }
        handle_ = CreateNextFile(bitmap);
        if (handle_ == AVI_NO_HANDLE) {
            return false;
        }
    }
    const AviFrameImage image = FrameImageOf(bitmap);
    if (AddAviFrame(handle_, &image) != AVI_OK) {
        return false;
    }
    avi_bytes_ += int64_t{bitmap.Width()} * 3 * bitmap.Height();
    return true;
}

bool AviOutput::EndAviFile() {
    if (handle_ == AVI_NO_HANDLE) {
        return false;
    }
    const bool closed = CloseAvi(handle_) == AVI_OK;
    handle_ = AVI_NO_HANDLE;
    avi_bytes_ = 0;
    return closed;
}
