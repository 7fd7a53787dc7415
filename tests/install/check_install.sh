#!/usr/bin/env bash
# Usage: check_install.sh BUILD_DIR HAS_WINDOW_PROGRAM(0|1). Installs the build into a scratch prefix and
# checks that every part is where the programs look for it.
set -euo pipefail
build=$1
gui=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install_layout_test: $*" >&2; exit 1; }
expect() { [ -e "$prefix/$1" ] || fail "missing $1"; }

expect bin/twinfold-cli
[ "$gui" = 1 ] && expect bin/twinfold
expect share/twinfold/Filters/Standard.mcf
expect share/twinfold/Filters/mcfilter.xsl
expect share/twinfold/help/tfhidx.htm
if [ "$gui" = 1 ]; then
  expect share/applications/twinfold.desktop
  expect share/icons/hicolor/scalable/apps/twinfold.svg
  expect share/mime/packages/twinfold.xml
  expect share/metainfo/org.twinfold.Twinfold.metainfo.xml
  desktop-file-validate "$prefix/share/applications/twinfold.desktop" || fail "desktop entry"
  appstreamcli validate --no-net "$prefix/share/metainfo/org.twinfold.Twinfold.metainfo.xml" \
    >/dev/null || fail "AppStream metainfo"
  # The shared MIME database knows a saved result by its name and by its first bytes.
  update-mime-database "$prefix/share/mime" >/dev/null
  grep -q '^application/x-twinfold-results:\*\.twinfold\.json$' "$prefix/share/mime/globs" ||
    fail "results files have no MIME type"
  grep -q 'application/x-twinfold-results' "$prefix/share/mime/magic" || fail "no magic for results"
  grep -q '^Exec=twinfold %F$' "$prefix/share/applications/twinfold.desktop" || fail "Exec"
else
  [ ! -e "$prefix/share/applications/twinfold.desktop" ] || fail "a desktop entry without its program"
fi
# Every page and picture the installed manual links to is installed beside it.
help=$prefix/share/twinfold/help
for page in "$help"/*.htm; do
  for target in $(grep -oE '(href|src)="[^"#:]+' "$page" | sed -E 's/^(href|src)="//'); do
    [ -e "$help/$target" ] || fail "$(basename "$page") links to missing $target"
  done
done
plugin=$(find "$prefix" -name libpacklet.so -print -quit)
[ -n "$plugin" ] || fail "missing libpacklet.so"

# The installed command-line program finds the installed plug-in: a backup is compressed.
mkdir -p "$scratch/work/backup"
echo "some text" >"$scratch/work/report.txt"
(cd "$scratch" && HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" \
  "$prefix/bin/twinfold-cli" backup add work/report.txt --keep --folder "$scratch/work/backup" \
  >/dev/null)
[ -e "$scratch/work/backup/1.report.txt.zipp" ] || fail "the installed program did not load its plug-in"
echo "install layout ok"
