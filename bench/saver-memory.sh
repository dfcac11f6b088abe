#!/usr/bin/env bash
# Runs the real saver (`vantorix -s`, Speed 10, other settings at their
# defaults) full screen on an Xvfb screen of the given size and prints its
# resident memory after the given time, with the CPU share it took over the
# last ten seconds of that time (steady state: title card and start-up are
# long over). Usage:
#   bench/saver-memory.sh [WxH] [seconds] [vantorix binary]
# e.g. bench/saver-memory.sh 3840x2160 60 build/vantorix
set -euo pipefail
size=${1:-1920x1080}
seconds=${2:-60}
binary=$(realpath "${3:-build/vantorix}")
(( seconds > 10 )) || { echo "run for more than 10 seconds" >&2; exit 2; }

work=$(mktemp -d)
xvfb=""
saver=""
cleanup() {
    set +e
    if [[ -n $saver ]]; then kill "$saver"; wait "$saver"; fi 2>/dev/null
    if [[ -n $xvfb ]]; then kill "$xvfb"; wait "$xvfb"; fi 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config/Quorvane Screen Savers"
printf '[Config]\nSpeed=10\n' >"$work/config/Quorvane Screen Savers/vantorix.ini"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
display=":$(cat "$work/display")"

DISPLAY=$display XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work "$binary" -s \
    >/dev/null 2>&1 &
saver=$!
ticks() { awk '{print $14 + $15}' "/proc/$saver/stat"; }
sleep $((seconds - 10))
before=$(ticks)
sleep 10
after=$(ticks)
hz=$(getconf CLK_TCK)
echo "screen $size, after ${seconds}s:"
grep -E 'VmRSS|VmHWM|RssAnon|RssFile|RssShmem' "/proc/$saver/status"
awk -v t=$((after - before)) -v hz="$hz" \
    'BEGIN { printf "CPU over the last 10 s: %.1f %% of one core\n", 100 * t / hz / 10 }'
