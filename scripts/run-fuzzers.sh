#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 Kolvo Testclient contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs every fuzz target of a KOLVO_FUZZ build folder for a bounded time.
# Usage: scripts/run-fuzzers.sh <build folder> <seconds per target>
#
# The committed seeds are only read: new inputs go to <build folder>/fuzz-corpus, so a local
# run keeps what it learned and the source tree stays clean. Findings land in
# <build folder>/fuzz-findings and fail the run.
set -euo pipefail

build=$1
seconds=$2
here=$(cd "$(dirname "$0")/../tests/fuzz" && pwd)

# Each finding stops the target at once; leaks count as findings too.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

status=0
passed=0
failed=0
for target in "$build"/fuzz/fuzz_*; do
    name=$(basename "$target")
    name=${name#fuzz_}
    corpus="$build/fuzz-corpus/$name"
    findings="$build/fuzz-findings/$name"
    log="$build/fuzz-$name.log"
    mkdir -p "$corpus" "$findings"
    options=(-max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
             -artifact_prefix="$findings/")
    if [ -f "$here/$name.dict" ]; then
        options+=(-dict="$here/$name.dict")
    fi
    if "$target" "${options[@]}" "$corpus" "$here/corpus/$name" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $name: ${runs:-?} inputs in ${seconds}s, nothing found"
        passed=$((passed + 1))
    else
        echo "fuzz $name: FAILED, log $log, inputs in $findings" >&2
        grep -v '^#' "$log" | tail -n 40 >&2
        status=1
        failed=$((failed + 1))
    fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
