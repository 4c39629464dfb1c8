#include "recording/fits_writer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <array>

#include "recording/fits_keywords.h"
#include "recording/ser_writer.h"
#include "recording/writer_test_support.h"

namespace {

// Columns are counted from 1, as FITS counts them.
std::string Columns(const std::string &card, int first, int last) {
    return card.substr(size_t(first - 1), size_t(last - first + 1));
}

std::string CardOf(const std::string &keyword, const std::string &value) {
    std::string header;
    WriteFitsCard(header, keyword, value);
    return header;
}

// A picture whose every byte tells where it sits: row (from the bottom), x and
// channel (0 blue, 1 green, 2 red).
Bitmap24 PatternBitmap(int32_t width, int32_t height) {
    Bitmap24 bitmap(width, height);
    for (int32_t row = 0; row < height; ++row) {
        for (int32_t x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) {
                bitmap.Row(row)[3 * x + c] = uint8_t(row * 40 + x * 3 + c);
            }
        }
    }
    return bitmap;
}

TEST(FitsCardTest, ColumnsOfKeywordAndValue) {
    const std::string simple = CardOf("SIMPLE", "T");
    ASSERT_EQ(simple.size(), 80u);
    EXPECT_EQ(Columns(simple, 1, 8), "SIMPLE  ");
    EXPECT_EQ(Columns(simple, 9, 10), "= ");
    EXPECT_EQ(Columns(simple, 11, 29), std::string(19, ' '));
    EXPECT_EQ(Columns(simple, 30, 30), "T");
    EXPECT_EQ(Columns(simple, 31, 80), std::string(50, ' '));

    const std::string naxis1 = CardOf("NAXIS1", "640");
    EXPECT_EQ(Columns(naxis1, 1, 10), "NAXIS1  = ");
    EXPECT_EQ(Columns(naxis1, 28, 30), "640");
    EXPECT_EQ(Columns(naxis1, 11, 27), std::string(17, ' '));

    EXPECT_EQ(Columns(CardOf("BSCALE", "1,5"), 26, 30), "  1.5");  // decimal comma
    const std::string long_value(24, '7');
    EXPECT_EQ(Columns(CardOf("LONG", long_value), 11, 34), long_value);

    std::string end;
    WriteFitsEnd(end);
    EXPECT_EQ(end, "END" + std::string(77, ' '));
    std::string blanks;
    WriteFitsBlankCards(blanks, 2);
    EXPECT_EQ(blanks, std::string(160, ' '));
}

TEST(FitsHeaderTest, CardsForMonochromeAndColour) {
    using Cards = std::vector<std::pair<std::string, std::string>>;
    const struct {
        bool color;
        int32_t width;
        int32_t height;
        Cards cards;
    } cases[] = {
        {false,
         640,
         480,
         {{"SIMPLE", "T"},
          {"BITPIX", "8"},
          {"NAXIS", "2"},
          {"NAXIS1", "640"},
          {"NAXIS2", "480"},
          {"BZERO", "0"},
          {"BSCALE", "1"}}},
        {true,
         1024,
         767,
         {{"SIMPLE", "T"},
          {"BITPIX", "8"},
          {"NAXIS", "3"},
          {"NAXIS1", "1024"},
          {"NAXIS2", "767"},
          {"NAXIS3", "3"},
          {"BZERO", "0"},
          {"BSCALE", "1"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.color ? "colour" : "monochrome");
        const std::string header = FitsHeader(c.width, c.height, c.color);
        ASSERT_EQ(header.size(), 2880u);
        for (size_t i = 0; i < c.cards.size(); ++i) {
            const std::string card = header.substr(i * 80, 80);
            EXPECT_EQ(Columns(card, 1, 8).substr(0, c.cards[i].first.size()), c.cards[i].first);
            EXPECT_EQ(Columns(card, 11, 30).substr(20 - c.cards[i].second.size()),
                      c.cards[i].second);
        }
        const size_t end = c.cards.size() * 80;
        EXPECT_EQ(header.substr(end, 80), "END" + std::string(77, ' '));
        EXPECT_EQ(header.substr(end + 80), std::string(2880 - end - 80, ' '));
    }
}

class FitsWriterTest : public ::testing::Test {
  protected:
    QString PathOf(const QString &name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
    FitsWriter writer_;
};

TEST_F(FitsWriterTest, FileSizeRoundsUpToWholeBlocks) {
    const struct {
        int32_t width;
        int32_t height;
        bool color;
        size_t size;
    } cases[] = {
        {640, 480, false, 2880 + 107 * 2880},  // 307200 data bytes
        {1024, 767, true, 2880 + 819 * 2880},  // 3 x 785408
        {48, 60, false, 2880 + 2880},          // exactly one block of data
        {1, 1, true, 2880 + 2880},
    };
    for (const auto &c : cases) {
        const QString name = PathOf(QString("size_%1x%2.fit").arg(c.width).arg(c.height));
        ASSERT_TRUE(writer_.SaveFitsImage(name, PatternBitmap(c.width, c.height), c.color));
        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        EXPECT_EQ(bytes.size(), c.size) << c.width << "x" << c.height;
        const size_t data_end = 2880 + size_t(c.width) * c.height * (c.color ? 3 : 1);
        EXPECT_TRUE(
            std::all_of(bytes.begin() + data_end, bytes.end(), [](uint8_t b) { return b == 0; }))
            << "padding of " << c.width << "x" << c.height;
    }
}

TEST_F(FitsWriterTest, PlanesBottomRowFirst) {
    // An odd width, so the bitmap's rows carry padding that must not appear.
    const Bitmap24 bitmap = PatternBitmap(5, 3);
    const struct {
        bool color;
        std::vector<int> channels;                  // planes in file order
    } cases[] = {{false, {0}}, {true, {2, 1, 0}}};  // colour: red, green, blue
    for (const auto &c : cases) {
        const QString name = PathOf(c.color ? "colour.fit" : "mono.fit");
        ASSERT_TRUE(writer_.SaveFitsImage(name, bitmap, c.color));
        const std::vector<uint8_t> bytes = ReadFileBytes(name);
        size_t at = 2880;
        for (const int channel : c.channels) {
            for (int32_t row = 0; row < 3; ++row) {
                for (int32_t x = 0; x < 5; ++x, ++at) {
                    EXPECT_EQ(bytes.at(at), bitmap.Row(row)[3 * x + channel])
                        << "channel " << channel << " row " << row << " x " << x;
                }
            }
        }
    }
}

RecordingDescription FullDescription() {
    RecordingDescription description;
    description.observer = QString::fromUtf8("Jörg O'Neil");
    description.telescope = "C14 f/22";
    description.object = "Jupiter";
    description.filter = "IR685";
    description.camera = "Omtrix simulator";
    description.gain = 40;
    description.binning = 2;
    return description;
}

// The observation's cards as stackers read them: strings quoted from column
// 11 in plain ASCII, numbers right-justified to column 30, missing fields left
// out, the date to the millisecond in UTC.
TEST(FitsKeywordsTest, CardsDescribeTheFrame) {
    const int64_t start_ns = 1700000000LL * 1000000000 + 123456789;  // 2023-11-14 22:13:20.123
    using Cards = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char *name;
        RecordingDescription description;
        int64_t start_ns;
        Cards cards;  // keyword, columns 11 to the value's end
    } cases[] = {
        {"everything given",
         FullDescription(),
         start_ns,
         {{"DATE-OBS", "'2023-11-14T22:13:20.123'"},
          {"EXPTIME", "               0.030"},
          {"GAIN", "                  40"},
          {"XBINNING", "                   2"},
          {"YBINNING", "                   2"},
          {"INSTRUME", "'Omtrix simulator'"},
          {"TELESCOP", "'C14 f/22'"},
          {"OBSERVER", "'Jorg O''Neil'"},
          {"OBJECT", "'Jupiter '"},
          {"FILTER", "'IR685   '"},
          {"ROWORDER", "'BOTTOM-UP'"},
          {"SWCREATE", "'Omtrix "}}},
        {"nothing typed, start unknown",
         RecordingDescription{},
         0,
         {{"EXPTIME", "               0.030"},
          {"GAIN", "                   0"},
          {"XBINNING", "                   1"},
          {"YBINNING", "                   1"},
          {"ROWORDER", "'BOTTOM-UP'"},
          {"SWCREATE", "'Omtrix "}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string cards = FitsObservationCards(c.description, c.start_ns, 30);
        ASSERT_EQ(cards.size(), c.cards.size() * 80);
        for (size_t i = 0; i < c.cards.size(); ++i) {
            const std::string card = cards.substr(i * 80, 80);
            EXPECT_EQ(Columns(card, 1, 10), (c.cards[i].first + "        ").substr(0, 8) + "= ");
            EXPECT_EQ(card.substr(10, c.cards[i].second.size()), c.cards[i].second);
        }
    }
    EXPECT_EQ(FitsStringValue(QString(100, 'x')).size(), 70u);  // the longest that fits a card
}

TEST_F(FitsWriterTest, FitsverifyFindsNoErrorOrWarning) {
    if (!ToolInstalled("fitsverify")) {
        GTEST_SKIP() << "fitsverify not installed";
    }
    const std::string cards =
        FitsObservationCards(FullDescription(), 1700000000LL * 1000000000, 30);
    for (const bool color : {false, true}) {
        const QString name = PathOf(color ? "verify_colour.fit" : "verify_mono.fit");
        ASSERT_TRUE(writer_.SaveFitsImage(name, PatternBitmap(641, 479), color, cards));
        const ToolRun run = RunTool("fitsverify", {name});
        EXPECT_TRUE(run.output.contains("0 warning(s) and 0 error(s)")) << run.output.toStdString();
    }
}

// A raw mosaic's pattern is named for the picture's top left, which the
// height's parity decides: the same pattern a SER's ColorID names.
TEST(FitsKeywordsTest, MosaicPatternFollowsTheHeight) {
    for (const int32_t height : {48, 47}) {
        const std::string cards = FitsMosaicCards(height);
        ASSERT_EQ(cards.size(), 3u * 80);
        EXPECT_EQ(cards.substr(0, 20),
                  height % 2 == 0 ? "BAYERPAT= 'BGGR    '" : "BAYERPAT= 'GRBG    '");
        EXPECT_EQ(SerBayerColorId(height), height % 2 == 0 ? SER_BAYER_BGGR : SER_BAYER_GRBG);
    }
}

// Deep samples, 4095 and 1000 among them, in the frame's order (row 0 the
// bottom of the picture).
std::vector<uint16_t> DeepSamples(int32_t width, int32_t height) {
    std::vector<uint16_t> samples(size_t(width) * height);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = uint16_t(i * 37 % 4096);
    }
    samples[0] = 4095;
    samples[1] = 1000;
    samples.back() = 0;
    return samples;
}

// Unsigned 16-bit samples as FITS holds them: BITPIX 16 with BZERO 32768,
// each stored as its value - 32768, big-endian, bottom row first; the data
// padded to whole blocks.
TEST_F(FitsWriterTest, DeepSamplesAsBitpix16WithBzero) {
    constexpr int32_t W = 7;
    constexpr int32_t H = 5;
    std::vector<uint16_t> samples = DeepSamples(W, H);
    samples[2] = 65535;
    const QString name = PathOf("deep.fit");
    ASSERT_TRUE(writer_.SaveFitsSamples(name, samples.data(), W, H));
    const std::vector<uint8_t> bytes = ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 2u * 2880);
    const std::string header(bytes.begin(), bytes.begin() + 2880);
    EXPECT_EQ(header.substr(80, 80).substr(0, 30), "BITPIX  =                   16");
    EXPECT_EQ(header.substr(400, 80).substr(0, 30), "BZERO   =                32768");
    const std::vector<std::array<uint8_t, 2>> stored = {
        {0x8F, 0xFF}, {0x83, 0xE8}, {0x7F, 0xFF}};  // 4095, 1000, 65535
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(bytes[2880 + 2 * i], stored[i][0]) << i;
        EXPECT_EQ(bytes[2880 + 2 * i + 1], stored[i][1]) << i;
    }
    const Fits16Image image = ReadFits16(name);
    EXPECT_EQ(image.samples, samples);
    EXPECT_TRUE(std::all_of(bytes.begin() + 2880 + W * H * 2, bytes.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_FALSE(writer_.SaveFitsSamples(name, samples.data(), W, H)) << "never over a file";
}

// astropy, as measuring programs read FITS, gets every deep sample back as
// an unsigned 16-bit value, first stored row (the picture's bottom) first.
TEST_F(FitsWriterTest, AstropyReadsDeepSamplesExactly) {
    const QString python = PythonWithAstropy();
    if (python.isEmpty()) {
        GTEST_SKIP() << "astropy is not installed";
    }
    constexpr int32_t W = 33;
    constexpr int32_t H = 17;
    const std::vector<uint16_t> samples = DeepSamples(W, H);
    const QString name = PathOf("astropy.fit");
    ASSERT_TRUE(writer_.SaveFitsSamples(name, samples.data(), W, H,
                                        FitsObservationCards(FullDescription(), 0, 30)));
    const ToolRun run = RunTool(python, {"-c",
                                         "import sys\nfrom astropy.io import fits\n"
                                         "data = fits.getdata(sys.argv[1])\n"
                                         "print(data.dtype, *data.shape)\nprint(*data.flatten())",
                                         name});
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QStringList lines = run.output.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString("uint16 %1 %2").arg(H).arg(W));
    std::vector<uint16_t> read_back;
    for (const QString &value : lines[1].split(' ', Qt::SkipEmptyParts)) {
        read_back.push_back(uint16_t(value.toUInt()));
    }
    EXPECT_EQ(read_back, samples);
}

TEST_F(FitsWriterTest, FitsverifyFindsNoErrorOrWarningInDeepFiles) {
    if (!ToolInstalled("fitsverify")) {
        GTEST_SKIP() << "fitsverify not installed";
    }
    const std::vector<uint16_t> samples = DeepSamples(641, 479);
    for (const bool mosaic : {false, true}) {
        std::string cards = FitsObservationCards(FullDescription(), 1700000000LL * 1000000000, 30);
        if (mosaic) {
            cards += FitsMosaicCards(479);
        }
        const QString name = PathOf(mosaic ? "verify_mosaic.fit" : "verify_deep.fit");
        ASSERT_TRUE(writer_.SaveFitsSamples(name, samples.data(), 641, 479, cards));
        const ToolRun run = RunTool("fitsverify", {name});
        EXPECT_TRUE(run.output.contains("0 warning(s) and 0 error(s)")) << run.output.toStdString();
    }
}

// Siril demosaics a colour camera's 16-bit FITS, with the cards the recorder
// gives it (ROWORDER among them), into the right colours for either parity
// of the height: a mosaic of red 4000, green 2000 and blue 500
// (frame rows G R, B G) comes back as red 4000 inside the picture.
TEST_F(FitsWriterTest, SirilDemosaicsADeepMosaicIntoItsColours) {
    if (!ToolInstalled("siril-cli")) {
        GTEST_SKIP() << "siril-cli not installed";
    }
    constexpr int32_t W = 64;
    for (const int32_t height : {48, 47}) {
        SCOPED_TRACE(height);
        QTemporaryDir dir;
        std::vector<uint16_t> mosaic(size_t(W) * height);
        for (int32_t row = 0; row < height; ++row) {
            for (int32_t x = 0; x < W; ++x) {
                const bool green = (row + x) % 2 == 0;
                mosaic[size_t(row) * W + x] = green ? 2000 : row % 2 == 0 ? 4000 : 500;
            }
        }
        // Siril takes a sequence of at least two files.
        for (const char *name : {"m_00001.fit", "m_00002.fit"}) {
            ASSERT_TRUE(writer_.SaveFitsSamples(
                dir.filePath(name), mosaic.data(), W, height,
                FitsObservationCards(FullDescription(), 0, 30) + FitsMosaicCards(height)));
        }
        QFile script(dir.filePath("debayer.ssf"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("requires 1.0.0\nset16bits\ncd \"%1\"\n"
                                    "preprocess m_ -debayer -prefix=pp_\n")
                         .arg(dir.path())
                         .toUtf8());
        script.close();
        const ToolRun run = RunTool("siril-cli", {"-s", script.fileName()});
        ASSERT_EQ(run.exit_code, 0) << run.output.toStdString();
        // The first plane is red; its edges are left out of the check.
        const Fits16Image red = ReadFits16(dir.filePath("pp_m_00001.fit"));
        ASSERT_EQ(red.samples.size(), size_t(W) * height);
        for (int32_t row = 4; row < height - 4; ++row) {
            for (int32_t x = 4; x < W - 4; ++x) {
                ASSERT_EQ(red.samples[size_t(row) * W + x], 4000) << row << " " << x;
            }
        }
    }
}

}  // namespace
