#!/bin/sh
# Makes sure the Debian packages that the build needs are present. As root it
# installs what is missing with apt-get; otherwise it names the missing
# packages and fails.
set -u

missing=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

command -v cmake >/dev/null 2>&1 || missing="$missing cmake"
command -v c++ >/dev/null 2>&1 || command -v g++ >/dev/null 2>&1 || missing="$missing g++"
command -v ninja >/dev/null 2>&1 || missing="$missing ninja-build"
# KSPARSE_CROSS=windows or arm: the cross compiler and the emulator that
# runs its test programs.
case "${KSPARSE_CROSS:-}" in
  windows) cross="mingw-w64 wine64" ;;
  arm) cross="g++-arm-linux-gnueabihf qemu-user" ;;
  *) cross="" ;;
esac
for pkg in libgtest-dev libbenchmark-dev $cross; do
  have_pkg "$pkg" || missing="$missing $pkg"
done
# Extra packages asked for by the caller (for example the CI's reference
# decoders) are installed when possible but never required.
optional="${KSPARSE_OPTIONAL_PACKAGES:-}"
opt_missing=""
for pkg in $optional; do
  have_pkg "$pkg" || opt_missing="$opt_missing $pkg"
done

[ -z "$missing$opt_missing" ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null 2>&1; then
  echo "installing:$missing$opt_missing" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >/dev/null 2>&1 || true
  if [ -n "$missing" ]; then
    apt-get install -y -qq $missing >/dev/null || { echo "error: could not install:$missing" >&2; exit 1; }
  fi
  if [ -n "$opt_missing" ]; then
    apt-get install -y -qq $opt_missing >/dev/null || echo "note: optional packages not installed:$opt_missing" >&2
  fi
  exit 0
fi

if [ -n "$missing" ]; then
  echo "error: missing Debian packages:$missing" >&2
  echo "install them with: sudo apt-get install$missing" >&2
  exit 1
fi
echo "note: optional packages not installed:$opt_missing" >&2
exit 0
