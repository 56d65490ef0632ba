#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs every test:
# the native suite plain and under the sanitizers, the Windows suites
# (32-bit and 64-bit) under Wine, and every fuzz target for a bounded time
# (NORV_FUZZ_SECONDS each, 10 by default) on its committed corpus.
#
#   scripts/test-all.sh [STEP...]   steps: native native-sanitize win32 win64 fuzz
#
# 64-bit Windows programs always run natively under Wine's 64-bit loader. The 32-bit suite
# runs natively where the kernel executes 32-bit x86 programs, and under qemu-i386 where it
# does not (or when NORV_WIN32_EMULATE=1); emulated, the tests that start a second 32-bit
# process are skipped. The last line says which path it took and what every step skipped:
# the ctest entries, and the cases a Windows test program skipped inside an entry (it names
# them in "SKIPPED CASE:" lines and exits with the skip code, tests/support/test_main.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

steps=(native native-sanitize win32 win64 fuzz)
[ $# -gt 0 ] && steps=("$@")

# Probed once here; wine-run of the win32 build takes the answer from the environment.
NORV_WIN32_PATH=$(scripts/win32-path.sh)
export NORV_WIN32_PATH
win32_summary="the win32 suite was not run"

# The client-prefix cases run programs of Wine's (cscript, wmic, wineboot) in prefixes made
# for the run, and a Wine session that starts or ends under load has failed one of them now
# and then. When only such cases failed, they run once more (with their fixture): a second
# failure fails the step, a pass is reported. No case of our own code is ever run again.
rerun_passes() {
  local step=$1 failed=$2 name pattern=
  [ -n "$failed" ] || return 1
  for name in $failed; do
    [[ "$name" == wmi_prefix.* ]] || return 1
    pattern+="${pattern:+|}${name//./\\.}"
  done
  echo "=== $step: running $failed again"
  ctest --preset "$step" -R "^($pattern)\$"
}

status=0
failures=()
skips=()
retries=()
for step in "${steps[@]}"; do
  echo "=== $step (at ${SECONDS}s)"
  if [ "$step" = fuzz ]; then
    scripts/fuzz.sh "${NORV_FUZZ_SECONDS:-10}" || { status=1; failures+=("fuzz"); }
    continue
  fi
  cmake --preset "$step" >/dev/null
  cmake --build --preset "$step"
  log=$(mktemp)
  step_start=$SECONDS
  if ! ctest --preset "$step" | tee "$log"; then
    # ctest lists the skipped tests too, before the failed ones: read only the latter list.
    failed=$(sed -n '/tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\) .*$/\1/p' "$log" | xargs)
    if rerun_passes "$step" "$failed"; then
      retries+=("$step: $failed failed once and passed when run again (its output is above)")
    else
      status=1
      failures+=("$step: ${failed:-ctest failed}")
    fi
  fi
  skipped=$(sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*Skipped.*$/\1/p' "$log" | xargs)
  rm -f "$log"
  # ctest keeps every entry's output of its last run there, a skipped one's too.
  cases=$(sed -n 's/^SKIPPED CASE: \([^:]*\):.*$/\1/p' \
    "build/$step/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u | xargs || true)
  if [ "$step" != win32 ] && [ -n "$skipped" ]; then skips+=("$step skipped $skipped"); fi
  if [ -n "$cases" ]; then skips+=("$step skipped the cases $cases"); fi
  if [ "$step" = win32 ]; then
    if [ "$NORV_WIN32_PATH" = native ]; then
      win32_summary="the win32 suite ran natively"
    elif [ "${NORV_WIN32_EMULATE-}" = 1 ]; then
      win32_summary="the win32 suite ran under qemu-i386 (forced by NORV_WIN32_EMULATE=1)"
    else
      win32_summary="the win32 suite ran under qemu-i386 (this machine runs no 32-bit x86 program)"
    fi
    win32_summary+=" in $((SECONDS - step_start))s, skipping ${skipped:-nothing}"
    if [ -n "$skipped" ] && [ "$NORV_WIN32_PATH" != native ]; then
      win32_summary+=" (they start a second 32-bit process, or the emulator breaks them)"
    fi
  fi
done

summary=$win32_summary
for skip in "${skips[@]}"; do summary+="; $skip"; done
echo "=== done in ${SECONDS}s: $summary."
# CI keeps only the end of the output: what failed is said again here.
for retry in "${retries[@]}"; do echo "=== RAN AGAIN $retry"; done
for failure in "${failures[@]}"; do echo "=== FAILED $failure"; done
exit $status
