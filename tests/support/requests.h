// What the virtual card received, as the request records the library sent.
#pragma once

#include <cstring>
#include <vector>

#include "card/driver_request.h"
#include "virtual_card.h"

namespace harness {

// Every request of the record's code that card received, oldest first.
template <class Record> std::vector<Record> sent(int card = 0)
{
    std::vector<Record> found;
    for (const sim::LoggedRequest& request : sim::card(card).requests()) {
        if (request.code != driver::CodeOf<Record>::code || request.sent.size() != sizeof(Record))
            continue;
        Record record;
        memcpy(&record, request.sent.data(), sizeof(record));
        found.push_back(record);
    }
    return found;
}

inline size_t sentCount(driver::Code code, int card = 0)
{
    return sim::card(card).countRequests(code);
}

} // namespace harness
