#!/usr/bin/env bash
# The bash completion file, tried in bash-completion's own framework as an interactive shell
# would use it: options, the check mode's options once --check is there, the units of --unit
# (also as --unit=), workbooks for --xlsx, "-" and files for --list, files after "--".
# Usage: completion.sh COMPLETION_FILE
set -uo pipefail
file=$(realpath "$1")
framework=/usr/share/bash-completion/bash_completion
[ -r "$framework" ] || { echo "bash-completion is not installed ($framework)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch notes.txt sizes.xlsx && mkdir folder

# shellcheck disable=SC1090
source "$framework" && source "$file" || { echo "the file does not load"; exit 1; }
complete -p bytemarsh | grep -q -- '-F _bytemarsh' || { echo "bytemarsh has no completion"; exit 1; }

failures=0
# The words of a command line, the last one being completed, and what it should offer.
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _bytemarsh bytemarsh "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    if [ "$got" != "$want" ]; then
        echo "FAIL: '$*' offered '$got', not '$want'"
        failures=$((failures + 1))
    fi
}
expect "--check --help --new-window --version" bytemarsh -
expect "--extension --help --list --null --text --unit --xlsx" bytemarsh --check folder --
expect "bytes gb kb mb" bytemarsh --check --unit ''
expect "kb" bytemarsh --check --unit k
expect "mb" bytemarsh --check --unit=m
expect "folder sizes.xlsx" bytemarsh --check --xlsx ''
expect "- folder notes.txt sizes.xlsx" bytemarsh --check --list ''
expect "folder notes.txt sizes.xlsx" bytemarsh --check -- ''
[ "$failures" -eq 0 ] || exit 1
echo "completes the options, the check mode's options, the units and the files"
