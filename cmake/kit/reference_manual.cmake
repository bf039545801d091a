# Builds the reference manual into OUTPUT/html from the project's Doxyfile,
# and fails on any warning, as scripts/docs does. Run as:
# cmake -DDOXYGEN=... -DSOURCE=dir -DOUTPUT=dir -P reference_manual.cmake
file(REMOVE_RECURSE ${OUTPUT})
file(MAKE_DIRECTORY ${OUTPUT})
file(READ ${SOURCE}/Doxyfile settings)
file(WRITE ${OUTPUT}/Doxyfile "${settings}\nOUTPUT_DIRECTORY = ${OUTPUT}\n")
execute_process(COMMAND ${DOXYGEN} ${OUTPUT}/Doxyfile WORKING_DIRECTORY ${SOURCE}
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE warnings)
if(NOT result EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "the reference manual has warnings:\n${warnings}")
endif()
file(REMOVE ${OUTPUT}/Doxyfile)
