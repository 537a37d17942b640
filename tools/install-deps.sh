#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need. Idempotent: packages that are
# already installed are skipped, and apt-get runs only when something is missing.
set -euo pipefail

packages=(
    # native build, unit tests, benchmarks
    cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
    # sanitizer and fuzzing build
    clang libclang-rt-14-dev
    # Windows builds (mingw-w64, GoogleTest from source) and their tests under Wine
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 mingw-w64-tools googletest wine64 wine fonts-wine
    # terminal program (FINAL CUT; its header needs gpm.h) and its end-to-end tests in tmux
    pkg-config libfinal-dev libgpm-dev tmux
    # the boot path check: registry hives (hivex)
    libhivex-dev
    # the command line: its parser, its JSON and its unified diff (header-only, also for mingw)
    libcli11-dev nlohmann-json3-dev libdtl-dev
    # the end-to-end test on a real NTFS file system (ntfs-3g through FUSE); skipped without it
    ntfs-3g
    # the help texts (written by a Python script), the Windows help file (chmcmd) and its test
    # (extract_chmLib), the manual page's check (groff)
    python3 fp-utils libchm-bin groff-base
    # the .deb (dpkg-shlibdeps finds its dependencies) and its check
    dpkg-dev
    # drive C: inside disk images: NTFS through libntfs-3g, FAT through mtools, the file system
    # named by libblkid; the tests make their images with sfdisk, mkfs.fat and mkntfs and check
    # them with fsck.fat and the ntfsprogs
    ntfs-3g-dev libblkid-dev mtools dosfstools fdisk
    # disks and images: partition tables (libfdisk), the mount table (libmount), containers
    # through qemu-storage-daemon over FUSE; the tests' containers made with qemu-img
    libfdisk-dev libmount-dev qemu-system-common fuse3 qemu-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
