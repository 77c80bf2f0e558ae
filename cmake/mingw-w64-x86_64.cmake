# Cross-builds for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix); the tests
# run under wine (Debian: wine64).
# The cipher alone, as one self-contained .exe per program:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKORVEL_CORE_ONLY=ON
# With Qt, through the cross-built Qt's qt-cmake, which chains this file
# (scripts/build-qt-windows.sh, scripts/windows-package.sh); there KORVEL_MINGW_SHARED_RUNTIME=ON
# links the mingw runtime as DLLs, the same ones the Qt DLLs use.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The static libcrypto of scripts/build-openssl-windows.sh, given as -DOPENSSL_ROOT_DIR=... with
# -DOPENSSL_USE_STATIC_LIBS=TRUE. Libraries are looked for only under the find roots, so it is
# one. What it imports comes from ws2_32 and crypt32, which FindOpenSSL adds to OpenSSL::Crypto,
# and from advapi32 and user32, which every mingw program links. (Built with mingw, it takes its
# random numbers from CryptGenRandom, not from bcrypt.)
if(OPENSSL_ROOT_DIR)
    list(APPEND CMAKE_FIND_ROOT_PATH ${OPENSSL_ROOT_DIR})
endif()

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KORVEL_MINGW_SHARED_RUNTIME OPENSSL_ROOT_DIR)
if(NOT KORVEL_MINGW_SHARED_RUNTIME)
    # One self-contained .exe: no runtime DLLs to find under wine or on a user's machine.
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

find_program(KORVEL_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(KORVEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KORVEL_WINE})
else()
    message(FATAL_ERROR "wine is needed to run the Windows tests here (Debian: wine wine64)")
endif()
