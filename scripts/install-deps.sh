#!/usr/bin/env bash
# Installs what building and testing need (the README's build lines
# included, a plain cmake line too) when run as root; otherwise says in
# one line what to install.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
scripts/ensure-deps.sh "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
command -v python3 >/dev/null || scripts/ensure-deps.sh python3
