# bash completion for twinfold-cli: its options and their fixed values, folders where a
# folder is asked for, results files and keep rules for "act", the backup folder's
# entries for "backup restore|delete", the ignore list's numbers for "ignore remove", and
# the journal's actions for "undo".

# A word as the program will receive it: quotes and backslashes gone, "~/" expanded.
_twinfold_cli_unquote()
{
    local word=$1
    case $word in
        \'*\') word=${word:1:${#word}-2} ;;
        \"*\") word=${word:1:${#word}-2} ;;
        *) word=${word//\\/} ;;
    esac
    [[ $word == \~/* ]] && word=$HOME/${word:2}
    printf '%s\n' "$word"
}

# The stored names of the backup folder's entries, one a line, as the program itself lists
# them, in the folder that --folder or --settings on the line choose.
_twinfold_cli_backup_entries()
{
    local -a where=()
    local i
    for ((i = 2; i < cword; i++)); do
        case ${words[i]} in
            --folder | --settings)
                ((i + 1 < cword)) || break
                where+=("${words[i]}" "$(_twinfold_cli_unquote "${words[i + 1]}")")
                ;;
        esac
    done
    # Names with escapes other than \" and \\ (control characters, bytes that are not
    # UTF-8) cannot be typed back as they are listed, so they are not offered.
    "$(_twinfold_cli_unquote "${words[0]}")" backup list --format json "${where[@]}" \
        2>/dev/null |
        sed -n 's/^{"number":[0-9]*,"stored":"\(\([^"\\]\|\\["\\]\)*\)",.*/\1/p' |
        sed 's/\\\(["\\]\)/\1/g'
}

# Offers each of the given words that begins with $cur, quoted for the command line.
_twinfold_cli_offer()
{
    local typed candidate
    typed=$(_twinfold_cli_unquote "$cur")
    for candidate; do
        [[ $candidate == "$typed"* ]] && COMPREPLY+=("$(printf '%q' "$candidate")")
    done
}

_twinfold_cli_backup()
{
    local command="" i
    for ((i = 2; i < cword; i++)); do
        case ${words[i]} in
            --folder | --settings | --format | --comment) ((i++)) ;;
            -*) ;;
            *)
                command=${words[i]}
                break
                ;;
        esac
    done

    case $prev in
        --folder)
            _filedir -d
            return
            ;;
        --settings)
            _filedir
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'text json' -- "$cur"))
            return
            ;;
        --comment) return ;;
    esac

    if [[ $cur == -* ]]; then
        local options="--folder --settings"
        case $command in
            "") ((cword == 2)) && options+=" --help" ;;
            list) options+=" --format" ;;
            add) options+=" --comment --keep" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    case $command in
        "") COMPREPLY=($(compgen -W 'list add restore delete' -- "$cur")) ;;
        add) _filedir ;;
        restore | delete)
            local -a entries
            mapfile -t entries < <(_twinfold_cli_backup_entries)
            _twinfold_cli_offer "${entries[@]}"
            ;;
    esac
}

# "twinfold-cli ignore list|add|remove|clear": files to add, the numbers "list" shows to
# remove.
_twinfold_cli_ignore()
{
    if ((cword == 2)); then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W '--help' -- "$cur"))
        else
            COMPREPLY=($(compgen -W 'list add remove clear' -- "$cur"))
        fi
        return
    fi
    case ${words[2]} in
        list)
            if [[ $prev == --format ]]; then
                COMPREPLY=($(compgen -W 'text json' -- "$cur"))
            else
                COMPREPLY=($(compgen -W '--format' -- "$cur"))
            fi
            ;;
        add) _filedir ;;
        remove)
            local numbers
            numbers=$("$(_twinfold_cli_unquote "${words[0]}")" ignore list 2>/dev/null |
                sed -n 's/^#\([0-9]*\)$/\1/p')
            COMPREPLY=($(compgen -W "$numbers" -- "$cur"))
            ;;
    esac
}

# "twinfold-cli act RESULTS --keep RULE ...": results files, the rules and actions, and
# folders after "in:" and "move:".
_twinfold_cli_act()
{
    # The line is split at ':', so "in:DIR" and "move:DIR" arrive as "in" ":" "DIR".
    if [[ $prev == : && ${words[cword - 2]} == @(in|move) ]]; then
        _filedir -d
        return
    fi
    case $prev in
        --protect)
            _filedir -d
            return
            ;;
        --settings)
            _filedir
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'text json' -- "$cur"))
            return
            ;;
        --keep | --action)
            if [[ $prev == --keep ]]; then
                COMPREPLY=($(compgen -W 'newest oldest largest first in:' -- "$cur"))
            else
                COMPREPLY=($(compgen -W 'trash backup link share move:' -- "$cur"))
            fi
            [[ ${COMPREPLY-} == *: ]] && compopt -o nospace
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--keep --action --protect --dry-run --format --settings
            --help' -- "$cur"))
        return
    fi
    _filedir '@(json)'
}

# "twinfold-cli journal [--format text|json] [--limit N]" and "twinfold-cli undo
# [ACTION-ID] [--dry-run]": the ids offered are those the journal lists.
_twinfold_cli_journal()
{
    if [[ ${words[1]} == journal ]]; then
        case $prev in
            --format) COMPREPLY=($(compgen -W 'text json' -- "$cur")) ;;
            --limit) ;;
            *) COMPREPLY=($(compgen -W '--format --limit --help' -- "$cur")) ;;
        esac
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--dry-run --help' -- "$cur"))
        return
    fi
    local -a ids
    mapfile -t ids < <("$(_twinfold_cli_unquote "${words[0]}")" journal --format json \
        2>/dev/null | sed -n 's/^{"id":"\([0-9a-f-]*\)".*/\1/p')
    COMPREPLY=($(compgen -W "${ids[*]}" -- "$cur"))
}

_twinfold_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    if [[ ${words[1]-} == backup ]] && ((cword > 1)); then
        _twinfold_cli_backup
        return
    fi
    if [[ ${words[1]-} == act ]] && ((cword > 1)); then
        _twinfold_cli_act
        return
    fi
    if [[ ${words[1]-} == ignore ]] && ((cword > 1)); then
        _twinfold_cli_ignore
        return
    fi
    if [[ ${words[1]-} == @(journal|undo) ]] && ((cword > 1)); then
        _twinfold_cli_journal
        return
    fi

    # After "--" every word is a folder.
    local i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then
            _filedir -d
            return
        fi
    done

    case $prev in
        --exclude | --protect)
            _filedir -d
            return
            ;;
        --descriptor | --save-descriptor | --settings | --output)
            _filedir
            return
            ;;
        --preset)
            COMPREPLY=($(compgen -W 'true-duplicates versions formats named' -- "$cur"))
            return
            ;;
        --name)
            COMPREPLY=($(compgen -W 'exact noext first similar' -- "$cur"))
            return
            ;;
        --symbols)
            COMPREPLY=($(compgen -W '5 6 7 8 9 10' -- "$cur"))
            return
            ;;
        --similarity)
            COMPREPLY=($(compgen -W '50 60 70 80 90 100' -- "$cur"))
            return
            ;;
        --time-tolerance)
            COMPREPLY=($(compgen -W '0 1 2 5' -- "$cur"))
            return
            ;;
        --time | --size)
            COMPREPLY=($(compgen -W 'same any' -- "$cur"))
            return
            ;;
        --time-filter)
            COMPREPLY=($(compgen -W 'today week month last: after: before: between:' \
                -- "$cur"))
            [[ ${COMPREPLY-} == *: ]] && compopt -o nospace
            return
            ;;
        --time-of)
            COMPREPLY=($(compgen -W 'modified created accessed' -- "$cur"))
            return
            ;;
        --attr)
            # A comma-separated list: complete its last rule, keep the ones before.
            local done="" rule=$cur
            if [[ $cur == *,* ]]; then
                done=${cur%,*},
                rule=${cur##*,}
            fi
            local name rules=""
            for name in readonly archive hidden system; do
                rules+=" +$name -$name $name=any"
            done
            COMPREPLY=($(compgen -P "$done" -W "$rules" -- "$rule"))
            compopt -o nospace
            return
            ;;
        --sort)
            COMPREPLY=($(compgen -W 'name size count type time' -- "$cur"))
            return
            ;;
        --format)
            COMPREPLY=($(compgen -W 'text csv json' -- "$cur"))
            return
            ;;
        --include | --exclude-masks | --min-size | --max-size) return ;;
    esac
    $split && return

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--exclude --protect --descriptor --save-descriptor --preset --name
            --symbols --similarity --fold-case --normalize --time --time-tolerance --size
            --across-roots --with-protected --include --exclude-masks --min-size --max-size
            --time-filter --time-of --attr --sort --reverse --format --progress --no-progress
            --one-thread-per-disk --no-ignore --verify --folders --settings --output --help --version' -- "$cur"))
        return
    fi
    _filedir -d
    ((cword == 1)) && COMPREPLY+=($(compgen -W 'act backup ignore journal undo' -- "$cur"))
}
complete -F _twinfold_cli twinfold-cli
