#pragma once

// Reads back what an AVI file says, chunk by chunk, so tests can check the
// structure the writer produced without trusting the writer's own code.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "recording/writer_test_support.h"

struct AviFileInfo {
    bool riff_ok = false;   // "RIFF" ... "AVI " whose size covers the whole file
    bool chunks_ok = true;  // every chunk lies inside its parent
    uint32_t us_per_frame = 0;
    uint32_t avih_flags = 0;
    uint32_t total_frames = 0;
    uint32_t avih_width = 0;
    uint32_t avih_height = 0;
    std::string stream_type;
    std::string handler;
    uint32_t scale = 0;
    uint32_t rate = 0;
    uint32_t length = 0;
    uint32_t bi_width = 0;
    int32_t bi_height = 0;
    uint32_t bit_count = 0;
    uint32_t compression = 0;
    uint32_t size_image = 0;
    size_t movi_type_offset = 0;        // position of the "movi" type code
    std::vector<size_t> frame_offsets;  // positions of the "00db" chunks
    std::vector<std::vector<uint8_t>> frames;
    bool has_index = false;
    std::vector<uint32_t> index_offsets;  // idx1 offsets, from the "movi" type code
    std::vector<uint32_t> index_sizes;
};

namespace avi_test_reader_detail {

inline void Walk(const std::vector<uint8_t> &bytes, size_t begin, size_t end,
                 const std::string &list_type, AviFileInfo &info) {
    size_t at = begin;
    while (at + 8 <= end) {
        const std::string id = TextAt(bytes, at, 4);
        const size_t size = Le32At(bytes, at + 4);
        const size_t data = at + 8;
        if (data + size > end) {
            info.chunks_ok = false;
            return;
        }
        if (id == "LIST") {
            const std::string type = TextAt(bytes, data, 4);
            if (type == "movi") {
                info.movi_type_offset = data;
            }
            Walk(bytes, data + 4, data + size, type, info);
        } else if (id == "avih") {
            info.us_per_frame = Le32At(bytes, data);
            info.avih_flags = Le32At(bytes, data + 12);
            info.total_frames = Le32At(bytes, data + 16);
            info.avih_width = Le32At(bytes, data + 32);
            info.avih_height = Le32At(bytes, data + 36);
        } else if (id == "strh") {
            info.stream_type = TextAt(bytes, data, 4);
            info.handler = TextAt(bytes, data + 4, 4);
            info.scale = Le32At(bytes, data + 20);
            info.rate = Le32At(bytes, data + 24);
            info.length = Le32At(bytes, data + 32);
        } else if (id == "strf") {
            info.bi_width = Le32At(bytes, data + 4);
            info.bi_height = static_cast<int32_t>(Le32At(bytes, data + 8));
            info.bit_count = Le16At(bytes, data + 14);
            info.compression = Le32At(bytes, data + 16);
            info.size_image = Le32At(bytes, data + 20);
        } else if (id == "00db" && list_type == "movi") {
            info.frame_offsets.push_back(at);
            info.frames.emplace_back(bytes.begin() + data, bytes.begin() + data + size);
        } else if (id == "idx1") {
            info.has_index = true;
            for (size_t entry = data; entry + 16 <= data + size; entry += 16) {
                info.index_offsets.push_back(Le32At(bytes, entry + 8));
                info.index_sizes.push_back(Le32At(bytes, entry + 12));
            }
        }
        at = data + size + (size & 1);
    }
}

}  // namespace avi_test_reader_detail

inline AviFileInfo ReadAviFile(const QString &file_name) {
    const std::vector<uint8_t> bytes = ReadFileBytes(file_name);
    AviFileInfo info;
    if (bytes.size() < 12 || TextAt(bytes, 0, 4) != "RIFF" || TextAt(bytes, 8, 4) != "AVI ") {
        return info;
    }
    info.riff_ok = Le32At(bytes, 4) + 8 == bytes.size();
    avi_test_reader_detail::Walk(bytes, 12, bytes.size(), "AVI ", info);
    return info;
}
