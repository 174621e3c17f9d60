# What the Windows build adds before our own targets (included from the top CMakeLists.txt).

# GoogleTest from Debian's sources (googletest package), built with the cross compiler: Debian has
# no mingw build of it. Its own threads are the Windows ones.
set(VORENN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows tests")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${VORENN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The test programs run under Wine, through the wrapper that keeps the test prefix.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run)
endif()

# The program's own character set stays GBK; Windows headers are asked for the W functions only
# where a platform file includes them, and never for the min/max macros.
# Linux builds optimise with -O2 (RelWithDebInfo); -O3 makes GCC 12 see uninitialised strings that
# are not there.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 UNICODE _UNICODE)

# The program's resource script (icon, version information, manifest).
enable_language(RC)

