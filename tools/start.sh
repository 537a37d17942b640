#!/usr/bin/env bash
# Starts the terminal editor on the bundled example drive: installs what is missing, builds the
# program with the native preset, copies examples/drive to build/example-drive (afresh on every
# run, so the bundled example is never changed) and runs tarnwick on the copy. Options are passed
# on to tarnwick, e.g. tools/start.sh --no-mouse.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target tarnwick

copy=build/example-drive
rm -rf "$copy"
cp -r examples/drive "$copy"
exec build/native/framework/term/tarnwick "$@" "$copy"
