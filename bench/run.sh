#!/usr/bin/env bash
# Times twinfold-cli against bfs listing the same trees (names, sizes, times), warm cache,
# in one run, the programs taking turns, and measures peak memory; times similar names
# against the exact search.
# Usage: bench/run.sh [BIN_DIR] [--quick]
#   BIN_DIR  where twinfold-cli and twinfold-make-tree are (default: build/bin)
#   --quick  100,000-file trees only (no million-file tree, no /usr, no slow file system)
# Trees are generated once under $BENCH_DIR (default /tmp/twinfold-bench) and reused.
# REF_CLI=PATH times another twinfold-cli (an earlier build) in the same turns as this
# one, and prints this one's time as a ratio of it.
set -euo pipefail

bin=${1:-build/bin}
quick=0
[ "${2:-}" = "--quick" ] && quick=1
bench_dir=${BENCH_DIR:-/tmp/twinfold-bench}
cli=$bin/twinfold-cli
maker=$bin/twinfold-make-tree
. "$(dirname "$0")/common.sh"
need_tools run.sh

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v bfs >/dev/null || need+=(bfs)
command -v strace >/dev/null || need+=(strace)
[ "$quick" -eq 1 ] || /usr/bin/python3 -c 'import fusepy' 2>/dev/null || need+=(python3-fusepy)
[ "$quick" -eq 1 ] || command -v fusermount >/dev/null || need+=(fuse3)
[ -x /usr/bin/time ] || need+=(time)
install_missing "${need[@]}"

mkdir -p "$bench_dir"
results=$bench_dir/results
mkdir -p "$results"

# mean_seconds CSV: the mean of the first command of a hyperfine CSV export.
mean_of() { awk -F, -v row="$2" 'NR == row + 1 { print $2 }' "$1"; }

declare -A seconds bfs_seconds files peaks idles
# compare LABEL ROOT [TARGET [STRETCH]]: TARGET is the most twinfold-cli may take, as a
# multiple of bfs's time (default 1.25); where it is below 1, the search must skip work
# bfs does or use more than one core.
compare() {
  local label=$1 root=$2 target=${3:-1.25} stretch=${4:-} csv=$results/$1.csv
  files[$label]=$(bfs "$root" -type f -printf . 2>/dev/null | wc -c)  # names may hold newlines
  echo
  echo "== $label: $root (${files[$label]} files)"
  local reference=()
  [ -n "${REF_CLI:-}" ] && reference=(reference "$REF_CLI --no-progress --format text '$root'")
  time_in_turns "$csv" "${RUNS:-5}" 1 \
    twinfold-cli "$cli --no-progress --format text '$root'" \
    bfs "bfs '$root' -type f -printf '%f %s %T@\n' 2>/dev/null" \
    "${reference[@]}"
  seconds[$label]=$(mean_of "$csv" 1)
  bfs_seconds[$label]=$(mean_of "$csv" 2)
  local idle peak
  idle=$(peak_kb "$cli" --no-progress "$bench_dir/empty")
  peak=$(peak_kb "$cli" --no-progress --format text "$root")
  peaks[$label]=$peak
  idles[$label]=$idle
  # Wall times on a busy machine include waiting for a processor; the processor times
  # (user + system) are given beside them.
  awk -F, -v l="$label" -v i="$idle" -v p="$peak" -v n="${files[$label]}" -v g="$target" \
    -v s="$stretch" '
    NR == 2 { t = $2; tc = $5 + $6 }
    NR == 3 { b = $2; bc = $5 + $6 }
    NR == 4 { ref = $2 }
    END {
      r = t / b; per = (p - i) * 1024 / (n > 0 ? n : 1);
      printf "%s: twinfold-cli %.3f s, bfs %.3f s, ratio %.2f (target <= %s: %s%s)\n",
             l, t, b, r, g, r <= g ? "met" : "MISSED",
             s != "" ? (r <= s ? ", stretch " s " met" : ", stretch " s " missed") : "";
      printf "%s: processor time twinfold-cli %.3f s, bfs %.3f s, ratio %.2f\n",
             l, tc, bc, tc / bc;
      if (ref > 0) printf "%s: reference twinfold-cli %.3f s, this one %.2f x of it\n", l, ref, t / ref;
      printf "%s: peak %d KiB, idle %d KiB, %.0f bytes per file above idle (target < 250: %s)\n",
             l, p, i, per, per < 250 ? "met" : "MISSED";
    }' "$csv" | tee -a "$results/summary.txt"
}

# stat_calls ROOT: the stat-family calls of a search with the default criteria, beside
# their bound: the files whose name another file has, 2 per folder, and 1,000.
stat_calls() {
  local root=$1 calls shared folders
  calls=$(strace -f -qq -c -e trace=statx,newfstatat,fstat,lstat,stat \
    "$cli" --no-progress --format text "$root" 2>&1 >/dev/null | awk '$NF == "total" { print $4 }')
  shared=$(bfs "$root" -type f -printf '%f\0' 2>/dev/null | sort -z | uniq -zc | tr '\0' '\n' |
    awk '$1 >= 2 { s += $1 } END { print s + 0 }')
  folders=$(bfs "$root" -type d -printf . 2>/dev/null | wc -c)
  awk -v l="$root" -v c="$calls" -v s="$shared" -v d="$folders" 'BEGIN {
    b = s + 2 * d + 1000;
    printf "stat calls %s: %d (bound %d = %d files with a shared name + 2 x %d folders + 1000: %s)\n",
           l, c, b, s, d, c <= b ? "met" : "MISSED";
  }' | tee -a "$results/summary.txt"
}

# On a slow file system (a FUSE passthrough answering each request after 1 ms, as a
# network share might), twinfold-cli against bfs on a tree of 10,000 files.
slow_fs() {
  local source=$bench_dir/mixed-10k mount=$bench_dir/slow csv=$results/slow.csv pid
  make_tree mixed-10k 10000 mixed
  mkdir -p "$mount"
  fusermount -u "$mount" 2>/dev/null || true
  /usr/bin/python3 "$(dirname "$0")/slow_fs.py" "$source" "$mount" 1 &
  pid=$!
  for _ in $(seq 50); do mountpoint -q "$mount" && break; sleep 0.1; done
  echo
  echo "== slow file system: $mount (1 ms per request)"
  local reference=()
  [ -n "${REF_CLI:-}" ] && reference=(reference "$REF_CLI --no-progress --format text '$mount'")
  time_in_turns "$csv" "${SLOW_RUNS:-3}" 0 \
    twinfold-cli "$cli --no-progress --format text '$mount'" \
    bfs "bfs '$mount' -type f -printf '%f %s %T@\n' 2>/dev/null" \
    "${reference[@]}"
  fusermount -u "$mount" || kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -F, 'NR == 2 { t = $2 } NR == 3 { b = $2 } NR == 4 { ref = $2 } END {
    r = t / b;
    printf "slow file system: twinfold-cli %.3f s, bfs %.3f s, ratio %.2f (target <= 0.5: %s)\n",
           t, b, r, r <= 0.5 ? "met" : "MISSED";
    if (ref > 0) printf "slow file system: reference twinfold-cli %.3f s, this one %.2f x of it\n", ref, t / ref;
  }' "$csv" | tee -a "$results/summary.txt"
}

mkdir -p "$bench_dir/empty"
: > "$results/summary.txt"
make_tree mixed-100k 100000 mixed
make_tree one-name-100k 100000 one-name
make_tree flat-100k 100000 flat
compare mixed-100k "$bench_dir/mixed-100k"
compare one-name-100k "$bench_dir/one-name-100k"
compare flat-100k "$bench_dir/flat-100k"
if [ "$quick" -eq 0 ]; then
  make_tree mixed-1m 1000000 mixed
  compare mixed-1m "$bench_dir/mixed-1m" 0.55
  compare usr /usr 0.6 0.5
  stat_calls /usr
  slow_fs
  awk -v a="${seconds[mixed-1m]}" -v b="${seconds[mixed-100k]}" \
    -v fa="${bfs_seconds[mixed-1m]}" -v fb="${bfs_seconds[mixed-100k]}" \
    -v pa="${peaks[mixed-1m]}" -v ia="${idles[mixed-1m]}" \
    -v pb="${peaks[mixed-100k]}" -v ib="${idles[mixed-100k]}" 'BEGIN {
    r = a / b;
    printf "scaling: 1,000,000 files take %.2f x the time of 100,000 (target <= 10.5: %s)\n",
           r, r <= 10.5 ? "met" : "MISSED";
    # How the system itself grows on these trees, for reading the figure above: bfs does the
    # same listing and stat calls on one thread.
    printf "scaling: bfs takes %.2f x the time on the same trees\n", fa / (fb > 0 ? fb : 1);
    m = (pa - ia) / (pb - ib > 0 ? pb - ib : 1);
    printf "scaling: 1,000,000 files take %.2f x the memory above idle of 100,000 (target <= 10.5: %s)\n",
           m, m <= 10.5 ? "met" : "MISSED";
  }' | tee -a "$results/summary.txt"
fi

# Similar names against the exact search on the same tree, timed in turns: time and
# peak memory at 90, 80 and 70 %. At 90 % the search may take at most 10 times the exact
# search's time and twice its memory.
similar_vs_exact() {  # similar_vs_exact LABEL ROOT
  local label=$1 root=$2 csv=$results/similar-$1.csv
  echo
  echo "== similar-$label: $root"
  time_in_turns "$csv" "${SIMILAR_RUNS:-3}" 1 \
    exact "$cli --no-progress --format text '$root'" \
    similar-90 "$cli --no-progress --format text --name similar --similarity 90 '$root'" \
    similar-80 "$cli --no-progress --format text --name similar --similarity 80 '$root'" \
    similar-70 "$cli --no-progress --format text --name similar --similarity 70 '$root'"
  local exact_kb p90 p80 p70
  exact_kb=$(peak_kb "$cli" --no-progress --format text "$root")
  p90=$(peak_kb "$cli" --no-progress --format text --name similar --similarity 90 "$root")
  p80=$(peak_kb "$cli" --no-progress --format text --name similar --similarity 80 "$root")
  p70=$(peak_kb "$cli" --no-progress --format text --name similar --similarity 70 "$root")
  awk -F, -v l="similar-$label" -v e="$exact_kb" -v p90="$p90" -v p80="$p80" -v p70="$p70" '
    NR == 2 { exact = $2 }
    NR >= 3 {
      split("90 80 70", at, " ");
      p = NR == 3 ? p90 : NR == 4 ? p80 : p70;
      t = $2 / exact; m = p / (e > 0 ? e : 1);
      verdict = NR == 3 ? ((t <= 10 && m <= 2) ? " (target at 90 %: <= 10 x time, <= 2 x memory: met)" \
                                               : " (target at 90 %: <= 10 x time, <= 2 x memory: MISSED)") : "";
      printf "%s at %s %%: %.3f s, %.2f x the exact search (%.3f s); peak %d KiB, %.2f x its %d KiB%s\n",
             l, at[NR - 2], $2, t, exact, p, m, e, verdict;
    }' "$csv" | tee -a "$results/summary.txt"
}
if [ "$quick" -eq 0 ]; then
  similar_vs_exact usr /usr
  similar_vs_exact mixed-1m "$bench_dir/mixed-1m"
else
  similar_vs_exact mixed-100k "$bench_dir/mixed-100k"
fi

# The window program's search, through its real controller on the offscreen platform
# (twinfold-bench-window), beside twinfold-cli on the same folders in the same run: the
# mixed tree as one folder, and its five biggest sub-folders as five included folders.
window=$bin/twinfold-bench-window
window_vs_cli() {  # window_vs_cli LABEL FOLDER...
  local label=$1 csv=$results/window-$1.csv quoted
  shift
  quoted=$(printf "'%s' " "$@")
  echo
  echo "== window-$label: $# included folder(s)"
  hyperfine --warmup 1 --runs "${RUNS:-5}" --export-csv "$csv" --style basic \
    -n twinfold-cli "$cli --no-progress --format text $quoted" | grep -E 'Time|±' || true
  # The window's time runs from the click on "Start search" to the groups in the lists.
  local shown
  shown=$(QT_QPA_PLATFORM=offscreen "$window" --warmup 1 --runs "${RUNS:-5}" "$@" 2>/dev/null |
    awk '/^mean/ { print $2 }')
  awk -F, -v l="window-$label" -v w="$shown" 'NR == 2 {
      r = w / $2;
      printf "%s: window program %.3f s, twinfold-cli %.3f s, ratio %.2f (target <= 1.15: %s)\n",
             l, w, $2, r, r <= 1.15 ? "met" : "MISSED";
    }' "$csv" | tee -a "$results/summary.txt"
}
if [ -x "$window" ]; then
  window_vs_cli one-folder "$bench_dir/mixed-100k"
  mapfile -t five < <(for dir in "$bench_dir/mixed-100k"/*/; do
    printf '%s\t%s\n' "$(bfs "$dir" -type f -printf . 2>/dev/null | wc -c)" "${dir%/}"
  done | sort -k1,1nr -k2 | head -5 | cut -f2)
  window_vs_cli five-folders "${five[@]}"
else
  echo "run.sh: $window is missing (built with the window program); its comparison is left out"
fi

# Memory per file above an idle run, in one table: per scanned file on the big trees
# (target <= 80 bytes) and per grouped file where nearly every file is grouped (target
# <= 250 bytes). The grouped count is the one the search itself reports.
idle_kb=$(peak_kb "$cli" --no-progress "$bench_dir/empty")
found_of() {  # found_of ARGS...: the files in groups, from the final status line
  "$cli" --no-progress --format text "$@" | tail -n 1 | sed -n 's/.*(\([0-9]*\) files\{0,1\} found).*/\1/p'
}
memory_line() {  # memory_line LABEL UNIT TARGET FILES ARGS...
  local label=$1 unit=$2 target=$3 n=$4 peak
  shift 4
  peak=$(peak_kb "$cli" --no-progress --format text "$@")
  awk -v l="$label" -v u="$unit" -v t="$target" -v n="$n" -v p="$peak" -v i="$idle_kb" 'BEGIN {
    per = (p - i) * 1024 / (n > 0 ? n : 1);
    printf "memory %s: %.0f bytes per %s file above idle (peak %d KiB, idle %d KiB, %d files; target <= %d: %s)\n",
           l, per, u, p, i, n, t, per <= t ? "met" : "MISSED";
  }' | tee -a "$results/summary.txt"
}
echo
echo "== memory per file"
one_name=$bench_dir/one-name-100k
memory_line one-name-100k grouped 250 "$(found_of "$one_name")" "$one_name"
if [ "$quick" -eq 0 ]; then
  first5=(--name first --symbols 5 --time any --size any)
  memory_line "mixed-1m ${first5[*]}" grouped 250 \
    "$(found_of "${first5[@]}" "$bench_dir/mixed-1m")" "${first5[@]}" "$bench_dir/mixed-1m"
  memory_line mixed-1m scanned 80 "${files[mixed-1m]}" "$bench_dir/mixed-1m"
  memory_line usr scanned 80 "${files[usr]}" /usr
fi

echo
echo "Summary in $results/summary.txt"
