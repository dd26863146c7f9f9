#!/usr/bin/env bash
# The release files as users get them (a stage of ./check):
# - the README's plain build line with the tests, its warnings made errors;
# - the Debian package from that build: lintian finds no errors, its program
#   is the one `cmake --install --strip` gives, and installed into a
#   throwaway root it prints its version and plays scripted games through
#   files and pipes with the transcripts' bytes;
# - the Windows zip holds both programs and both text files, in CR LF;
# - the source tarball: ./play and the plain build line work from it.
# A part whose tools cannot be installed says SKIPPED and why; only a
# fault in the packages makes the stage fail.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh

skip() { echo "   SKIPPED: $1"; }
# Installs the packages given; false when they are missing and cannot be.
have() { scripts/ensure-deps.sh "$@" >/dev/null 2>&1; }

jobs=$(nproc)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

echo "== packages: the plain build line with the tests"
SECONDS=0
rm -f build/plain/*.deb build/plain/*.tar.gz
cmake -S . -B build/plain -DCMAKE_BUILD_TYPE=Release -DSHIROKURO_WERROR=ON >/dev/null
cmake --build build/plain -j "$jobs" >"$work/plain.log" 2>&1 || { cat "$work/plain.log"; exit 1; }
echo "   built without warnings in ${SECONDS} s"

echo "== packages: Debian package"
if ! have "${PACKAGE_PACKAGES[@]}"; then
    skip "cannot install ${PACKAGE_PACKAGES[*]} (dpkg-shlibdeps computes the dependencies, file finds the programs)"
else
    cmake --build build/plain --target package >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
    deb="$(echo build/plain/shirokuro_*.deb)"
    echo "   $deb: $(stat -c %s "$deb") bytes"
    dpkg-deb -c "$deb" | awk '{ print "   " $1, $3, $6 }'
    dpkg-deb -f "$deb" Depends Section Priority | sed 's/^/   /'

    if have "${PACKAGE_CHECK_PACKAGES[@]}"; then
        echo "   lintian:"
        status=0
        lintian --fail-on error --pedantic -I "$deb" >"$work/lintian.log" 2>&1 || status=$?
        grep -v 'running with root privileges' "$work/lintian.log" | grep -E '^[EWIPX]:' | sed 's/^/   /' || true
        [ "$status" -eq 0 ] || { echo "lintian finds errors in $deb"; exit 1; }
    else
        skip "lintian cannot be installed"
    fi

    root="$work/root"
    dpkg -x "$deb" "$root"
    cmake --install build/plain --prefix "$work/install" --strip >/dev/null
    cmp "$root/usr/games/shirokuro" "$work/install/games/shirokuro"
    echo "   the package's program is the one cmake --install --strip gives"
    game="$root/usr/games/shirokuro"
    "$game" --version | sed 's/^/   installed: /'
    python3 tests/e2e/run_e2e.py --binary "$game" --case version --case seed_replays_clock \
        --case computer_game --case person_against_computer | sed 's/^/   /'
fi

echo "== packages: Windows zip"
if ! have "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"; then
    skip "cannot install MinGW-w64"
else
    for preset in windows windows64; do
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset" -j "$jobs" >/dev/null
    done
    rm -f build/windows/*.zip
    cmake --build build/windows --target package >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
    python3 - build/windows/shirokuro-*-windows.zip <<'PY'
import os, sys, zipfile
path = sys.argv[1]
with zipfile.ZipFile(path) as z:
    top = os.path.basename(path)[:-len(".zip")] + "/"
    files = {i.filename[len(top):]: i for i in z.infolist() if not i.is_dir()}
    print(f"   {path}: {os.path.getsize(path)} bytes")
    for name, info in sorted(files.items()):
        print(f"   {info.file_size:8d} {top}{name}")
    wanted = {"32-bit/shirokuro.exe", "64-bit/shirokuro.exe", "README.txt", "LICENSE.txt"}
    assert set(files) == wanted, f"the zip holds {sorted(files)}, not {sorted(wanted)}"
    machines = {"32-bit/shirokuro.exe": 0x14C, "64-bit/shirokuro.exe": 0x8664}
    for name, machine in machines.items():
        data = z.read(top + name)
        pe = int.from_bytes(data[0x3C:0x40], "little")
        assert data[pe:pe + 4] == b"PE\0\0" and int.from_bytes(data[pe + 4:pe + 6], "little") == machine, name
    for name in ("README.txt", "LICENSE.txt"):
        text = z.read(top + name)
        assert text.endswith(b"\r\n") and text.count(b"\n") == text.count(b"\r\n"), f"{name} is not CR LF"
print("   both programs (i386 and x86-64) and both text files in CR LF")
PY
fi

echo "== packages: source tarball"
cmake --build build/plain --target package_source >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
tarball="$(echo build/plain/shirokuro-*.tar.gz)"
echo "   $tarball: $(stat -c %s "$tarball") bytes, $(tar tzf "$tarball" | grep -vc '/$') files"
if tar tzf "$tarball" | grep -E '^[^/]+/(build|dist)/|/\.git(/|$)'; then
    echo "the tarball holds build output or git data"
    exit 1
fi
tar xzf "$tarball" -C "$work"
source_dir="$(echo "$work"/shirokuro-*/)"
SECONDS=0
# ./play builds the game alone and passes its arguments on.
"$source_dir/play" --version </dev/null | sed 's|^|   ./play: |'
# The README's plain line, as it stands; the tests come with it.
(cd "$source_dir" && cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null &&
    cmake --build build -j "$jobs" >"$work/tarball.log" 2>&1) || { cat "$work/tarball.log"; exit 1; }
"$source_dir/build/shirokuro" --version >/dev/null
echo "   ./play and the plain build line work from the tarball (${SECONDS} s)"
