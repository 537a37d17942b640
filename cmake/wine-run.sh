#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest: wine-run.sh PREFIX PROGRAM [ARGUMENTS...].
#
# PREFIX is a Wine prefix in the build tree, created on first use (about 10 s) and reused after:
# no display driver (Graphics=null, written before Wine's desktop process starts), so tests need
# no X server, and Wine's fonts copied in, so dialogs lay out with real font metrics.
# The program's output goes through a file: Wine's background processes inherit the standard
# streams, and CTest would otherwise wait for them to close.
set -euo pipefail

prefix=$1
shift

export WINEPREFIX=$prefix
export WINEDEBUG=${TARNWICK_WINEDEBUG:--all}
# No .NET or Gecko installers on first start.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Tests run without a display; screenshots set their own DISPLAY and prefix.
if [ -z "${TARNWICK_KEEP_DISPLAY:-}" ]; then
    unset DISPLAY WAYLAND_DISPLAY
fi

create_prefix() {
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # The desktop process started with the prefix still has the old driver: let it end.
    wineserver -w
    mkdir -p "$prefix/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
    touch "$prefix/.tarnwick-ready"
}

if [ ! -e "$prefix/.tarnwick-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -e "$prefix/.tarnwick-ready" ]; then
            rm -rf "$prefix"
            create_prefix
        fi
    ) 9>"$prefix.lock"
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
wine "$@" >"$log" 2>&1 </dev/null || status=$?
cat "$log"
exit "$status"
