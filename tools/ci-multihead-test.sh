#!/usr/bin/env bash
# The saver on two monitors: a nested X server (Xephyr) with two heads joined
# by Xinerama, 1280x800 and 1024x768 side by side, each showing a desktop of
# its own colour.
#  1. `vantorix -s`: after the title card both heads show moving jets over
#     the picture of their own desktop (neither keeps showing the live one);
#     the pointer moved on the second head only ends the saver with exit
#     code 0;
#  2. a key pressed with the pointer on the first head ends it too.
# Usage: tools/ci-multihead-test.sh [build/vantorix]
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

exe=$(realpath "${1:-build/vantorix}")
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work

# The heads: name, geometry, the colour of its desktop.
heads=("first 1280x800+0+0 #406080" "second 1024x768+1280+0 #806040")

# A host display for the nested server, then the nested server itself.
Xvfb -displayfd 3 -screen 0 2400x900x24 3>"$work/host" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/host ]] && break; sleep 0.1; done
[[ -s $work/host ]] || fail "no host X server"
DISPLAY=:$(cat "$work/host") Xephyr -displayfd 3 +xinerama -screen 1280x800 -screen 1024x768 \
    -ac -noreset 3>"$work/nested" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/nested ]] && break; sleep 0.1; done
[[ -s $work/nested ]] || fail "no nested X server"
export DISPLAY=:$(cat "$work/nested")
for head in "${heads[@]}"; do
    read -r _ geometry colour <<<"$head"
    xlogo -geometry "$geometry" -bg "$colour" -fg "$colour" 2>/dev/null &
    pids+=($!)
done
sleep 1

# Pixels of one head's part of a capture that are not its desktop's colour.
count_other() {
    convert "$1" -crop "$2" +repage -fuzz 8% -fill black -opaque "$3" -colorspace gray \
        -threshold 4% -precision 12 -format '%[fx:int(mean*w*h+0.5)]' info:
}
changed() {
    convert "$1" -crop "$3" +repage "$work/a.png"
    convert "$2" -crop "$3" +repage "$work/b.png"
    compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true
}

# Waits up to 15 s until each head, in two captures in a row, shows some
# pixels that are not its desktop (but not as many as half: the desktop's
# picture is there) and changes between them.
wait_for_jets_on_both() {
    local previous= seen=()
    for _ in $(seq 40); do
        sleep 0.4
        local shot=$work/shot-$(date +%s%N).png
        xwd -root -silent | convert xwd:- "$shot"
        if [[ -n $previous ]]; then
            local i=0
            for head in "${heads[@]}"; do
                read -r name geometry colour <<<"$head"
                local w=${geometry%%x*} rest=${geometry#*x}
                local other moved
                other=$(count_other "$shot" "$geometry" "$colour")
                moved=$(changed "$previous" "$shot" "$geometry")
                if ((other > 40 && other < w * ${rest%%+*} / 2 && ${moved%%.*} > 40)) &&
                    [[ -z ${seen[i]:-} ]]; then
                    seen[i]=1
                    echo "   $name head: $other pixels not its desktop, $moved changed in 0.4 s"
                fi
                i=$((i + 1))
            done
            ((${#seen[@]} == ${#heads[@]})) && return 0
        fi
        previous=$shot
    done
    return 1
}

# Waits up to 3 s for the saver to end; fails unless with exit code 0.
expect_end() {
    local pid=$1 what=$2 rc=0
    for _ in $(seq 30); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && fail "still running after $what"
    wait "$pid" || rc=$?
    ((rc == 0)) || fail "exit code $rc after $what"
    echo "   $what: exit 0"
}

echo "-- jets on both heads; the pointer moved on the second one ends the saver"
xdotool mousemove 1700 500
"$exe" -s --speed 10 >"$work/out" 2>&1 &
saver=$!
pids+=("$saver")
sleep 3 # the title card
wait_for_jets_on_both || {
    cat "$work/out" >&2
    fail "not both heads show moving jets"
}
for x in 1720 1740 1760; do
    xdotool mousemove "$x" 520
    sleep 0.2
done
expect_end "$saver" "pointer moves on the second head"

echo "-- a key with the pointer on the first head"
xdotool mousemove 600 400
"$exe" -s --speed 10 >"$work/out" 2>&1 &
saver=$!
pids+=("$saver")
sleep 4
kill -0 "$saver" 2>/dev/null || fail "the saver ended before the key: $(cat "$work/out")"
xdotool key a
expect_end "$saver" "a key on the first head"
echo "multi-head tests passed"
