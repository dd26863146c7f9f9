#!/usr/bin/env bash
# Makes sure the Debian packages that building, testing and playing need
# are installed: installs the missing ones when running as root, otherwise
# says in one line what to install and fails.
# Usage: scripts/ensure-deps.sh PACKAGE...
set -euo pipefail

missing=()
for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=300 update -qq >/dev/null
    apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    exit 0
fi
echo "missing packages; install them with: sudo apt-get install ${missing[*]}" >&2
exit 1
