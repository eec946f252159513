#!/usr/bin/env bash
# Every command the README gives works as written: the scripts it names exist and run, and each
# benchmark command (binary, environment and filter) selects at least one benchmark. The
# benchmarks themselves are listed, not run: they take minutes at full size.
set -u
src=$1
build=$2
readme="$src/README.md"
fail=0
n=0
# Indented command lines, and the commands in backticks of the performance table's last column.
commands=$( { grep -E '^    (\./scripts/|build/|[A-Z_]+=)' "$readme" | sed 's/^    //';
              grep -E '^\|.*\| `[^|]*build/bench/' "$readme" | sed 's/.*| //; s/ |$//' | tr ',' '\n' |
                sed -n 's/^ *`\(.*\)` *$/\1/p' | sed 's/\\|/|/g'; } )
while IFS= read -r cmd; do
  [ -z "$cmd" ] && continue
  n=$((n + 1))
  case "$cmd" in
    ./scripts/*)
      script=${cmd%% *}
      if [ ! -x "$src/$script" ] || ! bash -n "$src/$script"; then
        echo "README command: $cmd: $script is missing or not a valid script"; fail=1
      fi ;;
    *build/bench/*)
      # Run from the source folder's parent layout: build/ is the build folder.
      line=${cmd//build\/bench\//$build\/bench\/}
      out=$(cd "$src" && eval "$line --benchmark_list_tests=true" 2>&1)
      if [ $? -ne 0 ] || ! grep -q '^BM_' <<<"$out"; then
        echo "README command: $cmd selects no benchmark:"; echo "$out" | head -5; fail=1
      fi ;;
    *) echo "README command not understood by this check: $cmd"; fail=1 ;;
  esac
done <<<"$commands"
if [ "$n" -lt 3 ]; then echo "found only $n README commands: the check no longer reads the README"; fail=1; fi
echo "$n README commands checked"
exit $fail
