#include "platform/posix/registry_keys.h"

namespace standin {

OpenKey* KeyHandles::open(const std::string& path, const std::string& folded)
{
    OpenKey* key;
    if (spareCount_ > kSpareKeys) {
        key = spare_[first_];
        first_ = (first_ + 1) % spare_.size();
        --spareCount_;
    } else {
        key = new OpenKey;
        made_.insert(key);
    }
    key->path.assign(path);
    key->folded.assign(folded);
    key->foundIn = 0;
    key->found = nullptr;
    key->open = true;
    return key;
}

OpenKey* KeyHandles::find(const void* handle) const
{
    if (!made_.count(handle))
        return nullptr;
    auto* key = static_cast<OpenKey*>(const_cast<void*>(handle));
    return key->open ? key : nullptr;
}

bool KeyHandles::close(const void* handle)
{
    OpenKey* key = find(handle);
    if (!key)
        return false;
    key->open = false;
    if (spareCount_ == spare_.size()) {
        std::vector<OpenKey*> larger;
        for (size_t i = 0; i < spareCount_; ++i)
            larger.push_back(spare_[(first_ + i) % spare_.size()]);
        larger.resize(spare_.empty() ? kSpareKeys + 2 : 2 * spare_.size());
        spare_.swap(larger);
        first_ = 0;
    }
    spare_[(first_ + spareCount_) % spare_.size()] = key;
    ++spareCount_;
    return true;
}

} // namespace standin
