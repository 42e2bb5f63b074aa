#!/bin/bash
# Runs the README's shell examples as written, from the source folder. Every
# code block with a "./korlix ...  # <code>: <what>" line runs line by line
# in one bash, which starts with a factory machine of its own in $R, and each
# ./korlix must give the code stated beside it. What the text promises is
# checked too: "1.30 flashed" and "NumLock is On" in the machine file,
# "x.nvux written" in $R. Lines that cannot run are listed with the reason.
# Usage: ReadmeExamples.sh <source folder> <factory machine folder>
cd "$1" || exit 1
factory="$2"
failures=0

# Lines that no test can run, and why.
declare -A not_run=(
    ["./run-tests"]="runs the test suite that runs this test"
)

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

# The checks that the text beside a ./korlix line names.
effects_check() {
    local what="$1" machine="${DIDEREVE_MACHINE#Z:}" re
    re='([0-9]+\.[0-9]+) flashed'
    if [[ $what =~ $re ]]; then
        grep -q " Version=\"${BASH_REMATCH[1]}\"" "$machine" || fail "not flashed: ${BASH_REMATCH[1]}"
    fi
    re='([A-Z][A-Za-z]+) is ([A-Z][A-Za-z0-9]*)'
    if [[ $what =~ $re ]]; then
        grep -q " ${BASH_REMATCH[1]}=\"${BASH_REMATCH[2]}\"" "$machine" || fail "not so: ${BASH_REMATCH[0]}"
    fi
    for file in $(grep -oE '[^ ,:]+\.(nvux|bup|log) written' <<<"$what" | cut -d' ' -f1); do
        [ -f "$R/$file" ] || fail "not written: $R/$file"
    done
}

# One block in a shell of its own; the failures come back as its exit status.
block_run() {
    local own
    own=$(mktemp -d)
    R=$own
    cp "$factory"/* "$R/"
    export DIDEREVE_MACHINE="Z:$R/Machine.xml"
    unset DIDEREVE_SCRIPT DIDEREVE_RECORD
    local line code what rc re='#[[:space:]]+([0-9]+):?[[:space:]]*(.*)$'
    while IFS= read -r line; do
        if [ -n "${not_run[${line:-none}]}" ]; then
            echo "NOT RUN: $line: ${not_run[$line]}"
            continue
        fi
        echo "\$ $line"
        if [[ $line != ./korlix* ]]; then
            eval "$line" || fail "exit status $?: $line"
            continue
        fi
        [[ $line =~ $re ]] || { fail "no exit code beside: $line"; continue; }
        code=${BASH_REMATCH[1]}
        what=${BASH_REMATCH[2]}
        eval "$line" >"$R.out" 2>"$R.err"
        rc=$?
        [ $rc -eq 255 ] && grep -q '^ERRORLEVEL=' "$R.err" && rc=$(sed -n 's/^ERRORLEVEL=\([0-9]*\).*/\1/p' "$R.err" | tail -1)
        if [ "$rc" != "$code" ]; then
            fail "exit code $rc, not $code: $line"
            cat "$R.out" "$R.err"
        fi
        effects_check "$what"
    done
    rm -rf "$own" "$R" "$R.out" "$R.err"
    return $failures
}

# The fenced blocks, each ended by a record separator.
blocks=$(awk '/^```/ { if (inside) printf "\036"; inside = !inside; next } inside { print }' README.md)
ran=0
while IFS= read -r -d $'\036' block; do
    if ! grep -q '^\./korlix' <<<"$block"; then
        echo "NOT RUN: $(head -1 <<<"$block"): no ./korlix example"
        continue
    fi
    ran=$((ran + 1))
    (block_run <<<"$block") || failures=$((failures + $?))
done <<<"$blocks"

[ $ran -ge 3 ] || fail "$ran blocks with ./korlix examples, expected 3 at least"
echo "$ran blocks run, $failures failures"
[ $failures -eq 0 ]
