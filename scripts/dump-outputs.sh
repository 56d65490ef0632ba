#!/usr/bin/env bash
# Dumps what the module answers: every served class of every platform description, enumerated
# through the norvwmi host as MOF text and as JSON, for each Windows preset named (both by
# default; each must be built). A change that should alter no answer is checked by dumping
# before and after it and comparing:
#
#   scripts/dump-outputs.sh DIR [PRESET...]     writes DIR/PRESET/PLATFORM/CLASS.mof|json
#   scripts/dump-outputs.sh --compare OLD NEW   diff -r of two dumps; exit 1 on a difference
#
# Every file also holds the command's exit status, so a class that fails the same way before
# and after compares equal, and one that starts failing does not.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1-}" = --compare ]; then
  [ $# -eq 3 ] || { echo "usage: $0 --compare OLD NEW" >&2; exit 2; }
  diff -r "$2" "$3" && echo "dump-outputs: $2 and $3 are the same"
  exit
fi
[ $# -ge 1 ] || { echo "usage: $0 DIR [PRESET...]" >&2; exit 2; }
out=$1
shift
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(win64 win32)

for preset in "${presets[@]}"; do
  build=build/$preset
  wine_run=$build/wine-run
  norvwmi=$(cat "$build/norvwmi-path.txt")
  "$wine_run" --start
  classes=$("$wine_run" "$norvwmi" classes | tr -d '\r')
  for platform in platforms/*.mof platforms/timed/*.mof; do
    name=${platform#platforms/}
    name=${name%.mof}
    mkdir -p "$out/$preset/$name"
    for class in $classes; do
      for format in mof json; do
        file=$out/$preset/$name/$class.$format
        status=0
        "$wine_run" "$norvwmi" --platform "Z:$PWD/$platform" --format "$format" enum "$class" \
          >"$file" 2>&1 || status=$?
        echo "exit status $status" >>"$file"
      done
    done
  done
  "$wine_run" --stop
  echo "dump-outputs: $preset written to $out/$preset"
done
