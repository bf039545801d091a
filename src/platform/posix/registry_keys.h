// The registry's open key handles. Closed handles are kept and given out
// again once kSpareKeys others have been closed after them, closed longest
// ago first: an open costs no allocation, and a handle used after its close
// names no key for at least kSpareKeys closes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <string>
#include <vector>

#include "platform/posix/registry_store.h"

namespace standin {

struct OpenKey {
    std::string path;
    std::string folded; // path, folded
    // The key as last found, while the registry read then (a count from 1;
    // 0: none yet) stays the same.
    uint64_t foundIn = 0;
    const RegistryKey* found = nullptr;
    bool open = false;
};

class KeyHandles {
public:
    static constexpr size_t kSpareKeys = 64;

    KeyHandles() = default;
    KeyHandles(const KeyHandles&) = delete;
    KeyHandles& operator=(const KeyHandles&) = delete;

    // A handle open on the path (folded as given).
    OpenKey* open(const std::string& path, const std::string& folded);
    // The open key a handle names, or null.
    OpenKey* find(const void* handle) const;
    // False for a handle that names no open key.
    bool close(const void* handle);

private:
    std::unordered_set<const void*> made_; // every handle made, never freed
    std::vector<OpenKey*> spare_; // a ring of closed handles, oldest at first_
    size_t first_ = 0;
    size_t spareCount_ = 0;
};

} // namespace standin
