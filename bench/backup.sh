#!/usr/bin/env bash
# Times "twinfold-cli backup delete" and "backup restore" of a few entries among many, the
# cost that grows with the size of the backup folder. Usage: bench/backup.sh [BIN_DIR]
# [ENTRIES] [DELETES] [RESTORES] (defaults: build/bin 20000 60 50). Each run works on a
# fresh folder of plain entries under $BENCH_DIR (default /tmp/twinfold-bench), with a
# private trash, timed once by hyperfine (the work changes the folder, so it cannot repeat).
set -euo pipefail

bin=${1:-build/bin}
entries=${2:-20000}
deletes=${3:-60}
restores=${4:-50}
cli=$bin/twinfold-cli
[ -x "$cli" ] || { echo "backup.sh: $cli is missing; build it first" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "backup.sh: hyperfine is missing" >&2; exit 1; }

work=${BENCH_DIR:-/tmp/twinfold-bench}/backup
rm -rf "$work"
mkdir -p "$work/template" "$work/origin"
export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"

# The entries are written directly, as the program writes them: a copy and a descriptor.
echo "Generating $entries entries..."
awk -v n="$entries" -v dir="$work/template" -v origin="$work/origin" 'BEGIN {
  for (i = 1; i <= n; i++) {
    copy = dir "/" i ".file" i ".txt"
    text = "copy " i "\n"
    printf "%s", text > copy
    close(copy)
    info = copy ".backup_info"
    printf "location\t%s/\r\nplaced\t2026-01-01 10:00:00\r\nmodified\t01/01/26 10:00:00\r\ntype\ttxt\r\nsize\t%d\r\ncomment\t-\r\n", origin, length(text) > info
    close(info)
  }
}'

# Each timed run starts from a fresh copy of the folder, with the originals gone and an
# empty trash.
printf 'rm -rf "%s" "%s" "%s"\nmkdir -p "%s"\ncp -a "%s" "%s"\n' "$work/folder" "$work/origin" \
  "$XDG_DATA_HOME/Trash" "$work/origin" "$work/template" "$work/folder" >"$work/fresh.sh"
# COUNT names spread evenly over the folder.
names() {
  awk -v k="$1" -v n="$entries" \
    'BEGIN { for (j = 1; j <= k; j++) { i = int(j * n / (k + 1)); print i ".file" i ".txt" } }'
}

mapfile -t to_delete < <(names "$deletes")
mapfile -t to_restore < <(names "$restores")
hyperfine --runs 1 --prepare "bash $work/fresh.sh" --export-csv "$work/delete.csv" \
  "$cli backup delete --folder $work/folder ${to_delete[*]}"
hyperfine --runs 1 --prepare "bash $work/fresh.sh" --export-csv "$work/restore.csv" \
  "$cli backup restore --folder $work/folder ${to_restore[*]}"
# Wall time, and the processor time (user + system), which a loaded machine disturbs less.
report() { awk -F, -v what="$1" 'NR == 2 { printf "%s: %.2f s (processor %.2f s)\n", what, $2, $5 + $6 }' "$2"; }
report "delete $deletes of $entries" "$work/delete.csv"
report "restore $restores of $entries" "$work/restore.csv"
