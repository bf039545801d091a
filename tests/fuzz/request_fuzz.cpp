// Any bytes handed to the virtual card as a request through the newer
// driver family: the card answers or refuses, and never reads or writes
// outside the record and its own memory.
#include <cstring>
#include <vector>

#include "card/driver_request.h"
#include "virtual_card.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        sim::reset();
        sim::CardSettings settings = sim::card(0).settings();
        settings.frameMemorySize = 0x40000;
        settings.logRequests = false;
        sim::card(0).configure(settings);
        return true;
    }();
    (void)ready;
    if (size > 2048)
        return 0;
    std::vector<uint8_t> record(data, data + size);
    // Mostly well-formed headers, so the handlers behind them are reached.
    if (size >= sizeof(driver::Header) && (data[0] & 1)) {
        auto& header = *reinterpret_cast<driver::Header*>(record.data());
        header.size = static_cast<uint32_t>(size);
    }
    uint32_t returned = 0, error = 0;
    sim::card(0).control(driver::kRequestCode, false, record.data(),
                         static_cast<uint32_t>(record.size()), record.data(),
                         static_cast<uint32_t>(record.size()), &returned, &error);
    return 0;
}
