# bash completion for orrery-lab: commands, their options, and the values of
# --format.
_orrery_lab() {
    local cur prev command i
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    local commands="show batch find bench draw page stats"

    command=""
    for ((i = 1; i < COMP_CWORD; i++)); do
        case " $commands " in
            *" ${COMP_WORDS[i]} "*) command=${COMP_WORDS[i]}; break ;;
        esac
    done

    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    case $prev in
        --format)
            case $command in
                show) COMPREPLY=($(compgen -W "text json" -- "$cur")) ;;
                batch) COMPREPLY=($(compgen -W "jsonl csv" -- "$cur")) ;;
                find) COMPREPLY=($(compgen -W "text jsonl" -- "$cur")) ;;
            esac
            return ;;
        -o|--output)
            if [[ $command == stats ]]; then
                COMPREPLY=($(compgen -d -- "$cur"))
            else
                COMPREPLY=($(compgen -f -- "$cur"))
            fi
            return ;;
        --seed|--seeds|--at|--threads|--limit|--temp-c|--gravity|--pressure|--hydrosphere)
            return ;;
    esac

    local options="--help"
    case $command in
        show) options+=" --seed --at --format --output -o --progress" ;;
        batch) options+=" --seeds --format --threads --output -o" ;;
        find) options+=" --seeds --temp-c --gravity --pressure --hydrosphere --allow-runaway --limit --format --threads --output -o" ;;
        bench) options+=" --seeds --threads" ;;
        draw|page) options+=" --seed --at --output -o" ;;
        stats) options+=" --seeds --threads --output -o" ;;
    esac
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
}
complete -F _orrery_lab orrery-lab
