# Linux (i386, or x86-64 as a test vehicle): the library over the stand-in and the virtual card.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
find_package(Threads REQUIRED)

# The system underneath: the stand-in for Windows and the virtual card. Its
# API is the Windows API, open to the library and to programs alike, as the
# system's DLLs are on Windows.
add_library(saa7146_system_objects OBJECT
  ${SAA7146_STANDIN_SOURCES} ${SAA7146_SIM_SOURCES} ${SAA7146_SIM_SEAM_SOURCES})
target_include_directories(saa7146_system_objects PUBLIC ${SAA7146_INCLUDE_DIRS})

# The library's resources: compiled from the same script as for Windows and
# embedded, with the loader's part that hands them to the stand-in.
find_program(SAA7146_WINDRES NAMES i686-w64-mingw32-windres windres REQUIRED)
set(resource_file ${CMAKE_BINARY_DIR}/saa7146.res)
set(resource_source ${CMAKE_BINARY_DIR}/module_resources.cpp)
add_custom_command(
  OUTPUT ${resource_source}
  COMMAND ${SAA7146_WINDRES} -O res -I ${CMAKE_SOURCE_DIR}/src/resources
          -I ${SAA7146_GENERATED_DIR} -o ${resource_file} ${SAA7146_RESOURCE_SCRIPT}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${resource_file} -DOUTPUT=${resource_source}
          -P ${CMAKE_SOURCE_DIR}/cmake/embed_resources.cmake
  DEPENDS ${SAA7146_RESOURCE_SCRIPT} ${CMAKE_SOURCE_DIR}/src/resources/resource_ids.h
          ${CMAKE_SOURCE_DIR}/src/resources/version.rc ${SAA7146_GENERATED_DIR}/saa7146_version.h
          ${CMAKE_SOURCE_DIR}/cmake/embed_resources.cmake
  COMMENT "Resources of the library")

# The library: only the card interface is visible.
add_library(saa7146_objects OBJECT ${SAA7146_LIBRARY_SOURCES} ${resource_source}
            src/platform/posix/library_loader.cpp)
target_include_directories(saa7146_objects PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_objects PRIVATE SAA7146_BUILDING_LIBRARY)
set_target_properties(saa7146_objects PROPERTIES CXX_VISIBILITY_PRESET hidden
                      VISIBILITY_INLINES_HIDDEN ON)

# Everything in one archive, for tests that reach inside.
add_library(saa7146_static STATIC $<TARGET_OBJECTS:saa7146_objects>
            $<TARGET_OBJECTS:saa7146_system_objects> ${SAA7146_SIM_PRIVATE_SOURCE})
target_include_directories(saa7146_static PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_static PUBLIC SAA7146_STATIC)
target_link_libraries(saa7146_static PUBLIC Threads::Threads)
# A program linked with the archive loads the library's module as well.
target_link_options(saa7146_static INTERFACE -Wl,--undefined=saa7146ModuleLoader)

if(SAA7146_FUZZ)
  return() # the fuzz targets link the archive; the shared libraries have no place there
endif()

add_library(saa7146_system SHARED $<TARGET_OBJECTS:saa7146_system_objects>
            ${SAA7146_SIM_SHARED_SOURCE})
target_include_directories(saa7146_system PRIVATE ${SAA7146_INCLUDE_DIRS})
target_link_libraries(saa7146_system PRIVATE Threads::Threads)
# The system's libraries stay for the life of the process, as Windows' own do:
# unloading the card library never takes the system underneath with it.
target_link_options(saa7146_system PRIVATE -Wl,--no-undefined -Wl,-z,nodelete)

# The shared library exports the card interface only.
add_library(saa7146 SHARED $<TARGET_OBJECTS:saa7146_objects>)
target_include_directories(saa7146 PUBLIC ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(saa7146 PUBLIC saa7146_system PRIVATE Threads::Threads)
target_link_options(saa7146 PRIVATE -Wl,--no-undefined)
# Installed, each finds the system library beside itself.
set_target_properties(saa7146 PROPERTIES INSTALL_RPATH "$ORIGIN")
# A program in this tree links it by the name the installed kit's package
# gives it.
add_library(SAA7146::SAA7146 ALIAS saa7146)
