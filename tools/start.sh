#!/usr/bin/env bash
# Starts the terminal editor on the bundled example drive: installs what is missing, builds the
# program with the native preset, copies examples/drive to build/example-drive (afresh on every
# run, so the bundled example is never changed) and runs tarnwick on the copy. With --disk first,
# the copy is of the example disk image made at build time (an MBR disk, BOOT.INI on a FAT16
# system partition, Windows on NTFS) and tarnwick opens it directly, as it opens a VM's disk.
# Other options are passed on to tarnwick, e.g. tools/start.sh --no-mouse.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset native >/dev/null
if [ "${1:-}" = --disk ]; then
    shift
    cmake --build --preset native --target tarnwick example-disk
    copy=build/example-disk.img
    rm -f "$copy"
    cp --sparse=always build/native/examples/example-disk.img "$copy"
else
    cmake --build --preset native --target tarnwick
    copy=build/example-drive
    rm -rf "$copy"
    cp -r examples/drive "$copy"
fi
exec build/native/framework/term/tarnwick "$@" "$copy"
