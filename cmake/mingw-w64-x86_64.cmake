# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers (posix
# thread model) and finds the Windows builds of the libraries that
# scripts/build-windows.sh makes.
#
#   cmake -S . -B build-win -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake [-DQV_WINDOWS_PREFIX=DIR]
#
# QV_WINDOWS_PREFIX is the folder holding include/, lib/ and lib/pkgconfig/ of
# those libraries. Without it the environment variable of the same name is
# used, else the prefix of the newest build in the script's cache
# ($QV_WINDOWS_CACHE, default ~/.cache/qvsaver-windows, folder current/prefix).
# Programs run through Wine (CMAKE_CROSSCOMPILING_EMULATOR), so CTest runs the
# test programs there.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_TARGET}-windres)
# The "-posix" suffix hides the target prefix from CMake's guess of the
# binutils, which would otherwise fall back to the host's ar.
find_program(CMAKE_AR ${QV_MINGW_TARGET}-ar REQUIRED)
find_program(CMAKE_RANLIB ${QV_MINGW_TARGET}-ranlib REQUIRED)

if(NOT QV_WINDOWS_PREFIX)
  if(DEFINED ENV{QV_WINDOWS_PREFIX} AND NOT "$ENV{QV_WINDOWS_PREFIX}" STREQUAL "")
    set(QV_WINDOWS_PREFIX "$ENV{QV_WINDOWS_PREFIX}")
  elseif(DEFINED ENV{QV_WINDOWS_CACHE} AND NOT "$ENV{QV_WINDOWS_CACHE}" STREQUAL "")
    set(QV_WINDOWS_PREFIX "$ENV{QV_WINDOWS_CACHE}/current/prefix")
  else()
    set(QV_WINDOWS_PREFIX "$ENV{HOME}/.cache/qvsaver-windows/current/prefix")
  endif()
endif()
set(QV_WINDOWS_PREFIX "${QV_WINDOWS_PREFIX}" CACHE PATH
    "Prefix of the Windows builds of SDL2, SDL2_mixer, FLTK, libjpeg, giflib and pixman")
# try_compile() projects read this file again; hand them the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QV_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH "${QV_WINDOWS_PREFIX}" /usr/${QV_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads only the prefix's .pc files and reports the libraries a
# static link needs (Libs.private) as well.
set(ENV{PKG_CONFIG_LIBDIR} "${QV_WINDOWS_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)

# One self-contained .exe: the C++ runtime, libgcc and winpthread go in statically.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(QV_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${QV_WINE}")
endif()
