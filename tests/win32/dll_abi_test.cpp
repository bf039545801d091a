// SAA7146.dll as a Windows caller meets it: loaded with LoadLibraryA, its
// functions found by their plain names, called through pointers typed by the
// public header. Run as: dll_abi_test <path of SAA7146.dll>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include <saa7146/dcard.h>
#include <saa7146/tavdig.h>

#if defined(__i386__)
extern "C" int stackCheckedCall(const void* function, const unsigned* words, int count);
#endif
extern "C" void layoutSeenFromC(unsigned* out);

namespace {

struct Export {
    const char* name;
    int argumentBytes;
    bool callerPops; // the C convention: the caller removes the arguments
};

// The card functions: plain names of the standard calling convention.
bool isCardFunction(const Export& e)
{
    return !e.callerPops && e.name[0] != '?';
}

const Export kExpected[] = {
#include "expected_exports.h"
};

HMODULE dll = nullptr;
std::string dllPath;

template <class R, class... A> constexpr int arity(R(DCARD_CALL*)(A...))
{
    return static_cast<int>(sizeof...(A));
}

// How far the stack pointer moved across one call through a typed pointer:
// 0 when the pointer's convention and argument list match the function's.
// (This file is built with a frame pointer and without deferred pops, so
// the compiler's own stack adjustments are finished at each end.) x86-64
// has one convention, in which the caller owns the stack: the call is made
// and nothing can have moved.
template <class Function, class... A> __attribute__((noinline)) int stackMoved(Function f, A... args)
{
#if defined(__i386__)
    uintptr_t before, after;
    asm volatile("movl %%esp, %0" : "=r"(before)::"memory");
    f(args...);
    asm volatile("movl %%esp, %0" : "=r"(after)::"memory");
    return static_cast<int>(after - before);
#else
    f(args...);
    return 0;
#endif
}

// A call with every argument zero (null pointers, handle 0), which every
// function refuses; DCardInit gets -1, a card number it refuses.
template <class R, class... A> int callRefused(R(DCARD_CALL* f)(A...), bool isInit)
{
    if (isInit)
        return stackMoved(f, A(-1)...);
    return stackMoved(f, A()...);
}

// Every function of the header that the DLL exports, with the number of
// arguments its declaration takes and a call through a pointer of its type.
struct Declared {
    const char* name;
    int arguments;
    int (*typedCall)(FARPROC function);
};
#define DECLARED(function)                                                                  \
    {                                                                                       \
        #function, arity(static_cast<decltype(&function)>(nullptr)), [](FARPROC f) {        \
            return callRefused(reinterpret_cast<decltype(&function)>(reinterpret_cast<void*>(f)), \
                               strcmp(#function, "DCardInit") == 0);                        \
        }                                                                                   \
    }
const Declared kDeclared[] = {
    DECLARED(DCardInit),
    DECLARED(DCardExit),
    DECLARED(DCardGetParam),
    DECLARED(DCardGetParamEx),
    DECLARED(DCardGetDecoderType),
    DECLARED(DCardGetFunctions),
    DECLARED(DCardGetMode),
    DECLARED(DCardDigit),
    DECLARED(DCardDigitEx),
    DECLARED(DCardGetRegInfo),
    DECLARED(DCardGetRegInfoEx),
    DECLARED(DCardSetReg),
    DECLARED(DCardGetReg),
    DECLARED(DCardSetStringReg),
    DECLARED(DCardGetStringReg),
    DECLARED(DCardI2CTransmit),
    DECLARED(DCardI2CReceive),
    DECLARED(DCardI2CCommand),
    DECLARED(DCardGetI2CSpeeds),
    DECLARED(DCardSetCameraSignal),
    DECLARED(DCardSetDriverParam),
    DECLARED(DCardGetDriverParam),
    DECLARED(DCardGetMemoryConfig),
    DECLARED(DCardSetMemoryConfig),
    DECLARED(DCardOutput),
    DECLARED(DCardSetOutputs),
    DECLARED(DCardGetInputs),
    DECLARED(DCardSaveDigBMP),
    DECLARED(DCardOverlay),
    DECLARED(DCardOverlayEx),
    DECLARED(DCardVirt2Phys),
    DECLARED(DCardMask),
    DECLARED(DCardWindowsMask),
    DECLARED(DCardWindowsMaskEx),
};
#undef DECLARED

template <class Function> Function find(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll, name)));
}

const IMAGE_DATA_DIRECTORY& directory(int which)
{
    auto base = reinterpret_cast<const BYTE*>(dll);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    return nt->OptionalHeader.DataDirectory[which];
}

std::vector<std::string> exportedNames()
{
    auto base = reinterpret_cast<const BYTE*>(dll);
    const IMAGE_DATA_DIRECTORY& entry = directory(IMAGE_DIRECTORY_ENTRY_EXPORT);
    std::vector<std::string> names;
    if (!entry.VirtualAddress)
        return names;
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    auto nameTable = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i)
        names.emplace_back(reinterpret_cast<const char*>(base + nameTable[i]));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> importedModules()
{
    auto base = reinterpret_cast<const BYTE*>(dll);
    const IMAGE_DATA_DIRECTORY& entry = directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    std::vector<std::string> modules;
    auto import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + entry.VirtualAddress);
    for (; entry.VirtualAddress && import->Name; ++import) {
        std::string name = reinterpret_cast<const char*>(base + import->Name);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); });
        modules.push_back(name);
    }
    return modules;
}

#if defined(__i386__)
int CDECL cdeclTwo(int a, int b)
{
    return a + b;
}
#endif

TEST(DllAbiTest, ExportsExactlyThePlainNames)
{
    std::vector<std::string> expected;
    for (const Export& e : kExpected)
        expected.emplace_back(e.name);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(exportedNames(), expected);
    for (const std::string& name : exportedNames()) {
        if (name[0] != '?') {
            EXPECT_EQ(name.find('@'), std::string::npos) << name;
        }
    }
    for (const Export& e : kExpected)
        EXPECT_NE(GetProcAddress(dll, e.name), nullptr) << e.name;
    EXPECT_EQ(GetProcAddress(dll, "DCardGetCameraRecord"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "DCardInit@4"), nullptr);
    EXPECT_EQ(GetProcAddress(dll, "_DCardInit@4"), nullptr);
}

TEST(DllAbiTest, HeaderDeclaresWhatTheDllExports)
{
    size_t cardFunctions = std::count_if(std::begin(kExpected), std::end(kExpected), isCardFunction);
    ASSERT_EQ(sizeof(kDeclared) / sizeof(kDeclared[0]), cardFunctions);
    for (const Export& e : kExpected) {
        if (!isCardFunction(e))
            continue;
        auto declared = std::find_if(std::begin(kDeclared), std::end(kDeclared),
                                     [&](const Declared& d) { return strcmp(d.name, e.name) == 0; });
        ASSERT_NE(declared, std::end(kDeclared)) << e.name << " is not declared in the header";
        EXPECT_EQ(declared->arguments * 4, e.argumentBytes) << e.name;
    }
}

// Each function removes exactly the arguments its declaration has, and a
// call through a pointer of its declared type leaves the stack as it was:
// called with arguments that every function refuses.
TEST(DllAbiTest, EveryFunctionRemovesItsArguments)
{
    const unsigned zeros[16] = {};
    const unsigned minusOne[16] = {0xFFFFFFFFu};
    for (const Declared& d : kDeclared) {
        FARPROC function = GetProcAddress(dll, d.name);
        ASSERT_NE(function, nullptr) << d.name;
        const unsigned* words = strcmp(d.name, "DCardInit") == 0 ? minusOne : zeros;
        for (int round = 0; round < 100; ++round) {
#if defined(__i386__)
            ASSERT_EQ(stackCheckedCall(reinterpret_cast<const void*>(function), words, d.arguments), 0)
                << d.name;
#else
            (void)words;
#endif
            ASSERT_EQ(d.typedCall(function), 0) << d.name;
        }
    }
}

// The checks themselves: a wrong argument count, or a pointer typed with
// the C convention, shows.
#if defined(__i386__)
TEST(DllAbiTest, WrongConventionIsCaught)
{
    const unsigned words[2] = {1, 2};
    EXPECT_EQ(stackCheckedCall(reinterpret_cast<const void*>(&cdeclTwo), words, 2), 8);
    FARPROC exitFunction = GetProcAddress(dll, "DCardExit");
    EXPECT_EQ(stackCheckedCall(reinterpret_cast<const void*>(exitFunction), words, 2), 4);
    using CdeclExit = int(CDECL*)(int);
    EXPECT_EQ(stackMoved(reinterpret_cast<CdeclExit>(reinterpret_cast<void*>(exitFunction)), 0), 4)
        << "the callee removed its argument and the caller removed it again";
}
#endif

// The capture interface: the caller removes the arguments of the TavDig
// functions; the dialog procedure is there under its decorated name and
// removes its own.
TEST(DllAbiTest, CaptureInterfaceConventions)
{
    auto dialog = find<decltype(&TavDigDialog)>("TavDigDialog");
    auto mode = find<decltype(&TavDigGetVFWMode)>("TavDigGetVFWMode");
    ASSERT_NE(dialog, nullptr);
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(stackMoved(dialog, HWND(nullptr), 3, static_cast<const char*>(nullptr)), 0);
    EXPECT_EQ(dialog(nullptr, 3, nullptr), 0) << "type 3 is refused";
    TavDigVFWMode record{};
    record.size = 12;
    EXPECT_EQ(stackMoved(mode, &record), 0);
    EXPECT_EQ(record.size, 12u);
    EXPECT_GT(record.width, 0);
    EXPECT_EQ(record.bitsPerPixel, 0) << "past the caller's 12 bytes";

    using DialogProcedure = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
    auto procedure = find<DialogProcedure>("?DlgProc@@YGHPAUHWND__@@IIJ@Z");
    ASSERT_NE(procedure, nullptr);
    EXPECT_EQ(stackMoved(procedure, HWND(nullptr), UINT(WM_USER), WPARAM(0), LPARAM(0)), 0);
    EXPECT_EQ(GetProcAddress(dll, "DlgProc"), nullptr);
}

TEST(DllAbiTest, RecordLayoutsAreTheSameInCAndCxx)
{
    // The product's layouts; on 64 bits the records with pointers align them.
#if defined(__i386__)
    const unsigned expected[10] = {22, 18, 28, 56, 44, 52, 24, 40, 128, 100};
#else
    const unsigned expected[10] = {22, 18, 28, 80, 64, 72, 24, 40, 256, 200};
#endif
    const unsigned fromCxx[10] = {sizeof(DCardParam),
                                  offsetof(DCardParam, mapInfo3),
                                  sizeof(DCardFrameMode),
                                  sizeof(DCardRegInfo),
                                  offsetof(DCardRegInfo, scale),
                                  offsetof(DCardRegInfo, isBoolean),
                                  sizeof(DCardMemoryConfig),
                                  sizeof(DCardCameraRecord),
                                  sizeof(DCardFunctions),
                                  offsetof(DCardFunctions, DCardGetCameraRecord)};
    unsigned fromC[10] = {};
    layoutSeenFromC(fromC);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(fromCxx[i], expected[i]) << i;
        EXPECT_EQ(fromC[i], expected[i]) << i;
    }
}

TEST(DllAbiTest, NeedsOnlySystemLibraries)
{
    const char* system[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                            "msvcrt.dll"};
    for (const std::string& module : importedModules())
        EXPECT_NE(std::find(std::begin(system), std::end(system), module), std::end(system))
            << module;
}

// DCardGetCameraRecord has no name in the export table, but its entry in the
// function table is there and keeps the standard convention.
TEST(DllAbiTest, CameraRecordOnlyThroughTheFunctionTable)
{
    auto getFunctions = find<int(DCARD_CALL*)(DCardFunctions*)>("DCardGetFunctions");
    ASSERT_NE(getFunctions, nullptr);
    DCardFunctions table;
    memset(&table, 0, sizeof(table));
    table.size = sizeof(table);
    ASSERT_EQ(getFunctions(&table), 1);
    ASSERT_NE(table.DCardGetCameraRecord, nullptr);
    EXPECT_EQ(GetProcAddress(dll, "DCardGetCameraRecord"), nullptr);
    for (int round = 0; round < 100; ++round)
        ASSERT_EQ(callRefused(table.DCardGetCameraRecord, false), 0);
    const void* const* entries = reinterpret_cast<const void* const*>(&table.DCardInit);
    for (int i = 0; i < 31; ++i) {
        if (i == 12 || i == 13 || i == 20 || i == 25 || i == 29 || i == 30)
            continue; // the display and overlay families are not in this library yet
        EXPECT_NE(entries[i], nullptr) << "entry " << i;
    }
}

class TestModeThroughTheDll : public ::testing::Test {
protected:
    void TearDown() override
    {
        find<DCardExitFn>("DCardExit")(1);
        WritePrivateProfileStringA("Settings", nullptr, nullptr, "SAA7146.INI");
    }
};

TEST_F(TestModeThroughTheDll, OpensCardZeroWithoutADriver)
{
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "Debug", "1", "SAA7146.INI"));
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "DisplayDialog", "0", "SAA7146.INI"));
    char path[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(path, sizeof(path)), 0u);
    strcat(path, "\\SAA7146.INI");
    EXPECT_NE(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES) << path;

    auto init = find<DCardInitFn>("DCardInit");
    auto exit = find<DCardExitFn>("DCardExit");
    auto decoder = find<DCardGetDecoderTypeFn>("DCardGetDecoderType");
    auto param = find<DCardGetParamExFn>("DCardGetParamEx");
    EXPECT_EQ(init(1), 0) << "test mode serves card 0 only";
    ASSERT_EQ(init(0), 1);
    int type = 0;
    EXPECT_EQ(decoder(1, &type), 1);
    EXPECT_EQ(type, 2);
    DCardParam record = {};
    record.size = sizeof(record);
    ASSERT_EQ(param(1, &record), 1);
    EXPECT_EQ(record.frameMemory, 0u);
    EXPECT_EQ(record.frameMemorySize, 0x480000u);
    EXPECT_EQ(exit(1), 1);
    EXPECT_EQ(exit(1), 0);

    // Without test mode the card needs its driver, and Wine has none.
    ASSERT_TRUE(WritePrivateProfileStringA("Settings", "Debug", "0", "SAA7146.INI"));
    EXPECT_EQ(init(0), 0);
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: dll_abi_test <path of SAA7146.dll>\n");
        return 2;
    }
    dllPath = argv[1];
    dll = LoadLibraryA(dllPath.c_str());
    if (!dll) {
        fprintf(stderr, "cannot load %s (error %lu)\n", dllPath.c_str(), GetLastError());
        return 1;
    }
    int result = RUN_ALL_TESTS();
    FreeLibrary(dll);
    return result;
}
