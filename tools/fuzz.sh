#!/usr/bin/env bash
# Runs every fuzz target of the fuzz build for a while: tools/fuzz.sh BUILD SECONDS [TARGET...].
# New inputs go to BUILD/fuzz-corpus/<name>, the seed corpus in tests/fuzz/corpus stays as it is;
# an input that breaks a target is kept in BUILD/fuzz-crashes. Fails when any target broke.
set -uo pipefail

build=$1
seconds=$2
shift 2
source_dir=$(cd "$(dirname "$0")/.." && pwd)
fuzz_dir=$source_dir/tests/fuzz

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for corpus in "$fuzz_dir"/corpus/*/; do
        names+=("$(basename "$corpus")")
    done
fi

mkdir -p "$build/fuzz-crashes"
failed=()
for name in "${names[@]}"; do
    work=$build/fuzz-corpus/$name
    mkdir -p "$work"
    options=(-max_total_time="$seconds" -print_final_stats=1
             -artifact_prefix="$build/fuzz-crashes/$name-")
    [ -f "$fuzz_dir/$name.dict" ] && options+=(-dict="$fuzz_dir/$name.dict")
    echo "== $name: $seconds s"
    if ! "$build/tests/fuzz/fi_fuzz_$name" "${options[@]}" "$work" "$fuzz_dir/corpus/$name" \
        2>"$build/fuzz-$name.log"; then
        failed+=("$name")
        tail -n 40 "$build/fuzz-$name.log"
    fi
    grep -E '^stat::number_of_executed_units|^INFO: Loaded|^#[0-9]+ +DONE' "$build/fuzz-$name.log"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Broken: ${failed[*]} (inputs in $build/fuzz-crashes)"
    exit 1
fi
