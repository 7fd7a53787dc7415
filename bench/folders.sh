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
. "$(dirname "$0")/common.sh"
need_tools folders.sh
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[ -x /usr/bin/time ] || need+=(time)
install_missing "${need[@]}"
mkdir -p "$bench_dir/results"

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
