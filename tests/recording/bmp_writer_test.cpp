#include "recording/bmp_writer.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "recording/writer_test_support.h"

namespace {

TEST(BmpWriterTest, HeaderFieldsAndPaddedRows) {
    const struct {
        int32_t width;
        int32_t height;
        uint32_t row_bytes;
    } cases[] = {{5, 3, 16}, {4, 2, 12}, {1023, 767, 3072}, {2, 1, 8}};
    QTemporaryDir dir;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        Bitmap24 bitmap(c.width, c.height);
        for (size_t i = 0; i < bitmap.ByteCount(); ++i) {
            bitmap.Bits()[i] = uint8_t(i * 7);
        }
        const QString name = dir.filePath(QString("%1x%2.bmp").arg(c.width).arg(c.height));
        ASSERT_TRUE(SaveBmpImage(name, bitmap));

        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        const uint32_t pixel_bytes = c.row_bytes * c.height;
        ASSERT_EQ(bytes.size(), 54u + pixel_bytes);
        EXPECT_EQ(TextAt(bytes, 0, 2), "BM");
        const struct {
            size_t offset;
            uint32_t value;
            int size;
        } fields[] = {
            {2, 54 + pixel_bytes, 4},  // file size
            {6, 0, 4},                 // reserved
            {10, 54, 4},               // offset of the pixels
            {14, 40, 4},               // information header size
            {18, uint32_t(c.width), 4},
            {22, uint32_t(c.height), 4},  // positive: bottom-up
            {26, 1, 2},                   // planes
            {28, 24, 2},                  // bits per pixel
            {30, 0, 4},                   // uncompressed
            {34, pixel_bytes, 4},
            {46, 0, 4},  // no colour table
        };
        for (const auto &field : fields) {
            const uint32_t value =
                field.size == 2 ? Le16At(bytes, field.offset) : Le32At(bytes, field.offset);
            EXPECT_EQ(value, field.value) << "offset " << field.offset;
        }
        EXPECT_TRUE(std::equal(bytes.begin() + 54, bytes.end(), bitmap.Bits()));
    }
}

}  // namespace
