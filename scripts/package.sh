#!/usr/bin/env bash
# Builds the project's own Debian package, qvsaver_VERSION_ARCH.deb: qvtool
# and the engine in /usr/bin, the demo installed as a ready screensaver the
# way `qvtool install --system` installs one (so xscreensaver,
# xfce4-screensaver and mate-screensaver all find it), the man pages
# qvtool(1) and qvsaver(6), a copyright file and the dependencies
# dpkg-shlibdeps finds. Prints the path it wrote.
#
# Usage: scripts/package.sh [OUT_DIR]       (default: build/)
# The version is $QV_VERSION, else 0.1+gitDATE.COMMIT from the last commit.
# QV_LINTIAN=1 runs lintian on the package afterwards and fails on an error
# or a warning. QV_MAINTAINER names the maintainer ("Name <address>").
set -euo pipefail
cd "$(dirname "$0")/.."
here=$PWD
out=${1:-build}
mkdir -p "$out"
out=$(cd "$out" && pwd)

scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target qvtool qvsaver >/dev/null

if [ -n "${QV_VERSION:-}" ]; then
  version=$QV_VERSION
elif git -C "$here" rev-parse --short HEAD >/dev/null 2>&1; then
  version=0.1+git$(git -C "$here" log -1 --format=%cd --date=format:%Y%m%d).$(git -C "$here" rev-parse --short HEAD)
else
  version=0.1+$(date +%Y%m%d)
fi
arch=$(dpkg --print-architecture)
work=$(mktemp -d "${TMPDIR:-/tmp}/qvsaver-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$work/root
install -d -m 0755 "$stage"

# The programs, stripped. The demo is packed onto the stripped engine: a
# screensaver's bytes stay whole, so it cannot be stripped afterwards.
install -D -m 0755 -s build/qvtool "$stage/usr/bin/qvtool"
install -D -m 0755 -s build/qvsaver "$stage/usr/bin/qvsaver"
build/qvtool demo --engine "$stage/usr/bin/qvsaver" --out "$work/demo.scr" >/dev/null
build/qvtool install --system --root "$stage" "$work/demo.scr" >/dev/null

# Documentation: man pages, copyright, changelog, compressed as Debian wants.
install -D -m 0644 man/qvtool.1 "$stage/usr/share/man/man1/qvtool.1"
install -D -m 0644 man/qvsaver.6 "$stage/usr/share/man/man6/qvsaver.6"
gzip -9n "$stage/usr/share/man/man1/qvtool.1" "$stage/usr/share/man/man6/qvsaver.6"
doc=$stage/usr/share/doc/qvsaver
install -d -m 0755 "$doc"
install -m 0644 scripts/package/copyright "$doc/copyright"
maintainer=${QV_MAINTAINER:-"qvsaver developers <qvsaver@example.org>"}
printf 'qvsaver (%s) unstable; urgency=medium\n\n  * Built by scripts/package.sh from commit %s.\n\n -- %s  %s\n' \
  "$version" "$(git -C "$here" rev-parse --short HEAD 2>/dev/null || echo unknown)" "$maintainer" "$(date -R)" \
  >"$doc/changelog"
gzip -9n "$doc/changelog"
chmod 0644 "$doc/changelog.gz"
find "$stage" -type d -exec chmod 0755 {} +

# What the programs need, as dpkg-shlibdeps finds it (it wants a source
# package's control file beside it).
mkdir -p "$work/src/debian"
printf 'Source: qvsaver\n\nPackage: qvsaver\nArchitecture: any\n' >"$work/src/debian/control"
depends=$(cd "$work/src" && dpkg-shlibdeps -O -e"$stage/usr/bin/qvtool" -e"$stage/usr/bin/qvsaver" 2>/dev/null |
  sed -n 's/^shlibs:Depends=//p')

install -d -m 0755 "$stage/DEBIAN"
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
cat >"$stage/DEBIAN/control" <<EOF
Package: qvsaver
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $size
Depends: $depends
Section: x11
Priority: optional
Description: screensaver engine that carries its pictures, music and skin
 qvsaver plays a screensaver made of an engine and the project appended to
 it: a slideshow of still and animated pictures with transition effects,
 music and a skinned configuration window. qvtool packs, inspects, plays
 and renders such screensavers, installs them for xscreensaver,
 XSecureLock, xfce4-screensaver and mate-screensaver, and makes a Debian
 package of one.
 .
 The demo screensaver "Quiet Horizons" comes installed for every daemon.
EOF
chmod 0644 "$stage/DEBIAN/control" "$stage/DEBIAN/md5sums"

deb=$out/qvsaver_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"

if [ "${QV_LINTIAN:-0}" = 1 ]; then
  # The package is clean of errors and warnings; keep it so.
  lintian --fail-on error,warning "$deb" >&2
fi
