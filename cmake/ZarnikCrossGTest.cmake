# GoogleTest for the Windows cross build, compiled from Debian's sources with the same toolchain.
set(ZARNIK_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian package googletest)")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory("${ZARNIK_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/_deps/googletest" EXCLUDE_FROM_ALL)
foreach(lib gtest gtest_main gmock gmock_main)
  add_library(GTest::${lib} ALIAS ${lib})
endforeach()
