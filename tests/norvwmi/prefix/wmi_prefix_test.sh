#!/usr/bin/env bash
# Clients that we did not write, run unchanged against a prefix whose WMI is the stand-in
# (scripts/wmi-prefix.sh), each output compared with its reviewed file in golden/.
#
#   wmi_prefix_test.sh SOURCE_DIR BUILD_DIR --make|--stop|CASE
#
# --make makes the build's client prefix and starts its session; --stop ends its wineserver.
# A CASE is a script of clients/ (cscript //nologo runs it), wmic-NAME (the command below),
# or platform: clients/summary.vbs in a prefix of its own made with another description, then
# made again with a malformed one, whose reason the module writes (the golden file holds it).
# Its standard output and exit code, with \r removed and wmic's UTF-16 made UTF-8, must be
# golden/CASE.txt; standard error must hold no line of the stand-in's (a provider fault or a
# failure to start). NORV_UPDATE_GOLDEN=1 writes the golden file instead.
#
# The cases run at the same time in one prefix, served by one wineserver, with Wine's services
# started, from --make to --stop: under load, a case that starts a session (its services
# starting beside the client) or meets one ending is the difference between a client that runs
# and one that does not.
set -euo pipefail
# A step that fails ends the case: say which, or the case fails without a word.
trap 'echo "wmi_prefix_test: line $LINENO failed (status $?): $BASH_COMMAND" >&2' ERR

source_dir=$1 build_dir=$2 what=$3
here=$source_dir/tests/norvwmi/prefix
bits=$(sed -n 's/^bits=.\([0-9]*\).$/\1/p' "$build_dir/wine-run")

export WINEPREFIX=$build_dir/wmi-prefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= TZ=UTC
wine64=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64 WINELOADER=$wine64

# A persistent wineserver for WINEPREFIX, and Wine's services started in it by a first
# process, with none of ctest's pipes open in what stays alive.
start_session() {
  { "$WINESERVER" -p && WINELOADER=$wine64 "$wine64" cmd /c exit 0; } </dev/null >/dev/null 2>&1 ||
    true
}

# Making a prefix ends by waiting for its wineserver to end: a session left alive by an
# interrupted run would make it wait for ever.
end_session() {
  "$WINESERVER" -k 2>/dev/null || true
}

case "$what" in
  --make)
    end_session
    "$source_dir/scripts/wmi-prefix.sh" --build "$build_dir" "$WINEPREFIX"
    start_session
    exit 0 ;;
  --stop)
    end_session
    exit 0 ;;
esac

if [ "$bits" = 32 ]; then
  # Under emulation a 32-bit process cannot start the clients' helper processes.
  if [ "$("$source_dir/scripts/win32-path.sh")" != native ]; then
    echo "SKIPPED: 32-bit clients run only where the machine runs 32-bit programs"
    exit 77
  fi
  loader=/usr/lib/wine/wine
  unset WINELOADER
else
  loader=$WINELOADER
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
if [ "$what" = platform ]; then
  export WINEPREFIX=$build_dir/wmi-prefix-platform
  trap 'end_session; rm -rf "$out"' EXIT
  end_session
  "$source_dir/scripts/wmi-prefix.sh" --platform "$source_dir/platforms/big-server.mof" \
    --build "$build_dir" "$WINEPREFIX" >/dev/null
  start_session
  what=summary.vbs golden_name=platform
fi
case "$what" in
  wmic-bios)
    "$loader" wmic path Win32_BIOS get Manufacturer >"$out/raw" 2>"$out/err" </dev/null || status=$? ;;
  wmic-sensors)
    "$loader" wmic '/namespace:\\root\cimv2\ipmi' path NumericSensor get ElementName,CurrentReading \
      >"$out/raw" 2>"$out/err" </dev/null || status=$? ;;
  *)
    script=$here/clients/$what
    [ -f "$script" ] || { echo "no client $what" >&2; exit 2; }
    "$loader" cscript //nologo "Z:${script//\//\\}" >"$out/raw" 2>"$out/err" </dev/null || status=$? ;;
esac
if [ "${what#wmic-}" != "$what" ] && [ -s "$out/raw" ]; then
  iconv -f UTF-16 -t UTF-8 "$out/raw" >"$out/text"
else
  cp "$out/raw" "$out/text"
fi
{ tr -d '\r' <"$out/text" | sed 's/[ \t]*$//'; echo "exit code $status"; } >"$out/actual"

if [ "${golden_name-}" = platform ]; then
  end_session
  "$source_dir/scripts/wmi-prefix.sh" --platform "$here/../program/malformed-platform.mof" \
    --build "$build_dir" "$WINEPREFIX" >/dev/null
  start_session
  malformed_status=0
  "$loader" cscript //nologo "Z:${script//\//\\}" >"$out/raw" 2>"$out/err" </dev/null ||
    malformed_status=$?
  windows_source="Z:${source_dir//\//\\}"
  {
    echo "--- made with tests/norvwmi/program/malformed-platform.mof"
    tr -d '\r' <"$out/raw"
    { grep -a 'norvwmi prefix:' "$out/err" || true; } | tr -d '\r' | while IFS= read -r line; do
      echo "${line//"$windows_source"/SOURCE}"
    done
    echo "exit code $malformed_status"
  } >>"$out/actual"
  : >"$out/err"  # its line is part of the golden output
fi

golden=$here/golden/${golden_name:-${what%.*}}.txt
if [ "${NORV_UPDATE_GOLDEN-}" = 1 ]; then
  cp "$out/actual" "$golden"
  echo "wrote $golden"
fi
failed=0
if grep -a 'norvwmi prefix:' "$out/err"; then failed=1; fi
diff -u "$golden" "$out/actual" || failed=1
exit $failed
