# Cross-building for Windows x64 with Debian's MinGW-w64 (posix threads) and
# the Qt SDK that tools/windows/sdk.sh unpacks:
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-toolchain.cmake
#
# The SDK is looked for in -DQT6_MINGW64_PREFIX, then $QT6_MINGW64_PREFIX, then
# $VESTAN_WINSDK/qt6-mingw64, then ~/.cache/vestan/winsdk/qt6-mingw64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw}-windres)
set(CMAKE_AR ${_mingw}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_mingw}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${_mingw}-strip CACHE FILEPATH "")

if(NOT QT6_MINGW64_PREFIX)
    if(DEFINED ENV{QT6_MINGW64_PREFIX})
        set(QT6_MINGW64_PREFIX "$ENV{QT6_MINGW64_PREFIX}")
    elseif(DEFINED ENV{VESTAN_WINSDK})
        set(QT6_MINGW64_PREFIX "$ENV{VESTAN_WINSDK}/qt6-mingw64")
    else()
        set(QT6_MINGW64_PREFIX "$ENV{HOME}/.cache/vestan/winsdk/qt6-mingw64")
    endif()
endif()
# try_compile() projects read this file again; they get the same place.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QT6_MINGW64_PREFIX)

# Libraries, headers and packages from the MinGW sysroot and the SDK only;
# programs (moc, rcc, rsvg-convert) from the Linux host.
set(CMAKE_FIND_ROOT_PATH /usr/${_mingw} ${QT6_MINGW64_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host's Qt tools are the same version (6.4.2).
if(NOT QT_HOST_PATH)
    set(QT_HOST_PATH /usr CACHE PATH "Host Qt prefix")
endif()
if(NOT QT_HOST_PATH_CMAKE_DIR)
    set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Host Qt CMake dir")
endif()

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(_wine NAMES wine wine64)
    if(_wine)
        set(CMAKE_CROSSCOMPILING_EMULATOR ${_wine})
    endif()
endif()
