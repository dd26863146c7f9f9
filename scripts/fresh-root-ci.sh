#!/usr/bin/env bash
# Runs CI as a new user's bare machine would: a minimal Debian 12 root
# (debootstrap --variant=minbase bookworm) with nothing added but git, a
# clean clone of this repository's committed HEAD made by that git, and
# `CI=true bash .ci/run </dev/null` in it as root. Everything else the run
# needs, the project's own scripts install. Prints the run's output and its
# time, and exits with its status.
#
# Needs root on a Debian host (it installs debootstrap when missing).
# ROOT must not exist yet; it stays afterwards for a look inside (the
# mounts are undone) and is removed with rm -rf.
# Usage: scripts/fresh-root-ci.sh [ROOT [COMMAND...]]
#   ROOT defaults to /var/tmp/freshroot; a COMMAND (run in the clone, such
#   as scripts/release.sh) replaces bash .ci/run. MIRROR=URL names another
#   Debian mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(realpath -m "${1:-/var/tmp/freshroot}")"
shift $(($# > 0 ? 1 : 0))
[ $# -gt 0 ] || set -- bash .ci/run

[ "$(id -u)" -eq 0 ] || { echo "fresh-root-ci: run as root (debootstrap and chroot need it)" >&2; exit 1; }
[ ! -e "$root" ] || { echo "fresh-root-ci: $root exists; remove it or name another" >&2; exit 1; }
scripts/ensure-deps.sh debootstrap

echo "== fresh root: debootstrap --variant=minbase bookworm $root"
debootstrap --variant=minbase bookworm "$root" ${MIRROR:+"$MIRROR"} >"$root.debootstrap.log" 2>&1 ||
    { tail -20 "$root.debootstrap.log"; exit 1; }

mounts=()
unmount() {
    local i
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[i]}" || true; done
}
trap unmount EXIT
mount_in() {  # mount_in TARGET MOUNT-ARGUMENTS...
    local target="$root$1"
    shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}
# What a machine has and a chroot lacks: processes, devices, terminals
# (tmux), shared memory (Wine).
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs tmpfs
cp /etc/resolv.conf "$root/etc/resolv.conf"

in_root() { chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

echo "== fresh root: only git added"
in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends git' \
    >"$root.git.log" 2>&1 || { tail -20 "$root.git.log"; exit 1; }

echo "== fresh root: a clean clone of $(git rev-parse --short HEAD)"
git bundle create "$root/tmp/shirokuro.bundle" HEAD 2>/dev/null
in_root git -c advice.detachedHead=false clone -q /tmp/shirokuro.bundle /root/shirokuro

echo "== fresh root: CI=true $* </dev/null"
SECONDS=0
status=0
in_root CI=true sh -c 'cd /root/shirokuro && exec "$@"' sh "$@" </dev/null 2>&1 || status=$?
echo "== fresh root: $* exited with $status after $((SECONDS / 60)) min $((SECONDS % 60)) s"
exit "$status"
