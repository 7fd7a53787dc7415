#!/usr/bin/env bash
# Usage: completion_test.sh TWINFOLD_CLI COMPLETION_FILE
# Drives the completion function as bash does on <Tab> and checks the words it offers
# against what the program itself lists and accepts, and against real files.
set -uo pipefail
program=$(readlink -f "$1")
if [ ! -f /usr/share/bash-completion/bash_completion ]; then
  echo "completion_test: skipped: bash-completion is not installed"
  exit 77
fi
. /usr/share/bash-completion/bash_completion
. "$2"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
mkdir -p "$HOME" "$scratch/bin"
# Found on PATH by its name, as an installed program is.
ln -s "$program" "$scratch/bin/twinfold-cli"
PATH=$scratch/bin:$PATH
failures=0
fail() {
  echo "completion_test: $*" >&2
  failures=$((failures + 1))
}

# Only a running completion may change its options; here they are noted instead.
options=""
compopt() { options+=" $*"; }

# Splits LINE as readline does (blanks and the word breaks = and :, quotes and
# backslashes kept), completes its last word and prints the offered words sorted.
offered() {
  local line="twinfold-cli $1" word="" quote="" c i
  COMP_WORDS=()
  for ((i = 0; i < ${#line}; i++)); do
    c=${line:i:1}
    if [ -n "$quote" ]; then
      word+=$c
      [ "$c" = "$quote" ] && quote=""
      continue
    fi
    case $c in
      \\) word+=$c${line:i+1:1} && ((i++)) ;;
      \' | \") quote=$c && word+=$c ;;
      ' ') [ -n "$word" ] && COMP_WORDS+=("$word") && word="" ;;
      = | :) [ -n "$word" ] && COMP_WORDS+=("$word") && word="" && COMP_WORDS+=("$c") ;;
      *) word+=$c ;;
    esac
  done
  [[ -n $word || $line == *' ' ]] && COMP_WORDS+=("$word")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  options=""
  _twinfold_cli twinfold-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort
}
expect() {
  local got
  got=$(offered "$1")
  [ "$got" = "$2" ] || fail "'$1' offers [${got//$'\n'/ }], expected [${2//$'\n'/ }]"
}
words() { printf '%s\n' "$@" | sort; }

# The options offered are the ones --help lists, for the search and for each backup command.
expect "--" "$(twinfold-cli --help | grep -E '^ +--' | grep -oE -- '--[a-z][a-z-]*' | sort -u)"
backup_options=$( (for command in "" list add restore; do offered "backup $command --"; done) |
  sort -u)
listed=$( (echo --help && twinfold-cli backup --help | grep -oE -- '--[a-z][a-z-]*') | sort -u)
[ "$backup_options" = "$listed" ] || fail "backup options offered: ${backup_options//$'\n'/ }"

# Every fixed value offered is one the program accepts.
for option in --preset --name --symbols --similarity --time --time-tolerance --size --time-of \
  --sort --format --time-filter; do
  values=$(offered "$option ")
  [ -n "$values" ] || fail "$option offers nothing"
  for value in $values; do
    [[ $value == *: ]] && continue # last:N, after:DATE, ... are typed on
    twinfold-cli "$option" "$value" --version >/dev/null 2>&1 ||
      fail "$option offers '$value', which the program refuses"
  done
done
twinfold-cli --preset nonsense --version >/dev/null 2>&1 && fail "the program accepts any value"
expect "--format=j" "json"
expect "--time-filter la" "last:"
offered "--time-filter la" >/dev/null
[[ $options == *nospace* ]] || fail "'last:' is completed with a space after it"
expect "--attr +readonly,h" "$(words +readonly,hidden=any)"
for rule in $(offered "--attr +readonly,"); do
  twinfold-cli --attr "$rule" --version >/dev/null 2>&1 || fail "--attr offers '$rule'"
done

# Folders where folders are asked for, files where files are.
mkdir -p "$scratch/work/my pictures" "$scratch/work/bags"
touch "$scratch/work/b.txt" "$scratch/work/notes.txt"
cd "$scratch/work" || exit 1
expect "b" "$(words backup bags)"
expect "bags b" "bags"
expect "-- b" "bags"
expect "act found.json --keep " "$(words newest oldest largest first in:)"
expect "act found.json --action m" "move:"
expect "act found.json --action s" "share"
expect "act found.json --keep in:b" "bags"
expect "act found.json --dr" "--dry-run"
expect "--exclude m" "my pictures"
expect "--settings n" "notes.txt"
expect "backup add b" "$(words b.txt bags)"

# The backup commands, and for restore and delete the entries the program lists.
expect "backup " "$(words add delete list restore)"
mkdir "$scratch/backup"
touch "my file.txt" 'say "hi".txt'
twinfold-cli backup add --keep --folder "$scratch/backup" "my file.txt" 'say "hi".txt' \
  notes.txt >/dev/null || fail "backup add failed"
expect "backup restore --folder $scratch/backup " \
  "$(words '1.my\ file.txt.zipp' '1.notes.txt.zipp' '1.say\ \"hi\".txt.zipp')"
expect "backup delete --folder $scratch/backup 1.my\\ f" '1.my\ file.txt.zipp'
expect "backup --folder $scratch/backup restore 1.n" "1.notes.txt.zipp"
# Without --folder the default folder is listed: it does not exist yet, so nothing.
expect "backup restore " ""

# The ignore list's commands, files to add and the numbers of its entries.
expect "ignore " "$(words add clear list remove)"
expect "ignore list --format " "$(words json text)"
expect "ignore add n" "notes.txt"
expect "ignore remove " ""
twinfold-cli ignore add notes.txt b.txt >/dev/null || fail "ignore add failed"
twinfold-cli ignore add notes.txt "my file.txt" >/dev/null || fail "ignore add failed"
expect "ignore remove " "$(words 1 2)"
# The journal's commands; undo offers the ids of the actions the journal lists (the
# backup add above is one).
expect "journal --format " "$(words json text)"
expect "undo --d" "--dry-run"
expect "undo " "$(twinfold-cli journal --format json | sed -n 's/^{"id":"\([^"]*\)".*/\1/p')"
[ -n "$(offered "undo ")" ] || fail "undo offers no action id"

[ "$failures" = 0 ] || exit 1
echo "completion ok"
