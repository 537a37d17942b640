#!/usr/bin/env bash
# How long opening the file system inside a disk image and reading BOOT.INI takes, as a whole
# process, for FAT16 and NTFS; beside the file systems' own tools reading the same file.
#
#   platform/image/bench/open-and-read.sh build/native/platform/image/bench/tarnwick-image-read [RUNS]
#
# Prints the mean wall time of RUNS runs (default 20) of each in milliseconds.
set -euo pipefail
reader=$(realpath "$1")
runs=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MTOOLSRC=/dev/null MTOOLS_SKIP_CHECK=1
cd "$work"
printf '[boot loader]\r\ntimeout=30\r\n[operating systems]\r\nmulti(0)disk(0)rdisk(0)partition(1)\\WINDOWS="Windows XP" /fastdetect\r\n' > boot.ini
offset=$((2048 * 512))
length=$((64 * 1024 * 1024))

# A 4 GiB sparse disk with its partition at 1 MiB, as a virtual machine's disk is.
make_disk() {
    truncate -s 4G "$1"
    printf 'label: dos\nstart=2048, size=%d, type=%s\n' $((length / 512)) "$2" | sfdisk -q "$1"
}
make_disk fat.img 6
mkfs.fat --offset 2048 -F 16 fat.img $((length / 1024)) > /dev/null 2>&1
mcopy -i fat.img@@$offset boot.ini ::/BOOT.INI
make_disk ntfs.img 7
truncate -s $length part.img
mkntfs -F -Q -q -p 2048 -H 255 -S 63 part.img > /dev/null 2>&1
ntfscp -q part.img boot.ini /BOOT.INI > /dev/null 2>&1
dd if=part.img of=ntfs.img bs=1M seek=1 conv=notrunc,sparse status=none

mean_ms() {
    local start end
    start=$(date +%s%N)
    for _ in $(seq "$runs"); do "$@" > /dev/null; done
    end=$(date +%s%N)
    echo $(((end - start) / runs / 1000))
}
report() {
    local us
    us=$(mean_ms "${@:2}")
    printf '%-44s %4d.%03d ms\n' "$1" $((us / 1000)) $((us % 1000))
}
report "FAT16: tarnwick-image-read (open + read)" "$reader" fat.img $offset $length
report "FAT16: mtype of BOOT.INI alone" mtype -i fat.img@@$offset ::/BOOT.INI
report "NTFS: tarnwick-image-read (open + read)" "$reader" ntfs.img $offset $length
report "NTFS: ntfscat of BOOT.INI (partition file)" ntfscat part.img /BOOT.INI
