// The one path by which the library talks to the card driver.
#pragma once

#include "card/driver_request.h"
#include "platform/platform.h"

// Sends a built request over the device in one synchronous call; the driver
// answers in the same record. 1 when the driver reports success. A status of
// 4 (not supported) also leaves ERROR_NOT_SUPPORTED as the last-error code.
// In test mode nothing is sent and every request on an open device succeeds.
int sendRequest(driver::Header& request, HANDLE device);

template <class Record> int sendRequest(Record& request, HANDLE device)
{
    return sendRequest(request.header, device);
}
