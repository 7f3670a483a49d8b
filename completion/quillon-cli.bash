# bash completion for quillon-cli                                     -*- shell-script -*-
# Commands, their options, file names filtered by the kinds each command takes, and adapter
# numbers as `quillon-cli adapters` lists them.

_quillon_cli_files()
{
    # $1: extglob pattern of the extensions wanted, e.g. '@(hex|pda)'
    _filedir "$1"
}

_quillon_cli()
{
    local cur prev words cword
    _init_completion -s || return

    local globals="--bench --adapter --yes --no --force --color --json --quiet --verbose --no-verify
        --version --help -y -n -q -v -h"
    local commands="update versions mac-type driver-version cis rid-stress export pda adapters
        bench info convert"

    case $prev in
        --bench)
            _filedir -d
            return
            ;;
        --adapter)
            # The numbers of the usable adapters, on the bench the line names so far.
            local -a bench=()
            local i
            for ((i = 1; i < cword; i++)); do
                case ${words[i]} in
                    --bench=*) bench=(--bench "${words[i]#--bench=}") ;;
                    --bench)
                        if [[ ${words[i + 1]} == = ]]; then
                            bench=(--bench "${words[i + 2]}")
                        else
                            bench=(--bench "${words[i + 1]}")
                        fi
                        ;;
                esac
            done
            # QUILLON_COMPLETION: the program only looks, never waits and never writes.
            COMPREPLY=($(compgen -W "$(QUILLON_COMPLETION=1 "${words[0]}" "${bench[@]}" \
                adapters 2>/dev/null | cut -f1)" -- "$cur"))
            return
            ;;
        --color)
            COMPREPLY=($(compgen -W "auto always never" -- "$cur"))
            return
            ;;
        --out)
            _filedir -d
            return
            ;;
        --mac | --serial)
            return
            ;;
    esac

    [[ $was_split ]] && return

    # The command and its subcommand, skipping global options and their values.
    local command="" sub="" i
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --bench | --adapter | --color | --out | --mac | --serial)
                ((i++))
                ;;
            -*) ;;
            *)
                if [[ -z $command ]]; then
                    command=${words[i]}
                elif [[ -z $sub && ($command == pda || $command == bench) ]]; then
                    sub=${words[i]}
                fi
                ;;
        esac
    done

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$globals" -- "$cur"))
            [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options=""
    case $command in
        update) options="--dry-run --out" ;;
        pda)
            case $sub in
                "") COMPREPLY=($(compgen -W "show save clear set restore" -- "$cur")); return ;;
                set) options="--mac --serial --keep-case" ;;
            esac
            ;;
        bench)
            case $sub in
                "") COMPREPLY=($(compgen -W "init repair show" -- "$cur")); return ;;
                init) options="--force --no-latency" ;;
            esac
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $globals" -- "$cur"))
        return
    fi

    case $command in
        update) _quillon_cli_files '@(hex|pda)' ;;
        info) _quillon_cli_files '@(hex|pda|dmp)' ;;
        export | convert) _quillon_cli_files '@(hex|dmp)' ;;
        pda)
            case $sub in
                save | restore) _quillon_cli_files pda ;;
            esac
            ;;
        bench)
            [[ $sub == init ]] && _filedir -d
            ;;
    esac
} &&
    complete -F _quillon_cli quillon-cli

# ex: filetype=sh
