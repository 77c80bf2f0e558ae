# Cross-builds the cipher and its tests for 64-bit Windows with mingw-w64 (Debian:
# g++-mingw-w64-x86-64-posix); the tests run under wine when it is installed (Debian: wine64).
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKORVEL_CIPHER_ONLY=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained .exe: no runtime DLLs to find under wine or on a user's machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(KORVEL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(KORVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVEL_WINE})
else()
    message(FATAL_ERROR "wine is needed to run the Windows tests here (Debian: wine wine64)")
endif()
