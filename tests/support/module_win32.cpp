// The Windows test programs link the library's objects and resources into
// the program itself: the program is the library's module, and this plays
// the loader's part, calling the entry point before the tests run.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

const bool attached = DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr) != FALSE;

} // namespace

namespace harness {

HINSTANCE libraryInstance()
{
    return attached ? GetModuleHandleA(nullptr) : nullptr;
}

} // namespace harness
