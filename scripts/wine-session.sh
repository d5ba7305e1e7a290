# Sourced by the run scripts: resolves the build folder ($1, default build) into $build and
# gives the run one fresh Wine session of that folder's prefix, ended again on exit (a session
# started under another display must not be reused).
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-build}
case "$build" in /*) ;; *) build="$top/$build" ;; esac
export WINEPREFIX="$build/wineprefix"
stop_wine() { wineserver -k >/dev/null 2>&1 || true; rm -f "$WINEPREFIX/.qx-session"; }
stop_wine
trap stop_wine EXIT
# XENVIRONMENT: see scripts/xvfb.Xresources.
xvfb() { XENVIRONMENT="$top/scripts/xvfb.Xresources" xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
