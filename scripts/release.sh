#!/usr/bin/env bash
# Builds the release files into dist/: the Debian package (from the
# README's plain Release build line, the program alone), the Windows zip
# (from the presets windows and windows64), the source tarball, and
# SHA256SUMS over them. Installs what it needs when run as root.
# Usage: scripts/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
scripts/ensure-deps.sh "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"

# The tarball holds the tree as it is, files git does not know included.
if command -v git >/dev/null && git rev-parse --git-dir >/dev/null 2>&1 &&
    [ -n "$(git status --porcelain)" ]; then
    echo "release: warning: the tree has changes git has not committed; they go into the tarball" >&2
fi

jobs=$(nproc)
echo "== release: Debian package and source tarball"
rm -f build/release/*.deb build/release/*.tar.gz
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSHIROKURO_TESTS=OFF >/dev/null
cmake --build build/release -j "$jobs" >/dev/null
cmake --build build/release --target package >/dev/null
cmake --build build/release --target package_source >/dev/null

echo "== release: Windows zip"
for preset in windows windows64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" >/dev/null
done
rm -f build/windows/*.zip
cmake --build build/windows --target package >/dev/null

rm -rf dist
mkdir dist
cp build/release/*.deb build/release/*.tar.gz build/windows/*.zip dist/
(cd dist && sha256sum -- * >SHA256SUMS)
ls -l dist
