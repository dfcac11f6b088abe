#!/usr/bin/env bash
# The Windows module as the system's display settings use it, under Wine on
# a virtual X server (1024x768) whose desktop shows a coloured window:
#  1. `vantorix.scr /s`: the title card in the middle of the screen, then
#     moving jets over the picture of the desktop; a key ends it with exit
#     code 0;
#  2. `/c`: the configuration dialog; Enter (OK) stores the five values as
#     REG_DWORD under HKCU\Software\Quorvane Screen Savers\vantorix\Config,
#     Escape (Cancel) stores nothing;
#  3. `/p <window>` into the pane of a small host program: the saver's window
#     fills the pane, and the saver ends with its host;
#  4. `/s` on two monitors (a nested X server with two Xinerama heads, which
#     Wine reads when told not to use RandR): both heads show moving jets,
#     the saver keeps running, and a key ends it.
# Screenshots are left in $VX_WINE_SHOTS when it is set.
# Usage: tools/ci-wine-test.sh [build-win/vantorix.scr [build-win/preview-host.exe]]
set -euo pipefail

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

scr=$(realpath "${1:-build-win/vantorix.scr}")
host=$(realpath "${2:-build-win/preview-host.exe}")
[[ -f $scr ]] || fail "no module at $scr"
[[ -f $host ]] || fail "no preview host at $host"
work=$(mktemp -d)
shots=${VX_WINE_SHOTS:-$work}
mkdir -p "$shots"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A prefix of its own; no Mono or Gecko installers are offered.
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "no X server"
export DISPLAY=:$(cat "$work/display")
timeout 180 wineboot -i >/dev/null 2>&1 || fail "wineboot did not finish"
wineserver -w
desktop="#406080"
xlogo -geometry 1024x768+0+0 -bg "$desktop" -fg "$desktop" 2>/dev/null &
pids+=($!)
sleep 1

shot() { xwd -root -silent | convert xwd:- "$shots/$1.png"; }
# Pixels of an area that are not the desktop's colour.
count_other() {
    convert "$shots/$1.png" -crop "$2" +repage -fuzz 8% -fill black -opaque "$desktop" \
        -colorspace gray -threshold 4% -precision 12 -format '%[fx:int(mean*w*h+0.5)]' info:
}
changed() {
    compare -metric AE "$shots/$1.png" "$shots/$2.png" null: 2>&1 || true
}
# Waits up to `seconds` for a process to end; sets `rc` to its exit code
# ("running" when it did not end).
end_code() {
    local pid=$1 seconds=$2
    for _ in $(seq $((seconds * 10))); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    rc=running
    kill -0 "$pid" 2>/dev/null && return
    rc=0
    wait "$pid" || rc=$?
}
win_path() { winepath -w "$1" 2>/dev/null; }

echo "-- /s: the title card, then moving jets over the desktop; a key ends it"
wine "$scr" /s >"$work/s.out" 2>&1 &
saver=$!
pids+=("$saver")
sleep 1.5
shot card
card=$(count_other card 376x230+324+269)
((card > 20000)) || fail "no title card in the middle of the screen ($card pixels)"
echo "   title card: $card pixels of the card's art in the middle"
# Two captures in a row that show the desktop's picture with something on
# it that is not the card (much less than the card's pixels), and that
# differ: moving jets.
seen= before=0
for i in $(seq 40); do
    sleep 0.5
    shot "jets$i"
    other=$(count_other "jets$i" 1024x768+0+0)
    if ((i > 1 && before > 100 && before < 20000 && other > 100 && other < 20000)); then
        moved=$(changed "jets$((i - 1))" "jets$i")
        if ((${moved%%.*} > 100)); then
            seen=$i
            break
        fi
    fi
    before=$other
done
[[ -n $seen ]] || fail "no moving jets over the desktop: $(cat "$work/s.out")"
echo "   jets: $other pixels not the desktop, $moved changed in 0.5 s"
cp "$shots/jets$seen.png" "$shots/saver.png"
kill -0 "$saver" 2>/dev/null || fail "the saver ended before the key"
xdotool key a
end_code "$saver" 5
[[ $rc == 0 ]] || fail "a key: the saver ended with '$rc'"
echo "   a key: exit 0"

key='HKCU\Software\Quorvane Screen Savers\vantorix\Config'
stored() { wine reg query "$key" 2>/dev/null | grep -c REG_DWORD || true; }
dialog() { # runs /c, presses a key once the dialog shows; sets `rc`
    xdotool mousemove 0 0 # no tooltip over the picture
    wine "$scr" /c >"$work/c.out" 2>&1 &
    local pid=$! window=
    pids+=("$pid")
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name 'Vantorix' 2>/dev/null | head -1) || true
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || fail "no configuration dialog: $(cat "$work/c.out")"
    sleep 1
    shot "$2"
    xdotool windowfocus --sync "$window" key "$1"
    end_code "$pid" 5
}

echo "-- /c: Escape stores nothing, Enter stores the five values"
wine reg delete 'HKCU\Software\Quorvane Screen Savers' /f >/dev/null 2>&1 || true
dialog Escape dialog-cancel
[[ $rc == 0 ]] || fail "Cancel: exit '$rc'"
n=$(stored)
((n == 0)) || fail "Cancel stored $n values"
dialog Return dialog
[[ $rc == 0 ]] || fail "OK: exit '$rc'"
wine reg query "$key" | grep REG_DWORD | sed 's/^/   /'
for name in Speed Reliability Sound ClearScreen Wallpaper; do
    wine reg query "$key" /v "$name" 2>/dev/null | grep -q REG_DWORD || fail "OK did not store $name"
done

echo "-- /p: the saver fills a host's pane and ends with the host"
out=$(wine "$host" "$(win_path "$scr")" 4 2>&1) || fail "preview host: $out"
echo "$out" | grep -E '^(preview|saver exit)' | sed 's/^/   /'
echo "-- /s on two monitors: both show moving jets; a key ends the saver"
wineserver -k 2>/dev/null || true
wineserver -w
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f >/dev/null 2>&1
wineserver -w
Xephyr -displayfd 3 +xinerama -screen 800x600 -screen 640x480 -ac -noreset \
    3>"$work/nested" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/nested ]] && break; sleep 0.1; done
[[ -s $work/nested ]] || fail "no nested X server"
export DISPLAY=:$(cat "$work/nested")
xsetroot -solid "$desktop"
wine "$scr" /s >"$work/m.out" 2>&1 &
saver=$!
pids+=("$saver")
heads=("first 800x600+0+0" "second 640x480+800+0")
seen=() before=(0 0)
for i in $(seq 40); do
    sleep 0.5
    shot "two$i"
    ((i > 4)) || continue # the title card
    kill -0 "$saver" 2>/dev/null || fail "the saver ended by itself: $(cat "$work/m.out")"
    j=0
    for head in "${heads[@]}"; do
        read -r name geometry <<<"$head"
        other=$(count_other "two$i" "$geometry")
        # As on one monitor: two captures in a row with something on the
        # desktop's picture that is not the card, and differing.
        if [[ -z ${seen[j]:-} ]] && ((before[j] > 100 && before[j] < 20000 &&
            other > 100 && other < 20000)); then
            convert "$shots/two$((i - 1)).png" -crop "$geometry" +repage "$work/a.png"
            convert "$shots/two$i.png" -crop "$geometry" +repage "$work/b.png"
            moved=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
            if ((${moved%%.*} > 100)); then
                seen[j]=1
                echo "   $name monitor: $other pixels not the desktop, $moved changed in 0.5 s"
            fi
        fi
        before[j]=$other
        j=$((j + 1))
    done
    ((${#seen[@]} == ${#heads[@]})) && break
done
((${#seen[@]} == ${#heads[@]})) || fail "not both monitors show moving jets"
xdotool key a
end_code "$saver" 5
[[ $rc == 0 ]] || fail "a key on two monitors: the saver ended with '$rc'"
echo "   a key: exit 0"
echo "Wine tests passed"
