// The records the stand-in keeps of what was called, for tests and tools to
// read back: only the most recent ones, so that a process that shows live
// video for days does not grow with them.
#pragma once

#include <cstddef>
#include <vector>

namespace standin {

constexpr size_t kRecentRecords = 4096;

// Appends a record; past kRecentRecords the older half is dropped, so that
// at least the last kRecentRecords / 2 always remain.
template <class Record>
void keepRecord(std::vector<Record>& records, Record record)
{
    if (records.size() >= kRecentRecords)
        records.erase(records.begin(), records.begin() + (records.size() - kRecentRecords / 2));
    records.push_back(std::move(record));
}

} // namespace standin
