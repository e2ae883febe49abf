# bash completion for kalvoren                                     -*- shell-script -*-
# Plain bash (compgen), so that it works whether or not the bash-completion package is there.

# The pids of running processes; with "own", only the user's, whose windows are the ones on
# the user's display for --quit to close.
_kalvoren_pids()
{
    local dir pids=()
    for dir in /proc/[0-9]*; do
        [[ $1 == own && ! -O $dir ]] && continue
        pids+=("${dir#/proc/}")
    done
    COMPREPLY=($(compgen -W "${pids[*]}" -- "$2"))
}

_kalvoren()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="stats optimize processes benchmark"
    local command="" i

    case $prev in
        --platform)
            COMPREPLY=($(compgen -W "linux commands" -- "$cur"))
            return
            ;;
        --from)
            COMPREPLY=($(compgen -f -- "$cur") $(compgen -W "-" -- "$cur"))
            compopt -o filenames 2>/dev/null
            return
            ;;
        --user)
            COMPREPLY=($(compgen -u -- "$cur"))
            return
            ;;
        --sort)
            COMPREPLY=($(compgen -W "rss cpu pid command" -- "$cur"))
            return
            ;;
        --quit)
            _kalvoren_pids own "$cur"
            return
            ;;
        --force-quit)
            _kalvoren_pids all "$cur"
            return
            ;;
        --interval | --count | --total)
            return # a number
            ;;
    esac

    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            stats | optimize | processes | benchmark)
                command=${COMP_WORDS[i]}
                break
                ;;
        esac
    done

    local options
    case $command in
        stats) options="--all --json --vm-stat --interval --count --from --root" ;;
        optimize) options="--here --json --no-purge --pkexec" ;;
        processes) options="--json --user --sort --from --quit --force-quit" ;;
        benchmark) options="--total --count --suggest" ;;
        *) options="--help --version" ;;
    esac
    options="$options --platform"
    [[ -n $command ]] && options="$options --help"

    if [[ -z $command && $cur != -* ]]; then
        COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    else
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    fi
}

complete -F _kalvoren kalvoren
