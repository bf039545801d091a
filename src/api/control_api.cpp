// Camera signal, driver parameters, memory configuration, output data, the
// port expander, and the camera records.
#include <saa7146/dcard.h>

#include "api/guard.h"

extern "C" {

int DCARD_CALL DCardSetCameraSignal(int handle, int camera, int signalType)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.setCameraSignal(camera, signalType); });
}

int DCARD_CALL DCardSetDriverParam(int handle, int camera, int param, int value)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.setDriverParam(camera, param, value); });
}

int DCARD_CALL DCardGetDriverParam(int handle, int camera, int param, int* value)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.getDriverParam(camera, param, value); });
}

int DCARD_CALL DCardGetMemoryConfig(int handle, DCardMemoryConfig* config)
{
    return withCard(handle, [&](DigitCard& card) { return card.getMemoryConfig(config); });
}

int DCARD_CALL DCardSetMemoryConfig(int handle, const DCardMemoryConfig* config)
{
    return withCard(handle, [&](DigitCard& card) { return card.setMemoryConfig(config); });
}

int DCARD_CALL DCardOutput(int handle, int mode, int param1, int param2, int param3,
                           const void* data, uint32_t length)
{
    return withCard(handle, [&](DigitCard& card) {
        return card.output(mode, param1, param2, param3, data, length);
    });
}

int DCARD_CALL DCardSetOutputs(int handle, int outputs)
{
    return withCard(handle, [&](DigitCard& card) { return card.setOutputs(outputs); });
}

int DCARD_CALL DCardGetInputs(int handle, int* inputs)
{
    return withCard(handle, [&](DigitCard& card) { return card.getInputs(inputs); });
}

// Reached only through DCardGetFunctions; never exported by name.
int DCARD_CALL DCardGetCameraRecord(int handle, int camera, DCardCameraRecord* record)
{
    return withCard(handle,
                    [&](DigitCard& card) { return card.getCameraRecord(camera, record); });
}

} // extern "C"
