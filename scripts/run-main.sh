#!/usr/bin/env bash
# The main job: Norvipmiprv.dll served by the norvwmi host against the embedded default
# platform. Builds the 64-bit Windows preset, then enumerates every served class as WMI
# would (norvwmi classes, then norvwmi enum CLASS for each) and prints the instances: as
# tables after a one-line health summary (norvwmi summary), the associations as one tree of
# names (norvwmi graph), or with --format mof or --format json as whole objects.
#
#   scripts/run-main.sh [NORVWMI-OPTIONS]    for example --format mof, --platform FILE
#
# A class whose provider the module does not serve yet (DllGetClassObject answers
# CLASS_E_CLASSNOTAVAILABLE) is reported and the run goes on; any other failure makes the
# exit status 1.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build says only how far it is, on standard error: one line that rewrites itself on a
# terminal (from ninja's [n/m] lines), an occasional plain line otherwise. The whole output goes
# to a log, printed only when the build fails; standard output is left to the result.
mkdir -p build
log=build/run-main-build.log
build_step() {
  local last=0
  "$@" 2>&1 | tee -a "$log" | while IFS= read -r line; do
    [[ $line =~ ^\[([0-9]+)/([0-9]+)\] ]] || continue
    local done=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    if [ -t 2 ]; then
      printf '\rbuilding the module and the host: %s of %s steps' "$done" "$total" >&2
    elif [ $((done - last)) -ge 25 ] || [ "$done" = "$total" ]; then
      echo "building the module and the host: $done of $total steps" >&2
      last=$done
    fi
  done
  local status=${PIPESTATUS[0]}
  [ -t 2 ] && printf '\r\033[K' >&2
  if [ "$status" -ne 0 ]; then
    echo "run-main: the build failed; its output ($log):" >&2
    cat "$log" >&2
    exit "$status"
  fi
}
: >"$log"
build_step scripts/setup.sh
build_step cmake --preset win64
build_step cmake --build --preset win64 --target norvwmi

build=build/win64
wine_run=$build/wine-run
norvwmi=$(cat "$build/norvwmi-path.txt")

"$wine_run" --start
trap '"$wine_run" --stop' EXIT

# Tables unless the options name a format. The class list is read as plain lines, so it is
# asked for without the format.
format=table named=no previous= listing_options=()
for option in "$@"; do
  if [ "$previous" = --format ]; then
    format=$option named=yes
  elif [[ $option == --format=* ]]; then
    format=${option#--format=} named=yes
  elif [ "$option" != --format ]; then
    listing_options+=("$option")
  fi
  previous=$option
done
format=${format,,}
[ "$named" = no ] && set -- --format table "$@"

classes=$("$wine_run" "$norvwmi" "${listing_options[@]}" classes)
errors=$(mktemp)
trap 'rm -f "$errors"; "$wine_run" --stop' EXIT

# As tables, the association classes are one graph of names at the end (norvwmi graph), not
# a table each.
associations=()
if [ "$format" = table ]; then
  mapfile -t associations < <("$wine_run" "$norvwmi" "${listing_options[@]}" --format table classes |
    awk 'NR > 2 && $2 == "association" { print $1 }')
fi

served=() not_served=() failed=()
[ "$format" = table ] && { "$wine_run" "$norvwmi" "$@" summary || true; }
for class in $classes; do
  [[ " ${associations[*]} " == *" $class "* ]] && continue
  if [ "$format" = table ]; then
    printf '\n=== %s\n' "$class"
  else
    echo "=== norvwmi enum $class"
  fi
  if "$wine_run" "$norvwmi" "$@" enum "$class" 2>"$errors"; then
    served+=("$class")
  elif grep -q "CLASS_E_CLASSNOTAVAILABLE" "$errors"; then
    not_served+=("$class")
  else
    failed+=("$class")
  fi
  cat "$errors" >&2
done

if [ ${#associations[@]} -gt 0 ]; then
  printf '\n=== associations\n'
  if "$wine_run" "$norvwmi" "$@" graph 2>"$errors"; then
    served+=("${associations[@]}")
  else
    failed+=("${associations[@]}")
  fi
  cat "$errors" >&2
fi

# The tables end the run unless a class was missed.
if [ "$format" != table ] || [ ${#not_served[@]} -gt 0 ] || [ ${#failed[@]} -gt 0 ]; then
  echo "=== summary"
  echo "enumerated:              ${served[*]:-none}"
  echo "provider not in module:  ${not_served[*]:-none}"
  echo "failed:                  ${failed[*]:-none}"
fi
[ ${#failed[@]} -eq 0 ]
