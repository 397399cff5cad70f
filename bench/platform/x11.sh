#!/usr/bin/env bash
# The window benchmark on the x11 backend, under a virtual X server of its
# own (skipped when Xvfb is missing). Argument: the build folder.
set -euo pipefail
build=${1:-build}
bench="$build/bench/platform_window_bench"
[[ -x "$bench" ]] || { echo "x11.sh: $bench is not built"; exit 0; }
command -v Xvfb >/dev/null || { echo "x11.sh: Xvfb is not installed; skipped"; exit 0; }
for n in $(seq 120 199); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break
done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$n ]] && break; sleep 0.05; done
runtime=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT
DISPLAY=":$n" LANSCOUT_BACKEND=x11 XDG_RUNTIME_DIR="$runtime" "$bench" --benchmark_min_time=0.2
