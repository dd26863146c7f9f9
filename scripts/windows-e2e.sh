#!/usr/bin/env bash
# Builds the native Windows programs, 32-bit (preset "windows", the
# platform's own) and 64-bit (preset "windows64"), and runs the transcript
# suite and the Windows-only checks under Wine against one of them: the
# 32-bit program under 32-bit Wine where this machine runs 32-bit
# programs, else the 64-bit program under 64-bit Wine. Installs what it
# needs when it runs as root; where no Wine can be installed or started it
# says SKIPPED with the reason and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

skip() { echo "== windows: SKIPPED ($1)"; exit 0; }

# Installs the packages given; false when they are missing and cannot be.
install() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
        echo "   not root, cannot install: ${missing[*]}"
        return 1
    fi
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    scripts/ensure-deps.sh "${missing[@]}"
}

install "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" faketime libc-bin || skip "cannot install MinGW-w64"
command -v python3 >/dev/null || install python3 || skip "cannot install python3"

jobs=$(nproc)
SECONDS=0
echo "== windows build"
for preset in windows windows64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
# The Linux program, built apart, replays the Windows one's computer games.
linux=build/windows-ref/shirokuro
cmake -S . -B build/windows-ref -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHIROKURO_TESTS=OFF >/dev/null
cmake --build build/windows-ref -j "$jobs" --target shirokuro >/dev/null
echo "   built in ${SECONDS} s"

if scripts/runs-32bit.sh; then
    echo "== windows: 32-bit program under 32-bit Wine (this machine runs 32-bit programs)"
    install "${WINE32_PACKAGES[@]}" || skip "cannot install 32-bit Wine"
    exe=build/windows/shirokuro.exe mingw=i686-w64-mingw32
    loader=wine server=wineserver skip=()
else
    echo "== windows: 64-bit program under 64-bit Wine (this machine runs no 32-bit programs)"
    install "${WINE64_PACKAGES[@]}" || skip "cannot install 64-bit Wine"
    exe=build/windows64/shirokuro.exe mingw=x86_64-w64-mingw32
    # Debian's /usr/bin/wine would pick the 32-bit loader.
    loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64
    # 64-bit Wine reserves more address space at start than the memory
    # case's limit allows, so the limit would stop Wine, not the game.
    skip=(--skip out_of_memory)
fi

# A private prefix per program, and a server that stays up between the
# runs, so no Wine helper is started by a test run and holds its pipes open.
export WINEPREFIX="$PWD/${exe%/*}/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export SHIROKURO_WINE="$loader" SHIROKURO_WINESERVER="$server"
unset DISPLAY WAYLAND_DISPLAY
case "$WINEPREFIX" in *[[:space:]]*) echo "windows: the path $WINEPREFIX must not hold blanks" >&2; exit 1 ;; esac
stop_wine() { timeout 60 "$server" -k </dev/null >/dev/null 2>&1 || true; }
trap stop_wine EXIT
stop_wine
mkdir -p "$WINEPREFIX"
SECONDS=0
timeout 60 "$server" -p </dev/null >/dev/null 2>&1 || true
timeout 300 "$loader" cmd /c exit </dev/null >/dev/null 2>&1 || skip "Wine does not start a program: $loader"
echo "   Wine ready in ${SECONDS} s"

echo "== windows tests"
SECONDS=0
# No fixed clock reaches a program under Wine (the computer games are
# replayed below instead). Closed or unreadable standard input fails
# with Wine's own code: Wine opens the current directory on the lowest
# free descriptor, so both become reads from a directory (code 1). The
# search table's memory case sets a limit far below what Wine itself needs.
# The tools' read and write failures name the C library's own reasons, and
# Wine's differ.
timeout 900 python3 tests/e2e/run_e2e.py --binary "$exe" \
    --wrapper "env WINEPREFIX=$WINEPREFIX WINEDEBUG=$WINEDEBUG WINEDLLOVERRIDES=$WINEDLLOVERRIDES $loader" \
    --skip-clock --skip stdin_closed --skip stdin_unreadable --skip level_out_of_memory \
    --skip solve_stdout_full --skip help_stdout_closed --skip solve_stdin_directory "${skip[@]}"
timeout 600 python3 tests/windows/check_windows.py --exe "$exe" --linux-binary "$linux" --mingw "$mingw"
echo "   tested in ${SECONDS} s"
