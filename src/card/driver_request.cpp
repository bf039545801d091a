#include "card/driver_request.h"

#include <cstring>

#include "card/send_request.h"
#include "card/switches.h"

namespace driver {

void initHeader(Header& header, Code code)
{
    memset(&header, 0, sizeof(header));
    header.status = kStatusPending;
    header.code = code;
    header.size = kCodes[code].size;
}

} // namespace driver

int sendRequest(driver::Header& request, HANDLE device)
{
    if (device == INVALID_HANDLE_VALUE)
        return 0;
    if (request.size == 0)
        return 0;
    if (testMode)
        return 1;
    const DWORD size = request.size;
    request.status = driver::kStatusPending;
    DWORD returned = 0;
    DWORD code = legacyDriver ? driver::kLegacyRequestCode : driver::kRequestCode;
    if (!platform::controlDevice(device, code, &request, size, &request, size, &returned))
        return 0;
    if (returned != size)
        return 0;
    if (request.status == driver::kStatusOk)
        return 1;
    if (request.status == driver::kStatusNotSupported)
        SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}
