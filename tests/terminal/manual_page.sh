#!/bin/sh
# Renders the manual page the way man does on a UTF-8 terminal and in the
# C locale (ASCII), and fails on any warning. Exits 77 (skipped) when groff
# is missing.
page="$1"
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }
warnings="$(LC_ALL=C.UTF-8 groff -k -man -Tutf8 -ww -z "$page" 2>&1)" || exit 1
warnings="$warnings
$(LC_ALL=C groff -man -Tascii -ww -z "$page" 2>&1)" || exit 1
if command -v man >/dev/null; then
    for locale in C.UTF-8 C; do
        warnings="$warnings
$(LC_ALL=$locale MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" || exit 1
    done
fi
[ -z "$(printf '%s' "$warnings" | tr -d '\n')" ] || { printf '%s\n' "$warnings"; exit 1; }
