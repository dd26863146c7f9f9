#!/bin/sh
# The Windows stage's question "does this machine run 32-bit programs?",
# answered both ways whatever machine runs the test: an emulated i386 CPU
# must run the probe, an emulated 64-bit-only CPU must refuse it.
# Usage: runs_32bit_test.sh scripts/runs-32bit.sh
detect=$1
if ! command -v qemu-i386 >/dev/null || ! command -v qemu-x86_64 >/dev/null; then
    echo "SKIPPED: qemu-user is not installed"
    exit 77
fi
status=0
"$detect" qemu-i386 || { echo "FAIL: an i386 CPU ran the probe, yet the answer was no"; status=1; }
"$detect" qemu-x86_64 && { echo "FAIL: a 64-bit-only CPU cannot run the probe, yet the answer was yes"; status=1; }
if "$detect"; then echo "this machine runs 32-bit programs"; else echo "this machine runs no 32-bit programs"; fi
exit $status
