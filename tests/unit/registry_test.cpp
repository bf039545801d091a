// 32-bit values in the registry through VRNREG, over the stand-in's store.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/control.h"
#include "platform/posix/file_store.h"
#include "platform/posix/registry_store.h"
#include "support/harness.h"
#include "support/vrnreg.h"

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        harness::resetAll();
        remove(standin::registryFile().c_str());
        strcpy(reg.KeyPath, "Software\\Zemtra\\Orvik");
        reg.RootKey = HKEY_CURRENT_USER;
    }

    VRNREG reg;
};

TEST_F(RegistryTest, AbsentValuesGiveTheDefaultAndZero)
{
    int32_t value = 0;
    EXPECT_EQ(reg.get("Camera", 7, &value, nullptr), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(reg.get("Camera", 7, nullptr, nullptr), 0);
}

TEST_F(RegistryTest, PutThenGetUnderTheKeyAndItsSubkeys)
{
    EXPECT_EQ(reg.put("Camera", 3, nullptr), 1);
    EXPECT_EQ(reg.put("Brightness", -5, "RegSet2"), 1);
    int32_t value = 0;
    EXPECT_EQ(reg.get("camera", 0, &value, nullptr), 1) << "value names compare case-blind";
    EXPECT_EQ(value, 3);
    EXPECT_EQ(reg.get("Brightness", 0, &value, "RegSet2"), 1);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(reg.get("Brightness", 9, &value, "RegSet3"), 0);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(reg.get("Brightness", 9, &value, nullptr), 0);

    // Another key path sees nothing of it.
    strcpy(reg.KeyPath, "Software\\Host");
    EXPECT_EQ(reg.get("Camera", 1, &value, nullptr), 0);
}

TEST_F(RegistryTest, OtherValueTypesAreNotTaken)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Zemtra\\Orvik", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE text[] = "12";
    ASSERT_EQ(RegSetValueExA(key, "CX", 0, REG_SZ, text, sizeof(text)), ERROR_SUCCESS);
    RegCloseKey(key);
    int32_t value = 0;
    EXPECT_EQ(reg.get("CX", 768, &value, nullptr), 0);
    EXPECT_EQ(value, 768);
}

TEST_F(RegistryTest, StoreSurvivesAsText)
{
    // Written in the order of the folded names, whatever the order of writing.
    ASSERT_EQ(reg.put("beta", 1, "RegSet1"), 1);
    ASSERT_EQ(reg.put("Alpha", 2, "RegSet1"), 1);
    ASSERT_EQ(reg.put("Name \"quoted\" \\", 0x12345678, "RegSet0"), 1);
    auto text = standin::readWholeFile(standin::registryFile());
    ASSERT_TRUE(text.has_value());
    size_t set0 = text->find("[HKEY_CURRENT_USER\\Software\\Zemtra\\Orvik\\RegSet0]");
    EXPECT_NE(set0, std::string::npos);
    EXPECT_LT(set0, text->find("RegSet1]"));
    EXPECT_LT(text->find("\"Alpha\""), text->find("\"beta\""));
    EXPECT_NE(text->find("=dword:12345678"), std::string::npos);
    standin::RegistryStore store = standin::RegistryStore::parse(*text);
    EXPECT_EQ(store.serialize(), *text);
    int32_t value = 0;
    EXPECT_EQ(reg.get("Name \"quoted\" \\", 0, &value, "RegSet0"), 1);
    EXPECT_EQ(value, 0x12345678);
}

TEST_F(RegistryTest, KeyPathsThatDoNotFitAreRefused)
{
    memset(reg.KeyPath, 'k', sizeof(reg.KeyPath)); // no terminator
    EXPECT_EQ(reg.put("Camera", 1, nullptr), 0);
    int32_t value = 0;
    EXPECT_EQ(reg.get("Camera", 4, &value, nullptr), 0);
    EXPECT_EQ(value, 4);
}

// A writer killed at any moment leaves a store that holds every value whole:
// the old store or the new one, never a mixture or a cut file.
TEST_F(RegistryTest, KilledWriterLeavesAWholeStore)
{
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(reg.put(("Filler" + std::to_string(i)).c_str(), i, "RegSet9"), 1);
    for (int attempt = 0; attempt < 12; ++attempt) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int round = 0;; ++round)
                reg.put("Counter", round, nullptr);
        }
        usleep(2000 + attempt * 1500);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        for (int i = 0; i < 40; ++i) {
            int32_t value = -1;
            ASSERT_EQ(reg.get(("Filler" + std::to_string(i)).c_str(), -1, &value, "RegSet9"), 1)
                << "attempt " << attempt;
            ASSERT_EQ(value, i);
        }
    }
}

// Reads are served from the file as last read while it is unchanged: a
// change by another process, a file of the same size written over it, and
// its removal are each seen by the very next read.
TEST_F(RegistryTest, EveryReadSeesTheFileAsItIsNow)
{
    int32_t value = 0;
    ASSERT_EQ(reg.put("Camera", 1, nullptr), 1);
    ASSERT_EQ(reg.get("Camera", 0, &value, nullptr), 1);
    ASSERT_EQ(value, 1);
    for (int round = 2; round < 8; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            _exit(reg.put("Camera", round, nullptr) == 1 ? 0 : 1);
        int status = -1;
        waitpid(child, &status, 0);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(reg.get("Camera", 0, &value, nullptr), 1);
        EXPECT_EQ(value, round) << "written by another process";
    }
    auto text = standin::readWholeFile(standin::registryFile());
    ASSERT_TRUE(text.has_value());
    size_t digit = text->find("dword:00000007");
    ASSERT_NE(digit, std::string::npos);
    (*text)[digit + 13] = '9';
    ASSERT_TRUE(standin::replaceFile(standin::registryFile(), *text));
    ASSERT_EQ(reg.get("Camera", 0, &value, nullptr), 1);
    EXPECT_EQ(value, 9) << "a file of the same size put in its place";
    remove(standin::registryFile().c_str());
    EXPECT_EQ(reg.get("Camera", 5, &value, nullptr), 0);
    EXPECT_EQ(value, 5);
}

// In memory, as the fuzz targets keep it, the registry starts empty, keeps
// what is put, and leaves the file alone; naming the file again reads it.
TEST_F(RegistryTest, MemoryRegistryLeavesTheFileAlone)
{
    ASSERT_EQ(reg.put("Camera", 4, nullptr), 1);
    const std::string file = standin::registryFile();
    const auto before = standin::readWholeFile(file);
    standin::useEmptyMemoryRegistry();
    int32_t value = 0;
    EXPECT_EQ(reg.get("Camera", 7, &value, nullptr), 0) << "starts empty";
    ASSERT_EQ(reg.put("Camera", 5, "RegSet1"), 1);
    ASSERT_EQ(reg.get("camera", 0, &value, "regset1"), 1);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(standin::readWholeFile(file), before);
    standin::useEmptyMemoryRegistry();
    EXPECT_EQ(reg.get("Camera", 0, &value, "RegSet1"), 0) << "emptied again";
    standin::setRegistryFile(file);
    ASSERT_EQ(reg.get("Camera", 0, &value, nullptr), 1);
    EXPECT_EQ(value, 4);
}

// A closed key handle names no key, also after other keys were opened and
// closed meanwhile, and a key opened again sees values put since.
TEST_F(RegistryTest, ClosedHandlesNameNoKey)
{
    ASSERT_EQ(reg.put("Camera", 4, nullptr), 1);
    HKEY first;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, reg.KeyPath, 0, KEY_QUERY_VALUE, &first),
              ERROR_SUCCESS);
    ASSERT_EQ(RegCloseKey(first), ERROR_SUCCESS);
    for (int i = 0; i < 10; ++i) {
        HKEY other;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, reg.KeyPath, 0, KEY_QUERY_VALUE, &other),
                  ERROR_SUCCESS);
        EXPECT_NE(other, first);
        ASSERT_EQ(RegCloseKey(other), ERROR_SUCCESS);
        ASSERT_EQ(reg.put("Camera", i, nullptr), 1);
        int32_t value = -1;
        ASSERT_EQ(reg.get("Camera", -1, &value, nullptr), 1);
        EXPECT_EQ(value, i);
    }
    DWORD value = 0, size = sizeof(value);
    EXPECT_EQ(RegQueryValueExA(first, "Camera", nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                               &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(first), ERROR_INVALID_HANDLE);
}

} // namespace
