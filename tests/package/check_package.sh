#!/usr/bin/env bash
# Usage: check_package.sh CPACK BUILD_DIR VERSION HAS_WINDOW_PROGRAM(0|1) HAS_MANPAGES(0|1)
# Makes the Debian package, unpacks it into a scratch root and runs, loads, renders and
# completes from there what it carries; lintian judges the rest.
set -euo pipefail
cpack=$1
build=$2
version=$3
gui=$4
manpages=$5

skip() {
  echo "package_test: skipped: $*"
  exit 77
}
fail() {
  echo "package_test: $*" >&2
  exit 1
}
for tool in dpkg-deb dpkg-shlibdeps lintian man bash; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ "$manpages" = 1 ] || skip "help2man was not found when the build was configured"
[ -f /usr/share/bash-completion/bash_completion ] || skip "bash-completion is not installed"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The package is made in the scratch folder, so that a `make package` at the same time
# does not meet it.
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack could not make the package"; }
deb=$(find "$scratch/out" -maxdepth 1 -name "twinfold_${version}-*.deb" -print -quit)
[ -n "$deb" ] || fail "no twinfold_${version}-*.deb was made"

# What it declares.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Version) == "$version"-* ]] || fail "version $(field Version), the project is $version"
depends=$(field Depends)
for dependency in xdg-utils libzip4; do
  [[ $depends == *"$dependency"* ]] || fail "Depends lacks $dependency: $depends"
done
if [ "$gui" = 1 ]; then
  [[ $depends == *libqt6widgets6* ]] || fail "Depends lacks the Qt widgets: $depends"
fi

# Everything under /usr and owned by root; where each file lands is the install test's.
dpkg-deb -c "$deb" >"$scratch/contents"
awk '{ print $6 }' "$scratch/contents" | grep -v '^\./usr/' && fail "files outside /usr"
awk '$2 != "root/root"' "$scratch/contents" | grep . && fail "files not owned by root"

# Unpacked, the programs run from their new place and find their plug-in there.
root=$scratch/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH HOME="$scratch/home" \
    XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
    XDG_CACHE_HOME="$scratch/cache" "$@"
}
mkdir -p "$scratch/home"
[ "$(run "$bin/twinfold-cli" --version)" = "twinfold-cli $version" ] || fail "twinfold-cli --version"
if [ "$gui" = 1 ]; then
  # Answered without a display.
  [ "$(run "$bin/twinfold" --version)" = "twinfold $version" ] || fail "twinfold --version"
fi

mkdir -p "$scratch/tree/a" "$scratch/backup"
echo "the same words" >"$scratch/tree/a/notes.txt"
(cd "$scratch/tree" && run "$bin/twinfold-cli" backup add a/notes.txt --keep \
  --folder "$scratch/backup" >/dev/null)
[ -e "$scratch/backup/1.notes.txt.zipp" ] || fail "the unpacked program did not load its plug-in"

# The manual pages render without complaint and carry the hand-written parts.
pages=(twinfold-cli)
[ "$gui" = 1 ] && pages+=(twinfold)
for page in "${pages[@]}"; do
  MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" \
    >"$scratch/$page.txt" 2>"$scratch/$page.err" || fail "man -l $page.1.gz failed"
  [ -s "$scratch/$page.err" ] && { cat "$scratch/$page.err"; fail "$page(1) renders with warnings"; }
  for heading in SYNOPSIS CRITERIA "BACKUP FOLDER" "EXIT STATUS" "$page $version"; do
    grep -q "$heading" "$scratch/$page.txt" || fail "$page(1) lacks $heading"
  done
done
grep -q -- '--preset SET' "$scratch/twinfold-cli.txt" || fail "twinfold-cli(1) lacks the options"
grep -q 'twinfold-cli backup restore NAME' "$scratch/twinfold-cli.txt" ||
  fail "twinfold-cli(1) lacks the backup commands"

# bash-completion finds the completion where the package puts it.
BASH_COMPLETION_USER_DIR=$root/usr/share/bash-completion bash -c '
  . /usr/share/bash-completion/bash_completion
  __load_completion twinfold-cli && complete -p twinfold-cli' 2>&1 |
  grep -q -- '-F _twinfold_cli' || fail "the completion is not loaded from the package"

# lintian: no errors; its warnings are shown in the test's output.
status=0
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || status=$?
grep -v 'root privileges' "$scratch/lintian.log" || true
[ "$status" = 0 ] && ! grep -q '^E:' "$scratch/lintian.log" || fail "lintian found errors"
echo "package ok: $(basename "$deb")"
