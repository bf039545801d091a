# The kit as users get it. cmake --install lays it out and CPack packs it
# (scripts/package makes both packages):
#
#   bin/                SAA7146.dll and dcard.exe (Linux: dcard)
#   lib/                the import libraries for mingw (libSAA7146.a) and for
#                       Microsoft's linker (SAA7146.lib), the definition files
#                       (Linux: the shared libraries and pkgconfig/saa7146.pc)
#   lib/cmake/SAA7146/  the CMake package: find_package(SAA7146 CONFIG REQUIRED)
#                       gives the imported target SAA7146::SAA7146
#   include/saa7146/    the public headers
#   share/doc/SAA7146/  the reference manual, the README and its docs/ pages
#   samples/            the sample programs and a CMake project that builds them
include(CMakePackageConfigHelpers)

set(kit_cmake_dir lib/cmake/SAA7146)
set(kit_doc_dir share/doc/SAA7146)

if(WIN32)
  # The DLL without the import library that ld made beside it: the kit's own
  # import libraries take decorated stdcall names.
  install(TARGETS saa7146_dll RUNTIME DESTINATION bin
          ARCHIVE DESTINATION lib COMPONENT ld_import_library EXCLUDE_FROM_ALL)
  install(FILES ${CMAKE_BINARY_DIR}/libSAA7146.a ${CMAKE_BINARY_DIR}/SAA7146.lib
                ${SAA7146_DEF} ${SAA7146_DECORATED_DEF} DESTINATION lib)
  set(kit_library_setup [=[
  # mingw links the GNU import library, Microsoft's tools (and clang-cl) the
  # other; both import the stdcall functions by their decorated names.
  if(MSVC OR CMAKE_C_SIMULATE_ID STREQUAL "MSVC" OR CMAKE_CXX_SIMULATE_ID STREQUAL "MSVC")
    set(_saa7146_import_library "${_saa7146_prefix}/lib/SAA7146.lib")
  else()
    set(_saa7146_import_library "${_saa7146_prefix}/lib/libSAA7146.a")
  endif()
  set_target_properties(SAA7146::SAA7146 PROPERTIES
    IMPORTED_LOCATION "${_saa7146_prefix}/bin/SAA7146.dll"
    IMPORTED_IMPLIB "${_saa7146_import_library}")
  unset(_saa7146_import_library)]=])
  if(SAA7146_WIDE)
    set(kit_system win64)
  else()
    set(kit_system win32)
  endif()
  set(CPACK_GENERATOR ZIP)
else()
  # The card library and the system library under it (the stand-in for
  # Windows with the virtual card), each finding the other beside itself.
  install(TARGETS saa7146 saa7146_system LIBRARY DESTINATION lib)
  set_target_properties(dcard PROPERTIES INSTALL_RPATH "$ORIGIN/../lib")
  set(kit_library_setup [=[
  # The system library (the Windows functions the library and a capture host
  # call) is linked too, as a Windows program links the system's DLLs.
  set_target_properties(SAA7146::SAA7146 PROPERTIES
    IMPORTED_LOCATION "${_saa7146_prefix}/lib/libsaa7146.so"
    IMPORTED_SONAME "libsaa7146.so"
    INTERFACE_LINK_LIBRARIES "${_saa7146_prefix}/lib/libsaa7146_system.so")]=])
  configure_file(${CMAKE_CURRENT_LIST_DIR}/kit/saa7146.pc.in
                 ${CMAKE_BINARY_DIR}/kit/saa7146.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/kit/saa7146.pc DESTINATION lib/pkgconfig)
  if(SAA7146_WIDE)
    set(kit_system linux-x86_64)
  else()
    set(kit_system linux-i386)
  endif()
  set(CPACK_GENERATOR TGZ)
endif()
install(TARGETS dcard RUNTIME DESTINATION bin)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/saa7146 DESTINATION include)

# The CMake package. Its version file turns away a consumer of the other
# width (a 64-bit build finds no 32-bit kit).
configure_file(${CMAKE_CURRENT_LIST_DIR}/kit/SAA7146Config.cmake.in
               ${CMAKE_BINARY_DIR}/kit/SAA7146Config.cmake @ONLY)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/kit/SAA7146ConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/kit/SAA7146Config.cmake
              ${CMAKE_BINARY_DIR}/kit/SAA7146ConfigVersion.cmake DESTINATION ${kit_cmake_dir})

# The samples with the project file that builds them against the kit.
install(FILES ${CMAKE_SOURCE_DIR}/samples/CMakeLists.txt ${CMAKE_SOURCE_DIR}/samples/grab_frame.c
              ${CMAKE_SOURCE_DIR}/samples/load_at_run_time.c
              ${CMAKE_SOURCE_DIR}/samples/capture_host.c DESTINATION samples)

# The reference manual (the Doxygen comments of the headers), built with the
# library; a warning fails the build, as in scripts/docs.
find_program(DOXYGEN doxygen REQUIRED)
set(manual ${CMAKE_BINARY_DIR}/reference)
file(GLOB manual_inputs ${CMAKE_SOURCE_DIR}/include/saa7146/*.h)
add_custom_command(
  OUTPUT ${manual}/html/index.html
  COMMAND ${CMAKE_COMMAND} -DDOXYGEN=${DOXYGEN} -DSOURCE=${CMAKE_SOURCE_DIR} -DOUTPUT=${manual}
          -P ${CMAKE_CURRENT_LIST_DIR}/kit/reference_manual.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/Doxyfile ${CMAKE_SOURCE_DIR}/docs/reference.md ${manual_inputs}
          ${CMAKE_CURRENT_LIST_DIR}/kit/reference_manual.cmake
  COMMENT "The reference manual")
add_custom_target(reference_manual ALL DEPENDS ${manual}/html/index.html)
install(DIRECTORY ${manual}/html/ DESTINATION ${kit_doc_dir}/reference)
# The README with the pages and pictures it links to, where its links find them.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${kit_doc_dir})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/ DESTINATION ${kit_doc_dir}/docs
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")

set(CPACK_PACKAGE_NAME SAA7146)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME SAA7146-${PROJECT_VERSION}-${kit_system})
set(CPACK_STRIP_FILES ON)
include(CPack)
