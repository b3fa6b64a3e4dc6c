# SPDX-License-Identifier: MIT
# bash completion for zerka-cli                                  -*- shell-script -*-
# Installed as bash-completion/completions/zerka-cli; uses bash-completion's helpers.

_zerka_cli()
{
    local cur prev words cword
    _init_completion || return

    # Keep these two lists in step with `zerka-cli --help`. An option that takes a value
    # goes into the second list, and gets a case in the block below if it has a set of
    # values to offer; otherwise nothing is offered for its value.
    local options='-n --dry-run --report --renumber -q --quiet --json -h --help -V --version'
    local options_with_value='--rename'

    if [[ -n $options_with_value && " $options_with_value " == *" $prev "* ]]; then
        return
    fi

    # Count the operands before the word being completed: OLD.3do NEW.3do DIR.
    local i operands=0 after_dashdash=''
    for ((i = 1; i < cword; i++)); do
        if [[ -n $after_dashdash || ${words[i]} != -* ]]; then
            operands=$((operands + 1))
        elif [[ ${words[i]} == -- ]]; then
            after_dashdash=1
        elif [[ -n $options_with_value && " $options_with_value " == *" ${words[i]} "* ]]; then
            i=$((i + 1))
        fi
    done

    if [[ -z $after_dashdash && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options $options_with_value" -- "$cur"))
        return
    fi
    case $operands in
        0 | 1) _filedir 3do ;;
        2) _filedir -d ;;
    esac
} &&
    complete -F _zerka_cli zerka-cli

# ex: filetype=sh
