#!/usr/bin/env bash
# Installs what a clean Debian 12 machine lacks to build and test qxchat.
# Idempotent: a second run installs and downloads nothing that is already there.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
third="$top/.deps"

need_pkgs=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
install_pkgs() { as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@"; }

# apt_update COMMAND...: "COMMAND update", tried again a few times: a mirror in the middle of a
# sync serves lists that do not match their index for a while. Then it goes on with the lists
# that did come (apt-get update fails as a whole for one list it could not fetch); what needs a
# missing list fails on its own, with apt's message.
apt_update() {
  local try
  for try in 1 2 3; do
    "$@" update -q && return 0
    [ "$try" = 3 ] && break
    echo "setup: apt-get update failed; trying again in $((try * 15)) s" >&2
    sleep $((try * 15))
  done
  echo "setup: apt-get update still fails; going on with the lists it fetched" >&2
}

# fetch_source SUITE PACKAGE DEST: Debian's source package (its patches applied) into DEST.
# The suite's source list goes to a private folder, so the machine's own apt lists are left
# as they are and nothing else needs fetching.
fetch_source() {
  local suite=$1 package=$2 dest=$3 tmp src
  tmp=$(mktemp -d)
  mkdir -p "$tmp/parts" "$tmp/lists/partial" "$tmp/src"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" >"$tmp/parts/$package-src.sources"
  local opts=(-o Dir::Etc::sourcelist=/dev/null -o Dir::Etc::sourceparts="$tmp/parts"
              -o Dir::State::Lists="$tmp/lists" -o Debug::NoLocking=1)
  apt_update apt-get "${opts[@]}"
  (cd "$tmp/src" && apt-get "${opts[@]}" source -q "$package")
  src=$(find "$tmp/src" -maxdepth 1 -type d -name "$package-*" | head -n 1)
  [ -n "$src" ] && [ -f "$src/$package.h" ] || { echo "setup: $package source not found" >&2; exit 1; }
  mkdir -p "$(dirname "$dest")"
  rm -rf "$dest.part" "$dest"
  mv "$src" "$dest.part"
  mv "$dest.part" "$dest"
  rm -rf "$tmp"
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
if [ ${#need_pkgs[@]} -gt 0 ] && ! install_pkgs "${need_pkgs[@]}"; then
  # 32-bit Wine needs the i386 lists to match the machine's own packages, and a mirror has been
  # seen serving a broken i386 list for days. Without it the tests run the 64-bit build, as on a
  # machine that cannot start 32-bit programs (arch.sh); everything else is still required.
  rest=()
  for p in "${need_pkgs[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
  [ ${#rest[@]} -lt ${#need_pkgs[@]} ] || exit 1
  echo "setup: 32-bit Wine (wine32:i386) cannot be installed now; installing the rest, and the tests will run the 64-bit build" >&2
  if [ ${#rest[@]} -gt 0 ]; then install_pkgs "${rest[@]}"; fi
fi

# TinyXML from Debian's source package, so that Debian's patches (STL flavour, CVE fixes) apply.
# (Called as statements: inside an "a || b" list, set -e would not stop at a failed step.)
if [ ! -f "$third/tinyxml/tinyxml.h" ]; then fetch_source bookworm tinyxml "$third/tinyxml"; fi

# hiredis 1.2 from the source package of the release after bookworm (bookworm's has no Windows
# support), built with MinGW by this build.
if [ ! -f "$third/hiredis/hiredis.h" ]; then fetch_source trixie hiredis "$third/hiredis"; fi
echo "setup: done"
