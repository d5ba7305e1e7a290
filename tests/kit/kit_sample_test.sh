#!/usr/bin/env bash
# Builds the kit's C sample and an all-entries caller with the cross compiler and nothing but the
# staged kit (its include/ and lib/ folders), beside copies of the kit's DLLs, and runs both
# under Wine: the sample starts two instances that chat and deletes both.
#   kit_sample_test.sh <kit folder> <C compiler> <wine-run> <work folder> <tests/kit folder>
set -euo pipefail
kit=$1 cc=$2 winerun=$3 work=$4 here=$5
rm -rf "$work"
mkdir -p "$work"
cp "$kit"/bin/*.dll "$work"/
flags=(-std=c99 -Wall -Wextra -Werror -I"$kit/include")
# The MinGW import library, as the sample's own build line says.
"$cc" "${flags[@]}" -o "$work/minimal_host.exe" "$kit/samples/minimal_host.c" -L"$kit/lib" -lqxchat
# The Microsoft-format import library, given by its path.
"$cc" "${flags[@]}" -o "$work/null_results.exe" "$here/null_results.c" "$kit/lib/qxchat.lib"
"$winerun" "$work/null_results.exe"
out=$("$winerun" "$work/minimal_host.exe" --auto)
printf '%s\n' "$out"
grep -qx "minimal_host: done" <<<"$out"
