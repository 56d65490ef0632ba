#!/usr/bin/env bash
# Builds the native, win64 and win32 presets and runs every benchmark, three repetitions
# each, with the results as JSON in build/bench-results/ and the whole output in
# build/bench-results/run.log. A whole run takes about six minutes, most of it the cold
# enumerations (each waits 2.1 s for the DLL's caches to go stale). Run it when no Windows
# tests run: they share the mingw builds' Wine prefixes.
#   bench/run.sh [extra Google Benchmark flags, e.g. --benchmark_filter=LogRefresh]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
results=build/bench-results
repetitions=3
mkdir -p "$results"
exec > >(tee "$results/run.log") 2>&1

cmake --preset native >/dev/null
cmake --build --preset native --target core_bench dll_enum_bench association_bench
# sel_text_bench exists only where libfreeipmi was found (scripts/setup.sh installs it).
sel_text_bench=false
if grep -q '^build bench/sel_text_bench:' build/native/build.ninja; then
  cmake --build --preset native --target sel_text_bench
  sel_text_bench=true
fi
for preset in win64 win32; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset --target dll_enum_timer
done
# The idle event tick and the association queries are timed with the 64-bit build only.
cmake --build --preset win64 --target event_tick_timer association_timer

# The module as built and as packed (scripts/package.sh strips the debug sections).
echo "== module sizes in bytes: preset, as built, as packed"
declare -A triplet=([win32]=i686-w64-mingw32 [win64]=x86_64-w64-mingw32)
for preset in win32 win64; do
  module=build/$preset/src/module/Norvipmiprv.dll
  stripped=$(mktemp)
  "${triplet[$preset]}-strip" --strip-debug -o "$stripped" "$module"
  echo "$preset $(stat -c %s "$module") $(stat -c %s "$stripped")"
  rm -f "$stripped"
done | tee "$results/module_sizes.txt"

echo "== $(uptime)"
build/native/bench/core_bench --benchmark_repetitions=$repetitions \
  --benchmark_min_time=0.2 --benchmark_out="$results/core_bench.json" \
  --benchmark_out_format=json "$@"
if $sel_text_bench; then
  echo "== $(uptime)"
  build/native/bench/sel_text_bench --benchmark_repetitions=$repetitions \
    --benchmark_min_time=0.2 --benchmark_out="$results/sel_text_bench.json" \
    --benchmark_out_format=json "$@"
fi

# The 32-bit memory burst is measured only where 32-bit programs run natively: under
# qemu-i386 it would measure the emulator, not a figure to set beside the 64-bit one.
win32_path=$(scripts/win32-path.sh)
win32_presets=()
[ "$win32_path" = native ] && win32_presets=(win32)
# Each prefix is made once (slowly) on first use; a prefix made here is left as ctest
# leaves it, with no server running.
for preset in win64 "${win32_presets[@]}"; do
  if [ ! -f build/$preset/wineprefix/system.reg ]; then
    build/$preset/wine-run --start
    build/$preset/wine-run --stop
  fi
done
echo "== $(uptime)"
# The default platform: enumerations (warm, their floor, cold), the idle event tick beside
# cold LogRecord and Sensor enumerations, and the memory burst.
NORV_BENCH_WINE_RUN="$root/build/win64/wine-run" \
NORV_BENCH_DLL_TIMER="$root/build/win64/src/module/dll_enum_timer.exe" \
NORV_BENCH_TICK_TIMER="$root/build/win64/src/module/event_tick_timer.exe" \
NORV_BENCH_DLL_ROUNDS=$repetitions \
  build/native/bench/dll_enum_bench --benchmark_repetitions=$repetitions \
  --benchmark_out="$results/dll_enum_bench.json" --benchmark_out_format=json "$@"
# The memory burst once more with the 32-bit module.
echo "== $(uptime)"
if [ "$win32_path" = native ]; then
  NORV_BENCH_WINE_RUN="$root/build/win32/wine-run" \
  NORV_BENCH_DLL_TIMER="$root/build/win32/src/module/dll_enum_timer.exe" \
  NORV_BENCH_DLL_ENUMERATIONS=0 NORV_BENCH_DLL_ARCH=win32 \
    build/native/bench/dll_enum_bench \
    --benchmark_out="$results/dll_memory_win32.json" --benchmark_out_format=json "$@"
else
  rm -f "$results/dll_memory_win32.json"
  echo "== the 32-bit memory burst is skipped: this machine runs 32-bit programs only under" \
    "qemu-i386, whose figures would not compare with the native 64-bit ones"
fi
# The big server with as many samples: how the enumerations grow with the instances.
echo "== $(uptime)"
NORV_BENCH_WINE_RUN="$root/build/win64/wine-run" \
NORV_BENCH_DLL_TIMER="$root/build/win64/src/module/dll_enum_timer.exe" \
NORV_BENCH_TICK_TIMER="$root/build/win64/src/module/event_tick_timer.exe" \
NORV_BENCH_DLL_PLATFORM="Z:$root/platforms/big-server.mof" \
NORV_BENCH_DLL_ROUNDS=$repetitions NORV_BENCH_DLL_MEMORY_REQUESTS=0 \
  build/native/bench/dll_enum_bench --benchmark_repetitions=$repetitions \
  --benchmark_out="$results/dll_enum_bench_big_server.json" --benchmark_out_format=json "$@"
echo "== $(uptime)"
# Association queries beside the requests they are set against, on the default description
# and on the same with a full management log.
NORV_BENCH_WINE_RUN="$root/build/win64/wine-run" \
NORV_BENCH_ASSOCIATION_TIMER="$root/build/win64/src/module/association_timer.exe" \
NORV_BENCH_DLL_ROUNDS=$repetitions \
  build/native/bench/association_bench --benchmark_repetitions=$repetitions \
  --benchmark_out="$results/association_bench.json" --benchmark_out_format=json "$@"
echo "== $(uptime)"
echo "== a warm enumeration's cost per added instance (medians, default -> big server)"
bench/warm_per_instance.py "$results/dll_enum_bench.json" \
  "$results/dll_enum_bench_big_server.json" | tee "$results/warm_per_instance.txt"
