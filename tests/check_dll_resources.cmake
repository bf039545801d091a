# Checks, without running it, that SAA7146.dll carries exactly the resources
# of the resource script: every dialog template and string, in both
# languages, and the version. Both are decompiled by windres and compared as
# text. Run as (GENERATED: where the build wrote saa7146_version.h):
# cmake -DWINDRES=... -DLIBRARY=... -DSCRIPT=... -DGENERATED=dir -DWORK=dir -P check_dll_resources.cmake
execute_process(COMMAND ${WINDRES} -i ${LIBRARY} -O rc -o ${WORK}/from-dll.rc RESULT_VARIABLE dll)
get_filename_component(script_dir ${SCRIPT} DIRECTORY)
execute_process(COMMAND ${WINDRES} -I ${script_dir} -I ${GENERATED} -i ${SCRIPT} -O rc -o ${WORK}/from-script.rc
                RESULT_VARIABLE script)
if(NOT dll EQUAL 0 OR NOT script EQUAL 0)
  message(FATAL_ERROR "windres could not read the DLL or the script")
endif()
file(READ ${WORK}/from-dll.rc linked)
file(READ ${WORK}/from-script.rc compiled)
# The script's memory flags and -1 identifiers come back from the DLL without
# the flags and as 65535.
string(REPLACE " MOVEABLE PURE DISCARDABLE" "" compiled "${compiled}")
string(REPLACE ", -1, " ", 65535, " compiled "${compiled}")
if(NOT linked STREQUAL compiled)
  message(FATAL_ERROR "the DLL's resources differ from ${SCRIPT}")
endif()
string(REGEX MATCHALL "[0-9]+ DIALOG " dialogs "${linked}")
list(LENGTH dialogs count)
if(NOT count EQUAL 6)
  message(FATAL_ERROR "expected 3 dialogs in 2 languages, found ${count}")
endif()
message(STATUS "SAA7146.dll carries the script's ${count} dialog templates and its strings")
