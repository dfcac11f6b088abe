#!/usr/bin/env bash
# The saver under the real screen-saver hosts, each on a virtual X display:
#  1. the contract every host relies on: a window made here is named in
#     XSCREENSAVER_WINDOW (hexadecimal, with --root), with --window-id, and in
#     decimal with -root as xsecurelock names it; each run draws moving jets
#     into that window and SIGTERM ends it within 0.5 s with exit code 0,
#     printing nothing; the window's end ends the saver too; a bad id is one
#     line and exit code 2;
#  2. the XScreenSaver daemon, run as an unprivileged user (it refuses root)
#     with the program in its list: -activate puts jets on the screen over
#     the desktop it saw, -deactivate leaves no process behind.
# Usage: tools/ci-host-test.sh [build/vantorix]
set -euo pipefail

now_ms() { date +%s%3N; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Pixels of a capture that are not `colour` (give or take a little).
count_other() {
    convert "$1" -fuzz 8% -fill black -opaque "$2" -colorspace gray -threshold 4% \
        -precision 12 -format '%[fx:int(mean*w*h+0.5)]' info:
}
capture() {
    xwd -silent "$@" | convert xwd:- "$shot"
}

# Waits up to 10 s for two captures in a row that both show more than a few
# pixels that are not `colour`, but less than half the picture (the window
# was drawn over, not left as it was), and that differ from each other.
wait_for_jets() {
    local colour=$1
    shift
    local previous=
    for _ in $(seq 25); do
        sleep 0.4
        shot=$work/shot-$(now_ms).png
        capture "$@"
        local other total changed
        other=$(count_other "$shot" "$colour")
        total=$(identify -precision 12 -format '%[fx:w*h]' "$shot")
        if ((other <= 40 || other >= total / 2)); then
            previous=
            continue
        fi
        if [[ -n $previous ]]; then
            changed=$(compare -metric AE "$previous" "$shot" null: 2>&1 || true)
            if ((${changed%%.*} > 40)); then
                echo "   jets: $other pixels not $colour, $changed changed in 0.4 s"
                return 0
            fi
        fi
        previous=$shot
    done
    return 1
}

# Whether a process of this copy of the program runs (exited ones waiting
# for their parent do not count).
live_saver() {
    ps -eo stat=,args= | awk -v exe="$exe" '$2 == exe && $1 !~ /^Z/' | grep -q .
}

# Ends the run with SIGTERM and checks the exit: code 0 within 0.5 s,
# nothing printed from then on, no process left.
end_run() {
    local name=$1 pid=$2 before rc=0 start took
    before=$(cat "$work/out" "$work/err" | wc -c)
    start=$(now_ms)
    kill -TERM "$pid"
    wait "$pid" || rc=$?
    took=$(($(now_ms) - start))
    ((rc == 0)) || fail "$name: exit code $rc after SIGTERM"
    ((took <= 500)) || fail "$name: took $took ms to end"
    [[ $(cat "$work/out" "$work/err" | wc -c) == "$before" ]] ||
        fail "$name: printed at exit: $(cat "$work/err")"
    live_saver && fail "$name: a vantorix process is left"
    echo "   SIGTERM: exit 0 in $took ms"
}

contract() {
    echo "-- the contract, with a window made here"
    export XDG_CONFIG_HOME=$work/config
    xlogo -geometry 480x360+0+0 -bg gray50 -fg gray50 2>/dev/null &
    local logo=$! win=
    for _ in $(seq 50); do
        win=$(xwininfo -name xlogo 2>/dev/null | awk '/Window id:/ {print $4}') && [[ -n $win ]] && break
        sleep 0.1
    done
    [[ -n $win ]] || fail "no window to draw in"

    local name
    for name in "XSCREENSAVER_WINDOW=$win --root" "--window-id $win" \
        "XSCREENSAVER_WINDOW=$((win)) -root"; do
        echo "-- $name"
        if [[ $name == XSCREENSAVER_WINDOW=* ]]; then
            env "${name% *}" "$exe" "${name#* }" >"$work/out" 2>"$work/err" &
        else
            "$exe" $name >"$work/out" 2>"$work/err" &
        fi
        local pid=$!
        wait_for_jets black -id "$win" || fail "$name: no moving jets in the window"
        end_run "$name" "$pid"
    done

    echo "-- the window goes away"
    "$exe" --window-id "$win" >"$work/out" 2>"$work/err" &
    local pid=$!
    wait_for_jets black -id "$win" || fail "no moving jets before the window went"
    local start rc=0 took
    start=$(now_ms)
    kill "$logo"
    wait "$pid" || rc=$?
    took=$(($(now_ms) - start))
    ((rc == 0 && took <= 500)) || fail "exit code $rc after $took ms when the window went"
    echo "   exit 0 in $took ms"

    echo "-- a window id that names no window"
    rc=0
    "$exe" --window-id "$win" >"$work/out" 2>"$work/err" || rc=$?
    ((rc == 2)) && [[ $(wc -l <"$work/err") == 1 && ! -s $work/out ]] ||
        fail "exit code $rc, output: $(cat "$work/out" "$work/err")"
    echo "   exit 2: $(cat "$work/err")"
}

daemon() {
    echo "-- the XScreenSaver daemon as $(id -un)"
    export XDG_CONFIG_HOME=$work/config-$(id -un)
    # The desktop: one colour, so the saver's picture of it can be recognised.
    xlogo -geometry 800x600+0+0 -bg '#406080' -fg '#406080' 2>/dev/null &
    cat >"$HOME/.xscreensaver" <<EOF
mode:		one
selected:	0
timeout:	1:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
grabDesktopImages:	True
programs:	"Vantorix" $exe --root \\n\\

EOF
    xscreensaver -no-splash >"$work/daemon.log" 2>&1 &
    for _ in $(seq 100); do
        xscreensaver-command -version >/dev/null 2>&1 && break
        sleep 0.1
    done
    xscreensaver-command -activate >/dev/null
    wait_for_jets '#406080' -root || {
        cat "$work/daemon.log" >&2
        fail "no jets over the desktop after -activate"
    }
    live_saver || fail "no vantorix process while the saver is active"
    xscreensaver-command -deactivate >/dev/null
    for _ in $(seq 30); do
        live_saver || break
        sleep 0.1
    done
    live_saver && fail "a vantorix process is left after -deactivate"
    echo "   -deactivate: no vantorix process left"
    xscreensaver-command -exit >/dev/null 2>&1 || true
}

case "${VX_HOST_TEST_PART:-}" in
contract | daemon)
    exe=$VX_HOST_TEST_EXE
    work=$(mktemp -d) # this part's captures and output
    trap 'rm -rf "$work"' EXIT
    export XDG_RUNTIME_DIR=$work
    "$VX_HOST_TEST_PART"
    exit 0
    ;;
esac

cd "$(dirname "$0")/.."
# A copy of the program and of this script that any user can run.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
install -m 755 "${1:-build/vantorix}" "$work/vantorix"
install -m 755 "$0" "$work/ci-host-test.sh"
display=(xvfb-run -a -s "-screen 0 800x600x24")
part() {
    env VX_HOST_TEST_PART="$1" VX_HOST_TEST_EXE="$work/vantorix" \
        "${display[@]}" bash "$work/ci-host-test.sh"
}

part contract
if [[ $(id -u) == 0 ]]; then
    id vxhost >/dev/null 2>&1 || useradd --create-home --shell /bin/bash vxhost
    runuser -u vxhost -- env HOME=/home/vxhost VX_HOST_TEST_PART=daemon \
        VX_HOST_TEST_EXE="$work/vantorix" "${display[@]}" bash "$work/ci-host-test.sh"
else
    part daemon
fi
echo "host tests passed"
