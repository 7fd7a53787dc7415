#!/usr/bin/env bash
# Checks the layers of the source tree: every #include of a project header names a folder
# that the including folder may use (README's layout table), and only platform/ reaches
# the file system through std::filesystem or <fstream>.
# Usage: check_layers.sh SOURCE_DIR
set -u
cd "$1" || exit 2

# Folder -> the folders its code may include (itself always included).
declare -A allowed=(
  [base]=""
  [datatree]="base"
  [platform]="base datatree"
  [settings]="base datatree platform"
  [scan]="base datatree platform"
  [duplicates]="base datatree platform"
  [search]="base datatree platform scan duplicates"
  [results]="base datatree platform settings scan duplicates search"
  [app]="base datatree platform settings scan duplicates search results"
  [ui]="base datatree platform settings scan duplicates search results app"
  [cli]="base datatree platform settings scan duplicates search results app"
  [plugins]="base platform"
)

failures=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(printf '%s\n' "$line" | sed -E 's/.*#include "([a-z_]+)\/.*/\1/')
    [ "$target" = "$folder" ] && continue
    case " ${allowed[$folder]} " in
      *" $target "*) ;;
      *)
        echo "upward or sideways include: $line"
        failures=$((failures + 1))
        ;;
    esac
  done < <(grep -rnE '^#include "[a-z_]+/' --include='*.h' --include='*.cpp' "$folder")
done

# The file system is reached only through platform/. Tests, benchmarks and fuzz targets
# prepare their own scratch files.
while IFS= read -r line; do
  file=${line%%:*}
  case "$file" in
    platform/* | tests/* | bench/* | fuzz/*) continue ;;
  esac
  echo "file system outside platform/: $line"
  failures=$((failures + 1))
done < <(grep -rnE 'std::filesystem|#include <(filesystem|fstream)>' --include='*.h' --include='*.cpp' \
  --exclude-dir=.git --exclude-dir='build*' . | sed 's|^\./||')

if [ "$failures" -gt 0 ]; then
  echo "$failures layering fault(s)"
  exit 1
fi
echo "layers hold"
