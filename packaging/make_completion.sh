#!/usr/bin/env bash
# Makes a bash completion script for a command from its --help (and each
# sub-command's), so completion offers the flags the program has at build time.
# A flag whose value reads like a file name completes file names; one whose
# value is a list "a|b" completes those words; any other value, nothing.
# Usage: make_completion.sh PROGRAM OUT
set -euo pipefail
program=$1 out=$2
name=$(basename "$program")
function_name=_$(echo "$name" | tr -c 'a-zA-Z0-9\n' _)

# "FLAG VALUE" per flag spelling in a help text (VALUE "-" for a switch).
flags_of() {
    awk '/^  +-/ {
        sub(/^ +/, ""); split($0, parts, /  +/); n = split(parts[1], words, " ")
        value = n > 1 ? words[2] : "-"
        m = split(words[1], spellings, ",")
        for (i = 1; i <= m; i++) print spellings[i], value
    }'
}

# The case arms of one command: its flags and what their values complete to.
arms_for() {  # arms_for COMMAND-OR-EMPTY HELP-TEXT
    local command=$1 help=$2 flag value words="" arms=""
    while read -r flag value; do
        words+="$flag "
        [ "$value" = - ] && continue
        if [[ $value == *"|"* ]]; then
            arms+="        \"$command $flag\") COMPREPLY=(\$(compgen -W \"${value//|/ }\" -- \"\$cur\")); return ;;"$'\n'
        elif [[ $value == *.* || $value == PATH || $value == FILE ]]; then
            arms+="        \"$command $flag\") compopt -o filenames; COMPREPLY=(\$(compgen -f -- \"\$cur\")); return ;;"$'\n'
        else
            arms+="        \"$command $flag\") return ;;"$'\n'
        fi
    done < <(echo "$help" | flags_of)
    printf '%s\t%s' "${words% }" "$arms"
}

main_help=$("$program" --help)
commands=$(echo "$main_help" | awk '/^Commands:/ {on = 1; next} on && /^  [a-z]/ {print $1} on && /^$/ {on = 0}' | xargs)
IFS=$'\t' read -r -d '' main_words main_arms < <(arms_for "" "$main_help"; printf '\0') || true
flag_cases="        \"\") flags=\"$main_words\" ;;"$'\n'
value_cases=$main_arms
for c in $commands; do
    IFS=$'\t' read -r -d '' words arms < <(arms_for "$c" "$("$program" "$c" --help)"; printf '\0') || true
    flag_cases+="        $c) flags=\"$words\" ;;"$'\n'
    value_cases+=$arms
done

cat > "$out" <<SCRIPT
# bash completion for $name, made from its --help when it was built.
$function_name() {
    local cur=\${COMP_WORDS[COMP_CWORD]} prev=\${COMP_WORDS[COMP_CWORD-1]}
    local commands="$commands" command="" word flags
    for word in "\${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case " \$commands " in *" \$word "*) command=\$word; break ;; esac
    done
    case "\$command \$prev" in
$value_cases    esac
    case "\$command" in
$flag_cases    esac
    if [[ \$cur == -* ]]; then
        COMPREPLY=(\$(compgen -W "\$flags" -- "\$cur"))
    elif [[ -z \$command && -n \$commands ]]; then
        COMPREPLY=(\$(compgen -W "\$commands" -- "\$cur"))
    else
        compopt -o filenames
        COMPREPLY=(\$(compgen -f -- "\$cur"))
    fi
}
complete -F $function_name $name
SCRIPT
