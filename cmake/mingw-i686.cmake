# Cross-compiling the Windows tree with mingw-w64 (x86_64, posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SIVARTA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${SIVARTA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SIVARTA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${SIVARTA_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SIVARTA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# 32-bit code cannot run on this machine: compiled and inspected only.
