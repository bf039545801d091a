// Test mode's frames from raw files: names, the running frame number, and
// what happens with missing, short, long and badly named files.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <saa7146/dcard.h>

#include "card/test_frame.h"
#include "support/harness.h"

namespace fs = std::filesystem;

namespace {

class TestFrameTest : public CardTest {
protected:
    void SetUp() override
    {
        CardTest::SetUp();
        root = fs::path(harness::scratchDirectory()) / "frames";
        fs::remove_all(root);
        fs::create_directories(root);
        harness::writeIni("Debug", 1);
        harness::writeIni("DisplayDialog", 0);
        harness::writeIni("CamPath0", root.string().c_str());
    }

    void open() { ASSERT_EQ(DCardInit(0), 1); }

    // A raw file of the given length, every byte the same.
    void writeFrame(const std::string& directory, const std::string& stem, size_t length,
                    uint8_t fill)
    {
        fs::create_directories(root / directory);
        std::ofstream file(root / directory / (stem + ".raw"), std::ios::binary);
        std::string bytes(length, static_cast<char>(fill));
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // One grey 384 x 288 frame (mode 4) of camera 0.
    uint8_t grab(std::vector<uint8_t>& buffer, int camera = 0)
    {
        buffer.assign(110592, 0xEE);
        uint32_t bytesOut = 0;
        EXPECT_EQ(DCardDigit(1, camera, 4, buffer.data(), buffer.size(), &bytesOut, 0), 1);
        EXPECT_EQ(bytesOut, 110592u);
        return buffer[0];
    }

    int32_t counter(int camera)
    {
        TestSources& sources = testSources();
        std::lock_guard<std::mutex> hold(sources.lock);
        return sources.cameras[camera].camCounter;
    }

    fs::path root;
};

TEST_F(TestFrameTest, NumberedFilesPlayInOrderAndStartOver)
{
    harness::writeIni("CamCounterStart0", 100);
    for (int number : {100, 101, 102})
        writeFrame("384_288_8", "00000" + std::to_string(number), 110592, uint8_t(number));
    open();
    std::vector<uint8_t> buffer;
    std::vector<int> seen;
    for (int i = 0; i < 5; ++i)
        seen.push_back(grab(buffer));
    EXPECT_EQ(seen, (std::vector<int>{100, 101, 102, 100, 101}));
    EXPECT_EQ(buffer[110591], 101);
}

// A missing file leaves the caller's buffer alone; in a BMP file, whose
// block the library reuses, the frame is black rather than the last one.
TEST_F(TestFrameTest, MissingFilesLeaveTheBufferAlone)
{
    harness::writeIni("CamCounterStart0", 7);
    open();
    std::vector<uint8_t> buffer;
    EXPECT_EQ(grab(buffer), 0xEE);
    EXPECT_EQ(counter(0), 8);
    // Frame 8 is missing too: back to 7, which now exists.
    writeFrame("384_288_8", "00000007", 110592, 7);
    EXPECT_EQ(grab(buffer), 7);
    EXPECT_EQ(counter(0), 8);

    const std::string bmp = (root / "frame.bmp").string();
    auto pixels = [&] {
        std::ifstream file(bmp, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
        return bytes.size() > 1078 ? std::vector<uint8_t>(bytes.begin() + 1078, bytes.end())
                                   : std::vector<uint8_t>{};
    };
    writeFrame("384_-288_8", "00000007", 110592, 7); // bottom-up, as a BMP file is
    for (int twice = 0; twice < 2; ++twice) { // both blocks the library keeps hold a frame
        ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 8, bmp.c_str()), 1);
        EXPECT_EQ(pixels(), std::vector<uint8_t>(110592, 7));
    }
    fs::remove(root / "384_-288_8" / "00000007.raw");
    ASSERT_EQ(DCardSaveDigBMP(1, 0, 384, 288, 8, bmp.c_str()), 1);
    EXPECT_EQ(pixels(), std::vector<uint8_t>(110592, 0));
}

TEST_F(TestFrameTest, ShortFilesFillTheFrontAndLongFilesAreCut)
{
    writeFrame("384_288_8", "00000000", 1000, 0x11);
    writeFrame("384_288_8", "00000001", 200000, 0x22);
    open();
    std::vector<uint8_t> buffer;
    grab(buffer);
    EXPECT_EQ(buffer[999], 0x11);
    EXPECT_EQ(buffer[1000], 0xEE);
    std::vector<uint8_t> big(200000, 0xEE);
    uint32_t bytesOut = 0;
    ASSERT_EQ(DCardDigitEx(1, 0, 384, 288, 8, 0, big.data(), big.size(), &bytesOut, 0), 1);
    EXPECT_EQ(big[110591], 0x22);
    EXPECT_EQ(big[110592], 0xEE) << "no more than the frame is read";
}

TEST_F(TestFrameTest, CameraTenReadsNothingAndCountsNothing)
{
    writeFrame("384_288_8", "00000000", 110592, 0x33);
    open();
    std::vector<int32_t> before;
    for (int camera = 0; camera < 10; ++camera)
        before.push_back(counter(camera));
    std::vector<uint8_t> buffer;
    EXPECT_EQ(grab(buffer, 10), 0xEE);
    for (int camera = 0; camera < 10; ++camera)
        EXPECT_EQ(counter(camera), before[size_t(camera)]);
}

TEST_F(TestFrameTest, FormatNamesTheStem)
{
    harness::writeIni("CamFormat0", "cam%03d");
    harness::writeIni("CamCounterStart0", 7);
    writeFrame("384_288_8", "cam007", 110592, 0x44);
    open();
    std::vector<uint8_t> buffer;
    EXPECT_EQ(grab(buffer), 0x44);
}

TEST_F(TestFrameTest, DirectoryNamesTheFormat)
{
    writeFrame("768_576_24_RGB", "00000000", 1327104, 0x55);
    writeFrame("384_-288_24_RGB", "00000000", 331776, 0x66);
    writeFrame("768_576_16", "00000000", 884736, 0x77);
    open();
    std::vector<uint8_t> buffer(1327104);
    uint32_t bytesOut = 0;
    ASSERT_EQ(DCardDigit(1, 0, 2, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(buffer[0], 0x55);
    ASSERT_EQ(DCardDigit(1, 0, 6, buffer.data(), buffer.size(), &bytesOut, 1), 1);
    EXPECT_EQ(buffer[0], 0x66) << "a bottom-up request looks under its negative height";
    ASSERT_EQ(DCardDigit(1, 0, 3, buffer.data(), buffer.size(), &bytesOut, 0), 1);
    EXPECT_EQ(buffer[0], 0x77) << "YUV has depth 16 and no _RGB";
}

// A name of 255 characters, the most a name may have, is read under exactly
// that name; one of 256 is read under no name, not even cut to 255 (which
// would end in ".ra").
TEST_F(TestFrameTest, NamesUpTo255CharactersAreRead)
{
    const std::string tail = "384_288_8\\00000000.raw"; // behind the path and its "\"
    for (size_t length : {255u, 256u}) {
        const size_t padding = length - tail.size() - root.string().size() - 2;
        ASSERT_LT(padding, 250u) << "a scratch directory this long leaves no room";
        const fs::path directory = root / std::string(padding, 'p');
        const std::string camPath = directory.string();
        ASSERT_EQ(camPath.size() + 1 + tail.size(), length);
        fs::create_directories(directory / "384_288_8");
        const fs::path exact = directory / "384_288_8" / "00000000.raw";
        const fs::path cut = directory / "384_288_8" / "00000000.ra";
        std::ofstream(exact, std::ios::binary) << std::string(110592, char(length & 0xFF));
        std::ofstream(cut, std::ios::binary) << std::string(110592, '\x5C');

        harness::writeIni("CamPath0", camPath.c_str());
        harness::closeAllCards();
        open();
        std::vector<uint8_t> buffer;
        EXPECT_EQ(grab(buffer), length == 255 ? 255 : 0xEE) << length << " characters";
        EXPECT_EQ(buffer[110591], length == 255 ? 255 : 0xEE) << length << " characters";
    }
}

// A stem format that would make the formatting read an argument it was not
// given is not used: no file is read, and the number moves on as for a
// missing file.
TEST_F(TestFrameTest, UnsafeFormatsReadNothing)
{
    writeFrame("384_288_8", "00000000", 110592, 0x12);
    for (const char* format : {"%s", "%n", "%d%d", "%*d", "%lld", "%300d", "%.400d", "%c", "%p"}) {
        harness::writeIni("CamFormat0", format);
        harness::closeAllCards();
        open();
        std::vector<uint8_t> buffer;
        EXPECT_EQ(grab(buffer), 0xEE) << format;
        EXPECT_EQ(counter(0), 1) << format;
    }
}

TEST(TestFrameNameTest, NamesFollowTheFormatAndFitTheBuffer)
{
    CameraSource camera{};
    strcpy(camera.camFormat, "%08d");
    camera.camCounter = 12;
    auto request = driver::makeRequest<driver::DigitRequest>();
    request.width = 384;
    request.height = 288;
    request.bitsPerPixel = 8;
    char name[256];
    ASSERT_TRUE(testFrameName(camera, request, name, sizeof(name)));
    EXPECT_STREQ(name, "384_288_8\\00000012.raw") << "an empty path is relative";

    strcpy(camera.camPath, "C:\\frames\\");
    request.width = 768;
    request.height = 576;
    request.bitsPerPixel = 24;
    request.rgb = 1;
    camera.camCounter = 5;
    ASSERT_TRUE(testFrameName(camera, request, name, sizeof(name)));
    EXPECT_STREQ(name, "C:\\frames\\768_576_24_RGB\\00000005.raw");

    strcpy(camera.camFormat, "still");
    ASSERT_TRUE(testFrameName(camera, request, name, sizeof(name)));
    EXPECT_STREQ(name, "C:\\frames\\768_576_24_RGB\\still.raw");
    strcpy(camera.camFormat, "%%%x%%");
    camera.camCounter = 255;
    ASSERT_TRUE(testFrameName(camera, request, name, sizeof(name)));
    EXPECT_STREQ(name, "C:\\frames\\768_576_24_RGB\\%ff%.raw");

    // The longest settings do not fit 256 characters: no name rather than a cut one.
    memset(camera.camPath, 'p', 254);
    strcpy(camera.camPath + 254, "\\");
    ASSERT_FALSE(testFrameName(camera, request, name, sizeof(name)));
    camera.camPath[200] = '\0';
    char small[64];
    EXPECT_FALSE(testFrameName(camera, request, small, sizeof(small)));
}

TEST(TestFrameNameTest, OnlyOneIntegerConversionIsSafe)
{
    for (const char* safe : {"", "plain", "%d", "%08d", "%-5i", "%+u", "%#x", "%X", "%o", "%hd",
                             "%hhd", "%ld", "%.3d", "%255d", "100%%", "%%%d%%"})
        EXPECT_TRUE(stemFormatIsSafe(safe)) << safe;
    for (const char* unsafe : {"%s", "%n", "%d%d", "%*d", "%.*d", "%lld", "%Lf", "%f", "%c", "%p",
                               "%256d", "%.256d", "%", "abc%", "%I64d", "%jd", "%zd", "%1$d"})
        EXPECT_FALSE(stemFormatIsSafe(unsafe)) << unsafe;
}

} // namespace
