#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs every test:
# the native suite plain and under the sanitizers, the Windows suites
# (32-bit and 64-bit) under Wine, and every fuzz target for a bounded time
# (NORV_FUZZ_SECONDS each, 15 by default) on its committed corpus.
#
#   scripts/test-all.sh [STEP...]   steps: native native-sanitize win32 win64 fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

steps=(native native-sanitize win32 win64 fuzz)
[ $# -gt 0 ] && steps=("$@")

status=0
for step in "${steps[@]}"; do
  echo "=== $step (at ${SECONDS}s)"
  if [ "$step" = fuzz ]; then
    scripts/fuzz.sh "${NORV_FUZZ_SECONDS:-15}" || status=1
    continue
  fi
  cmake --preset "$step" >/dev/null
  cmake --build --preset "$step"
  ctest --preset "$step" || status=1
done

echo "=== done in ${SECONDS}s"
exit $status
