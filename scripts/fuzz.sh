#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer in build/fuzz and runs each one for a
# while on its corpus:
#   scripts/fuzz.sh [SECONDS] [TARGET...]     (default: 30 seconds, every fuzz/*_fuzz.cpp)
# New inputs go to build/fuzz/corpus/<target>/ (the committed seeds in fuzz/corpus/ are
# only read), libFuzzer's output to build/fuzz/logs/<target>.log; a crashing input is
# written to build/fuzz/artifacts/ and the script fails.
# Copy an input worth keeping into fuzz/corpus/<target>/ so that ctest replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=30
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

build=build/fuzz
# fuzzer-no-link gives the libraries coverage instrumentation; NORV_SANITIZE adds
# AddressSanitizer and UndefinedBehaviorSanitizer everywhere.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNORV_BUILD_BENCH=OFF -DNORV_SANITIZE=ON -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target "${targets[@]}"

# One target per processor at a time: each still gets its whole time, the step ends sooner.
jobs=$(nproc)
run_target() {
  local target=$1 work="$build/corpus/$1" log="$build/logs/$1.log"
  mkdir -p "$work" "$build/artifacts" "$build/logs"
  local options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  # libFuzzer's progress lines go to a log: a crash prints its end, a clean run one line.
  if "$build/fuzz/$target" "${options[@]}" "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
    echo "=== $target: ${seconds}s, $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") runs, no fault"
  else
    tail -n 40 "$log"
    echo "=== $target: FAILED (whole output in $log)"
    return 1
  fi
}

status=0
rm -rf "$build/results"
mkdir -p "$build/results"
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  (run_target "$target" >"$build/results/$target" 2>&1 || touch "$build/results/$target.failed") &
done
wait
# Each target's lines in the order of the list, whatever order they ended in.
for target in "${targets[@]}"; do
  cat "$build/results/$target"
  if [ -e "$build/results/$target.failed" ]; then status=1; fi
done
rm -rf "$build/results"
exit $status
