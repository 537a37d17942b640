#!/usr/bin/env bash
# Builds everything and runs every test: the native build (unit, scenario and end-to-end tests),
# then the sanitizer build with the bounded fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

cmake --workflow --preset native
cmake --workflow --preset sanitize
# The Windows program: x86-64 with its tests under Wine, then the 32-bit build for Windows XP.
cmake --workflow --preset mingw64
cmake --workflow --preset mingw32
