/* The public header compiled as C: the layouts a C caller sees. */
#include <stddef.h>

#include <saa7146/dcard.h>

void layoutSeenFromC(unsigned* out)
{
    out[0] = sizeof(DCardParam);
    out[1] = offsetof(DCardParam, mapInfo3);
    out[2] = sizeof(DCardFrameMode);
    out[3] = sizeof(DCardRegInfo);
    out[4] = offsetof(DCardRegInfo, scale);
    out[5] = offsetof(DCardRegInfo, isBoolean);
    out[6] = sizeof(DCardMemoryConfig);
    out[7] = sizeof(DCardCameraRecord);
    out[8] = sizeof(DCardFunctions);
    out[9] = offsetof(DCardFunctions, DCardGetCameraRecord);
}
