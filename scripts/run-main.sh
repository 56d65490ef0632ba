#!/usr/bin/env bash
# The main job: Norvipmiprv.dll served by the norvwmi host against the embedded default
# platform. Builds the 64-bit Windows preset, then enumerates every served class as WMI
# would (norvwmi classes, then norvwmi enum CLASS for each) and prints the instances.
#
#   scripts/run-main.sh [NORVWMI-OPTIONS]    for example --format json, --platform FILE
#
# A class whose provider the module does not serve yet (DllGetClassObject answers
# CLASS_E_CLASSNOTAVAILABLE) is reported and the run goes on; any other failure makes the
# exit status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target norvwmi

build=build/win64
wine_run=$build/wine-run
norvwmi=$(cat "$build/norvwmi-path.txt")

"$wine_run" --start
trap '"$wine_run" --stop' EXIT

classes=$("$wine_run" "$norvwmi" "$@" classes)
errors=$(mktemp)
trap 'rm -f "$errors"; "$wine_run" --stop' EXIT

served=() not_served=() failed=()
for class in $classes; do
  echo "=== norvwmi enum $class"
  if "$wine_run" "$norvwmi" "$@" enum "$class" 2>"$errors"; then
    served+=("$class")
  elif grep -q "CLASS_E_CLASSNOTAVAILABLE" "$errors"; then
    not_served+=("$class")
  else
    failed+=("$class")
  fi
  cat "$errors" >&2
done

echo "=== summary"
echo "enumerated:              ${served[*]:-none}"
echo "provider not in module:  ${not_served[*]:-none}"
echo "failed:                  ${failed[*]:-none}"
[ ${#failed[@]} -eq 0 ]
