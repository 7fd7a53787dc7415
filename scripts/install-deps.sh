#!/usr/bin/env bash
# Installs the Debian packages Twinfold needs to build, test and benchmark.
# Quiet and quick when everything is already there; refreshes the package
# lists only when something has to be installed.
set -euo pipefail

packages=(
  # build
  make cmake ninja-build g++ pkg-config
  # tests, sanitizers, fuzzers, formatting
  libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format
  # the trash and file type descriptions (GLib's GIO, the shared MIME database)
  libglib2.0-dev shared-mime-info
  # the window program and its offscreen tests; the desktop opener for Open and Browse
  qt6-base-dev fonts-dejavu-core xdg-utils
  # the zip plug-in and the document summary reader
  libzip-dev libgsf-1-dev
  # the hashes that verify contents (and xxhsum, which the benchmark compares with)
  libxxhash-dev xxhash
  # the names' Unicode forms and case folding
  libicu-dev
  # the Debian package: manual pages, run-time dependencies, checks, completion
  help2man dpkg-dev lintian man-db bash-completion
  # the limit tests (prlimit) and the benchmarks' stat count and slow file system
  util-linux strace python3-fusepy fuse3
  # the desktop files' checks: desktop entry and AppStream metainfo
  desktop-file-utils appstream
  # the share storage tests: btrfs, XFS and ext4 images, loop devices, where blocks lie
  btrfs-progs xfsprogs e2fsprogs mount
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
