# Cross-builds the core, vemsync and the tests for 64-bit Windows with
# Debian's mingw-w64 (g++-mingw-w64-x86-64-posix: C++ threads need the
# posix flavour). Wine, when installed, runs what the build runs (test
# discovery) and what CTest runs.
#
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DVEM_GUI=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEM_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VEM_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program is one .exe that needs no runtime DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(VEM_WINE_PROGRAM wine)
if(VEM_WINE_PROGRAM)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VEM_WINE_PROGRAM})
endif()
