#!/bin/sh
# Usage: console_output_test.sh PROGRAM
set -eu
program="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# 9,000 bytes: more than two fills of the output buffer.
value=$(head -c 9000 /dev/zero | tr '\0' x)
printf '[S]\r\nK=%s\r\n' "$value" > "$dir/big.ini"
"$program" ini get --size=20000 "$dir/big.ini" S K > "$dir/out"
[ "$(cat "$dir/out")" = "$value" ] || { echo "the long value did not arrive whole"; exit 1; }

# A mistake goes to standard error alone, its line before the usage text.
status=0
"$program" ini get "$dir/big.ini" S K "$dir/extra" > "$dir/out" 2> "$dir/err" || status=$?
[ "$status" -eq 2 ] || { echo "exit code $status for a bad usage"; exit 1; }
[ ! -s "$dir/out" ] || { echo "a mistake printed on standard output"; exit 1; }
head -n 1 "$dir/err" | grep -q '^valdor3-tuning: ' || { echo "the mistake is not the first line"; cat "$dir/err"; exit 1; }
grep -q '^Usage: ' "$dir/err" || { echo "no usage after the mistake"; exit 1; }

# A reader that stops early: the program ends, and says nothing about it.
"$program" --help | head -c 10 > /dev/null
echo ok
