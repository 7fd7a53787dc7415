#!/usr/bin/env bash
# Writes PNG pictures of the main window (before and after a search, both result views,
# the backup folder page, the duplicate folders view, the open "Select" and "&Find"
# menus), of each search page, of each sub-page of the filters page, of the folder page
# with the "Filters" tab marked while filters are on, of a message box (also one with a path too long for the screen), of the
# help viewer, of the backup and link dialogs, of the action history, of a progress dialog,
# of a result after "Verify contents", of the report of "Share storage", of the "&Settings" dialogs (the mask collection's
# editor, its "File Filters" view and the ignored groups among them), of the file dialogs of
# "Save results..." and "Open results..." and of the HTML report of "Export results..."
# into docs/screenshots/. It needs no display: the program runs on Qt's offscreen platform
# over a small made-up folder tree.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/install-deps.sh
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja
cmake --build "$build" -j "$(nproc)" --target twinfold-screenshots packlet

demo=${TMPDIR:-/tmp}/twinfold-demo
settings=$demo-settings
rm -rf "$demo" "$settings"
trap 'rm -rf "$demo" "$settings"' EXIT
home=$demo
# file PATH SIZE TIME: a file of that many bytes, last modified at that time.
file() {
  mkdir -p "$(dirname "$home/$1")"
  truncate -s "$2" "$home/$1"
  touch -d "$3" "$home/$1"
}
file "Pictures/2024/beach.jpg" 2483712 "2024-07-14 18:22:05"
file "Pictures/2024/harbour.jpg" 3120640 "2024-07-15 09:10:41"
file "Pictures/Holiday copy/beach.jpg" 2483712 "2024-07-14 18:22:05"
file "Pictures/Holiday copy/harbour.jpg" 3120640 "2024-07-15 09:10:41"
file "Old laptop/Pictures/beach.jpg" 2483712 "2024-07-14 18:22:05"
file "Documents/tax return 2025.pdf" 845213 "2026-03-02 11:47:10"
file "Old laptop/Documents/tax return 2025.pdf" 845213 "2026-03-02 11:47:10"
# text PATH TIME: a file of real text (for the preview), last modified at that time.
text() {
  mkdir -p "$(dirname "$home/$1")"
  for i in $(seq 1 60); do
    printf 'Day %02d: checked the backup disk, %d photos copied, nothing lost.\n' "$i" $((i * 7))
  done >"$home/$1"
  touch -d "$2" "$home/$1"
}
text "Documents/notes.txt" "2026-10-30 08:15:00"
text "Old laptop/Documents/notes.txt" "2026-10-30 08:15:00"
file "Music/Quartet in D/01 Allegro.flac" 31457280 "2025-01-20 20:05:12"
file "Downloads/01 Allegro.flac" 31457280 "2025-01-20 20:05:12"
file "Documents/letter.odt" 18877 "2026-11-02 16:40:00"
file "Old laptop/Cache/thumbs.db" 65536 "2023-05-01 10:00:00"
file "Old laptop/Cache/beach.jpg" 2483712 "2024-07-14 18:22:05"
# The copy on the old laptop has another last byte: "Verify contents" takes it out of its group.
printf '\377' | dd of="$home/Old laptop/Pictures/beach.jpg" bs=1 seek=2483711 conv=notrunc status=none
touch -d "2024-07-14 18:22:05" "$home/Old laptop/Pictures/beach.jpg"
# A second name of one file (a hard link), which the lists mark.
mkdir -p "$home/Desktop"
ln "$home/Pictures/2024/beach.jpg" "$home/Desktop/beach.jpg"

mkdir -p docs/screenshots
HOME=$settings XDG_CONFIG_HOME=$settings/config XDG_DATA_HOME=$settings/data \
  XDG_CACHE_HOME=$settings/cache QT_QPA_PLATFORM=offscreen \
  "$build/bin/twinfold-screenshots" docs/screenshots "$home" "$home/Old laptop/Cache"
