#!/usr/bin/env bash
# Builds the Windows (x86_64, MinGW-w64) libraries the engine links: libjpeg-turbo,
# giflib, pixman, SDL2, SDL2_mixer, FLTK (with its own copies of libpng and zlib,
# which qvtool writes PNG files with and the engine reads PNG pictures with),
# lcms2 and libwebp with libwebpdemux, static, from Debian's source packages
# (with Debian's patches where the registry serves the whole source package, so
# the Windows build runs the code the Linux build links), and GoogleTest for the
# tests from the sources Debian's googletest package installs.
# scripts/build-windows.sh runs this first, then builds the programs.
#
# The sources and the built libraries live in a cache outside the build tree,
# ${QV_WINDOWS_CACHE:-$HOME/.cache/qvsaver-windows}, in a folder keyed by the
# sources, the toolchain and this script with its helper files, so a second run
# builds nothing. The newest build is linked as <cache>/current; its prefix is
# what cmake/mingw-w64-x86_64.cmake finds by default.
#
# Usage: scripts/build-windows-libraries.sh
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$here/cmake/mingw-w64-x86_64.cmake
cache=${QV_WINDOWS_CACHE:-$HOME/.cache/qvsaver-windows}
mkdir -p "$cache"
cache=$(cd "$cache" && pwd)
jobs=2
target=x86_64-w64-mingw32

say() { echo "build-windows: $*"; }
die() { echo "build-windows: $*" >&2; exit 1; }

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

# --- Debian packages -------------------------------------------------------

packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 nasm googletest
  cmake ninja-build pkg-config make xz-utils dpkg-dev patch
  xvfb xauth xdotool
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

apt_updated=0
apt_update() {
  [ $apt_updated -eq 1 ] && return 0
  "${sudo_cmd[@]}" apt-get update -qq
  apt_updated=1
}

if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Source entries only (Types: deb-src): the binary packages apt installs keep
# coming from the configured bookworm entries. trixie is read for fltk1.3 alone,
# since bookworm's fltk1.3 sources are not served.
src_list=/etc/apt/sources.list.d/qvsaver-windows-src.sources
mirror=$(awk '$1 == "URIs:" && $2 !~ /security/ { print $2; exit }' \
  /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
src_entry="Types: deb-src
URIs: ${mirror:-http://deb.debian.org/debian}
Suites: bookworm trixie
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
if [ "$(cat "$src_list" 2>/dev/null)" != "$src_entry" ]; then
  say "adding source entries in $src_list"
  printf '%s\n' "$src_entry" | "${sudo_cmd[@]}" tee "$src_list" >/dev/null
  apt_updated=0
  apt_update
fi

# --- sources ---------------------------------------------------------------

# name, Debian source package, suite, upstream version; suite "-" is a package
# that installs its sources under /usr/src.
deps=(
  "libjpeg-turbo libjpeg-turbo bookworm 2.1.5"
  "giflib giflib bookworm 5.2.1"
  "pixman pixman bookworm 0.42.2"
  "SDL2 libsdl2 bookworm 2.26.5"
  "SDL2_mixer libsdl2-mixer bookworm 2.6.2"
  "FLTK fltk1.3 trixie 1.3.11"
  "lcms2 lcms2 bookworm 2.14"
  "libwebp libwebp bookworm 1.2.4"
  "GoogleTest googletest - 1.12.1"
)

mkdir -p "$cache/sources"
exec 9>"$cache/lock"
flock 9

# The files of every source package, as the local package lists name them
# (nothing is downloaded): lines of "package file".
list_sources() {
  local d name pkg suite version wanted=()
  for d in "${deps[@]}"; do
    read -r name pkg suite version <<<"$d"
    [ "$suite" = - ] || wanted+=("$pkg/$suite")
  done
  apt-get source --print-uris -qq "${wanted[@]}" 2>/dev/null | awk '{ print $2 }' |
    while read -r f; do
      for d in "${deps[@]}"; do
        read -r name pkg suite version <<<"$d"
        case "$f" in "${pkg}_"*) echo "$pkg $f" ;; esac
      done
    done
}
# True when the lists name every source package (they may be missing or
# older than the source entries).
lists_complete() {
  local d name pkg suite version
  for d in "${deps[@]}"; do
    read -r name pkg suite version <<<"$d"
    [ "$suite" = - ] || grep -q "^$pkg " <<<"$source_list" || return 1
  done
}
source_list=$(list_sources || true)
if ! lists_complete; then
  apt_update
  source_list=$(list_sources || true)
fi
files_of() { awk -v p="$1" '$1 == p { print $2 }' <<<"$source_list"; }

apt_source_opts=(-qq --download-only)
# apt drops to its own user for downloads, which cannot write into a private
# home folder; as root it would say so on every package.
[ "$(id -u)" -eq 0 ] && apt_source_opts+=(-o APT::Sandbox::User=root)

# Per dependency: its upstream tarball, and the files to unpack from (the
# Debian source package when every part of it came, so Debian's patches apply;
# else the upstream tarball alone).
declare -A orig unpack_from
for d in "${deps[@]}"; do
  read -r name pkg suite version <<<"$d"
  if [ "$suite" = - ]; then
    installed=$(dpkg-query -W -f='${Version}' "$pkg")
    case "$installed" in "$version"*) ;; *) die "$pkg $installed is installed; this script builds $version" ;; esac
    unpack_from[$name]=/usr/src/$pkg
    continue
  fi
  files=$(files_of "$pkg")
  [ -n "$files" ] || die "the $suite source lists name no $pkg; is $src_list read?"
  o=$(grep -E '\.orig\.tar\.[a-z0-9]+$' <<<"$files" | head -n1)
  dsc=$(grep -E '\.dsc$' <<<"$files" | head -n1)
  case "$o" in "${pkg}_${version}"*) ;; *)
    die "$suite offers $o for $pkg; this script builds $version" ;;
  esac
  complete=1
  while read -r f; do [ -f "$cache/sources/$f" ] || complete=0; done <<<"$files"
  # A part that the registry did not serve last time is not asked for again.
  marker=$cache/sources/$dsc.fetched
  if [ $complete -eq 0 ] && ! { [ -f "$marker" ] && [ -f "$cache/sources/$o" ]; }; then
    say "fetching the $pkg sources ($suite)"
    apt_update
    # apt fails when a part is not served, though what we need may have come.
    (cd "$cache/sources" && apt-get source "${apt_source_opts[@]}" "$pkg/$suite" >/dev/null 2>&1) || true
    touch "$marker"
    complete=1
    while read -r f; do [ -f "$cache/sources/$f" ] || complete=0; done <<<"$files"
  fi
  [ -f "$cache/sources/$o" ] || die "$o did not come from the $suite sources"
  orig[$name]=$cache/sources/$o
  if [ $complete -eq 1 ]; then
    unpack_from[$name]=$cache/sources/$dsc
  else
    unpack_from[$name]=$cache/sources/$o
  fi
done

# --- cache key -------------------------------------------------------------

key_text() {
  local d name pkg suite version f
  for d in "${deps[@]}"; do
    read -r name pkg suite version <<<"$d"
    if [ "$suite" = - ]; then
      dpkg-query -W -f='source ${Package} ${Version}\n' "$pkg"
    elif [[ ${unpack_from[$name]} == *.dsc ]]; then
      for f in $(files_of "$pkg"); do
        echo "source $f $(sha256sum <"$cache/sources/$f" | cut -d' ' -f1)"
      done
    else
      f=${orig[$name]}
      echo "source $(basename "$f") $(sha256sum <"$f" | cut -d' ' -f1)"
    fi
  done
  dpkg-query -W -f='package ${Package} ${Version}\n' \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev cmake nasm
  echo "compiler $($target-gcc-posix --version | head -n1)"
  (cd "$here" && find scripts/build-windows-libraries.sh cmake/mingw-w64-x86_64.cmake cmake/windows \
     -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum | sed 's/^/file /')
}
keytext=$(key_text)
key=$(printf '%s\n' "$keytext" | sha256sum | cut -c1-16)
keydir=$cache/$key
prefix=$keydir/prefix
mkdir -p "$keydir/logs" "$keydir/stamps" "$prefix"
printf '%s\n' "$keytext" >"$keydir/key.txt"

# --- builds ----------------------------------------------------------------

cmake_build() { # source-dir build-dir [cmake options...]
  local src=$1 build=$2
  shift 2
  cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQV_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    "$@"
  cmake --build "$build" -j"$jobs"
  cmake --install "$build"
}

build_libjpeg_turbo() {
  cmake_build src build -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DREQUIRE_SIMD=ON -DCMAKE_ASM_NASM_COMPILER=nasm
}

build_giflib() {
  cmake_build "$here/cmake/windows/giflib" build -DGIFLIB_SOURCE_DIR="$PWD/src"
}

build_pixman() {
  mkdir -p build
  (cd build && ../src/configure --host=$target --prefix="$prefix" \
     --disable-shared --enable-static --disable-gtk --disable-libpng --disable-openmp \
     CC=$target-gcc-posix CFLAGS="-O2")
  make -C build/pixman -j"$jobs"
  make -C build/pixman install
  make -C build install-pkgconfigDATA
}

build_SDL2() {
  # Video, render, audio, events, threads and timers are what the engine
  # uses; the game-input subsystems stay out.
  cmake_build src build -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_STATIC_PIC=OFF \
    -DSDL_TEST=OFF -DSDL_CCACHE=OFF \
    -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF -DSDL_SENSOR=OFF \
    -DSDL_VULKAN=OFF -DSDL_OPENGLES=OFF
  # As on Linux, pkg-config gives a plain library: SDL's own entry point
  # (-Dmain=SDL_main with SDL2main) and the GUI subsystem (-mwindows) are left
  # to the program; libSDL2main.a stays in the prefix for whoever wants it.
  awk '
    /^Cflags:/ { sub(/ *-Dmain=SDL_main/, "") }
    /^Libs:/ {
      line = $1; delete seen
      for (i = 2; i <= NF; i++) {
        if ($i == "-lmingw32" || $i == "-mwindows" || $i == "-lSDL2main" || seen[$i]++) continue
        line = line " " $i
      }
      $0 = line
    }
    { print }' "$prefix/lib/pkgconfig/sdl2.pc" >sdl2.pc
  mv sdl2.pc "$prefix/lib/pkgconfig/sdl2.pc"
}

build_SDL2_mixer() {
  cmake_build src build -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF \
    -DSDL2MIXER_CMD=OFF -DSDL2MIXER_WAVE=ON -DSDL2MIXER_VORBIS=STB \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_DRFLAC=ON -DSDL2MIXER_FLAC_LIBFLAC=OFF \
    -DSDL2MIXER_MIDI=ON -DSDL2MIXER_MIDI_NATIVE=ON -DSDL2MIXER_MIDI_TIMIDITY=OFF \
    -DSDL2MIXER_MIDI_FLUIDSYNTH=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_OPUS=OFF
  # The library writes a .pc file for shared builds only.
  cat >"$prefix/lib/pkgconfig/SDL2_mixer.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_mixer
Description: mixer library for Simple DirectMedia Layer (static, Windows)
Version: 2.6.2
Requires: sdl2
Libs: -L\${libdir} -lSDL2_mixer -lwinmm
Cflags: -I\${includedir}/SDL2
EOF
}

build_FLTK() {
  # Only the core library is built and installed (no OpenGL, images, forms,
  # fluid or demos), and FLTK's own libpng and zlib, whose names it prefixes
  # so they never meet another copy; their headers carry the prefixes, so
  # code built against them finds them as plain libpng and zlib.
  cmake -S src -B build -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQV_WINDOWS_PREFIX="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DOPTION_BUILD_SHARED_LIBS=OFF -DOPTION_USE_GL=OFF -DFLTK_BUILD_TEST=OFF \
    -DFLTK_BUILD_EXAMPLES=OFF -DOPTION_BUILD_HTML_DOCUMENTATION=OFF \
    -DOPTION_BUILD_PDF_DOCUMENTATION=OFF -DOPTION_CAIRO=OFF \
    -DOPTION_USE_SYSTEM_LIBJPEG=OFF -DOPTION_USE_SYSTEM_LIBPNG=OFF -DOPTION_USE_SYSTEM_ZLIB=OFF
  cmake --build build -j"$jobs" --target fltk fltk_png fltk_z
  mkdir -p "$prefix/include/FL" "$prefix/lib"
  cp src/FL/*.H src/FL/*.h build/FL/abi-version.h "$prefix/include/FL/"
  cp build/lib/libfltk.a "$prefix/lib/"
  cp src/png/png.h src/png/pngconf.h src/png/pnglibconf.h src/zlib/zlib.h src/zlib/zconf.h "$prefix/include/"
  cp build/lib/libfltk_png.a "$prefix/lib/libpng.a"
  cp build/lib/libfltk_z.a "$prefix/lib/libz.a"
}

build_lcms2() {
  # The library, its headers and lcms2.pc; the colour tools stay out. Built
  # static, its header declares the functions without dllimport as long as
  # CMS_DLL is not defined. On Windows it locks with the system's own
  # critical sections and mutexes.
  mkdir -p build
  (cd build && ../src/configure --host=$target --prefix="$prefix" \
     --disable-shared --enable-static --without-jpeg --without-tiff --without-zlib \
     CC=$target-gcc-posix CFLAGS="-O2")
  make -C build/src -j"$jobs"
  make -C build/src install
  make -C build/include install
  make -C build install-pkgconfigDATA
  # Its .pc file asks for -lpthread, unused on Windows, which CMake's
  # pkg_check_modules would turn into the import library of the winpthread
  # DLL: the program would then need that DLL or, as static C++, meet the
  # static copy the C++ runtime brings and not link.
  sed -i '/^Libs.private:/s/ *-lpthread//' "$prefix/lib/pkgconfig/lcms2.pc"
}

build_libwebp() {
  # libwebp (with this version's sharpyuv inside it, not a library of its
  # own) and libwebpdemux, which reads the ICCP and EXIF chunks and the
  # frames of animated files; libwebpdecoder comes along. Its threads are
  # Windows' own, so the .pc files need no more libraries.
  cmake_build src build -DBUILD_SHARED_LIBS=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF
  # pkg-config is how the engine finds it; the CMake package files would name
  # this build's folder of the cache.
  rm -rf "$prefix/share/WebP"
}

build_GoogleTest() {
  cmake_build src build -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}

# The .pc files name their folder relative to themselves, so build trees that
# reach the prefix through <cache>/current keep working when the key changes.
relocate_pc_files() {
  local f
  for f in "$prefix"/lib/pkgconfig/*.pc; do
    [ -f "$f" ] && sed -i "s|$prefix|\${pcfiledir}/../..|g" "$f"
  done
  rm -f "$prefix"/lib/*.la
}

total_start=$EPOCHREALTIME
built=()
for d in "${deps[@]}"; do
  read -r name pkg suite version <<<"$d"
  stamp=$keydir/stamps/$name
  [ -f "$stamp" ] && continue
  log=$keydir/logs/$name.log
  work=$keydir/work/$name
  rm -rf "$work"
  mkdir -p "$work"
  say "building $name $version (log: $log)"
  start=$EPOCHREALTIME
  # Not an "if" condition: bash would ignore set -e inside it.
  set +e
  (
    set -euo pipefail
    cd "$work"
    from=${unpack_from[$name]}
    if [ -d "$from" ]; then
      echo "building from $from"
      ln -s "$from" src
    elif [[ $from == *.dsc ]]; then
      echo "unpacking $from with Debian's changes"
      dpkg-source -x "$from" src
    else
      echo "unpacking $from"
      mkdir src
      tar -xf "$from" -C src --strip-components=1
    fi
    "build_${name//-/_}"
    relocate_pc_files
  ) >"$log" 2>&1
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "build-windows: building $name failed; the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  seconds=$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  echo "$seconds" >"$stamp"
  built+=("$name")
  say "  $name: $seconds s"
  rm -rf "$work"
done
rmdir "$keydir/work" 2>/dev/null || true

ln -sfn "$key" "$cache/current"

if [ ${#built[@]} -eq 0 ]; then
  times=()
  for d in "${deps[@]}"; do
    read -r name pkg suite version <<<"$d"
    times+=("$name $(cat "$keydir/stamps/$name") s")
  done
  say "cache warm ($keydir): nothing to build"
  say "  (built earlier: $(IFS=,; echo "${times[*]}" | sed 's/,/, /g'))"
else
  total=$(awk -v a="$total_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.1f", b - a }')
  say "built ${built[*]} in $total s"
fi
say "prefix: $prefix (also $cache/current/prefix)"
say "configure with: cmake -S $here -B BUILD -G Ninja -DCMAKE_TOOLCHAIN_FILE=$toolchain -DQV_WINDOWS_PREFIX=$cache/current/prefix"
# For scripts that build on top: the prefix of this build.
if [ -n "${QV_WINDOWS_PREFIX_FILE:-}" ]; then echo "$prefix" >"$QV_WINDOWS_PREFIX_FILE"; fi
