#!/usr/bin/env bash
# fuzz/run.sh BIN_DIR replay        runs every corpus input once through its target
# fuzz/run.sh BIN_DIR fuzz SECONDS  fuzzes each target, adding new inputs to its corpus
set -euo pipefail
bin=$1 mode=$2 secs=${3:-60}
here=$(cd "$(dirname "$0")" && pwd)
status=0 ran=0
for target in "$bin"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$here/corpus/$name"
  mkdir -p "$corpus"
  if [ "$mode" = replay ]; then
    echo "replaying $(ls "$corpus" | wc -l) inputs through $name"
    "$target" -runs=0 "$corpus" 2>"/tmp/$name.log" || { status=1; tail -n 40 "/tmp/$name.log"; }
  else
    work=$(mktemp -d)
    "$target" -max_total_time="$secs" -print_final_stats=1 "$work" "$corpus" || status=1
    # keep the corpus small: merge what was found into the checked-in corpus
    "$target" -merge=1 "$corpus" "$work" >/dev/null 2>&1 || true
    rm -rf "$work"
  fi
  ran=$((ran + 1))
done
echo "fuzz $mode: $ran targets"
exit $status
