// Movable global memory. Each handle names a block; the data really moves
// when the block is unlocked and reallocated, so a pointer kept past
// GlobalUnlock is caught by the sanitizers rather than silently working.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

#include "platform/posix/control.h"
#include "platform/posix/winapi.h"

namespace {

struct Block {
    void* data;
    size_t size;
    unsigned locks;
    UINT flags;
};

struct Blocks {
    std::mutex mutex;
    std::set<Block*> live;
    bool moves = true;
};

Blocks& blocks()
{
    static Blocks& all = *new Blocks;
    return all;
}

Block* find(HGLOBAL handle)
{
    auto* block = static_cast<Block*>(handle);
    return blocks().live.count(block) ? block : nullptr;
}

} // namespace

namespace standin {

int globalBlocks()
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    return static_cast<int>(blocks().live.size());
}

void setGlobalMemoryMoves(bool moves)
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    blocks().moves = moves;
}

} // namespace standin

extern "C" {

HGLOBAL WINAPI GlobalAlloc(UINT flags, size_t bytes)
{
    void* data = malloc(bytes ? bytes : 1);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (flags & GMEM_ZEROINIT)
        memset(data, 0, bytes);
    auto* block = new Block{data, bytes, 0, flags};
    std::lock_guard<std::mutex> hold(blocks().mutex);
    blocks().live.insert(block);
    return block;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle)
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    Block* block = find(handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++block->locks;
    return block->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL handle)
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    Block* block = find(handle);
    if (!block || block->locks == 0) {
        SetLastError(block ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--block->locks > 0)
        return TRUE;
    if ((block->flags & GMEM_MOVEABLE) && blocks().moves) {
        // Unlocked, a movable block may move: make it do so.
        void* moved = malloc(block->size ? block->size : 1);
        if (moved) {
            memcpy(moved, block->data, block->size);
            free(block->data);
            block->data = moved;
        }
    }
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL handle)
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    Block* block = find(handle);
    if (!block) {
        SetLastError(ERROR_INVALID_HANDLE);
        return handle;
    }
    blocks().live.erase(block);
    free(block->data);
    delete block;
    return nullptr;
}

size_t WINAPI GlobalSize(HGLOBAL handle)
{
    std::lock_guard<std::mutex> hold(blocks().mutex);
    Block* block = find(handle);
    return block ? block->size : 0;
}

} // extern "C"
