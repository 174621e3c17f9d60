# Cross-compiling the Windows program with Debian's mingw-w64 (the posix thread model, which
# std::thread and std::mutex need). Everything is linked statically, so vorenn.exe runs from a
# double-click without the compiler's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORENN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VORENN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VORENN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VORENN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORENN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# winpthread comes in as a static archive only when the whole link is static.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
