#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs every test:
# the native suite plain and under the sanitizers, and the Windows suites
# (32-bit and 64-bit) under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

presets=(native native-sanitize win32 win64)
[ $# -gt 0 ] && presets=("$@")

status=0
for preset in "${presets[@]}"; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" || status=1
done

exit $status
