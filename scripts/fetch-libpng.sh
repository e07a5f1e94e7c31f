#!/usr/bin/env bash
# Unpacks Debian's libpng source into build/deps/libpng for the static Windows build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=$root/build/deps/libpng
[ -f "$dest/CMakeLists.txt" ] && exit 0
work=$root/build/deps/libpng-download
rm -rf "$work" && mkdir -p "$work"
cd "$work"
# The security suite may list a source version it does not serve; the release suite always does.
if ! apt-get source -qq --download-only libpng1.6 >/dev/null 2>&1; then
  rm -f ./*
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  apt-get source -qq --download-only "libpng1.6/$suite" >/dev/null 2>&1
fi
tarball=$(ls libpng1.6_*.orig.tar.* | head -n 1)
mkdir -p src && tar -xf "$tarball" -C src --strip-components=1
rm -rf "$dest" && mv src "$dest"
cd "$root" && rm -rf "$work"
echo "fetch-libpng: libpng source in $dest" >&2
