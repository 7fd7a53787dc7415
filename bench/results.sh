#!/usr/bin/env bash
# Saved results at scale: 1,000,000 files in 500,000 groups of two. Times, warm cache and
# in one run, the search that writes the results file, "twinfold-cli act --dry-run" on it,
# and the window program opening it (build/bin/twinfold-bench-window --open), and measures
# their peak memory; prints each against the search.
# Usage: bench/results.sh [BIN_DIR] [FILES]
set -euo pipefail
bin=${1:-build/bin}
files=${2:-1000000}
tree=${TMPDIR:-/tmp}/twinfold-bench/pairs-$files
results=${TMPDIR:-/tmp}/twinfold-bench/pairs-$files.twinfold.json
command -v hyperfine >/dev/null || scripts/install-deps.sh
command -v hyperfine >/dev/null || sudo apt-get install -y -qq hyperfine >/dev/null
if [ ! -d "$tree" ]; then
  mkdir -p "$(dirname "$tree")"
  "$bin/twinfold-make-tree" --files "$files" --mode pairs "$tree.tmp"
  mv "$tree.tmp" "$tree"
fi
export QT_QPA_PLATFORM=offscreen
search="$bin/twinfold-cli --no-progress --format json --output $results $tree"
act="$bin/twinfold-cli act $results --keep first --dry-run --format json"
open_window="$bin/twinfold-bench-window --open $results"
$search
hyperfine --warmup 1 --runs 3 --export-json "$results.times.json" \
  -n search "$search" -n "act --dry-run" "$act >/dev/null" -n "window open" "$open_window"
python3 - "$results.times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
runs = {r["command"]: (r["mean"], r["user"] + r["system"]) for r in results}
base, baseCpu = runs["search"]
# Processor time beside the wall time: on a machine that other work keeps busy, it is the
# figure that still compares.
for name, (mean, cpu) in runs.items():
    print(f"{name:>16}: {mean:6.2f} s  ({mean / base:4.2f} x the search)"
          f"  processor {cpu:6.2f} s ({cpu / baseCpu:4.2f} x)")
PY
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'; }
echo "peak memory (MB): search $(($(peak $search) / 1024)), act --dry-run" \
  "$(($(peak $act) / 1024)), window open $(($(peak $open_window) / 1024))"
echo "results file: $(($(stat -c %s "$results") / 1048576)) MB"
