# Cross-builds the non-Qt parts for 64-bit Windows with Debian's mingw-w64 and runs the results
# through Wine. The -posix compilers are named explicitly: the win32-thread variant has no
# std::thread or std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Keeps the host's Linux GTest and benchmark packages out of the Windows build.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The window's Qt: the prefix tools/build-qt-windows.sh prints, given as TAMBLO_WINDOWS_QT. The files
# of Qt's static plugins look for their dependencies by absolute paths, which the root "/" leaves as
# they are.
if(TAMBLO_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH /)
  list(APPEND CMAKE_PREFIX_PATH "${TAMBLO_WINDOWS_QT}")
endif()

# Static libgcc, libstdc++ and winpthread: the programs then import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
