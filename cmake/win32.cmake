# Windows with mingw-w64: SAA7146.dll, its import library, and the Windows
# test programs (run under Wine against the virtual card). i686 is the
# product; x86-64 builds the same for 64-bit Wine, as a test vehicle.

# Nothing but the system DLLs beside the library: the C++ runtime, libgcc
# and winpthreads are linked in.
enable_language(ASM RC)

set(SAA7146_STATIC_RUNTIME -static -static-libgcc -static-libstdc++)

add_library(saa7146_objects OBJECT ${SAA7146_LIBRARY_SOURCES})
target_include_directories(saa7146_objects PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_objects PRIVATE SAA7146_BUILDING_LIBRARY)

# The module definition file: every export under its plain name, as an
# alias of its decorated stdcall symbol; and a decorated twin from which the
# import library for stdcall callers is made. x86-64 has one calling
# convention and no decoration: both files list the plain names.
set(SAA7146_DEF ${CMAKE_BINARY_DIR}/SAA7146.def)
set(SAA7146_DECORATED_DEF ${CMAKE_BINARY_DIR}/SAA7146-decorated.def)
set(def_text "LIBRARY SAA7146.dll\nEXPORTS\n")
set(decorated_text "LIBRARY SAA7146.dll\nEXPORTS\n")
foreach(line IN LISTS SAA7146_EXPORT_LINES)
  string(REGEX MATCH "^([^ ]+) ([0-9]+) ?([A-Za-z0-9_]*)" _ "${line}")
  set(name ${CMAKE_MATCH_1})
  set(bytes ${CMAKE_MATCH_2})
  set(kind "${CMAKE_MATCH_3}")
  if(kind STREQUAL "cdecl" OR (SAA7146_WIDE AND NOT name MATCHES "^[?]"))
    string(APPEND def_text "  ${name}\n")
    string(APPEND decorated_text "  ${name}\n")
  elseif(kind AND SAA7146_WIDE)
    string(APPEND def_text "  ${name} = ${kind}\n")
  elseif(kind)
    string(APPEND def_text "  ${name} = ${kind}@${bytes}\n")
  else()
    string(APPEND def_text "  ${name} = ${name}@${bytes}\n")
    string(APPEND decorated_text "  ${name}@${bytes}\n")
  endif()
endforeach()
file(GENERATE OUTPUT ${SAA7146_DEF} CONTENT "${def_text}")
file(GENERATE OUTPUT ${SAA7146_DECORATED_DEF} CONTENT "${decorated_text}")

add_library(saa7146_dll SHARED $<TARGET_OBJECTS:saa7146_objects>
            src/platform/win32/device_file.cpp ${SAA7146_RESOURCE_SCRIPT} ${SAA7146_DEF})
target_include_directories(saa7146_dll PRIVATE ${SAA7146_INCLUDE_DIRS} ${SAA7146_GENERATED_DIR})
target_compile_definitions(saa7146_dll PRIVATE SAA7146_BUILDING_LIBRARY)
set_target_properties(saa7146_dll PROPERTIES OUTPUT_NAME SAA7146 PREFIX "" IMPORT_PREFIX ""
                      IMPORT_SUFFIX ".ld.a")
target_link_options(saa7146_dll PRIVATE ${SAA7146_STATIC_RUNTIME})

# The import library for stdcall callers: _DCardInit@4 imports DCardInit.
find_program(MINGW_DLLTOOL NAMES ${SAA7146_MINGW_TRIPLE}-dlltool REQUIRED)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/libSAA7146.a
  COMMAND ${MINGW_DLLTOOL} -k -d ${SAA7146_DECORATED_DEF} -D SAA7146.dll
          -l ${CMAKE_BINARY_DIR}/libSAA7146.a
  DEPENDS ${SAA7146_DECORATED_DEF}
  COMMENT "Import library libSAA7146.a")
add_custom_target(saa7146_import_library ALL DEPENDS ${CMAKE_BINARY_DIR}/libSAA7146.a)
add_dependencies(saa7146_import_library saa7146_dll)

# The same in the format of Microsoft's tools, for MSVC callers, made by
# LLVM's dlltool: a decorated name imports the plain one.
find_program(LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 REQUIRED)
if(SAA7146_WIDE)
  set(dlltool_options -m i386:x86-64)
else()
  set(dlltool_options -m i386 -k)
endif()
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/SAA7146.lib
  COMMAND ${LLVM_DLLTOOL} ${dlltool_options} -d ${SAA7146_DECORATED_DEF} -D SAA7146.dll
          -l ${CMAKE_BINARY_DIR}/SAA7146.lib
  DEPENDS ${SAA7146_DECORATED_DEF}
  COMMENT "Import library SAA7146.lib for Microsoft's linker")
add_custom_target(saa7146_msvc_import_library ALL DEPENDS ${CMAKE_BINARY_DIR}/SAA7146.lib)

# The library as a program in this tree links it: the header and the import
# library, by the name that the installed kit's package gives it.
add_library(saa7146_linked INTERFACE)
target_include_directories(saa7146_linked INTERFACE ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(saa7146_linked INTERFACE ${CMAKE_BINARY_DIR}/libSAA7146.a)
add_dependencies(saa7146_linked saa7146_import_library)
add_library(SAA7146::SAA7146 ALIAS saa7146_linked)

# The library's objects bound to the virtual card, for the test programs.
add_library(saa7146_static STATIC $<TARGET_OBJECTS:saa7146_objects> ${SAA7146_SIM_SOURCES}
            ${SAA7146_SIM_SEAM_SOURCES} ${SAA7146_SIM_PRIVATE_SOURCE})
target_include_directories(saa7146_static PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_static PUBLIC SAA7146_STATIC)
