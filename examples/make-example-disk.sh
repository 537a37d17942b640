#!/usr/bin/env bash
# Makes the example disk image from examples/drive, without root: an MBR disk whose first
# partition is a FAT16 system partition holding BOOT.INI (read-only, hidden and system) and whose
# second is an NTFS partition holding WINDOWS\system32 with the example's kernel and HAL. The
# boot lines of examples/drive name partition(1), the folder standing for a one-partition drive;
# here Windows lives on partition(2), so the image's BOOT.INI says so.
#
#   make-example-disk.sh NTFS_FIXTURE EXAMPLE_DRIVE OUTPUT
#
# NTFS_FIXTURE is the helper that puts folders and files into an NTFS partition file over
# libntfs-3g (mkntfs and ntfscp make no folders). The output is sparse, about 17 MiB long.
set -euo pipefail

fixture=$1 drive=$2 output=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/example-disk.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Sectors of 512 bytes: the system partition at 1 MiB, Windows right after it, 8 MiB each.
system_start=2048 system_size=16384
windows_start=18432 windows_size=16384
sectors=$((windows_start + windows_size + 2048))

image=$work/disk.img
truncate -s $((sectors * 512)) "$image"
printf 'label: dos\nlabel-id: 0x7a2e1c05\nstart=%s, size=%s, type=6, bootable\nstart=%s, size=%s, type=7\n' \
    $system_start $system_size $windows_start $windows_size | sfdisk -q "$image"

sed 's/partition(1)\\WINDOWS/partition(2)\\WINDOWS/' "$drive/BOOT.INI" >"$work/BOOT.INI"

# The tools' chatter (mkntfs on a file, mkfs.fat's block count at an offset) is shown on failure.
quietly() { "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; exit 1; }; }

quietly mkfs.fat -F 16 -s 1 -n SYSTEM --offset $system_start "$image" $((system_size / 2))
fat="$image@@$((system_start * 512))"
MTOOLS_SKIP_CHECK=1 mcopy -i "$fat" "$work/BOOT.INI" ::/BOOT.INI
MTOOLS_SKIP_CHECK=1 mattrib -i "$fat" -a +r +h +s ::/BOOT.INI

ntfs=$work/windows.part
truncate -s $((windows_size * 512)) "$ntfs"
quietly mkntfs -F -Q -q -p $windows_start -H 255 -S 63 -L WINXP "$ntfs"
"$fixture" "$ntfs" mkdir /WINDOWS mkdir /WINDOWS/system32 \
    put /WINDOWS/system32/ntoskrnl.exe "$drive/WINDOWS/system32/ntoskrnl.exe" \
    put /WINDOWS/system32/hal.dll "$drive/WINDOWS/system32/hal.dll"
dd if="$ntfs" of="$image" bs=512 seek=$windows_start conv=notrunc,sparse status=none

mkdir -p "$(dirname "$output")"
mv "$image" "$output"
