/* capture_host: what a video-capture application does with the capture
 * interface. It lets the user choose the picture format in the settings
 * dialog, asks for the capture format, then captures one picture through
 * the full dialog (with its live preview) and copies it into a buffer of its
 * own.
 *
 *     capture_host [KEY]    (KEY: the host's registry key below
 *                            HKEY_CURRENT_USER; default Software\Zemtra\Orvik)
 *
 * On Linux the dialogs are answered by the system stand-in: with
 * SAA7146_DIALOG=ok in the environment they are left with OK, else closed. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <saa7146/tavdig.h>

int main(int argc, char** argv)
{
    const char* key = argc > 1 ? argv[1] : NULL;
    TavDigVFWMode mode;
    HGLOBAL picture;
    const unsigned char* dib;
    unsigned char* frame;
    uint32_t header, palette;
    int copied = 0;

    /* The picture format dialog. It returns 0 when the user cancelled it;
     * the settings it shows live in the registry under the key. */
    if (!TavDigDialog(NULL, TAVDIG_FORMAT, key)) {
        printf("format dialog cancelled\n");
        return 1;
    }

    /* The capture format of the settings just chosen. The record's first
     * field says how many bytes we offer. */
    mode.size = sizeof(mode);
    TavDigGetVFWMode(&mode);
    printf("capture format: %d x %d, %d bits per pixel%s, %d bytes\n", (int)mode.width,
           (int)mode.height, (int)mode.bitsPerPixel, mode.yuv ? " (YUV)" : "",
           (int)mode.imageSize);

    /* One picture: TavDigCapture opens card 0, shows the full dialog with a
     * live preview, and on OK hands us a packed device-independent bitmap
     * (header, grey palette for 8 bits, rows bottom-up) that we now own. */
    picture = TavDigCapture(NULL);
    if (!picture) {
        printf("no picture (no card, no memory, or the dialog was cancelled)\n");
        return 1;
    }
    /* The full dialog may have changed the settings: ask again. */
    mode.size = sizeof(mode);
    TavDigGetVFWMode(&mode);
    dib = (const unsigned char*)GlobalLock(picture);
    if (!dib) {
        GlobalFree(picture);
        return 1;
    }
    memcpy(&header, dib, 4); /* the header's own size, 40 */
    palette = dib[14] == 8 ? 1024 : 0; /* biBitCount, low byte */
    frame = (unsigned char*)malloc((size_t)mode.imageSize);
    if (frame && GlobalSize(picture) >= header + palette + (size_t)mode.imageSize) {
        /* The pixels follow the header and palette; with the sizes the
         * dialogs offer they are the frame, byte for byte. */
        memcpy(frame, dib + header + palette, (size_t)mode.imageSize);
        printf("captured %d bytes; first pixel bytes %02x %02x %02x\n", (int)mode.imageSize,
               frame[0], frame[1], frame[2]);
        copied = 1;
    } else {
        printf("the picture is not the size the capture format says\n");
    }
    GlobalUnlock(picture);

    /* The block is ours: free it when done. */
    GlobalFree(picture);
    free(frame);
    return copied ? 0 : 1;
}
