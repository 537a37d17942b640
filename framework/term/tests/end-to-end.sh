#!/usr/bin/env bash
# End-to-end tests of the Linux program: tarnwick runs on a copy of a fixture drive in a detached
# tmux session, gets keys as a user types them, and its screen and the files it leaves are checked.
#
#   end-to-end.sh CASE TARNWICK ATTRIBUTE-TOOL WORK-FOLDER
#
# Each case works in WORK-FOLDER (made afresh) with its own tmux server, and a private
# XDG_CONFIG_HOME, so cases can run side by side. Exit status: 0 passed, 1 failed, 77 skipped.
set -euo pipefail

case_name=$1
tarnwick=$2
attribute_tool=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
fixtures=$here/fixtures

rm -rf "$work"
mkdir -p "$work"
drive=$work/drive
config=$work/config
socket=tarnwick-e2e-$case_name-$$
mounted=""

tmux_() { tmux -L "$socket" -f /dev/null "$@"; }

cleanup() {
    tmux_ kill-server 2>/dev/null || true
    if [ -n "$mounted" ]; then
        umount "$mounted" 2>/dev/null || fusermount -u "$mounted" 2>/dev/null || true
    fi
}
trap cleanup EXIT

screen() { tmux_ capture-pane -p -t e2e 2>/dev/null || true; }

fail() {
    echo "FAIL ($case_name): $*"
    echo "--- screen ---"
    screen
    echo "--------------"
    exit 1
}

# A fresh copy of the fixture drive, and a profile that has the start-up warning switched off
# (warn=1) or a profile folder without a profile (warn=0).
prepare() {
    local warn=$1
    rm -rf "$drive" "$config"
    cp -r "$fixtures/drive" "$drive"
    mkdir -p "$config/tarnwick"
    if [ "$warn" = 1 ]; then
        printf '[Tarnwick]\r\nWarnUser=1\r\n' >"$config/tarnwick/tarnwick.INI"
    fi
}

# new_session COLUMNS ROWS COMMAND: a fresh session. Killing the last session ends the server, and a
# client that reaches the server while it ends is told "server exited unexpectedly": wait for the
# old server to be gone, and try again once if the new one was still caught by it.
new_session() {
    tmux_ kill-server 2>/dev/null || true
    local tries=0
    while tmux_ has-session 2>/dev/null && [ "$tries" -lt 50 ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
    tmux_ new-session -d -s e2e -x "$1" -y "$2" "$3" 2>/dev/null ||
        { sleep 0.5; tmux_ new-session -d -s e2e -x "$1" -y "$2" "$3"; }
}

# start COLUMNS ROWS [DRIVE]: runs tarnwick in a terminal of that size (as the user $run_as,
# when that is set; its standard error into the file $errors_to, when that is set).
run_as=""
errors_to=""
start() {
    local folder=${3:-$drive} runner="" redirect=""
    [ -z "$run_as" ] || runner="setpriv --reuid=$run_as --regid=$run_as --clear-groups"
    [ -z "$errors_to" ] || redirect="2>'$errors_to'"
    rm -f "$work/exit-status"
    new_session "$1" "$2" \
        "env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=tmux-256color XDG_CONFIG_HOME='$config' \
         $runner '$tarnwick' '$folder' $redirect; echo \$? >'$work/exit-status'; exec sleep 600"
}

# start_choosing COLUMNS ROWS: runs tarnwick without a drive folder, so that it offers the
# mounted drives that hold a BOOT.INI.
start_choosing() {
    rm -f "$work/exit-status"
    new_session "$1" "$2" \
        "env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=tmux-256color XDG_CONFIG_HOME='$config' \
         '$tarnwick'; echo \$? >'$work/exit-status'; exec sleep 600"
}

# Keys as tmux names them, one after the other with time to take each in.
key() {
    local name
    for name in "$@"; do
        tmux_ send-keys -t e2e "$name"
        sleep 0.1
    done
}

# Escape alone: the terminal library waits to tell it from the start of an escape sequence.
escape() {
    tmux_ send-keys -t e2e Escape
    sleep 0.5
}

type_text() {
    tmux_ send-keys -t e2e -l "$1"
    sleep 0.2
}

# A mouse click (left or right) on the first place the screen shows TEXT, sent as the terminal
# sends it in its SGR mouse mode.
click_on() {
    local text=$1 button=${2:-0} row=0 line prefix
    while IFS= read -r line; do
        row=$((row + 1))
        if [[ "$line" == *"$text"* ]]; then
            prefix=${line%%"$text"*}
            local column=$((${#prefix} + 2))
            tmux_ send-keys -t e2e -l $'\e'"[<$button;$column;${row}M"
            sleep 0.1
            tmux_ send-keys -t e2e -l $'\e'"[<$button;$column;${row}m"
            sleep 0.2
            return
        fi
    done < <(LC_ALL=C.UTF-8 screen)
    fail "nothing to click: no \"$text\" on the screen"
}

# poll MESSAGE COMMAND...: runs COMMAND every tenth of a second until it succeeds, and fails the
# case with MESSAGE after ten seconds.
poll() {
    local message=$1 tries=0
    shift
    until "$@"; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || fail "$message"
        sleep 0.1
    done
}

on_screen() { screen | grep -qF -- "$1"; }
off_screen() { ! on_screen "$1"; }
wait_for() { poll "no \"$1\" on the screen" on_screen "$1"; }
wait_gone() { poll "\"$1\" stayed on the screen" off_screen "$1"; }

expect_screen() {
    on_screen "$1" || fail "expected \"$1\" on the screen"
}

expect_not_on_screen() {
    off_screen "$1" || fail "did not expect \"$1\" on the screen"
}

wait_exit() {
    poll "tarnwick did not end" test -f "$work/exit-status"
    [ "$(cat "$work/exit-status")" = 0 ] || fail "tarnwick ended with status $(cat "$work/exit-status")"
}

same_file() {
    cmp -s "$1" "$2" || fail "$1 differs from $2: $(diff <(od -c "$1") <(od -c "$2") | head -5)"
}

attributes_of() {
    "$attribute_tool" "$1" "$2"
}

# The read-only, hidden and system bits of a file's attributes, as a number 0 to 7.
dos_bits() {
    echo $((16#$(attributes_of "$1" "$2") & 7))
}

# Every control of the editor is on the screen, with its whole caption.
expect_every_control() {
    local caption
    for caption in "Boot Line To Modify:" "Label:" "Unhandled Options:" \
        "[×] FastDetect" "[ ] OneCpu" "[ ] SOS" "[ ] CrashDebug" "[ ] Debug" "[ ] NoDebug" \
        "[ ] BaseVideo" "[ ] BootLog" "[ ] BootLogo" "[ ] 3GB" "[ ] NoPAE" "[ ] PAE" \
        "[ ] PciLock" "[ ] NoLowMem" "[ ] NoGuiBoot" "[ ] IntAffinity" \
        "[ ] Hal" "[ ] Kernel" "[ ] DebugPort" "[ ] BaudRate" "[ ] Channel" "[ ] MaxMem" \
        "Copy Line" "Delete Line" "Apply" "OK" "Cancel" "Help" "COM1" "300" "▲▼" \
        "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS" "Microsoft Windows XP Professional" \
        "noexecute=optin" "Ver: V1.0  -  Dec. 1, 2001"; do
        expect_screen "$caption"
    done
    [ "$(screen | grep -cF -- '...')" -ge 2 ] || fail "both \"...\" buttons should show"
}

# The editor on the fixture's first line; the focus is on the boot-line list.
open_editor() {
    start "${1:-110}" "${2:-36}"
    wait_for "Boot Line To Modify:"
}

# order_row_is N TEXT: row N (from 1) of the Boot Menu's order list, which starts on the line
# after the one with "Move Up", shows TEXT.
order_row_is() { screen | grep -A"$1" "Move Up" | tail -1 | grep -qF -- "$2"; }

# On the second line: Debug, the debug port COM2 at 115200 baud, Apply.
tick_debug_com2_on_second_line() {
    key Down                       # the second line of the list
    wait_for "Windows XP, 2 CPUs, 3 GB for programs"
    key M-e                        # D&ebug
    key M-d                        # &DebugPort: COM1 at 300 baud
    wait_for "[×] DebugPort"
    key Tab Down                   # the port list: COM2
    key Tab Tab                    # the baud-rate list
    key Down Down Down Down Down Down Down Down  # 300 ... 115200
    wait_for "115200"
    key M-a                        # &Apply shares its letter with NoP&AE: the focus moves to it
    key Enter
}

# make_disk IMAGE BOTH: an MBR disk image made without root: partition(1) FAT16 "SYSTEM", an
# extended partition whose logical drive partition(2) has no file system and partition(3) is
# FAT16 "WINXP" holding the fixture drive (BOOT.INI read-only, hidden and system). With BOTH=1,
# partition(1) holds a copy of BOOT.INI too.
mtools_() { env MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1 "$@"; }
system_at=$((2048 * 512))
winxp_at=$((30720 * 512))
make_disk() {
    local image=$1 both=$2 tool
    for tool in sfdisk mkfs.fat mcopy mattrib mmd mtype fsck.fat; do
        command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
    done
    rm -f "$image"
    truncate -s 64M "$image"
    printf 'label: dos\nlabel-id: 0x8b467c12\nstart=2048, size=16384, type=6\nstart=18432, size=40960, type=f\nx5 : start=20480, size=8192, type=83\nx6 : start=30720, size=20480, type=6\n' |
        sfdisk -q "$image" || fail "sfdisk"
    mkfs.fat -s 1 -F 16 -n SYSTEM --offset 2048 "$image" 8192 >/dev/null 2>&1 || fail "mkfs.fat"
    mkfs.fat -s 1 -F 16 -n WINXP --offset 30720 "$image" 10240 >/dev/null 2>&1 || fail "mkfs.fat"
    mtools_ mcopy -i "$image@@$winxp_at" "$fixtures/drive/BOOT.INI" ::/BOOT.INI
    mtools_ mattrib -i "$image@@$winxp_at" +r +h +s ::/BOOT.INI
    mtools_ mmd -i "$image@@$winxp_at" ::/WINDOWS ::/WINDOWS/system32
    mtools_ mcopy -i "$image@@$winxp_at" "$fixtures/drive/WINDOWS/system32/"* ::/WINDOWS/system32/
    if [ "$both" = 1 ]; then
        mtools_ mcopy -i "$image@@$system_at" "$fixtures/drive/BOOT.INI" ::/BOOT.INI
    fi
}

# The read-only, hidden and system letters that mattrib shows for a root file of partition(3).
fat_rhs() {
    local letters
    letters=$(mtools_ mattrib -i "$1@@$winxp_at" "::/$2" | awk '{ print (NF > 1 ? $1 : "") }')
    local flag out=""
    for flag in R H S; do
        [[ "$letters" != *"$flag"* ]] || out=$out$flag
    done
    echo "$out"
}

# In the editor just started: Debug over COM2 at 115200 on the second line, OK, and commit.
commit_debug_com2() {
    wait_for "Boot Line To Modify:"
    tick_debug_com2_on_second_line
    key Enter
    wait_for "Do you want to commit your changes to disk?"
    key Enter
    wait_exit
}

# expect_committed IMAGE: partition(3) of the image holds the edited BOOT.INI (read-only, hidden,
# system) and the old one as BOOT.BAK (none of them), and fsck.fat finds it clean, as the file
# system's own tools see it.
expect_committed() {
    local image=$1
    mtools_ mtype -i "$image@@$winxp_at" ::/BOOT.INI >"$work/BOOT.INI" || fail "no BOOT.INI"
    mtools_ mtype -i "$image@@$winxp_at" ::/BOOT.BAK >"$work/BOOT.BAK" || fail "no BOOT.BAK"
    same_file "$work/BOOT.INI" "$fixtures/expected/debug-com2.ini"
    same_file "$work/BOOT.BAK" "$fixtures/drive/BOOT.INI"
    [ "$(fat_rhs "$image" BOOT.INI)" = RHS ] || fail "BOOT.INI should be read-only, hidden and system"
    [ "$(fat_rhs "$image" BOOT.BAK)" = "" ] || fail "BOOT.BAK should have none of them"
    dd if="$image" of="$work/winxp.part" bs=512 skip=30720 count=20480 status=none
    fsck.fat -n "$work/winxp.part" >"$work/fsck.log" 2>&1 || fail "fsck.fat: $(cat "$work/fsck.log")"
}

# The image matrix: one partition file per file system (BOOT.INI read-only, hidden and system;
# WINDOWS\system32 with the kernel and HAL), put into a disk under each partition table, opened,
# edited (Debug over COM2 at 115200), committed, and checked with the file system's own tools.
# TARNWICK_NTFS_FIXTURE names the helper that fills an NTFS partition file.
matrix_sectors() {  # the partition's length in sectors: FAT32 needs 65525 clusters
    case $1 in fat32) echo 81920 ;; *) echo 32768 ;; esac
}
make_partition() {  # FS FILE
    local fs=$1 part=$2 tool
    for tool in sfdisk mkfs.fat mcopy mattrib mmd mtype fsck.fat mkntfs ntfscat ntfsinfo ntfsfix; do
        command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
    done
    [ -x "${TARNWICK_NTFS_FIXTURE:-}" ] || { echo "SKIP: needs the NTFS fixture helper"; exit 77; }
    rm -f "$part"
    truncate -s $(($(matrix_sectors "$fs") * 512)) "$part"
    case $fs in
    fat16 | fat32)
        mkfs.fat -F "${fs#fat}" -s 1 -n WINXP "$part" >/dev/null 2>&1 || fail "mkfs.fat $fs"
        mtools_ mcopy -i "$part" "$fixtures/drive/BOOT.INI" ::/BOOT.INI
        mtools_ mattrib -i "$part" +r +h +s ::/BOOT.INI
        mtools_ mmd -i "$part" ::/WINDOWS ::/WINDOWS/system32
        mtools_ mcopy -i "$part" "$fixtures/drive/WINDOWS/system32/"* ::/WINDOWS/system32/
        ;;
    ntfs)
        mkntfs -F -Q -q -p 4096 -H 255 -S 63 -L WINXP "$part" >/dev/null 2>&1 || fail "mkntfs"
        "$TARNWICK_NTFS_FIXTURE" "$part" put /BOOT.INI "$fixtures/drive/BOOT.INI" \
            attrib /BOOT.INI 7 mkdir /WINDOWS mkdir /WINDOWS/system32 \
            put /WINDOWS/system32/ntoskrnl.exe "$fixtures/drive/WINDOWS/system32/ntoskrnl.exe" \
            put /WINDOWS/system32/hal.dll "$fixtures/drive/WINDOWS/system32/hal.dll" ||
            fail "ntfs-fixture"
        ;;
    esac
}
matrix_offset() {  # TABLE: the partition's first sector
    case $1 in none) echo 0 ;; logical) echo 6144 ;; *) echo 4096 ;; esac
}
make_matrix_disk() {  # TABLE FS PARTITION-FILE IMAGE
    local table=$1 fs=$2 part=$3 image=$4 size type guid at
    size=$(matrix_sectors "$fs")
    at=$(matrix_offset "$table")
    case $fs in fat16) type=6 ;; fat32) type=c ;; ntfs) type=7 ;; esac
    guid=EBD0A0A2-B9E5-4433-87C0-68B6B72699C7
    rm -f "$image"
    truncate -s $(((at + size + 4096) * 512)) "$image"
    case $table in
    mbr) printf 'label: dos\nstart=4096, size=%s, type=%s\n' "$size" "$type" | sfdisk -q "$image" ;;
    logical)
        printf 'label: dos\nstart=2048, size=1024, type=83\nstart=4096, size=%s, type=f\nstart=%s, size=%s, type=%s\n' \
            $((size + 2048 + 2048)) "$at" "$size" "$type" | sfdisk -q "$image"
        ;;
    gpt) printf 'label: gpt\nstart=4096, size=%s, type=%s\n' "$size" "$guid" | sfdisk -q "$image" ;;
    none) ;;
    esac
    dd if="$part" of="$image" bs=512 seek="$at" conv=notrunc,sparse status=none
}
expect_committed_on() {  # FS PARTITION-FILE WHAT
    local fs=$1 part=$2 what=$3 flags
    case $fs in
    fat16 | fat32)
        mtools_ mtype -i "$part" ::/BOOT.INI >"$work/BOOT.INI" || fail "$what: no BOOT.INI"
        mtools_ mtype -i "$part" ::/BOOT.BAK >"$work/BOOT.BAK" || fail "$what: no BOOT.BAK"
        flags=$(mtools_ mattrib -i "$part" ::/BOOT.INI | awk '{ print $1 }')
        [ "$flags" = SHR ] || fail "$what: BOOT.INI has the attributes \"$flags\", not SHR"
        flags=$(mtools_ mattrib -i "$part" ::/BOOT.BAK | awk '{ print (NF > 1 ? $1 : "") }')
        [[ "$flags" != *[RHS]* ]] || fail "$what: BOOT.BAK has the attributes \"$flags\""
        fsck.fat -n "$part" >"$work/fsck.log" 2>&1 || fail "$what: fsck.fat: $(cat "$work/fsck.log")"
        ;;
    ntfs)
        ntfscat "$part" /BOOT.INI >"$work/BOOT.INI" 2>/dev/null || fail "$what: no BOOT.INI"
        ntfscat "$part" /BOOT.BAK >"$work/BOOT.BAK" 2>/dev/null || fail "$what: no BOOT.BAK"
        # The first "File attributes" line is the standard information's, the one Windows reads.
        flags=$(ntfsinfo -F /BOOT.INI "$part" 2>/dev/null | grep -m1 "File attributes:" || true)
        [[ "$flags" == *"READONLY HIDDEN SYSTEM"* ]] ||
            fail "$what: BOOT.INI should be read-only, hidden and system: $flags"
        flags=$(ntfsinfo -F /BOOT.BAK "$part" 2>/dev/null | grep -m1 "File attributes:" || true)
        [[ "$flags" == *"(0x00000000)"* || "$flags" == *"ARCHIVE (0x00000020)"* ]] ||
            fail "$what: BOOT.BAK should have none of read-only, hidden and system: $flags"
        ntfsfix -n "$part" >"$work/fsck.log" 2>&1 || fail "$what: ntfsfix -n: $(cat "$work/fsck.log")"
        ;;
    esac
    cmp -s "$work/BOOT.INI" "$fixtures/expected/debug-com2.ini" || fail "$what: BOOT.INI is not the edit"
    cmp -s "$work/BOOT.BAK" "$fixtures/drive/BOOT.INI" || fail "$what: BOOT.BAK is not the old file"
}
# Runs the whole job on IMAGE (of TABLE, holding FS) and checks the partition cut from RAW, which
# is IMAGE itself or what converts it back.
matrix_job() {  # TABLE FS IMAGE WHAT [FORMAT]
    local table=$1 fs=$2 image=$3 what=$4 format=${5:-} raw=$3 at
    start 110 36 "$image"
    commit_debug_com2
    if [ -n "$format" ]; then
        raw=$work/back.raw
        qemu-img convert -O raw "$image" "$raw" || fail "$what: qemu-img convert"
    fi
    at=$(matrix_offset "$table")
    dd if="$raw" of="$work/cut.part" bs=512 skip="$at" count="$(matrix_sectors "$fs")" status=none
    expect_committed_on "$fs" "$work/cut.part" "$what"
    echo "ok: $what"
}

case "$case_name" in
opening)
    prepare 1
    open_editor
    expect_screen "multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS"
    expect_screen "Microsoft Windows XP Professional"
    expect_screen "[×] FastDetect"
    expect_screen "[ ] Debug"
    expect_screen "[ ] DebugPort"
    expect_screen "noexecute=optin"  # the unknown switch, in the list of unhandled options
    escape                         # Cancel
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    same_file "$drive/BOOT.TMP" "$fixtures/drive/BOOT.INI"  # the staging copy
    ;;

debug-com2)
    prepare 1
    open_editor
    tick_debug_com2_on_second_line
    key Enter                      # OK
    wait_for "Do you want to commit your changes to disk?"
    expect_screen "Question"
    key Enter                      # commit
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/expected/debug-com2.ini"
    same_file "$drive/BOOT.BAK" "$fixtures/drive/BOOT.INI"
    # Read-only, hidden and system were set; this file system keeps read-only only.
    [ "$(attributes_of "$drive" 'C:\BOOT.INI')" = 01 ] || fail "BOOT.INI attributes"
    [ "$(attributes_of "$drive" 'C:\BOOT.BAK')" = 80 ] || fail "BOOT.BAK attributes"
    ;;

script)
    # The subcommands for scripts: the same BOOT.INI as ticking the boxes in the editor
    # (debug-com2), and refused with status 3 while an editor holds the drive.
    prepare 1
    status=0
    "$tarnwick" set "$drive" 2 --add /debug --add /debugport=com2 --add /baudrate=115200 \
        >"$work/out" 2>&1 || status=$?
    [ "$status" = 0 ] || fail "set ended with status $status: $(cat "$work/out")"
    same_file "$drive/BOOT.INI" "$fixtures/expected/debug-com2.ini"
    same_file "$drive/BOOT.BAK" "$fixtures/drive/BOOT.INI"
    [ "$(attributes_of "$drive" 'C:\BOOT.INI')" = 01 ] || fail "BOOT.INI attributes"
    cp "$drive/BOOT.INI" "$work/committed"
    open_editor
    status=0
    "$tarnwick" delete "$drive" 2 >"$work/out" 2>&1 || status=$?
    [ "$status" = 3 ] || fail "delete beside an open editor ended with $status, not 3"
    grep -q "already editing BOOT.INI on this drive" "$work/out" || fail "no lock message"
    same_file "$drive/BOOT.INI" "$work/committed"
    "$tarnwick" list "$drive" | grep -q "^  2  " || fail "list beside an open editor"
    escape                         # Cancel
    wait_exit
    ;;

bad-hal)
    prepare 1
    open_editor
    key M-h                        # &Hal shares its letter with &Help: the focus moves to it
    key Space                      # ticked: "hal.dll"
    wait_for "[×] Hal"
    key Tab BSpace BSpace BSpace BSpace BSpace BSpace BSpace
    type_text "halmacpi1.dll"      # 13 characters, one too many
    key M-a Enter                  # Apply
    wait_for "Invalid Hal File."
    expect_screen "Error"
    expect_screen "tarnwick"       # the caption: the application title
    key Enter                      # the message box
    wait_gone "Invalid Hal File."
    expect_screen "halmacpi1.dll"  # the field keeps what the user typed
    escape                         # Cancel
    wait_exit
    same_file "$drive/BOOT.TMP" "$fixtures/drive/BOOT.INI"  # nothing was applied
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

cancel)
    prepare 1
    open_editor
    tick_debug_com2_on_second_line
    wait_for "Copy Line"
    escape                         # Cancel after an Apply: no question, nothing committed
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    [ ! -e "$drive/BOOT.BAK" ] || fail "Cancel wrote BOOT.BAK"
    same_file "$drive/BOOT.TMP" "$fixtures/expected/debug-com2.ini"  # the edit stays staged
    ;;

small-terminal)
    prepare 1
    open_editor 80 25
    expect_every_control
    tmux_ resize-window -t e2e -x 110 -y 36  # larger: the natural scale, with a frame
    wait_for "┌──────"
    expect_every_control
    tmux_ resize-window -t e2e -x 80 -y 25   # and back
    sleep 0.5
    expect_every_control
    escape
    wait_exit
    ;;

too-small)
    prepare 1
    start 70 22                    # under 80 x 25 the editor can't show every control
    wait_for "is too small for the dialog \"Tarn\"."
    expect_screen "Error"
    key Enter
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

mouse)
    prepare 1
    open_editor
    click_on "[ ] Debug "
    wait_for "[×] Debug"
    click_on "[×] Debug" 2          # a right click: the box's one-line help at the mouse
    wait_for "Enables Kernel Mode Debugging."
    key Space
    wait_gone "Enables Kernel Mode Debugging."
    click_on "Cancel" 2             # a control without a one-line help: its popup topic
    wait_for "Closes Tarnwick without changing BOOT.INI."
    key Space
    wait_gone "Closes Tarnwick without changing BOOT.INI."
    click_on "Apply"
    sleep 0.3
    click_on "Cancel"
    wait_exit
    grep -q 'Professional" /Debug /FastDetect /noexecute=optin' "$drive/BOOT.TMP" ||
        fail "the applied line is not in BOOT.TMP: $(sed -n 5p "$drive/BOOT.TMP")"
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

browse)
    prepare 1
    open_editor
    key M-h Space                  # the focus to &Hal, then tick it
    wait_for "[×] Hal"
    key Tab Tab Enter              # its "..." button
    wait_for "Look in: C:\\WINDOWS\\system32"
    expect_screen "ntoskrnl.exe"
    expect_screen "Hal.dll"        # the name offered, as the program spells it
    key Enter                      # found whatever its case
    wait_gone "Look in:"
    wait_for "Hal.dll"             # the field shows it once the editor has redrawn
    key M-k                        # &Kernel: ticked, "ntoskrnl.exe"
    wait_for "[×] Kernel"
    key Tab Tab Enter
    wait_for "Look in: C:\\WINDOWS\\system32"
    key BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace BSpace
    type_text "nosuch.exe"
    key Enter
    wait_for "File not found."     # the dialog stays open, as on Windows
    key Enter
    wait_gone "File not found."
    expect_screen "Look in:"
    escape                         # Cancel: the field keeps its name
    wait_gone "Look in:"
    expect_screen "ntoskrnl.exe"
    escape
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

warning)
    prepare 0                      # no profile yet: the warning comes first
    start 110 36
    wait_for "Tarn Continue Execution Dialog"
    expect_screen "Tarn is a development support utility"
    expect_screen "Select Cancel to stop execution."
    expect_screen "[ ] In the future, do not show this warning."
    expect_screen "██▀▀▀▀██"       # the program's icon, drawn in cells
    key Space                      # tick the box (it has the focus)
    key Enter                      # OK
    wait_for "Boot Line To Modify:"
    grep -q "WarnUser=1" "$config/tarnwick/tarnwick.INI" || fail "WarnUser=1 was not written"
    escape
    wait_exit
    start 110 36                   # the next start goes straight to the editor
    wait_for "Boot Line To Modify:"
    expect_not_on_screen "Tarn Continue Execution Dialog"
    escape
    wait_exit
    ;;

help)
    prepare 1
    open_editor
    key Tab F1                     # the label field's one-line help
    wait_for "Comment Label associated with BOOT.INI Line."
    key Space                      # any key closes the popup
    wait_gone "Comment Label associated"
    key M-h M-h Enter              # &Hal, then &Help: the help text
    wait_for "Tarnwick Help"
    expect_screen "WORKING WITH THE EDITOR"
    escape
    wait_gone "Tarnwick Help"
    key M-Space                    # the window menu, then About, third from its end
    wait_for "About Tarnwick..."
    key Up Up Up Enter
    wait_for "Tarn Version 1.0"
    expect_screen "About Tarn"
    # The program's icon in the about box, beside the editor's.
    [ "$(screen | grep -o "██▀▀▀▀██" | wc -l)" -ge 2 ] || fail "no icon in the about box"
    key Enter                      # the about box's OK
    wait_gone "Tarn Version 1.0"
    escape
    wait_exit
    ;;

boot-menu)
    # The default line, a timeout of 5 and the last line moved to the top, from the Boot Menu
    # that F2 opens; the commit changes exactly those lines.
    prepare 1
    open_editor
    expect_screen "Tarn - default: Microsoft Windows XP Professional"
    key M-Space                    # the window menu's item before the last, with its key
    wait_for "Boot Menu...  F2"
    key Up Up Enter
    wait_for "Timeout (seconds):"
    escape                         # Cancel
    wait_gone "Timeout (seconds):"
    key F2
    wait_for "Timeout (seconds):"
    expect_screen "Order of the menu:"
    key M-t F1                     # the timeout's one-line help
    wait_for "Seconds the boot menu waits, 0 to 999."
    key Space
    wait_gone "Seconds the boot menu waits"
    key BSpace BSpace              # 30 becomes 5
    type_text "5"
    key M-d Down                   # &Default line: the next line the loader can start
    wait_for "Default line:       Previous Operating System on C: - C:"
    key M-o End                    # &Order of the menu: the last line, Move &Up to the top
    for row in 4 3 2 1; do
        key M-u
        poll "the line did not move up to row $row" order_row_is "$row" "Microsoft Windows Recovery"
    done
    key M-o Enter                  # OK, from the list (Enter on a button would press it)
    wait_gone "Timeout (seconds):"
    wait_for "Tarn - default: Previous Operating System on C:"
    key Tab Enter                  # OK, from the label field
    wait_for "Do you want to commit your changes to disk?"
    key Enter
    wait_exit
    same_file "$drive/BOOT.INI" "$fixtures/expected/boot-menu.ini"
    same_file "$drive/BOOT.BAK" "$fixtures/drive/BOOT.INI"
    ;;

check-boot-paths)
    # The boot path check from the window menu: a folder gives no disk, so the lines say what
    # can't be checked; Cancel leaves the staging copy as it was.
    prepare 1
    open_editor
    key M-Space                    # the window menu
    wait_for "Check Boot Paths..."
    key b                          # Check &Boot Paths...
    wait_for "no disk was given."
    expect_screen "Check Boot Paths"
    expect_screen "1. can't check: multi(0)disk(0)rdisk(0)partition(1)\\WINDOWS"
    expect_screen "\"Microsoft Windows XP Professional\": rdisk(0) can't be checked"
    expect_screen "Every Windows installation found is started by a line."
    tmux_ resize-window -t e2e -x 80 -y 25  # narrower: the verdicts wrap anew and stay
    sleep 0.5
    wait_for "no disk was"
    expect_screen "Every Windows installation found is started by a"
    escape                         # the check's Cancel
    wait_gone "no disk was given"
    expect_screen "Boot Line To Modify:"
    escape
    wait_exit
    same_file "$drive/BOOT.TMP" "$fixtures/drive/BOOT.INI"
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

not-administrator)
    # A user who may not change the drive folder is no administrator of the drive.
    prepare 1
    chmod 555 "$drive"
    if [ "$(id -u)" = 0 ]; then
        command -v setpriv >/dev/null || { echo "SKIP: root needs setpriv to run as another user"; exit 77; }
        run_as=65534  # nobody
    fi
    start 110 36
    wait_for "Tarnwick V1.0 needs Administrator Privileges in order to run"
    expect_screen "Error"
    expect_not_on_screen "Tarn Continue Execution Dialog"
    key Enter
    wait_exit
    chmod 755 "$drive"
    [ ! -e "$drive/BOOT.TMP" ] || fail "a refused user's run made BOOT.TMP"
    same_file "$drive/BOOT.INI" "$fixtures/drive/BOOT.INI"
    ;;

no-boot-ini)
    prepare 1
    rm "$drive/BOOT.INI"
    start 110 36
    wait_for "Tarnwick Unable to make a copy of boot.ini"
    expect_screen "Error"
    key Enter
    wait_for "Tarnwick Unable to modify attributes of boot.tmp"
    key Enter
    wait_exit                      # without a staging file the editor closes at once
    [ ! -e "$drive/BOOT.INI" ] || fail "BOOT.INI appeared"
    ;;

command-line)
    "$tarnwick" --version | grep -q "^tarnwick 1\.0" || fail "--version"
    "$tarnwick" --help | grep -q "Usage: tarnwick" || fail "--help"
    status=0
    "$tarnwick" --no-such-option >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "an unknown option should end with status 2, not $status"
    status=0
    "$tarnwick" "$work/no-such-folder" >/dev/null 2>&1 || status=$?
    [ "$status" = 2 ] || fail "a missing folder should end with status 2, not $status"
    ;;

no-terminal)
    # Started from a script or a pipe: the program says it needs a terminal and names the
    # command line, in its own words, and ends with the usage status.
    prepare 1
    status=0
    "$tarnwick" "$drive" </dev/null >"$work/out" 2>"$work/err" || status=$?
    [ "$status" = 2 ] || fail "without a terminal the status should be 2, not $status"
    grep -q "^tarnwick: the editor needs a terminal; for scripts use the command line: tarnwick list PATH" \
        "$work/err" || fail "no message of its own: $(cat "$work/err")"
    [ ! -s "$work/out" ] || fail "printed to its standard output: $(cat "$work/out")"
    [ ! -e "$drive/BOOT.TMP" ] || fail "touched the drive"
    echo 'x' | "$tarnwick" "$drive" >/dev/null 2>&1 && fail "a pipe on standard input was taken"
    ;;

ntfs)
    # A real NTFS file system (ntfs-3g over FUSE) with a lower-case boot.ini carrying the
    # read-only, hidden, system and archive attributes.
    if [ "$(id -u)" != 0 ] || [ ! -c /dev/fuse ] || ! command -v mkntfs >/dev/null ||
        ! command -v ntfs-3g >/dev/null; then
        echo "SKIP: needs root, /dev/fuse, mkntfs and ntfs-3g"
        exit 77
    fi
    prepare 1
    truncate -s 16M "$work/ntfs.img"
    mkntfs -F -f -q "$work/ntfs.img" >/dev/null 2>&1 || { echo "SKIP: mkntfs failed"; exit 77; }
    mkdir -p "$work/mnt"
    ntfs-3g "$work/ntfs.img" "$work/mnt" 2>/dev/null || { echo "SKIP: ntfs-3g can't mount"; exit 77; }
    mounted=$work/mnt
    [ "$(stat -f -c %t "$work/mnt")" = 65735546 ] || fail "not a FUSE mount"
    cp "$fixtures/drive/BOOT.INI" "$work/mnt/boot.ini"
    mkdir -p "$work/mnt/windows/system32"
    cp "$fixtures/drive/WINDOWS/system32/"* "$work/mnt/windows/system32/"
    "$attribute_tool" "$work/mnt" 'C:\BOOT.INI' 27 || fail "setting the attributes on NTFS"
    [ "$(attributes_of "$work/mnt" 'C:\BOOT.INI')" = 27 ] || fail "NTFS attributes not kept"
    drive=$work/mnt
    # Started without a folder, tarnwick offers the mount among the drives with a BOOT.INI.
    start_choosing 110 36
    wait_for "Edit which drive?"
    choice=$(screen | sed -n "s|^ *\([0-9][0-9]*\)  $work/mnt\$|\1|p")
    [ -n "$choice" ] || fail "the NTFS mount is not offered"
    type_text "$choice"
    key Enter
    commit_debug_com2
    same_file "$work/mnt/boot.ini" "$fixtures/expected/debug-com2.ini"
    same_file "$work/mnt/BOOT.BAK" "$fixtures/drive/BOOT.INI"
    [ ! -e "$work/mnt/BOOT.INI" ] || fail "a second BOOT.INI was created beside boot.ini"
    # Read-only, hidden and system exactly where they belong. The archive bit is the file
    # system's own business: ntfs-3g sets it when a file's data is written, as Windows does.
    [ "$(dos_bits "$work/mnt" 'C:\BOOT.INI')" = 7 ] || fail "boot.ini should be read-only, hidden and system"
    [ "$(dos_bits "$work/mnt" 'C:\BOOT.BAK')" = 0 ] || fail "BOOT.BAK should have none of them"
    [ "$(dos_bits "$work/mnt" 'C:\BOOT.TMP')" = 0 ] || fail "BOOT.TMP should have none of them"
    ;;

disk-image)
    # Two partitions of an image hold a BOOT.INI: the user chooses partition(3), a logical drive.
    prepare 1
    make_disk "$work/disk.img" 1
    start 110 36 "$work/disk.img"
    wait_for "Edit which partition? [1-2, q to quit]:"
    # The heading names the image by its whole path, which a deep build folder wraps.
    screen | tr -d '\n' | grep -qF "Partitions of $work/disk.img that hold a BOOT.INI:" ||
        fail "expected the heading of the choice on the screen"
    expect_screen '1  partition(1)  FAT16  "SYSTEM"  8.0 MiB'
    expect_screen '2  partition(3)  FAT16  "WINXP"  10.0 MiB'
    screen >"$work/choice-screen.txt"
    type_text 2
    key Enter
    commit_debug_com2
    expect_committed "$work/disk.img"
    mtools_ mtype -i "$work/disk.img@@$system_at" ::/BOOT.INI >"$work/other.ini"
    same_file "$work/other.ini" "$fixtures/drive/BOOT.INI"  # the other partition is untouched
    ;;

disk-qcow2)
    # A qcow2 image whose one BOOT.INI opens at once, through QEMU's storage daemon.
    command -v qemu-img >/dev/null && command -v qemu-storage-daemon >/dev/null && [ -c /dev/fuse ] ||
        { echo "SKIP: needs qemu-img, qemu-storage-daemon and /dev/fuse"; exit 77; }
    prepare 1
    make_disk "$work/disk.raw" 0
    qemu-img convert -O qcow2 "$work/disk.raw" "$work/disk.qcow2"
    mkdir -p "$work/tmp"
    export TMPDIR=$work/tmp
    start 110 36 "$work/disk.qcow2"
    commit_debug_com2
    [ -z "$(ls -A "$work/tmp")" ] || fail "the daemon's view is left in $work/tmp: $(ls -A "$work/tmp")"
    qemu-img convert -O raw "$work/disk.qcow2" "$work/back.raw"
    expect_committed "$work/back.raw"
    ;;

disk-browse)
    # The HAL browse lists the image's own system32, not a host folder.
    prepare 1
    make_disk "$work/disk.img" 0
    start 110 36 "$work/disk.img"
    wait_for "Boot Line To Modify:"
    key M-h Space
    wait_for "[×] Hal"
    key Tab Tab Enter
    wait_for "Look in: C:\\WINDOWS\\system32"
    expect_screen "ntoskrnl.exe"
    escape
    wait_gone "Look in:"
    escape
    wait_exit
    ;;

disk-read-only)
    # An image the user may not write opens for viewing only: the program says so before its
    # screen starts and again in it; an edit is shown as Apply makes it, OK commits nothing.
    [ "$(id -u)" != 0 ] || command -v setpriv >/dev/null || { echo "SKIP: root needs setpriv"; exit 77; }
    prepare 1
    make_disk "$work/disk.img" 0
    cp "$work/disk.img" "$work/before.img"
    chmod 755 "$work"
    chmod 644 "$work/disk.img"
    chmod -R a+rwX "$config"
    [ "$(id -u)" != 0 ] || run_as=65534  # nobody
    errors_to=$work/err
    start 110 36 "$work/disk.img"
    wait_for "BOOT.INI is shown for viewing only"
    key Enter
    wait_for "Boot Line To Modify:"
    tick_debug_com2_on_second_line
    key Enter
    wait_for "for viewing only, so the changes were not"
    key Enter
    wait_exit
    grep -qF "opens for viewing only: you may not write to it." "$work/err" || fail "$(cat "$work/err")"
    same_file "$work/disk.img" "$work/before.img"
    ;;

disk-matrix-tables)
    # Every partition table with every file system, on raw images.
    prepare 1
    for fs in fat16 fat32 ntfs; do
        make_partition "$fs" "$work/$fs.part"
        for table in mbr logical gpt none; do
            make_matrix_disk "$table" "$fs" "$work/$fs.part" "$work/disk.img"
            matrix_job "$table" "$fs" "$work/disk.img" "$table $fs"
        done
    done
    ;;

disk-matrix-containers)
    # Every container format with every file system, on an MBR disk (GPT for VHDX).
    command -v qemu-img >/dev/null && command -v qemu-storage-daemon >/dev/null && [ -c /dev/fuse ] ||
        { echo "SKIP: needs qemu-img, qemu-storage-daemon and /dev/fuse"; exit 77; }
    prepare 1
    for fs in fat16 fat32 ntfs; do
        make_partition "$fs" "$work/$fs.part"
        for format in vhd-fixed vhd-dynamic qcow2 vdi vmdk vhdx; do
            table=mbr
            [ "$format" != vhdx ] || table=gpt
            make_matrix_disk "$table" "$fs" "$work/$fs.part" "$work/disk.raw"
            case $format in
            vhd-fixed) options=(-O vpc -o subformat=fixed) ;;
            vhd-dynamic) options=(-O vpc -o subformat=dynamic) ;;
            *) options=(-O "$format") ;;
            esac
            qemu-img convert "${options[@]}" "$work/disk.raw" "$work/disk.$format" ||
                fail "qemu-img convert to $format"
            matrix_job "$table" "$fs" "$work/disk.$format" "$format $table $fs" "$format"
        done
    done
    ;;

disk-refusals)
    # No BOOT.INI on any partition; a second Tarnwick on an image that one is editing.
    prepare 1
    make_disk "$work/disk.img" 0
    mtools_ mattrib -i "$work/disk.img@@$winxp_at" -r -h -s ::/BOOT.INI
    mtools_ mdel -i "$work/disk.img@@$winxp_at" ::/BOOT.INI
    status=0
    "$tarnwick" "$work/disk.img" >"$work/out" 2>"$work/err" </dev/null || status=$?
    [ "$status" = 1 ] || fail "a disk without BOOT.INI should end with status 1, not $status"
    grep -qF "No partition of $work/disk.img holds a BOOT.INI in its root." "$work/err" || fail "$(cat "$work/err")"
    grep -qF 'partition(3)  FAT16  "WINXP"  10.0 MiB: no BOOT.INI' "$work/err" || fail "$(cat "$work/err")"
    grep -qF 'partition(2)  type 0x83  4.0 MiB: no file system found' "$work/err" || fail "$(cat "$work/err")"

    make_disk "$work/disk.img" 0
    start 110 36 "$work/disk.img"
    wait_for "Boot Line To Modify:"
    status=0
    "$tarnwick" "$work/disk.img" >"$work/out" 2>"$work/err" </dev/null || status=$?
    [ "$status" = 1 ] || fail "a second Tarnwick should end with status 1, not $status"
    grep -qF "is open in another Tarnwick" "$work/err" || fail "$(cat "$work/err")"
    escape
    wait_exit
    ;;

disk-check-repair)
    # A data partition was inserted before Windows: line 1 and default= still name partition(2),
    # XP is partition(3) now. The check on the image tells why the line fails, Repair points it
    # at partition(3), and the commit changes that one number on the line and on default= only.
    for tool in sfdisk mkfs.fat mcopy mmd mtype; do
        command -v "$tool" >/dev/null || { echo "SKIP: needs $tool"; exit 77; }
    done
    prepare 1
    image=$work/moved.img
    rm -f "$image"
    truncate -s 40M "$image"
    printf 'label: dos\nlabel-id: 0x8b467c12\nstart=2048, size=16384, type=6\nstart=18432, size=16384, type=6\nstart=34816, size=40960, type=6\n' |
        sfdisk -q "$image" || fail "sfdisk"
    for at in 2048:8192 18432:8192 34816:20480; do
        mkfs.fat -s 2 -F 16 --offset "${at%:*}" "$image" "${at#*:}" >/dev/null 2>&1 || fail "mkfs.fat"
    done
    printf '[boot loader]\r\ntimeout=30\r\ndefault=multi(0)disk(0)rdisk(0)partition(2)\\WINDOWS\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(2)\\WINDOWS="Microsoft Windows XP Professional" /fastdetect\r\nmulti(0)disk(0)rdisk(0)partition(3)\\WINDOWS="XP safe" /sos /fastdetect\r\n' >"$work/moved.ini"
    mtools_ mcopy -i "$image@@$system_at" "$work/moved.ini" ::/BOOT.INI
    xp_at=$((34816 * 512))
    mtools_ mmd -i "$image@@$xp_at" ::/WINDOWS ::/WINDOWS/system32 ::/WINDOWS/system32/config
    mtools_ mcopy -i "$image@@$xp_at" "$fixtures/drive/WINDOWS/system32/"* ::/WINDOWS/system32/
    mtools_ mcopy -i "$image@@$xp_at" "$work/moved.ini" ::/WINDOWS/system32/config/SYSTEM
    mtools_ mdir -i "$image@@$xp_at" ::/WINDOWS/system32/ntoskrnl.exe >/dev/null || fail "no kernel in the fixture"
    start 110 36 "$image"
    wait_for "Boot Line To Modify:"
    key M-Space                    # the window menu
    wait_for "Check Boot Paths..."
    key b                          # Check &Boot Paths...
    wait_for "does not exist on partition(2)"
    expect_screen "A Windows folder was found at partition(3)"
    screen >"$work/check-screen.txt"
    key M-r                        # &Repair
    wait_gone "does not exist on partition(2)"
    wait_gone "Repair writes:"     # the longer verdict before it leaves nothing behind
    expect_screen "1. boots: multi(0)disk(0)rdisk(0)partition(3)\\WINDOWS"
    expect_screen "which boots."
    screen >"$work/repaired-screen.txt"
    key Enter                      # the check's OK
    wait_gone "Check Boot Paths"
    wait_for "multi(0)disk(0)rdisk(0)partition(3)"
    click_on "OK"                  # the editor's OK
    wait_for "Do you want to commit your changes to disk?"
    key Enter
    wait_exit
    mtools_ mtype -i "$image@@$system_at" ::/BOOT.INI >"$work/BOOT.INI" || fail "no BOOT.INI"
    sed -e '3s/partition(2)/partition(3)/' -e '5s/partition(2)/partition(3)/' "$work/moved.ini" >"$work/expected.ini"
    same_file "$work/BOOT.INI" "$work/expected.ini"
    ;;

*)
    echo "unknown case: $case_name"
    exit 2
    ;;
esac
echo "PASS ($case_name)"
