#!/usr/bin/env bash
# tarnwick-cli.exe on a drive letter of its own under Wine: drive T: of the test's Wine prefix is
# pointed at a folder of the build tree (a link in the prefix's dosdevices), the program edits the
# BOOT.INI there, and the files are checked byte for byte.
#
# drive-letter.sh WINE-RUN PREFIX TARNWICK-CLI-EXE WORK-FOLDER
set -euo pipefail

wine_run=$1
prefix=$2
exe=$3
work=$4

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work/drive"
# The prefix exists once any program has run in it.
"$wine_run" "$prefix" "$exe" --help >/dev/null
link="$prefix/dosdevices/t:"
trap 'rm -f "$link"' EXIT
ln -sfn "$work/drive" "$link"

printf '[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS="Microsoft Windows XP Professional" /fastdetect\r\nmulti(0)disk(0)rdisk(0)partition(2)\\WINDOWS="Test" /fastdetect\r\n' \
    >"$work/drive/BOOT.INI"
cp "$work/drive/BOOT.INI" "$work/before"

status=0
"$wine_run" "$prefix" "$exe" set T: 2 --add /debug --add /debugport=com2 --add /baudrate=115200 \
    >"$work/out" 2>&1 || status=$?
[ "$status" = 0 ] || fail "set ended with $status: $(cat "$work/out")"
cmp -s "$work/drive/BOOT.BAK" "$work/before" || fail "BOOT.BAK is not the old BOOT.INI"
sed 's/partition(2)\\WINDOWS="Test" \/fastdetect\r$/partition(2)\\WINDOWS="Test" \/Debug \/FastDetect \/BaudRate=115200 \/DebugPort=COM2 \r/' \
    "$work/before" >"$work/expected"
cmp -s "$work/drive/BOOT.INI" "$work/expected" || fail "BOOT.INI: $(od -c "$work/drive/BOOT.INI" | tail -5)"

status=0
"$wine_run" "$prefix" "$exe" show T: 3 >"$work/out" 2>&1 || status=$?
[ "$status" = 1 ] || fail "a line out of range should end with 1, not $status"
grep -q "no boot line 3" "$work/out" || fail "no message for the line out of range"
echo "PASS"
