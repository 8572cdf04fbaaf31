#!/usr/bin/env bash
# Mounts (or unmounts) the small disks of the full-disk test: a tmpfs of SIZE at each
# folder, which Wine reaches through its Z: drive.
#
#   small-disks.sh mount DIR SIZE [DIR SIZE]...     small-disks.sh unmount DIR...
#
# Mounting needs root. Without it nothing is mounted and the test says why it ran nothing
# (it finds no "small-disk" mark file).
set -u
action=$1
shift
while [ $# -gt 0 ]; do
  dir=$1
  shift
  if [ "$action" = mount ]; then
    size=$1
    shift
  fi
  mountpoint -q "$dir" && umount "$dir"
  [ "$action" = mount ] || continue
  mkdir -p "$dir"
  if [ "$(id -u)" != 0 ]; then
    echo "small-disks: not root, $dir stays an ordinary folder" >&2
    continue
  fi
  mount -t tmpfs -o "size=$size" tmpfs "$dir" || exit 1
  : >"$dir/small-disk"
done
exit 0
