#!/usr/bin/env bash
# The layer check must fail on every kind of fault it exists to find: a scratch copy of
# the tree passes (with lawful lines that look like faults added), then each planted
# fault alone makes it fail and name the planted file; an empty tree fails too.
# Usage: planted_faults_test.sh SOURCE_DIR CHECK_SCRIPT
set -u
source_dir=$1 check=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
mkdir "$tree"
(cd "$source_dir" && find . -path './build*' -prune -o -path './.git' -prune -o -type f \
  \( -name README.md -o -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cc' \
  -o -name '*.cpp' \) -print0 | xargs -0 cp --parents -t "$tree") || exit 1

failed=0
plant() {  # plant PATH LINE: writes the file, with its folders
  mkdir -p "$tree/$(dirname "$1")"
  printf '%s\n' "$2" >"$tree/$1"
}

# Lawful: an include within ui/ from one of its rooms, and calls of the program's own
# members that share a name with a file call.
plant ui/shell/planted_ok.cpp '#include "../window/message_box.h"'
plant datatree/planted_ok.cpp 'void f(N& n, N* p) { n.unlink(); p->remove(1); std::remove(b, e, 0); }'
if ! out=$("$check" "$tree" 2>&1); then
  echo "the tree with lawful lines fails:"
  echo "$out"
  failed=1
fi
rm -f "$tree/ui/shell/planted_ok.cpp" "$tree/datatree/planted_ok.cpp"

expect_fault() {  # expect_fault PATH LINE [WHAT THE CHECK NAMES: the path]
  plant "$1" "$2"
  local out
  if out=$("$check" "$tree" 2>&1) || [[ $out != *"${3:-$1}"* ]]; then
    echo "not found: $1: $2"
    echo "$out" | tail -3
    failed=1
  fi
  rm -f "$tree/$1"
}
expect_fault duplicates/planted.cpp '# include "ui/main_frame.h"'
expect_fault scan/planted.h '#include <results/result_rows.h>'
expect_fault app/planted.cpp '#include "../ui/main_frame.h"'
expect_fault app/planted.cpp '#  include "ui/dialogs/about_dialog.h"'
expect_fault base/planted.cc '#include "datatree/data_node.h"'
expect_fault settings/planted.hpp '#include "scan/mask_list.h"'
expect_fault search/planted.c '#include "results/result_rows.h"'
expect_fault platform/planted.cpp '#include "../settings/settings_store.h"'
expect_fault plugins/packlet/planted.cpp '#include "datatree/data_node.h"'
expect_fault results/planted.cpp 'FILE* f = fopen(path, "r");'
expect_fault search/planted.cpp 'int fd = ::open(path, O_RDONLY);'
expect_fault app/planted.cpp 'if (stat(path.c_str(), &st) == 0) return;'
expect_fault results/planted.cpp 'DIR* d = opendir(path);'
expect_fault results/planted.cpp 'return std::rename(from, to) == 0;'
expect_fault cli/planted.cpp 'unlink(path.c_str());'
expect_fault ui/planted.cpp 'QFile file(name);'
expect_fault ui/planted.cpp 'const QFileInfo info(name);'
expect_fault ui/planted.cpp 'QSaveFile out(name);'
expect_fault ui/planted.cpp 'QTemporaryFile scratch;'
expect_fault app/planted.cpp 'QDir().mkpath(out);'
expect_fault settings/planted.cpp '#include <fstream>'
expect_fault scan/planted.cpp 'namespace fs = std::filesystem;'
expect_fault ui/window/planted.cpp '#include "ui/shell/main_frame.h"'
expect_fault ui/dialogs/planted.cpp '#include "../result_views/results_pane.h"'
expect_fault ui/layout/planted.h '#include "ui/qt_text.h"'
expect_fault ui/lounge/planted.cpp 'int lawful = 0;' 'ui/lounge/'
rmdir "$tree/ui/lounge"
expect_fault extras/planted.cpp 'int lawful = 0;' 'top folder extras/'
rmdir "$tree/extras"

empty=$scratch/empty
mkdir "$empty"
cp "$tree/README.md" "$empty/"
if "$check" "$empty" >/dev/null 2>&1; then
  echo "an empty tree passes"
  failed=1
fi
[ "$failed" -eq 0 ] && echo "every planted fault was found"
exit "$failed"
