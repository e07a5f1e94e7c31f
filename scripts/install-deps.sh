#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages. Idempotent and quiet when
# everything is already there. Runs as root, or through sudo when available.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  mingw-w64 g++-mingw-w64-i686-posix libz-mingw-w64-dev
  zlib1g-dev libpng-dev libjpeg62-turbo-dev libgtest-dev googletest libbenchmark-dev
  wine wine32 xvfb xdotool x11-utils x11-apps imagemagick fonts-wqy-microhei
  locales dpkg-dev clang libclang-rt-14-dev python3 python3-pil python3-numpy
)

if [ "$(id -u)" -eq 0 ]; then SUDO=(); elif command -v sudo >/dev/null; then SUDO=(sudo); else
  echo "install-deps: need root or sudo to install packages" >&2; exit 1; fi

missing=()
for p in "${packages[@]}"; do
  q=$p
  [ "$p" = wine32 ] && q=wine32:i386
  dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

have_src() { grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qs '^deb-src' /etc/apt/sources.list; }

if [ ${#missing[@]} -gt 0 ] || ! have_src; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${SUDO[@]}" dpkg --add-architecture i386
  fi
  if ! have_src; then
    # Source lines mirror the binary ones already configured, so the same suites are used.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: *deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${SUDO[@]}" tee /etc/apt/sources.list.d/kelvra-src.sources >/dev/null
    elif [ -f /etc/apt/sources.list ]; then
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
        "${SUDO[@]}" tee /etc/apt/sources.list.d/kelvra-src.list >/dev/null
    fi
  fi
  echo "install-deps: installing ${missing[*]:-source lists}" >&2
  "${SUDO[@]}" apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
