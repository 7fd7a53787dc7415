# What the bench scripts share; sourced after they set bench_dir, cli and maker.

# install_missing PACKAGE...: installs the Debian packages named (none: nothing).
install_missing() {
  [ $# -gt 0 ] || return 0
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$@" >/dev/null
}

# need_tools SCRIPT: stops unless twinfold-cli and the tree maker are built.
need_tools() {
  local tool
  for tool in "$cli" "$maker"; do
    [ -x "$tool" ] || { echo "$1: $tool is missing; build it first" >&2; exit 1; }
  done
}

# make_tree NAME FILES MODE: builds $bench_dir/NAME once (a stamp marks a finished tree).
make_tree() {
  local dir=$bench_dir/$1
  if [ ! -e "$dir.done" ]; then
    rm -rf "$dir"
    echo "Generating $dir ($2 files, $3)..."
    "$maker" --files "$2" --seed 7 --mode "$3" "$dir"
    touch "$dir.done"
  fi
}

# peak_kb COMMAND...: maximum resident set size in KiB.
peak_kb() {
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ { print $2 + 0 }'
}

# time_in_turns CSV RUNS WARMUP NAME COMMAND [NAME COMMAND]...: times the commands with
# hyperfine in turns: each round runs every command once, the first one a step further
# along each round. The speed of a shared machine drifts by a fifth within minutes; timed
# one block after another, the command timed in the slower minutes loses, whichever it is.
# Writes hyperfine's CSV columns, one row per command in the order given, and prints each
# one's mean, spread and range.
time_in_turns() {
  local csv=$1 runs=$2 warmup=$3
  shift 3
  local names=() commands=() rounds round k i args name
  while [ $# -ge 2 ]; do
    names+=("$1")
    commands+=("$2")
    shift 2
  done
  rounds=$(mktemp -d)
  for ((round = 0; round < runs; round++)); do
    args=()
    [ "$round" -eq 0 ] && [ "$warmup" -gt 0 ] && args+=(--warmup "$warmup")
    for ((k = 0; k < ${#names[@]}; k++)); do
      i=$(((round + k) % ${#names[@]}))
      args+=(-n "${names[i]}" "${commands[i]}")
    done
    hyperfine --runs 1 --style none --export-csv "$rounds/$round.csv" "${args[@]}" >/dev/null
  done
  echo "command,mean,stddev,median,user,system,min,max" > "$csv"
  for name in "${names[@]}"; do
    awk -F, -v n="$name" 'FNR > 1 && $1 == n { print $2, $5, $6 }' "$rounds"/*.csv | sort -g |
      awk -v n="$name" '
        { t[NR] = $1; s += $1; q += $1 * $1; u += $2; y += $3 }
        END {
          m = s / NR; sd = NR > 1 ? sqrt((q - NR * m * m) / (NR - 1)) : 0;
          if (sd != sd || sd < 0) sd = 0;
          med = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2;
          printf "%s,%.9f,%.9f,%.9f,%.9f,%.9f,%.9f,%.9f\n", n, m, sd, med, u / NR, y / NR, t[1], t[NR];
        }' >> "$csv"
  done
  rm -rf "$rounds"
  awk -F, 'NR > 1 { printf "  %-14s %.3f s ± %.3f s  [%.3f s … %.3f s], %d runs in turns\n",
                    $1, $2, $3, $7, $8, r }' r="$runs" "$csv"
}
