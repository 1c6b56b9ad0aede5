#!/usr/bin/env bash
# The bash completion offers what the command line takes: every key its show
# commands print, entries its set commands accept and show back, and only
# command words it knows.
# Arguments: the command line, the completion script, the sample installation.
set -u
cli=$1
script=$2
demo=$3
# shellcheck source=/dev/null
source "$script"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$demo/game" "$demo/documents" "$scratch/"
export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_STATE_HOME="$scratch/state"
run() { "$cli" --game-dir "$scratch/game" --documents-dir "$scratch/documents" --state-dir "$scratch/tool" "$@"; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Leaves in COMPREPLY the replies to a tab at the end of LINE. The words are
# split as bash splits them: at blanks, and each "=" a word of its own.
complete_line() {
  local line=$1 word
  local -a parts
  read -ra parts <<<"$line"
  COMP_WORDS=()
  for word in "${parts[@]}"; do
    while [[ $word == *=* ]]; do
      [[ -n ${word%%=*} ]] && COMP_WORDS+=("${word%%=*}")
      COMP_WORDS+=("=")
      word=${word#*=}
    done
    [[ -n $word ]] && COMP_WORDS+=("$word")
  done
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  COMPREPLY=()
  _valdor3_tuning valdor3-tuning "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
}

# Whether REPLY is among the replies to LINE.
offered() {  # LINE REPLY
  local reply
  complete_line "$1"
  for reply in "${COMPREPLY[@]}"; do
    [[ $reply == "$2" ]] && return 0
  done
  return 1
}

offers() {  # LINE REPLY
  offered "$1" "$2" || fail "'$1' does not offer '$2' (offers: ${COMPREPLY[*]})"
}

# ---- command words ----
complete_line "valdor3-tuning "
commands=("${COMPREPLY[@]}")
[[ ${#commands[@]} -ge 7 ]] || fail "the commands offered: ${commands[*]}"
for command in "${commands[@]}"; do
  complete_line "valdor3-tuning $command "
  verbs=("${COMPREPLY[@]}")
  [[ ${#verbs[@]} -gt 0 ]] || fail "'$command' is offered without its words"
  for verb in "${verbs[@]}"; do
    if run "$command" "$verb" 2>&1 >/dev/null </dev/null | grep -q "unknown command"; then
      fail "'$command $verb' is offered but the command line does not know it"
    fi
  done
done
offers "valdor3-tuning cache scale " "Medium"
offers "valdor3-tuning --la" "--language"
offers "valdor3-tuning --language " "deutsch"

# ---- keys: every key a show command prints is offered to its set command ----
for group in main other cache; do
  shown=$(run "$group" show | sed 's/=.*//' | grep -v -e '^Total\.' -e '^FinalCache\.')
  [[ -n $shown ]] || fail "$group show printed nothing"
  for key in $shown; do
    offered "valdor3-tuning $group set " "$key=" || fail "$group set does not offer the key $key"
  done
done
offers "valdor3-tuning main set texturequal" "TextureQuality="

# ---- values: each entry offered is taken by set and shown back ----
# The n-th entry of every key at once: one set and one show per round.
for language in english deutsch; do
  for group in main other; do
    declare -A entries=()
    for key in $(run "$group" show | sed 's/=.*//'); do
      complete_line "valdor3-tuning --language $language $group set $key="
      for n in "${!COMPREPLY[@]}"; do
        entries[$n]+="$key=${COMPREPLY[n]//\\ / }"$'\n'  # as the shell passes the escaped space
      done
    done
    [[ ${#entries[@]} -ge 2 ]] || fail "$group set offers almost no entries in $language"
    for n in "${!entries[@]}"; do
      mapfile -t assignments <<<"${entries[$n]%$'\n'}"
      if ! error=$(run --language "$language" "$group" set "${assignments[@]}" 2>&1 >/dev/null); then
        fail "$group set refuses entries the completion offers in $language: $error"
        continue
      fi
      shown=$'\n'$(run --language "$language" "$group" show)$'\n'
      for assignment in "${assignments[@]}"; do
        [[ $shown == *$'\n'"$assignment"$'\n'* ]] || fail "$group show does not give back $assignment in $language"
      done
    done
    unset entries
  done
done
complete_line "valdor3-tuning main set TextureQuality="
[[ ${#COMPREPLY[@]} -eq 3 ]] || fail "TextureQuality offers ${COMPREPLY[*]}, not low, medium and high"
offers "valdor3-tuning main set Render.MeshLoDQuality=ultra" 'ultra\ high'
offers "valdor3-tuning --language deutsch main set TextureQuality=n" "niedrig"

if ((failures)); then
  echo "$failures failures"
  exit 1
fi
echo "The completion offers what the command line takes."
