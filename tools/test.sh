#!/usr/bin/env bash
# Builds everything and runs every test: the 32-bit Windows build (compiled only), the x86-64
# Windows build with its tests under Wine and the zip of both Windows programs, the sanitizer
# build with the bounded fuzz runs, and the native build (unit, scenario and terminal end-to-end
# tests) with its .deb; then checks the two packages. Every build runs even when an earlier one
# fails, so one run shows every failure; the exit status is non-zero if any failed.
set -uo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh || exit 1

failed=()
for preset in mingw32 mingw64 sanitize native; do
    echo "=== ${preset} ==="
    cmake --workflow --preset "$preset" || failed+=("$preset")
done

echo "=== packages ==="
tools/check-packages.sh || failed+=("packages")

if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed builds or tests in: ${failed[*]}" >&2
    exit 1
fi
