// Control of the Windows stand-in, for tests and tools. Library code never
// calls this: it sees only the Windows API of winapi.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/winapi.h"

namespace standin {

// The directory that stands in for the Windows directory, where a bare INI
// file name is looked up: set here, else $SAA7146_WINDIR, else
// $HOME/.saa7146/windows. An empty path returns to the environment's choice.
void setWindowsDirectory(const std::string& path);
std::string windowsDirectory();

// The file that holds the registry: set here, else $SAA7146_REGISTRY, else
// $HOME/.saa7146/registry.
void setRegistryFile(const std::string& path);
std::string registryFile();

// Message boxes never wait: each is recorded and answered with the current
// answer (IDOK unless set).
struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
void setMessageBoxAnswer(int answer);
std::vector<MessageBoxRecord> messageBoxes();
void clearMessageBoxes();

// Movable global memory blocks that are allocated and not yet freed.
int globalBlocks();
// Whether an unlocked movable block really moves (the default), so that a
// pointer kept past GlobalUnlock shows; benchmarks turn it off.
void setGlobalMemoryMoves(bool moves);

// A device-dependent bitmap's pixels as 0x00RRGGBB, top row first; false for
// a handle that is no live bitmap.
struct BitmapPixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
bool readBitmap(HBITMAP bitmap, BitmapPixels& out);
int liveBitmaps();

} // namespace standin
