/* grab_frame: open the first card, list its frame modes, and save one frame
 * as a BMP file, calling the library through its import library (Windows:
 * link with libSAA7146.a; Linux: with libsaa7146.so).
 *
 *     grab_frame [MODE [FILE.bmp]]      (default: mode 2, frame.bmp)
 *
 * Every card function returns non-zero when it succeeded and 0 when it
 * failed. */
#include <stdio.h>
#include <stdlib.h>

#include <saa7146/dcard.h>

int main(int argc, char** argv)
{
    int mode = argc > 1 ? atoi(argv[1]) : 2;
    const char* path = argc > 2 ? argv[2] : "frame.bmp";
    DCardFrameMode record;
    int handle, n;

    /* Cards are numbered from 0. The handle that DCardInit returns names the
     * open card in every other call; 0 means the card could not be opened. */
    handle = DCardInit(0);
    if (!handle) {
        fprintf(stderr, "card 0 could not be opened (is the driver loaded?)\n");
        return 1;
    }

    /* The frame modes: sizes and pixel formats the card digitizes. Records
     * handed to the library start with their own size in bytes. */
    printf("mode  width x height  bits  bytes\n");
    for (n = 0;; ++n) {
        record.size = sizeof(record);
        if (!DCardGetMode(handle, n, &record))
            break; /* past the last mode */
        printf("%4d  %5d x %-6d  %4d  %d\n", record.mode, record.width, record.height,
               record.bitsPerPixel, record.frameBytes);
    }
    printf("%d modes\n", n);

    /* One frame of camera 0 in the chosen mode's size, written as a BMP file
     * (8, 15, 16 or 24 bits per pixel). */
    record.size = sizeof(record);
    if (!DCardGetMode(handle, mode, &record)) {
        fprintf(stderr, "there is no mode %d\n", mode);
        DCardExit(handle);
        return 1;
    }
    if (!DCardSaveDigBMP(handle, 0, record.width, record.height, record.bitsPerPixel, path)) {
        fprintf(stderr, "the frame could not be digitized and written to %s\n", path);
        DCardExit(handle);
        return 1;
    }
    printf("wrote %s: %d x %d, %d bits per pixel\n", path, record.width, record.height,
           record.bitsPerPixel);

    /* Close the card, so that another program may open it. */
    DCardExit(handle);
    return 0;
}
