# The Windows test programs, run under Wine (the toolchain's emulator) in a
# prefix of the build directory's own.
set(googletest_source /usr/src/googletest)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${googletest_source} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -Wno-error)
target_compile_options(gtest_main PRIVATE -Wno-error)

# The export and import tables, read without running anything.
find_program(MINGW_OBJDUMP NAMES ${SAA7146_MINGW_TRIPLE}-objdump REQUIRED)
add_test(NAME dll_exports
         COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${MINGW_OBJDUMP} -DLIBRARY=$<TARGET_FILE:saa7146_dll>
                 -DEXPORTS=${CMAKE_SOURCE_DIR}/src/api/exports.txt
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/check_dll_exports.cmake)
set_tests_properties(dll_exports PROPERTIES LABELS static)
add_test(NAME dll_resources
         COMMAND ${CMAKE_COMMAND} -DWINDRES=${CMAKE_RC_COMPILER} -DLIBRARY=$<TARGET_FILE:saa7146_dll>
                 -DSCRIPT=${SAA7146_RESOURCE_SCRIPT} -DWORK=${CMAKE_CURRENT_BINARY_DIR}
                 -DGENERATED=${SAA7146_GENERATED_DIR}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/check_dll_resources.cmake)
set_tests_properties(dll_resources PROPERTIES LABELS static)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(WINE_ENVIRONMENT "WINEPREFIX=${WINE_PREFIX};WINEDEBUG=-all")
if(SAA7146_WIDE)
  set(WINE_ARCH win64)
else()
  set(WINE_ARCH win32)
endif()
add_test(NAME wine_prefix
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/win32/prepare-wineprefix.sh ${WINE_PREFIX} ${WINE_ARCH})
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)

# A stand-in for the card maker's TavHelpr.dll whose answers the tests set;
# never shipped. Beside the test programs, where the library's LoadLibraryA
# finds it.
add_library(tav_helper_test SHARED win32/tav_helper/tav_helper.c
            win32/tav_helper/tav_helper.def)
set_target_properties(tav_helper_test PROPERTIES OUTPUT_NAME TavHelpr PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
target_link_options(tav_helper_test PRIVATE ${SAA7146_STATIC_RUNTIME})

# The library's unit and integration tests against the virtual card.
add_executable(saa7146_tests ${SAA7146_TEST_SOURCES} support/harness_win32.cpp
               support/dialog_driver_win32.cpp support/module_win32.cpp
               win32/dialog_look_test.cpp ${SAA7146_RESOURCE_SCRIPT})
target_link_libraries(saa7146_tests PRIVATE saa7146_static gtest gtest_main)
target_include_directories(saa7146_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${SAA7146_GENERATED_DIR})
target_link_options(saa7146_tests PRIVATE ${SAA7146_STATIC_RUNTIME})
add_dependencies(saa7146_tests tav_helper_test)
add_test(NAME saa7146_tests COMMAND saa7146_tests --gtest_filter=-MaskThreadsTest.*)
# In a process of its own: a deadlock would leave the card's lock held.
add_test(NAME mask_threads COMMAND saa7146_tests --gtest_filter=MaskThreadsTest.*)

# The shipped DLL as a caller sees it: exports, calling convention, record
# layouts, test mode end to end.
set(expected_exports "")
foreach(line IN LISTS SAA7146_EXPORT_LINES)
  string(REGEX MATCH "^([^ ]+) ([0-9]+) ?([A-Za-z0-9_]*)" _ "${line}")
  if(CMAKE_MATCH_3 STREQUAL "cdecl")
    set(convention "true")
  else()
    set(convention "false")
  endif()
  string(APPEND expected_exports "    {\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}, ${convention}},\n")
endforeach()
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/expected_exports.h
     CONTENT "// Generated from src/api/exports.txt.\n${expected_exports}")
add_executable(dll_abi_test win32/dll_abi_test.cpp win32/layout_c.c)
if(NOT SAA7146_WIDE)
  # The stack balance of the 32-bit conventions; x86-64 has one convention.
  target_sources(dll_abi_test PRIVATE win32/stack_check.S)
endif()
target_include_directories(dll_abi_test PRIVATE ${CMAKE_SOURCE_DIR}/include
                           ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(dll_abi_test PRIVATE gtest)
target_link_options(dll_abi_test PRIVATE ${SAA7146_STATIC_RUNTIME})
add_dependencies(dll_abi_test saa7146_dll)
# Every call's stack adjustments done at the call, so the stack pointer can be
# compared across it.
set_source_files_properties(win32/dll_abi_test.cpp PROPERTIES COMPILE_OPTIONS
                            "-fno-omit-frame-pointer;-fno-defer-pop")
add_test(NAME dll_abi_test COMMAND dll_abi_test $<TARGET_FILE:saa7146_dll>)

# Hosts of the real DLL that end while it works: main returning while
# threads digitize or the capture dialog previews, a dialog ended by WM_QUIT
# and FreeLibrary after it.
add_executable(process_life_host win32/process_life_host.cpp)
target_include_directories(process_life_host PRIVATE ${CMAKE_SOURCE_DIR}/include)
target_link_options(process_life_host PRIVATE ${SAA7146_STATIC_RUNTIME})
add_executable(process_life_test win32/process_life_test.cpp)
target_link_libraries(process_life_test PRIVATE gtest advapi32)
target_link_options(process_life_test PRIVATE ${SAA7146_STATIC_RUNTIME})
add_dependencies(process_life_test process_life_host saa7146_dll)
add_test(NAME process_life
         COMMAND process_life_test $<TARGET_FILE:process_life_host> $<TARGET_FILE:saa7146_dll>)

# dcard.exe over the real DLL, end to end (test mode: Wine has no driver).
find_program(SYSTEM_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
add_test(NAME dcard_tool_wine
         COMMAND ${SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tool/dcard_test.py
                 --dcard ${CMAKE_BINARY_DIR}/dcard.exe --wine --version ${PROJECT_VERSION})

# The sample programs over the real DLL (test mode, with a raw frame to play).
foreach(sample grab_frame load_at_run_time)
  add_test(NAME sample_${sample}_wine
           COMMAND ${SYSTEM_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tool/samples_test.py
                   --sample ${CMAKE_BINARY_DIR}/${sample}.exe --wine)
endforeach()

# Each test program bounds every test of its own (the harness's deadline);
# these outer bounds only catch a program that never starts its tests.
set_tests_properties(saa7146_tests mask_threads dll_abi_test dcard_tool_wine process_life
                     sample_grab_frame_wine sample_load_at_run_time_wine PROPERTIES
                     ENVIRONMENT "${WINE_ENVIRONMENT}" FIXTURES_REQUIRED wine TIMEOUT 300
                     RUN_SERIAL TRUE)
set_tests_properties(mask_threads dll_abi_test sample_grab_frame_wine
                     sample_load_at_run_time_wine PROPERTIES TIMEOUT 120)
