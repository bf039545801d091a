/* The start of a sample linked by Microsoft's linker (lld-link here) with no
 * C run-time start-up of its own: msvcrt.dll's arguments, the sample's main
 * (compiled as sample_main), then exit with its status. */
extern int __cdecl __getmainargs(int* argc, char*** argv, char*** env, int wildcards,
                                 int* startInfo);
extern void __cdecl exit(int status);
int sample_main(int argc, char** argv);

void __stdcall msvc_start(void)
{
    int argc = 0, startInfo = 0;
    char** argv = 0;
    char** env = 0;
    __getmainargs(&argc, &argv, &env, 0, &startInfo);
    exit(sample_main(argc, argv));
}
