#!/usr/bin/env bash
# Installs what is missing, builds, and starts Pyrvane 6. Extra arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --target pyrvane
exec "${PYRVANE_BUILD_DIR:-$root/build}/pyrvane" "$@"
