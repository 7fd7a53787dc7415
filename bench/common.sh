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
