#!/usr/bin/env bash
# Installs what a clean Debian 12 machine lacks to build and test qxchat.
# Idempotent: a second run installs and downloads nothing that is already there.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
third="$top/.deps"

need_pkgs=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# apt_update COMMAND...: "COMMAND update", tried again a few times. A mirror in the middle of
# a sync serves lists that do not match their index for a few minutes, and apt-get update then
# fails as a whole.
apt_update() {
  local try
  for try in 1 2 3 4 5; do
    "$@" update -q && return 0
    [ "$try" = 5 ] && break
    echo "setup: apt-get update failed; trying again in $((try * 20)) s" >&2
    sleep $((try * 20))
  done
  return 1
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
  updated=0
else
  updated=1
fi

for p in g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 cmake ninja-build make googletest dpkg-dev \
         wine wine32:i386 wine64 xvfb xauth procps fonts-wine fonts-liberation imagemagick redis-server; do
  have "$p" || need_pkgs+=("$p")
done

if [ ${#need_pkgs[@]} -gt 0 ] || [ "$updated" = 0 ]; then
  apt_update as_root apt-get
fi
if [ ${#need_pkgs[@]} -gt 0 ]; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need_pkgs[@]}"
fi

# TinyXML from Debian's source package, so that Debian's patches (STL flavour, CVE fixes) apply.
if [ ! -f "$third/tinyxml/tinyxml.h" ]; then
  mkdir -p "$third"
  list=/etc/apt/sources.list.d/qxchat-src.sources
  # deb822 form with the same key as the base image's entry: apt refuses mixed Signed-By values.
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    | as_root tee "$list" >/dev/null
  trap 'as_root rm -f "$list"' EXIT
  apt_update as_root apt-get
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source -q tinyxml)
  as_root rm -f "$list"
  apt_update as_root apt-get
  src=$(find "$tmp" -maxdepth 1 -type d -name 'tinyxml-*' | head -n 1)
  [ -n "$src" ] || { echo "setup: tinyxml source not found" >&2; exit 1; }
  rm -rf "$third/tinyxml"
  mv "$src" "$third/tinyxml"
  rm -rf "$tmp"
fi

# hiredis 1.2 from the source package of the release after bookworm (bookworm's has no Windows
# support), built with MinGW by this build. The package lists of that suite go to a private
# folder, so the machine's own apt lists are left as they are.
if [ ! -f "$third/hiredis/hiredis.h" ]; then
  mkdir -p "$third"
  apt_tmp=$(mktemp -d)
  mkdir -p "$apt_tmp/parts" "$apt_tmp/lists/partial" "$apt_tmp/src"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: trixie\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    >"$apt_tmp/parts/hiredis-src.sources"
  apt_opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$apt_tmp/parts"
            -o Dir::State::Lists="$apt_tmp/lists" -o Debug::NoLocking=1)
  apt_update apt-get "${apt_opts[@]}"
  (cd "$apt_tmp/src" && apt-get "${apt_opts[@]}" source -q hiredis)
  src=$(find "$apt_tmp/src" -maxdepth 1 -type d -name 'hiredis-*' | head -n 1)
  [ -n "$src" ] && [ -f "$src/hiredis.h" ] || { echo "setup: hiredis source not found" >&2; exit 1; }
  rm -rf "$third/hiredis.part"
  mv "$src" "$third/hiredis.part"
  mv "$third/hiredis.part" "$third/hiredis"
  rm -rf "$apt_tmp"
fi
echo "setup: done"
