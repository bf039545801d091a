# Linux i386: the library over the stand-in and the virtual card.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)
find_package(Threads REQUIRED)

add_library(saa7146_objects OBJECT
  ${SAA7146_LIBRARY_SOURCES} ${SAA7146_STANDIN_SOURCES} ${SAA7146_SIM_SOURCES}
  ${SAA7146_SIM_SEAM_SOURCES})
target_include_directories(saa7146_objects PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_objects PRIVATE SAA7146_BUILDING_LIBRARY)

# Everything in one archive, for tests that reach inside.
add_library(saa7146_static STATIC $<TARGET_OBJECTS:saa7146_objects>)
target_include_directories(saa7146_static PUBLIC ${SAA7146_INCLUDE_DIRS})
target_compile_definitions(saa7146_static PUBLIC SAA7146_STATIC)
target_link_libraries(saa7146_static PUBLIC Threads::Threads)

if(SAA7146_FUZZ)
  return() # the fuzz targets link the archive; the shared library has no place there
endif()

# The shared library exports the card interface only.
add_library(saa7146 SHARED $<TARGET_OBJECTS:saa7146_objects>)
target_include_directories(saa7146 PUBLIC ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(saa7146 PRIVATE Threads::Threads)
target_link_options(saa7146 PRIVATE -Wl,--no-undefined)
