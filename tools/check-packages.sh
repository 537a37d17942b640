#!/usr/bin/env bash
# Checks the packages that the native and mingw64 workflows made: the .deb unpacks into a
# scratch root, declares its dependencies and runs from there; the Windows zip holds both
# programs, each with its help file, and the read-me.
#
#   tools/check-packages.sh        (after cmake --workflow --preset native / mingw64)
set -euo pipefail
cd "$(dirname "$0")/.."

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

deb=$(ls build/native/tarnwick_*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    fail "no .deb in build/native (cmake --workflow --preset native makes it)"
else
    echo "--- $deb"
    info=$(dpkg-deb -I "$deb")
    depends=$(sed -n 's/^ Depends: //p' <<<"$info")
    echo "Depends: $depends"
    for library in libfinal0 libc6 libstdc++6; do
        grep -q "\b$library\b" <<<"$depends" || fail "the .deb does not depend on $library"
    done
    # Its dependencies resolve on this Debian (a simulated install changes nothing).
    if command -v apt-get >/dev/null; then
        apt-get install -s "./$deb" >"$scratch/apt.log" 2>&1 ||
            fail "apt-get cannot install the .deb: $(tail -n 3 "$scratch/apt.log")"
    fi
    dpkg -x "$deb" "$scratch/root"
    for file in usr/bin/tarnwick usr/share/man/man1/tarnwick.1.gz \
                usr/share/doc/tarnwick/examples/drive/BOOT.INI usr/share/doc/tarnwick/copyright; do
        [ -e "$scratch/root/$file" ] || fail "the .deb has no /$file"
    done
    # The libraries come from the system, as on a machine the package was installed on.
    version=$(LD_LIBRARY_PATH="$scratch/root/usr/lib:${LD_LIBRARY_PATH:-}" \
              "$scratch/root/usr/bin/tarnwick" --version 2>&1) || fail "tarnwick --version failed"
    echo "tarnwick --version: $version"
    grep -q "^tarnwick " <<<"$version" || fail "unexpected version text: $version"
    man -l "$scratch/root/usr/share/man/man1/tarnwick.1.gz" 2>/dev/null | grep -q "tarnwick list PATH" ||
        fail "the manual page does not describe the command line"
fi

zip=$(ls build/mingw64/tarnwick-*-windows.zip 2>/dev/null | head -n 1 || true)
if [ -z "$zip" ]; then
    fail "no Windows zip in build/mingw64 (cmake --workflow --preset mingw64 makes it)"
else
    echo "--- $zip"
    listing=$(cmake -E tar tf "$zip")
    echo "$listing"
    top=$(head -n 1 <<<"$listing" | cut -d/ -f1)
    for file in README.txt x86-64/tarnwick.exe x86-64/vexalhelp.chm xp-32bit/tarnwick.exe \
                xp-32bit/vexalhelp.chm; do
        grep -qx "$top/$file" <<<"$listing" || fail "the zip has no $file"
    done
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "Packages checked."
