/* load_at_run_time: what grab_frame does, with the library loaded while the
 * program runs instead of linked to it, so that the program starts (and can
 * say so) on a machine without the library. Every function is taken from one
 * table that DCardGetFunctions fills in.
 *
 *     load_at_run_time [MODE [FILE.bmp]]      (default: mode 2, frame.bmp)
 *
 * Windows loads SAA7146.dll (LoadLibraryA, GetProcAddress); Linux
 * libsaa7146.so (dlopen, dlsym), found as any shared library is
 * (LD_LIBRARY_PATH, the system's directories). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Only the types of the header are used here: nothing is linked. */
#include <saa7146/dcard.h>

#ifdef _WIN32
#include <windows.h>
#define LIBRARY_NAME "SAA7146.dll"
typedef HMODULE Library;
static Library openLibrary(void) { return LoadLibraryA(LIBRARY_NAME); }
static void* findFunction(Library library, const char* name)
{
    return (void*)GetProcAddress(library, name);
}
static void closeLibrary(Library library) { FreeLibrary(library); }
#else
#include <dlfcn.h>
#define LIBRARY_NAME "libsaa7146.so"
typedef void* Library;
static Library openLibrary(void) { return dlopen(LIBRARY_NAME, RTLD_NOW); }
static void* findFunction(Library library, const char* name) { return dlsym(library, name); }
static void closeLibrary(Library library) { dlclose(library); }
#endif

/* The two functions taken by name. */
typedef int(DCARD_CALL* GetFunctionsFn)(DCardFunctions* table);
typedef int(DCARD_CALL* SaveDigBMPFn)(int handle, int camera, int width, int height,
                                       int bitsPerPixel, const char* path);

int main(int argc, char** argv)
{
    int mode = argc > 1 ? atoi(argv[1]) : 2;
    const char* path = argc > 2 ? argv[2] : "frame.bmp";
    Library library;
    GetFunctionsFn getFunctions;
    SaveDigBMPFn saveDigBMP;
    DCardFunctions card;
    DCardFrameMode record;
    int handle, n, status = 1;

    library = openLibrary();
    if (!library) {
        fprintf(stderr, "%s could not be loaded\n", LIBRARY_NAME);
        return 1;
    }

    /* The table: its first word says how many bytes it has room for, so an
     * older program keeps working with a newer library. An entry is null
     * when the library lacks that function. Writing a BMP file is not in the
     * table: that function is taken by its name. */
    getFunctions = (GetFunctionsFn)findFunction(library, "DCardGetFunctions");
    saveDigBMP = (SaveDigBMPFn)findFunction(library, "DCardSaveDigBMP");
    memset(&card, 0, sizeof(card));
    card.size = sizeof(card);
    if (!getFunctions || !saveDigBMP || !getFunctions(&card) || !card.DCardInit ||
        !card.DCardExit || !card.DCardGetMode) {
        fprintf(stderr, "%s lacks the card functions\n", LIBRARY_NAME);
        closeLibrary(library);
        return 1;
    }

    /* From here on as in grab_frame, through the table. */
    handle = card.DCardInit(0);
    if (!handle) {
        fprintf(stderr, "card 0 could not be opened (is the driver loaded?)\n");
        closeLibrary(library);
        return 1;
    }
    printf("mode  width x height  bits  bytes\n");
    for (n = 0;; ++n) {
        record.size = sizeof(record);
        if (!card.DCardGetMode(handle, n, &record))
            break;
        printf("%4d  %5d x %-6d  %4d  %d\n", record.mode, record.width, record.height,
               record.bitsPerPixel, record.frameBytes);
    }
    printf("%d modes\n", n);

    record.size = sizeof(record);
    if (!card.DCardGetMode(handle, mode, &record))
        fprintf(stderr, "there is no mode %d\n", mode);
    else if (!saveDigBMP(handle, 0, record.width, record.height, record.bitsPerPixel, path))
        fprintf(stderr, "the frame could not be digitized and written to %s\n", path);
    else {
        printf("wrote %s: %d x %d, %d bits per pixel\n", path, record.width, record.height,
               record.bitsPerPixel);
        status = 0;
    }

    /* Close the card before the library goes. */
    card.DCardExit(handle);
    closeLibrary(library);
    return status;
}
