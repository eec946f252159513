#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus, then fuzzes for a bounded time.
# The time is 30 s unless the target's source says "fuzz-seconds: N".
set -euo pipefail
bin=$1 src=$2 corpus=$3
secs=$(grep -oE 'fuzz-seconds: [0-9]+' "$src" | grep -oE '[0-9]+' || true)
secs=${secs:-30}
[ -x "$bin" ] || { echo "fuzz target $bin was not built"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -d "$corpus" ] && cp -r "$corpus/." "$work/" 2>/dev/null || true
cd "$work"
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$bin" -runs=0 "$work" >/dev/null 2>seed.log || { cat seed.log; exit 1; }
"$bin" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$work" 2>fuzz.log \
  || { tail -80 fuzz.log; exit 1; }
tail -5 fuzz.log
