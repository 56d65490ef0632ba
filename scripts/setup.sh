#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages.
# Idempotent, and quick when all is already there. wine32 is installed on every machine:
# where the kernel runs no 32-bit x86 program, qemu-user runs its loader (scripts/win32-path.sh).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format clang-tidy libclang-rt-14-dev python3
  libgtest-dev libgmock-dev googletest libbenchmark-dev libfreeipmi-dev
  mingw-w64 mingw-w64-tools g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  libcli11-dev nlohmann-json3-dev
  wine wine32:i386 wine64 qemu-user
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
