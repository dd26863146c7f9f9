#!/usr/bin/env bash
# Succeeds when this machine runs 32-bit x86 programs; the Windows stage
# picks its Wine and its program by it. Some kernels run none at all
# ("Exec format error"), whatever is installed.
#
# The probe is the smallest i386 Linux program: an ELF header, one
# segment and exit(42) through int 0x80. Only a machine that really ran
# it gives 42. A RUNNER given as arguments runs the probe instead of the
# kernel (the detection's own test uses CPU emulators for both answers).
# Usage: scripts/runs-32bit.sh [RUNNER...]
set -uo pipefail

probe="$(mktemp)"
trap 'rm -f "$probe"' EXIT
header='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'  # 32-bit, little-endian
header+='\x02\x00\x03\x00\x01\x00\x00\x00'  # executable, i386, version 1
header+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'  # entry, program headers at 52
header+='\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'  # sizes: one program header, no sections
segment='\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'  # load the file at 0x08048000
segment+='\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'  # 96 bytes, read and execute
code='\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'  # mov eax,1; mov ebx,42; int 0x80
printf "$header$segment$code" >"$probe"
chmod +x "$probe"
"$@" "$probe" </dev/null >/dev/null 2>&1
[ $? -eq 42 ]
