# Turns a compiled resource file into a C++ source that holds its bytes, for
# the Linux build: the library's resources come from the same resource script
# as those that windres links into SAA7146.dll. Run as:
# cmake -DINPUT=file.res -DOUTPUT=file.cpp -P embed_resources.cmake
file(READ ${INPUT} bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from the library's resource script; do not edit.\n"
  "#include <cstddef>\n#include <cstdint>\n\n"
  "extern const uint8_t kModuleResources[] = {\n    ${bytes}\n};\n"
  "extern const size_t kModuleResourcesSize = ${size};\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.tmp ${OUTPUT})
file(REMOVE ${OUTPUT}.tmp)
