#!/usr/bin/env bash
# Builds the release archive dist/Norvipmiprv-<version>.zip from a clean clone: the
# win32 and win64 modules (target Norvipmiprv only), the MOF files (the served classes,
# their removal, the event log subscription AlertsToEventLog.mof and its removal), the message registry
# Norvipmiprv.1.0.0.json, the install and uninstall scripts and the administrator's
# README.txt (packaging/).
#
#   scripts/package.sh
#
# The modules ship without their DWARF debug sections and COFF symbols (Windows debuggers read
# neither, nor does the loader). scripts/package_archive.py checks each module (PE machine, DLL, the five
# exported entry points) before packing and the whole archive (exact entry list, CRLF
# line ends) after; any problem makes the exit status 1. Prints the archive's path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

staging=$(mktemp -d)
trap 'rm -rf "$staging"' EXIT

declare -A triplet=([win32]=i686-w64-mingw32 [win64]=x86_64-w64-mingw32)
declare -A folder=([win32]=x86 [win64]=x64)

# True while another ninja works in build/PRESET: two builds of one tree race.
build_tree_busy() {
  local pid
  for pid in $(pgrep -x ninja || true); do
    [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$PWD/build/$1" ] && return 0
  done
  return 1
}

for preset in win32 win64; do
  echo "=== $preset: Norvipmiprv" >&2
  if build_tree_busy "$preset"; then
    echo "package: build/$preset is being built by another command; waiting (30 min at most)" >&2
    for _ in $(seq 180); do
      build_tree_busy "$preset" || break
      sleep 10
    done
  fi
  cmake --preset "$preset" >/dev/null
  # A build can also fail while someone is half-way through editing a source; try again.
  for attempt in 1 2 3 4 5 6; do
    if cmake --build --preset "$preset" --target Norvipmiprv >&2; then
      break
    fi
    if [ "$attempt" -eq 6 ]; then
      echo "package: the $preset build failed" >&2
      exit 1
    fi
    echo "package: the $preset build failed; retrying in 30 s" >&2
    sleep 30
  done
  mkdir -p "$staging/${folder[$preset]}"
  "${triplet[$preset]}-strip" --strip-all -o "$staging/${folder[$preset]}/Norvipmiprv.dll" \
    "build/$preset/src/module/Norvipmiprv.dll"
done

python3 scripts/package_archive.py --x86 "$staging/x86/Norvipmiprv.dll" \
  --x64 "$staging/x64/Norvipmiprv.dll"
