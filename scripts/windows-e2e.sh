#!/usr/bin/env bash
# Builds the native 32-bit Windows program (preset "windows") and runs the
# transcript suite and the Windows-only checks against it under Wine.
# Installs what it needs when it runs as root; when it cannot, it says so
# in one line and skips with status 0.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

packages=("${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}" faketime libc-bin)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
        echo "== windows: SKIPPED (not root, cannot install: ${missing[*]})"
        exit 0
    fi
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    if ! scripts/ensure-deps.sh "${missing[@]}"; then
        echo "== windows: SKIPPED (installing failed: ${missing[*]})"
        exit 0
    fi
fi
command -v python3 >/dev/null || scripts/ensure-deps.sh python3

jobs=$(nproc)
SECONDS=0
echo "== windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
exe=build/windows/shirokuro.exe
# The Linux program, built apart, replays the Windows one's computer games.
linux=build/windows-ref/shirokuro
cmake -S . -B build/windows-ref -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHIROKURO_TESTS=OFF >/dev/null
cmake --build build/windows-ref -j "$jobs" --target shirokuro >/dev/null
echo "   built in ${SECONDS} s"

# A private prefix, and a server that stays up between the runs, so no
# Wine helper is started by a test run and holds its pipes open.
export WINEPREFIX="$PWD/build/windows/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY
case "$WINEPREFIX" in *[[:space:]]*) echo "windows: the path $WINEPREFIX must not hold blanks" >&2; exit 1 ;; esac
stop_wine() { timeout 60 wineserver -k </dev/null >/dev/null 2>&1 || true; }
trap stop_wine EXIT
stop_wine
mkdir -p "$WINEPREFIX"
SECONDS=0
timeout 60 wineserver -p </dev/null >/dev/null 2>&1 || true
if ! timeout 300 wine cmd /c exit </dev/null >/dev/null 2>&1; then
    echo "windows: Wine does not start a program" >&2
    exit 1
fi
echo "   Wine ready in ${SECONDS} s"

echo "== windows tests"
SECONDS=0
# No fixed clock reaches a program under Wine (the computer games are
# replayed below instead). Closed or unreadable standard input fails
# with Wine's own code: Wine opens the current directory on the lowest
# free descriptor, so both become reads from a directory (code 1).
timeout 900 python3 tests/e2e/run_e2e.py --binary "$exe" \
    --wrapper "env WINEPREFIX=$WINEPREFIX WINEDEBUG=$WINEDEBUG WINEDLLOVERRIDES=$WINEDLLOVERRIDES wine" \
    --skip-clock --skip stdin_closed --skip stdin_unreadable
timeout 600 python3 tests/windows/check_windows.py --exe "$exe" --linux-binary "$linux"
echo "   tested in ${SECONDS} s"
