#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Completes zerka-cli command lines the way bash does and checks what is offered: the
# options, then model files for the first two operands and folders for the third.
#   completion_test.sh BASH_COMPLETION ZERKA_CLI_COMPLETION
source "$1" || exit 1
source "$2" || exit 1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir keys models
touch old.3do new.3do walk.key models/rig.3do
failures=0

# expect OFFERED WORD...: completes the last WORD of "zerka-cli WORD..."; OFFERED is the
# sorted offer, one space after each item.
expect() {
  local offered=$1 got
  shift
  COMP_WORDS=(zerka-cli "$@")
  COMP_CWORD=$#
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _zerka_cli zerka-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  got=
  [ ${#COMPREPLY[@]} -eq 0 ] || got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  if [[ $got != "$offered" ]]; then
    echo "zerka-cli $*: offered '$got', expected '$offered'"
    failures=$((failures + 1))
  fi
}

expect "--dry-run --help --json --quiet --rename --renumber --report --version " --
expect "-h " -h
expect "" --rename ""
expect "keys models new.3do old.3do " --rename head=sensor ""
expect "keys models " -n old.3do --rename head=sensor new.3do ""
expect "keys models new.3do old.3do " ""
expect "models/rig.3do " models/
expect "keys models new.3do old.3do " old.3do ""
expect "keys models " old.3do new.3do ""
expect "" old.3do new.3do keys ""
expect "keys models new.3do old.3do " --help ""

[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
