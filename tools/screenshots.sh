#!/usr/bin/env bash
# Screenshots of the Windows program: builds the x86-64 tarnwick.exe (preset mingw64), runs it
# under Wine on a virtual X display with the example drive as drive C:, and saves the warning
# dialog, the editor dialog and the about box as PNG files in build/screenshots/.
#
# Wine draws the window frames itself (X11 driver setting Managed=N): no window manager is needed,
# and message boxes close at once instead of waiting for one.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
extras=()
for package in xvfb imagemagick; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || extras+=("$package")
done
if [ ${#extras[@]} -gt 0 ]; then
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${extras[@]}"
fi

build=${TARNWICK_BUILD_DIR:-build/mingw64}
cmake --preset mingw64 -B "$build" >/dev/null
cmake --build "$build" --target tarnwick tarnwick_window_driver
program=$build/framework/win32/tarnwick.exe
driver_exe=$build/framework/win32/tests/tarnwick_window_driver.exe

out=build/screenshots
mkdir -p "$out"
export WINEPREFIX=$PWD/$out/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    wineserver -k 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
done

if [ ! -e "$WINEPREFIX/.tarnwick-ready" ]; then
    rm -rf "$WINEPREFIX"
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    touch "$WINEPREFIX/.tarnwick-ready"
fi

# The example drive as drive C:, and a profile that still shows the start-up warning.
cp examples/drive/BOOT.INI "$WINEPREFIX/drive_c/BOOT.INI"
rm -f "$WINEPREFIX/drive_c/windows/tarnwick.INI"

drive() { wine "$driver_exe" "$@" 2>>"$out/wine.log"; }

# Saves the named window, cut from a picture of the whole screen.
shoot() {
    local caption=$1 file=$2 x y width height
    drive wait "$caption"
    sleep 0.5
    read -r x y width height < <(drive rect "$caption" | tr -d '\r')
    import -window root "$out/screen.png"
    convert "$out/screen.png" -crop "${width}x${height}+${x}+${y}" +repage "$out/$file"
    echo "$out/$file"
}

wine "$program" >"$out/wine.log" 2>&1 &

shoot "Tarn Continue Execution Dialog" warning.png
drive click "Tarn Continue Execution Dialog" 1
shoot "Tarn" editor.png
drive syscommand "Tarn" 16
shoot "About Tarn" about.png
drive click "About Tarn" 1
drive wait "Tarn"
drive syscommand "Tarn" 48         # ID_SYSMENU_BOOTMENU: the Boot Menu
shoot "Boot Menu" bootmenu.png
drive click "Boot Menu" 2
drive wait "Tarn"
drive click "Tarn" 2
wineserver -w
rm -f "$out/screen.png"
