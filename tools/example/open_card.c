/* Opens card 0 and prints what the card interface reports about it. */
#include <stdio.h>

#include <saa7146/dcard.h>

int main(void)
{
    int handle = DCardInit(0);
    if (!handle) {
        fprintf(stderr, "card 0 could not be opened\n");
        return 1;
    }
    int decoder = 0;
    DCardGetDecoderType(handle, &decoder);
    DCardParam param;
    param.size = sizeof(param);
    DCardGetParamEx(handle, &param);
    DCardFunctions functions;
    functions.size = sizeof(functions);
    DCardGetFunctions(&functions);

    printf("card 0 open as handle %d\n", handle);
    printf("decoder type:       %d (%s)\n", decoder,
           decoder == 2 ? "SAA7110" : decoder == 3 ? "KS0127B" : "unknown");
    printf("frame memory:       0x%08x, %u bytes\n", (unsigned)param.frameMemory,
           (unsigned)param.frameMemorySize);
    printf("mapping words:      0x%08x 0x%08x, version 0x%04x\n", (unsigned)param.mapInfo0,
           (unsigned)param.mapInfo3, (unsigned)param.version);
    printf("function table:     DCardInit %s, DCardExit %s\n",
           functions.DCardInit ? "present" : "missing", functions.DCardExit ? "present" : "missing");
    printf("closed:             %s\n", DCardExit(handle) ? "yes" : "no");
    return 0;
}
