#!/usr/bin/env bash
# The manual page: groff reads it without a warning, and it has the sections a reader of a
# manual page looks for, with every command of the command line described.
#
#   check-manual-page.sh PAGE
# Exit status: 0 passed, 1 failed, 77 skipped (no groff).
set -euo pipefail
page=$1
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }

warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
    echo "groff warns about $page:"
    echo "$warnings"
    exit 1
fi

text=$(groff -man -Tascii -P-cbou "$page" 2>/dev/null)
status=0
for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" KEYS "THE COMMAND LINE" \
               "WHEN A MACHINE DOES NOT BOOT" "SEE ALSO"; do
    if ! grep -qx "$section" <<<"$text"; then
        echo "no section $section"
        status=1
    fi
done
for command in list show set copy delete default timeout restore check; do
    if ! grep -Eq "^ +tarnwick $command PATH" <<<"$text"; then
        echo "the command '$command' is not described"
        status=1
    fi
done
exit $status
