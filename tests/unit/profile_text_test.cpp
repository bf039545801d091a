// INI files read and written as the Windows profile functions do.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/harness.h"

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness::resetAll();
        path = harness::scratchDirectory() + "/profile-test.ini";
        remove(path.c_str());
    }

    std::string read(const char* section, const char* key, const char* fallback = "dflt",
                     DWORD size = 64)
    {
        char buffer[256];
        memset(buffer, '#', sizeof(buffer));
        DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer, size, path.c_str());
        EXPECT_EQ(n, strlen(buffer));
        return buffer;
    }

    void write(const char* section, const char* key, const char* value)
    {
        ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, path.c_str()));
    }

    void writeRaw(const char* text)
    {
        FILE* file = fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        fputs(text, file);
        fclose(file);
    }

    UINT readInt(const char* key, INT fallback = 77)
    {
        return GetPrivateProfileIntA("S", key, fallback, path.c_str());
    }

    std::string path;
};

TEST_F(ProfileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(read("S", "k"), "dflt");
    writeRaw("[Other]\nk=1\n");
    EXPECT_EQ(read("S", "k"), "dflt");
    writeRaw("[S]\nj=1\n");
    EXPECT_EQ(read("S", "k"), "dflt");
    EXPECT_EQ(read("S", "k", nullptr), "");
    EXPECT_EQ(read("S", "k", "padded   "), "padded") << "trailing blanks of a default go";
    EXPECT_EQ(readInt("k"), 77u);
}

TEST_F(ProfileTest, ValuesAreFoundCaseBlindAndTrimmed)
{
    writeRaw("; comment\r\n[Settings]\r\n  CamPath3 =  C:\\frames  \r\nquoted=\"  a b \"\r\n"
             "single='x'\r\nhalf=\"x\r\nempty=\r\nkey=first\r\nkey=second\r\n[s2]\r\nkey=other\r\n");
    EXPECT_EQ(read("settings", "campath3"), "C:\\frames");
    EXPECT_EQ(read("Settings", "quoted"), "  a b ");
    EXPECT_EQ(read("Settings", "single"), "x");
    EXPECT_EQ(read("Settings", "half"), "\"x");
    EXPECT_EQ(read("Settings", "empty"), "");
    EXPECT_EQ(read("Settings", "key"), "first");
    EXPECT_EQ(read("S2", "KEY"), "other");
}

TEST_F(ProfileTest, LongValuesAreCutToTheBuffer)
{
    writeRaw("[S]\nk=abcdefghij\n");
    EXPECT_EQ(read("S", "k", "", 5), "abcd");
    EXPECT_EQ(read("S", "k", "", 11), "abcdefghij");
    EXPECT_EQ(read("S", "missing", "0123456789", 4), "012");
    char one[1] = {'#'};
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", one, 1, path.c_str()), 0u);
    EXPECT_EQ(one[0], '\0');
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", nullptr, 10, path.c_str()), 0u);
}

TEST_F(ProfileTest, IntegersParseAsWindowsParsesThem)
{
    writeRaw("[S]\na=42\nb=-1\nc=0x1F\nd=12abc\ne=abc\nf=  +7\ng=0b101\nh=0o17\ni=4294967297\n"
             "j=\nk=-0x10\n");
    EXPECT_EQ(readInt("a"), 42u);
    EXPECT_EQ(readInt("b"), 0xFFFFFFFFu);
    EXPECT_EQ(readInt("c"), 31u);
    EXPECT_EQ(readInt("d"), 12u);
    EXPECT_EQ(readInt("e"), 0u);
    EXPECT_EQ(readInt("f"), 7u);
    EXPECT_EQ(readInt("g"), 5u);
    EXPECT_EQ(readInt("h"), 15u);
    EXPECT_EQ(readInt("i"), 1u) << "wraps at 32 bits";
    EXPECT_EQ(readInt("j"), 77u) << "an empty value gives the default";
    EXPECT_EQ(static_cast<int>(readInt("k")), -16);
}

TEST_F(ProfileTest, WritesReplaceAddAndRemove)
{
    write("S", "a", "1");
    write("S", "b", "2");
    write("T", "a", "3");
    write("s", "A", "10");
    EXPECT_EQ(read("S", "a"), "10");
    EXPECT_EQ(read("S", "b"), "2");
    EXPECT_EQ(read("T", "a"), "3");
    write("S", "b", nullptr);
    EXPECT_EQ(read("S", "b"), "dflt");
    EXPECT_EQ(read("S", "a"), "10");
    write("S", nullptr, nullptr);
    EXPECT_EQ(read("S", "a"), "dflt");
    EXPECT_EQ(read("T", "a"), "3");
}

TEST_F(ProfileTest, SectionAndKeyListsEndWithTwoTerminators)
{
    writeRaw("[A]\nx=1\ny=2\n[B]\n");
    char buffer[64];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buffer, sizeof(buffer), path.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("A\0B\0\0", 5));
    n = GetPrivateProfileStringA("A", nullptr, "", buffer, sizeof(buffer), path.c_str());
    EXPECT_EQ(std::string(buffer, n + 1), std::string("x\0y\0\0", 5));
    n = GetPrivateProfileStringA("A", nullptr, "", buffer, 4, path.c_str());
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(std::string(buffer, 4), std::string("x\0\0\0", 4));
}

TEST_F(ProfileTest, BareNamesLiveInTheWindowsDirectory)
{
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "Bare.INI"));
    char directory[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(directory, sizeof(directory)), 0u);
    char buffer[16];
    std::string full = std::string(directory) + "/Bare.INI";
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, sizeof(buffer), full.c_str()), 1u);
    // Windows file names compare case-blind.
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, sizeof(buffer), "bare.ini"), 1u);
}

TEST_F(ProfileTest, EnvironmentLooksLikeWindowsNt)
{
    char value[32];
    SetEnvironmentVariableA("OS", nullptr);
    EXPECT_EQ(GetEnvironmentVariableA("OS", value, sizeof(value)), 10u);
    EXPECT_STREQ(value, "Windows_NT");
    SetEnvironmentVariableA("OS", "Other");
    EXPECT_EQ(GetEnvironmentVariableA("os", value, sizeof(value)), 5u);
    EXPECT_STREQ(value, "Other");
    EXPECT_EQ(GetEnvironmentVariableA("OS", value, 3), 6u) << "too small: the size needed";
    harness::setOs("Windows_NT");
}

} // namespace
