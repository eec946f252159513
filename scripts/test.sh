#!/usr/bin/env bash
# Installs what is missing, builds everything (program, tests, benchmarks, fuzz targets)
# and runs every test. GUI tests run under an Xvfb server started here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PYRVANE_BUILD_DIR:-$root/build}
fuzzbuild=${PYRVANE_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=$(nproc)

"$root/scripts/setup.sh"

# Fuzz targets: clang with libFuzzer, ASan and UBSan, in a build folder of their own.
CC=clang CXX=clang++ cmake -S "$root" -B "$fuzzbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPYRVANE_FUZZ=ON >/dev/null
cmake --build "$fuzzbuild" -j "$jobs" --target fuzz_targets

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPYRVANE_FUZZ_BUILD_DIR="$fuzzbuild" >/dev/null
cmake --build "$build" -j "$jobs"

# A private X server for the GUI tests.
display_num=""
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then display_num=$n; break; fi
done
Xvfb ":$display_num" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wm_pid=""
trap 'kill $wm_pid "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$display_num" GDK_BACKEND=x11 NO_AT_BRIDGE=1 GTK_THEME=Adwaita
for _ in $(seq 50); do
  [ -e "/tmp/.X11-unix/X${display_num}" ] && break
  sleep 0.1
done

# A window manager, as users have one: dialogs get decorations, focus and the close box's
# request from it. The tests start only once it has taken over the screen.
openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
wm_ready=""
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then wm_ready=1; break; fi
  sleep 0.1
done
[ -n "$wm_ready" ] || { echo "The window manager did not start on :$display_num" >&2; exit 1; }

cd "$build"
ctest -j "$jobs" --output-on-failure --timeout 600
