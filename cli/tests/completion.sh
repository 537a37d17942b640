#!/usr/bin/env bash
# The bash completion of tarnwick: what it offers after a few command lines.
#
#   completion.sh COMPLETION-FILE WORK-FOLDER
set -euo pipefail

# shellcheck source=/dev/null
source "$1"
work=$2
rm -rf "$work"
mkdir -p "$work/mnt-xp"
: >"$work/disk0.img"
cd "$work"

failed=0
# expect "WORDS..." EXPECTED: completes the last word of WORDS and compares the sorted offers.
expect() {
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _tarnwick 2>/dev/null || true
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [ "$got" != "$2" ]; then
        echo "FAIL: '$1' offers '$got', expected '$2'"
        failed=1
    fi
}

compopt() { :; }  # only inside a real completion

expect "tarnwick s" "set show"
expect "tarnwick de" "default delete"
expect "tarnwick set mnt" "mnt-xp"
expect "tarnwick set mnt-xp 2 --d" "--dry-run"
expect "tarnwick list mnt-xp --" "--help --json --partition"
expect "tarnwick restore mnt-xp --" "--force --help --partition"
expect "tarnwick ch" "check"
expect "tarnwick check di" "disk0.img"
expect "tarnwick check disk0.img --" "--help --json --partition"
expect "tarnwick list disk0.img --partition " ""
expect "tarnwick set mnt-xp 2 --add /Deb" "/Debug /DebugPort="
expect "tarnwick set mnt-xp 2 --add /DebugPort=C" "/DebugPort=COM1 /DebugPort=COM2 /DebugPort=COM3 /DebugPort=COM4"
expect "tarnwick set mnt-xp 2 --remove /NO" "/NOGUIBOOT /NOLOWMEM /NOPAE"
expect "tarnwick --v" "--version --vgafont"
exit $failed
