#!/usr/bin/env bash
# Fails when a model or platform source includes a wx header (only ui/ folders and widgets/ may).
root=${1:-.}
cd "$root/src" || exit 2
hits=$(grep -rlE '#[[:space:]]*include[[:space:]]*[<"]wx/' platform app project landscape themes views weather runs zip engines gridmodel common 2>/dev/null | grep -v '/ui/')
if [ -n "$hits" ]; then
  echo "wx included by model code:"; echo "$hits"; exit 1
fi
echo "no wx in the model"
