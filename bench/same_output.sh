#!/usr/bin/env bash
# Checks that two builds of twinfold-cli print the same bytes for every criteria set and
# preset (and for saved descriptors holding values out of range) over the given folders:
# a change that should not alter any result is proved not to. Prints each set that
# differs and exits 1 when any does.
# Usage: bench/same_output.sh OLD_CLI NEW_CLI FOLDER...
set -uo pipefail

[ $# -ge 3 ] || { echo "usage: $0 OLD_CLI NEW_CLI FOLDER..." >&2; exit 2; }
old=$1 new=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

sets=("")
for preset in true-duplicates versions formats named; do
  sets+=("--preset $preset" "--preset $preset --symbols 7" "--preset $preset --name exact")
done
for name in exact noext first; do
  for time in same any; do
    for size in same any; do
      sets+=("--name $name --time $time --size $size")
    done
  done
done
# N matters under the first-symbols rule only; elsewhere it must change nothing.
for symbols in 5 8 10; do
  sets+=("--symbols $symbols --time any --size any" "--name noext --symbols $symbols")
done

# Saved descriptors with stored values that the search reads by its fallbacks.
descriptors=()
for values in "name=9" "name=2 symbols=3" "name=2 symbols=11" "name=2 symbols=8" \
  "name=-1 time=-4 size=7" "time=1" "size=1 symbols=0"; do
  file=$scratch/descriptor-${#descriptors[@]}.xml
  {
    echo '<node name="Descriptor"><node name="settings">'
    for pair in $values; do
      echo "<attr name=\"${pair%%=*}\" type=\"i\">${pair#*=}</attr>"
    done
    echo '</node></node>'
  } >"$file"
  descriptors+=("$file")
done

differ=0 runs=0
compare() {
  "$old" "$@" >"$scratch/old" 2>&1
  local old_rc=$?
  "$new" "$@" >"$scratch/new" 2>&1
  local new_rc=$?
  runs=$((runs + 1))
  if [ $old_rc -ne $new_rc ] || ! cmp -s "$scratch/old" "$scratch/new"; then
    echo "differs: $*"
    differ=$((differ + 1))
  fi
}

for folder in "$@"; do
  for set in "${sets[@]}"; do
    # shellcheck disable=SC2086 # a set is a list of options
    compare --no-progress $set "$folder"
  done
  compare --no-progress --format json --preset formats "$folder"
  compare --no-progress --format csv --sort size --name first --symbols 6 "$folder"
  for file in "${descriptors[@]}"; do
    compare --no-progress --descriptor "$file" "$folder"
    compare --no-progress --descriptor "$file" --time any "$folder"
  done
done
echo "$runs runs, $differ differ"
[ "$differ" -eq 0 ]
