#!/usr/bin/env bash
# Builds the native and win64 presets and runs every benchmark, three repetitions each, with
# the results as JSON in build/bench-results/. A whole run takes about three minutes,
# most of it the cold enumerations (each waits 2.1 s for the DLL's caches to go
# stale). Run it when no Windows tests run: they share the win64 build's Wine prefix.
#   bench/run.sh [extra Google Benchmark flags, e.g. --benchmark_filter=LogRefresh]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
results=build/bench-results
repetitions=3

cmake --preset native >/dev/null
cmake --build --preset native --target core_bench dll_enum_bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target dll_enum_timer
mkdir -p "$results"

echo "== $(uptime)"
build/native/bench/core_bench --benchmark_repetitions=$repetitions \
  --benchmark_min_time=0.2 --benchmark_out="$results/core_bench.json" \
  --benchmark_out_format=json "$@"

# The win64 prefix is made once (slowly) on first use; a prefix made here is left as ctest
# leaves it, with no server running.
wine_run=build/win64/wine-run
if [ ! -f build/win64/wineprefix/system.reg ]; then
  "$wine_run" --start
  "$wine_run" --stop
fi
echo "== $(uptime)"
NORV_BENCH_WINE_RUN="$root/$wine_run" \
NORV_BENCH_DLL_TIMER="$root/build/win64/src/host/dll_enum_timer.exe" \
NORV_BENCH_DLL_ROUNDS=$repetitions \
  build/native/bench/dll_enum_bench --benchmark_repetitions=$repetitions \
  --benchmark_out="$results/dll_enum_bench.json" --benchmark_out_format=json "$@"
# The big server once, with fewer samples, to show how the cold enumerations grow.
echo "== $(uptime)"
NORV_BENCH_WINE_RUN="$root/$wine_run" \
NORV_BENCH_DLL_TIMER="$root/build/win64/src/host/dll_enum_timer.exe" \
NORV_BENCH_DLL_PLATFORM="Z:$root/platforms/big-server.mof" \
NORV_BENCH_DLL_SAMPLES=5 NORV_BENCH_DLL_ROUNDS=1 \
  build/native/bench/dll_enum_bench \
  --benchmark_out="$results/dll_enum_bench_big_server.json" --benchmark_out_format=json "$@"
echo "== $(uptime)"
