#!/usr/bin/env bash
# Times "twinfold-cli --verify" against xxhsum -H3 hashing the same files (warm page cache,
# the same run), then a second verification that finds every hash in its cache, and prints
# the peak memory of both verifications beside the size of the biggest file.
# Usage: bench/verify.sh BUILD_BIN [MIB_PER_FILE] [GROUPS]   (defaults: 64 MiB, 4 groups)
#
# Measured on a shared 2-core VM (ext4, load about 7 from other builds), 16 files of 64 MiB:
#   xxhsum -H3 0.34-0.72 s; twinfold-cli --verify (search included) 0.44-0.72 s, peak
#   about 10 MiB; again from the cache 0.02-0.06 s. The same peak memory with files of
#   any size: one 128 KiB buffer per reader. Two 4 GiB sparse files that differ in their
#   first byte: 8 KiB read, well under a second (tests/verify).
set -euo pipefail
bin=$1
mib=${2:-64}
groups=${3:-4}
command -v xxhsum >/dev/null || { echo "verify.sh: xxhsum is missing (Debian xxhash)" >&2; exit 1; }
root=${TMPDIR:-/tmp}/twinfold-verify-bench
rm -rf "$root"
trap 'rm -rf "$root"' EXIT
# Each group: three copies with the same bytes and one that differs in its last byte, all of
# one name, size and time, so that every file is read whole.
for g in $(seq 1 "$groups"); do
  mkdir -p "$root/tree/a" "$root/tree/b" "$root/tree/c" "$root/tree/d"
  head -c $((mib << 20)) /dev/urandom >"$root/tree/a/f$g.bin"
  cp "$root/tree/a/f$g.bin" "$root/tree/b/f$g.bin"
  cp "$root/tree/a/f$g.bin" "$root/tree/c/f$g.bin"
  cp "$root/tree/a/f$g.bin" "$root/tree/d/f$g.bin"
  printf '\377' | dd of="$root/tree/d/f$g.bin" bs=1 seek=$(((mib << 20) - 1)) conv=notrunc status=none
  touch -d "2025-01-01 12:00:00" "$root"/tree/?/f$g.bin
done
files=$(find "$root/tree" -type f | sort)
cat $files >/dev/null  # warm
now() { date +%s%N; }
ms() { echo $((($2 - $1) / 1000000)); }

t0=$(now); xxhsum -H3 $files >/dev/null; t1=$(now)
export XDG_CACHE_HOME=$root/cache XDG_CONFIG_HOME=$root/config
/usr/bin/time -f %M -o "$root/first.mem" "$bin/twinfold-cli" --verify --no-progress "$root/tree" >"$root/first.txt"
t2=$(now)
/usr/bin/time -f %M -o "$root/second.mem" "$bin/twinfold-cli" --verify --no-progress "$root/tree" >"$root/second.txt"
t3=$(now)
cmp -s "$root/first.txt" "$root/second.txt" || { echo "verify.sh: the runs differ" >&2; exit 1; }
echo "files: $(echo "$files" | wc -l) of $mib MiB"
echo "xxhsum -H3:             $(ms "$t0" "$t1") ms"
echo "twinfold-cli --verify:  $(ms "$t1" "$t2") ms (peak $(cat "$root/first.mem") KiB)"
echo "again, from the cache:  $(ms "$t2" "$t3") ms (peak $(cat "$root/second.mem") KiB)"
tail -1 "$root/first.txt"
