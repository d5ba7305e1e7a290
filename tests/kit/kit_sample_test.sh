#!/usr/bin/env bash
# The kit as a host developer meets it: the C sample and an all-entries caller are built with the
# cross compiler and nothing but the staged kit (its include/ and lib/ folders), beside copies of
# the kit's DLLs, then run under Wine, where the sample starts two instances that chat and
# deletes both.
#   kit_sample_test.sh build <kit folder> <work folder> <tests/kit folder> <C compiler>
#   kit_sample_test.sh run   <kit folder> <work folder> <wine-run>
set -euo pipefail
mode=$1 kit=$2 work=$3

imports_of() { # the names an executable imports from qxchat.dll
  "${cc%gcc*}objdump" -p "$1" |
    awk '/DLL Name:/{on = ($3 == "qxchat.dll"); next} on && NF == 3 && $2 ~ /^[0-9]+$/ {print $3}' | sort
}

case "$mode" in
build)
  here=$4 cc=$5
  rm -rf "$work"
  mkdir -p "$work"
  cp "$kit"/bin/*.dll "$work"/
  flags=(-std=c99 -Wall -Wextra -Werror -I"$kit/include")
  # The MinGW import library, as the sample's own build line says.
  "$cc" "${flags[@]}" -o "$work/minimal_host.exe" "$kit/samples/minimal_host.c" -L"$kit/lib" -lqxchat
  # The Microsoft-format import library, given by its path.
  "$cc" "${flags[@]}" -o "$work/null_results.exe" "$here/null_results.c" "$kit/lib/qxchat.lib"
  # Every name of the module-definition file binds, through both libraries, to an undecorated
  # import that the DLL exports: a 32-bit caller's _Name@N, a 64-bit caller's plain Name.
  entries=$(grep -E '^\s+\w+(@[0-9]+)? @[0-9]+' "$kit/lib/qxchat.def" | awk '{print $1}')
  [ "$(wc -l <<<"$entries")" -eq 47 ] || { echo "the kit's qxchat.def does not list 47 entries" >&2; exit 1; }
  case "$entries" in *@*) prefix=__imp__ ;; *) prefix=__imp_ ;; esac
  for lib in libqxchat.a qxchat.lib; do
    symbols=$("${cc%gcc*}nm" "$kit/lib/$lib")
    while read -r entry; do
      grep -qx "[0-9a-f]* I $prefix$entry" <<<"$symbols" ||
        { echo "$lib lacks $prefix$entry" >&2; exit 1; }
    done <<<"$entries"
  done
  exports=$("${cc%gcc*}objdump" -p "$kit/bin/qxchat.dll" |
    sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NF == 3 && $3 != "Table" {print $3}' | sort)
  [ "$(imports_of "$work/null_results.exe")" = "$exports" ] ||
    { echo "the all-entries caller does not import exactly the 47 exports" >&2; exit 1; }
  [ "$(wc -l <<<"$exports")" -eq 47 ] || { echo "qxchat.dll does not export 47 entries" >&2; exit 1; }
  echo "built against the kit alone: minimal_host.exe, null_results.exe"
  ;;
run)
  winerun=$4
  "$winerun" "$work/null_results.exe"
  # The C runtime writes text-mode lines, ending in CR LF.
  out=$("$winerun" "$work/minimal_host.exe" --auto | tr -d '\r')
  printf '%s\n' "$out"
  grep -qx "minimal_host: done" <<<"$out"
  ;;
esac
