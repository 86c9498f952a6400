# bash completion for qxfm. The commands and their options are read from
# qxfm's own help, so they are always those of the installed qxfm.
_qxfm() {
    local cur prev command i
    COMPREPLY=()
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    if [[ $COMP_CWORD -eq 1 ]]; then
        local commands
        commands=$("$1" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$commands -h --help --version" -- "$cur")
        return
    fi
    command=${COMP_WORDS[1]}
    case $prev in
        --compress)
            mapfile -t COMPREPLY < <(compgen -W "none xpress lzx" -- "$cur")
            return ;;
        --category)
            for ((i = 2; i < COMP_CWORD - 1; i++)); do
                if [[ ${COMP_WORDS[i]} == --types ]]; then
                    local categories
                    categories=$("$1" categories "${COMP_WORDS[i+1]}" 2>/dev/null)
                    mapfile -t COMPREPLY < <(compgen -W "$categories" -- "$cur")
                    return
                fi
            done
            return ;;
        --name|--split-mb|--exclude)
            return ;;
    esac
    if [[ $cur == -* ]]; then
        local options
        options=$("$1" "$command" --help 2>/dev/null | sed -n '/^usage:/,/^[A-Z]/p' | grep -o -- '--[a-z-]*')
        mapfile -t COMPREPLY < <(compgen -W "$options --help" -- "$cur")
        return
    fi
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -o filenames -F _qxfm qxfm
