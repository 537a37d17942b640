#!/usr/bin/env bash
# The help generator refuses a source with a mistake that would ship a wrong help, and names the
# line: each case is a small source with one such mistake.
#
#   check-generator.sh GENERATOR PYTHON WORK-FOLDER
set -euo pipefail
generator=$1
python=$2
work=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"

# A source with every row, from which each case takes one thing away or puts one wrong in.
rows() {
    local row
    for row in $(seq 1 27); do
        [ "$row" = "${1:-}" ] && continue
        echo "@control $row IDC_ROW$row | Row $row | Text of row $row."
    done
}
ids() {
    local row
    for row in $(seq 1 27); do echo "#define IDC_ROW$row $((1000 + row))"; done
    echo "#define IDC_OTHER 2000"
}
ids >"$work/ids.h"

status=0
expect_refusal() {
    local name=$1 message=$2
    if "$python" "$generator" "$work/$name.txt" "$work/out-$name" --version 1 --date 2000-01-01 \
        --ids "$work/ids.h" 2>"$work/$name.err"; then
        echo "FAIL ($name): the generator took the source"
        status=1
    elif ! grep -q -- "$message" "$work/$name.err"; then
        echo "FAIL ($name): expected \"$message\", got: $(cat "$work/$name.err")"
        status=1
    fi
}

{ echo "@title T"; echo "@topic index | all | Index"; rows; } >"$work/good.txt"
"$python" "$generator" "$work/good.txt" "$work/out-good" --version 1 --date 2000-01-01 \
    --ids "$work/ids.h" || { echo "FAIL: a good source was refused"; exit 1; }

{ echo "@title T"; echo "@topic index | all | Index"; rows 5; } >"$work/missing-row.txt"
expect_refusal missing-row "rows must be 1 to 27"

{ echo "@title T"; echo "@topic index | all | Index"; rows 5
  echo "@control 5 IDC_ROW5 | Row 5 | $(printf 'x%.0s' $(seq 79))"; } >"$work/long-popup.txt"
expect_refusal long-popup "too long"

{ echo "@title T"; echo "@topic index | all | Index"; rows
  echo "@popup IDC_UNKNOWN | A control the program does not have."; } >"$work/unknown-id.txt"
expect_refusal unknown-id "IDC_UNKNOWN is not defined"

{ echo "@title T"; echo "@topic editor | all | Editor"; rows; } >"$work/no-index.txt"
expect_refusal no-index "no topic 'index'"

{ echo "@title T"; echo "@topic index | everyone | Index"; rows; } >"$work/bad-audience.txt"
expect_refusal bad-audience "line 2: bad topic id or audience"

{ echo "@title T"; echo "@topic index | all | Index"; rows; echo "- a term without its text"; } \
    >"$work/bad-item.txt"
expect_refusal bad-item "item without"

# The project's own source passes, with the project's ids.
"$python" "$generator" "$here/help/tarnwick-help.txt" "$work/out-project" --version 1 \
    --date 2000-01-01 --ids "$here/res/resource.h" "$here/framework/Types.h" ||
    { echo "FAIL: the project's help source was refused"; status=1; }
exit $status
