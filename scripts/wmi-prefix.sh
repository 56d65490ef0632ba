#!/usr/bin/env bash
# Makes a Wine prefix whose WMI is the stand-in: WMI's locator class
# {4590F811-1D3A-11D0-891F-00AA004B2E24} gets norvwmi_wbem.dll as its InprocServer32, which
# serves root\cimv2\ipmi through Norvipmiprv.dll from a simulated platform and hands every
# other namespace to Wine's own WMI (docs/wmi-prefix.md).
#
#   scripts/wmi-prefix.sh [--platform FILE] [--build DIR]... PREFIX
#
#   --platform FILE  the platform description to serve (default: the embedded default)
#   --build DIR      a win64 or win32 build folder whose DLLs serve its bitness; given more
#                    than once for both. Default: build/win64, and build/win32 when it is
#                    built and this machine runs 32-bit programs (scripts/win32-path.sh).
#
# The prefix is made when it does not exist; made again over an existing one, the script
# keeps the locator module it saved the first time. Run the clients with Wine's 64-bit
# loader (WINELOADER=/usr/lib/wine/wine64 /usr/lib/wine/wine64 cscript ...) and, for 32-bit
# ones, /usr/lib/wine/wine.
set -euo pipefail
trap 'echo "wmi-prefix: line $LINENO failed (status $?): $BASH_COMMAND" >&2' ERR

usage() {
  sed -n '7,12p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

source_dir=$(cd "$(dirname "$0")/.." && pwd)
platform=
builds=()
while [ $# -gt 1 ]; do
  case "$1" in
    --platform) platform=$2; shift 2 ;;
    --build) builds+=("$2"); shift 2 ;;
    *) usage ;;
  esac
done
[ $# -eq 1 ] && [ "${1#-}" = "$1" ] || usage
prefix=$1

if [ ${#builds[@]} -eq 0 ]; then
  builds=("$source_dir/build/win64")
  if [ -f "$source_dir/build/win32/src/module/norvwmi_wbem.dll" ] &&
     [ "$("$source_dir/scripts/win32-path.sh")" = native ]; then
    builds+=("$source_dir/build/win32")
  fi
fi
if [ -n "$platform" ]; then
  [ -r "$platform" ] || { echo "wmi-prefix: cannot read the platform description $platform" >&2; exit 3; }
  platform=$(cd "$(dirname "$platform")" && pwd)/$(basename "$platform")
fi

export WINEPREFIX=$prefix
export WINEDEBUG="${WINEDEBUG--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES-mscoree,mshtml=}"
export DISPLAY=
export WINESERVER=/usr/lib/wine/wineserver64
export WINELOADER=/usr/lib/wine/wine64
wine64() { "$WINELOADER" "$@" </dev/null; }

# A Unix path as Wine's Z: drive shows it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  wine64 wineboot -i >/dev/null 2>&1 || true
  "$WINESERVER" -w
  [ -f "$prefix/system.reg" ] || { echo "wmi-prefix: wineboot did not make the prefix $prefix" >&2; exit 1; }
fi

locator='HKLM\Software\Classes\CLSID\{4590F811-1D3A-11D0-891F-00AA004B2E24}\InprocServer32'
settings='HKLM\Software\Norvwmi\WmiPrefix'

# A REG_SZ value in one registry view, empty when it is not there.
reg_value() {
  local key=$1 name=$2 view=$3 args
  if [ "$name" = "(Default)" ]; then args=(/ve); else args=(/v "$name"); fi
  wine64 reg query "$key" "${args[@]}" "/reg:$view" 2>/dev/null | tr -d '\r' |
    awk -v name="$name" '{ sub(/^ +/, "") }
      index($0, name "    REG_SZ    ") == 1 { print substr($0, length(name) + 15); exit }' || true
}

# reg writes its errors to standard output: a failed write says so here.
reg_set() {
  local key=$1 name=$2 data=$3 view=$4 args said
  if [ "$name" = "(Default)" ]; then args=(/ve); else args=(/v "$name"); fi
  if ! said=$(wine64 reg add "$key" "${args[@]}" /t REG_SZ /d "$data" /f "/reg:$view" 2>&1); then
    echo "wmi-prefix: cannot set $key\\$name ($view-bit view): $(tr -d '\r' <<<"$said")" >&2
    exit 1
  fi
}

for build in "${builds[@]}"; do
  build=$(cd "$build" && pwd)
  module_dir=$build/src/module
  for file in norvwmi_wbem.dll Norvipmiprv.dll; do
    [ -f "$module_dir/$file" ] || { echo "wmi-prefix: $module_dir/$file is missing: build $build first" >&2; exit 1; }
  done
  case "$(od -An -tx2 -j "$(( $(od -An -tu4 -j 60 -N 4 "$module_dir/norvwmi_wbem.dll") + 4 ))" -N 2 "$module_dir/norvwmi_wbem.dll" | tr -d ' ')" in
    8664) view=64 ;;
    014c) view=32 ;;
    *) echo "wmi-prefix: $module_dir/norvwmi_wbem.dll is neither x86-64 nor i386" >&2; exit 1 ;;
  esac
  ours=$(windows_path "$module_dir/norvwmi_wbem.dll")
  current=$(reg_value "$locator" "(Default)" "$view")
  wine_locator=$(reg_value "$settings" WineLocator "$view")
  if [ -z "$wine_locator" ] || [ "${current##*\\}" != norvwmi_wbem.dll ]; then
    wine_locator=${current:-'C:\windows\system32\wbem\wbemprox.dll'}
  fi
  reg_set "$settings" WineLocator "$wine_locator" "$view"
  reg_set "$settings" ProviderModule "$(windows_path "$module_dir/Norvipmiprv.dll")" "$view"
  if [ -n "$platform" ]; then
    reg_set "$settings" Platform "$(windows_path "$platform")" "$view"
  else
    wine64 reg delete "$settings" /v Platform /f "/reg:$view" >/dev/null 2>&1 || true
  fi
  reg_set "$locator" "(Default)" "$ours" "$view"
  reg_set "$locator" ThreadingModel Both "$view"
  echo "wmi-prefix: $prefix: the $view-bit WMI locator is $ours (Wine's: $wine_locator)"
done
"$WINESERVER" -w
