# Sourced by the build script: which MinGW target to build. The product is the 32-bit build;
# a machine whose kernel cannot start 32-bit programs (so no 32-bit Wine) builds the same
# sources for 64-bit instead, so that the tests still run, under 64-bit Wine.
# QX_ARCH=i686 or QX_ARCH=x86_64 chooses by hand.
qx_arch() {
  case "${QX_ARCH:-}" in
    i686 | x86_64) echo "$QX_ARCH" ;;
    *) if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi ;;
  esac
}
