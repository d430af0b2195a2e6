enable_language(C)
# The Swiss Ephemeris for a Windows build, from its C source as the npm registry ships it
# (the package sweph carries the library's 2.10.03 source in swisseph/, the version
# Debian's libswe is). Fetched at configure time into the build folder, never committed;
# ORVENDA_SWEPH_SOURCE names a folder that already holds the source.
set(ORVENDA_SWEPH_PACKAGE "sweph@2.10.3-8" CACHE STRING "The npm package with the library's source")
set(ORVENDA_SWEPH_SOURCE "" CACHE PATH "A folder holding the Swiss Ephemeris C source (swephexp.h)")
if(NOT ORVENDA_SWEPH_SOURCE)
  set(fetched ${CMAKE_BINARY_DIR}/_deps/sweph)
  if(NOT EXISTS ${fetched}/package/swisseph/swephexp.h)
    find_program(NPM npm REQUIRED)
    file(MAKE_DIRECTORY ${fetched})
    message(STATUS "Fetching the Swiss Ephemeris source (${ORVENDA_SWEPH_PACKAGE})")
    execute_process(COMMAND ${NPM} pack ${ORVENDA_SWEPH_PACKAGE} --silent
                    WORKING_DIRECTORY ${fetched} OUTPUT_VARIABLE tarball
                    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "npm pack ${ORVENDA_SWEPH_PACKAGE} failed; set ORVENDA_SWEPH_SOURCE")
    endif()
    file(ARCHIVE_EXTRACT INPUT ${fetched}/${tarball} DESTINATION ${fetched}
         PATTERNS package/swisseph package/LICENSE)
  endif()
  set(ORVENDA_SWEPH_SOURCE ${fetched}/package/swisseph)
endif()
file(GLOB SWEPH_SOURCES ${ORVENDA_SWEPH_SOURCE}/*.c)
add_library(swe STATIC ${SWEPH_SOURCES})
target_include_directories(swe SYSTEM PUBLIC ${ORVENDA_SWEPH_SOURCE})
# The library's own code is not ours to warn about.
target_compile_options(swe PRIVATE -w)
