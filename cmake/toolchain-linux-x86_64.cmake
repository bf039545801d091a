# 64-bit x86 Linux: the test vehicle that runs on every x86-64 machine. The
# product is 32-bit; this build runs the same sources and tests.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_FLAGS_INIT "-m64")
set(CMAKE_CXX_FLAGS_INIT "-m64")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m64")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m64")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m64")
set(CMAKE_LIBRARY_ARCHITECTURE x86_64-linux-gnu)
