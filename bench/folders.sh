#!/usr/bin/env bash
# Times twinfold-cli --folders against the plain search of the same folders, warm cache,
# in one hyperfine run each, and measures the peak memory of both with /usr/bin/time -v:
# on /usr and on the million-file tree of run.sh. Prints the ratios (--folders may take
# 1.5 times the plain search's time and memory).
# Usage: bench/folders.sh [BIN_DIR] [--quick]
#   BIN_DIR  where twinfold-cli and twinfold-make-tree are (default: build/bin)
#   --quick  the 100,000-file tree instead of the million-file one
# Trees are generated once under $BENCH_DIR (default /tmp/twinfold-bench) and reused.
set -euo pipefail

bin=${1:-build/bin}
quick=0
[ "${2:-}" = "--quick" ] && quick=1
bench_dir=${BENCH_DIR:-/tmp/twinfold-bench}
cli=$bin/twinfold-cli
maker=$bin/twinfold-make-tree
for tool in "$cli" "$maker"; do
  [ -x "$tool" ] || { echo "folders.sh: $tool is missing; build it first" >&2; exit 1; }
done
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}" >/dev/null
fi
mkdir -p "$bench_dir/results"

# The same trees as run.sh (a stamp marks a finished tree).
make_tree() {
  local dir=$bench_dir/$1
  if [ ! -e "$dir.done" ]; then
    rm -rf "$dir"
    echo "Generating $dir ($2 files, $3)..."
    "$maker" --files "$2" --seed 7 --mode "$3" "$dir"
    touch "$dir.done"
  fi
}

peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { print $2 + 0 }'
}

# compare LABEL ROOT: both searches in one hyperfine run, then their peak memory.
compare() {
  local label=$1 root=$2 csv=$bench_dir/results/folders-$1.csv
  hyperfine --warmup 1 --runs "${RUNS:-5}" --export-csv "$csv" \
    -n plain "$cli --no-progress $root" \
    -n folders "$cli --no-progress --folders $root" >&2
  local plain folders plain_kb folders_kb groups
  plain=$(awk -F, 'NR == 2 { print $2 }' "$csv")
  folders=$(awk -F, 'NR == 3 { print $2 }' "$csv")
  plain_kb=$(peak_kb "$cli" --no-progress "$root")
  folders_kb=$(peak_kb "$cli" --no-progress --folders "$root")
  groups=$("$cli" --no-progress --folders "$root" | tail -1)
  printf '%-10s plain %.3f s %7d KiB   --folders %.3f s %7d KiB   time x%.2f  memory x%.2f   %s\n' \
    "$label" "$plain" "$plain_kb" "$folders" "$folders_kb" \
    "$(echo "$folders / $plain" | bc -l)" "$(echo "$folders_kb / $plain_kb" | bc -l)" "$groups"
}

if [ "$quick" -eq 1 ]; then
  make_tree mixed-100k 100000 mixed
  compare tree-100k "$bench_dir/mixed-100k"
else
  make_tree mixed-1m 1000000 mixed
  compare usr /usr
  compare tree-1m "$bench_dir/mixed-1m"
fi
echo "The machine may be shared: times of other work on it land in both columns alike."
