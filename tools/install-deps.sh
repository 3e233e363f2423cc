#!/usr/bin/env bash
# Installs what building and testing need, when it is missing. Debian only.
#   tools/install-deps.sh                what ./test and ./run need
#   tools/install-deps.sh --fuzz         and clang with libFuzzer (tools/fuzz.sh)
#   tools/install-deps.sh --conformance  and the Debian packages that ship
#                                        test pictures (tools/conformance.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ make
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
  # The PNG reader's inflater, for each build: the mingw one is a static libz.a.
  zlib1g-dev libz-mingw-w64-dev
  wine wine32:i386
  # Wine's 32-bit side sees several monitors only through Xinerama, which
  # Debian's Wine merely recommends; xrandr cuts the test screen into monitors.
  libxinerama1:i386
  xvfb xauth x11-utils x11-xserver-utils
  imagemagick
  clang-format
)
for group in "$@"; do
  case $group in
  --fuzz) packages+=(clang libclang-rt-dev) ;;
  --conformance)
    packages+=(gdk-pixbuf-tests imagemagick-6-doc libsdl2-image-tests golang-golang-x-image-dev
               librust-jpeg-decoder-dev) ;;
  *) echo "usage: $0 [--fuzz] [--conformance]" >&2; exit 2 ;;
  esac
done

# Installs those of the given packages that are missing.
install_missing() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # Wine's 32-bit part lives in Debian's i386 architecture.
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# A kernel without 32-bit emulation runs the Windows tests on the x86-64
# build under 64-bit Wine (tools/windows-test-arch.sh).
if [ "$(tools/windows-test-arch.sh)" = x86_64 ]; then
  install_missing g++-mingw-w64-x86-64-win32 gcc-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev \
    binutils-mingw-w64-x86-64 wine64 libxinerama1
fi
