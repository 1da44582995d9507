#!/usr/bin/env bash
# End-to-end test of the viewer's window, run as:
#   bash tests/e2e/visualizador_janela_test.sh PATH/TO/visualizador [PATH/TO/fechar_janela]
#
# On a private Xvfb it opens exemplos/bunny.txt and checks what a user sees and does: the first
# frame is the --imagem picture, the arrows, the zoom keys and R, F12, H, the processor time
# while idle, ESC, and the close button (sent by fechar_janela; skipped without it). Also a bad
# scene and no display at all. One line per check; exits 0 only if every check passed, and keeps
# the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

usage="usage: visualizador_janela_test.sh PATH/TO/visualizador [PATH/TO/fechar_janela]"
prog=$(realpath -- "${1:?$usage}")
fechar=${2:+$(realpath -- "$2")}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
cena=$root/exemplos/bunny.txt
readonly START_TIMEOUT=30 KEY_TIMEOUT=10 QUIT_LIMIT=2 CPU_LIMIT=5

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
JANELA_TIMEOUT=$KEY_TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-e2e Xvfb xwd xwininfo xdotool xev xprop convert od
# Starts the viewer on the bunny in a folder of its own (F12 saves there); sets pid and win and
# waits until the window shows the --imagem picture.
start_viewer() {
    mkdir -p "$work/$1" && cd "$work/$1" || fatal "no folder $work/$1"
    "$prog" "$cena" >stdout.txt 2>stderr.txt </dev/null &
    pid=$!
    xvfb_track "$pid"
    cd "$work" || exit 1
    win=$(xvfb_find_window 640x480 "$START_TIMEOUT") ||
        fatal "no 640x480 window within ${START_TIMEOUT}s; stderr: $(cat "$work/$1/stderr.txt")"
    if ! xvfb_wait_picture "$win" ref.png first.xwd "$START_TIMEOUT"; then
        fatal "the window never showed the --imagem picture: $(xvfb_rgb565 first.xwd |
            paste -d' ' ref.565 - | awk '$1 != $4 || $2 != $5 || $3 != $6' | wc -l) pixels differ"
    fi
    xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
}
# Ends the viewer with KEY (or the close button); checks it is gone within QUIT_LIMIT, status 0.
quit_with() {
    local start rc
    start=$(date +%s%N)
    if [ "$1" = close ]; then "$fechar" "$win" || fail "fechar_janela failed"; else press "$1"; fi
    if ! xvfb_wait_gone "$pid" "$QUIT_LIMIT"; then
        fail "$1: still running ${QUIT_LIMIT}s later"
        return
    fi
    wait "$pid"
    rc=$?
    xvfb_untrack "$pid"
    local took=$(( ($(date +%s%N) - start) / 1000000 ))
    [ "$rc" -eq 0 ] && pass "$1 ended it with status 0 after $took ms" || fail "$1: status $rc"
}

# --- Without a display; the reference picture ------------------------------------------------
env -u DISPLAY timeout 10 "$prog" "$cena" >/dev/null 2>"$work/nodisplay.err" </dev/null
rc=$?
if [ "$rc" -eq 1 ] && grep -q '^visualizador: .*display' "$work/nodisplay.err"; then
    pass "without DISPLAY: status 1, $(cat "$work/nodisplay.err")"
else
    fail "without DISPLAY: status $rc, stderr '$(cat "$work/nodisplay.err")'"
fi
"$prog" "$cena" --imagem "$work/ref.png" >/dev/null 2>&1 </dev/null || fatal "--imagem failed"
xvfb_rgb565 "$work/ref.png" >"$work/ref.565"

xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"

# --- A bad scene opens no window: no window is created between two marks on the root. --------
: >"$work/xev.txt"
xev -root -event substructure -event property >>"$work/xev.txt" 2>&1 &
xvfb_track $!
# Sets a property on the root window until xev reports it: then xev has seen every earlier event.
mark() {
    local before deadline
    before=$(grep -c VISUALIZADOR_MARCA "$work/xev.txt")
    deadline=$(xvfb_deadline "$KEY_TIMEOUT")
    until [ "$(grep -c VISUALIZADOR_MARCA "$work/xev.txt")" -gt "$before" ]; do
        xvfb_past "$deadline" && fatal "xev did not report a property change on the root"
        xprop -root -f VISUALIZADOR_MARCA 8s -set VISUALIZADOR_MARCA 1
        sleep 0.1
    done
}
mark 1
timeout 10 "$prog" "$root/tests/cena/cenas/indice_fora.txt" >/dev/null 2>"$work/bad.err" </dev/null
rc=$?
mark 2
windows=$(awk '/VISUALIZADOR_MARCA/ { on = 1 } on && /CreateNotify/ { n++ } END { print n + 0 }' \
    "$work/xev.txt")
if [ "$rc" -eq 1 ] && [ "$windows" -eq 0 ] && grep -q 'indice_fora.txt: line 5,' "$work/bad.err"
then
    pass "bad scene: status 1, no window, $(cat "$work/bad.err")"
else
    fail "bad scene: status $rc, $windows window(s), stderr '$(cat "$work/bad.err")'"
fi

# --- The window and its first frame ----------------------------------------------------------
start_viewer keys
if xwininfo -id "$win" | grep -qF '"visualizador - bunny.txt (640x480)"'; then
    pass "window $win titled \"visualizador - bunny.txt (640x480)\" shows the --imagem" \
        "picture (5/6/5 bits)"
else
    fail "window $win shows the picture but is not titled \"visualizador - bunny.txt (640x480)\""
fi

ticks() { sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }'; }
t0=$(date +%s%N) c0=$(ticks)
sleep 2
t1=$(date +%s%N) c1=$(ticks)
cpu=$(awk -v c=$((c1 - c0)) -v hz="$(getconf CLK_TCK)" -v ns=$((t1 - t0)) \
    'BEGIN { printf "%.1f", 100 * c / hz / (ns / 1e9) }')
if awk -v p="$cpu" -v l="$CPU_LIMIT" 'BEGIN { exit !(p < l) }'; then
    pass "idle: $cpu % of a core ($((c1 - c0)) ticks in $(( (t1 - t0) / 1000000 )) ms)"
else
    fail "idle: $cpu % of a core, limit $CPU_LIMIT %"
fi


# Presses F12 and expects visualizador-NUMBER.png in the viewer's folder, the same bytes as the
# --imagem picture; WHEN says at which point of the test.
saved_with_f12() {
    local numero=$1 when=$2
    press F12
    if wait_until test -f "keys/visualizador-$numero.png" &&
        cmp -s "keys/visualizador-$numero.png" ref.png; then
        pass "F12 $when saved visualizador-$numero.png, the same bytes as --imagem"
    else
        fail "F12 $when did not save visualizador-$numero.png equal to the --imagem picture"
    fi
}
# --- H shows the overlay in the top-left text box only; F12 saves the frame without it. ------
press h
if wait_changed first.xwd overlay.xwd; then
    read -r n x0 y0 x1 y1 < <(cmp -l <(convert first.xwd -depth 8 rgb:-) \
        <(convert overlay.xwd -depth 8 rgb:-) | awk '{
            p = int(($1 - 1) / 3); x = p % 640; y = int(p / 640)
            if (p == last) next
            last = p
            if (!n++) { x0 = x1 = x; y0 = y }
            if (x < x0) x0 = x; if (x > x1) x1 = x; y1 = y
        } END { print n, x0, y0, x1, y1 }')
    if [ "$x1" -lt 256 ] && [ "$y1" -lt 8 ]; then
        pass "H: $n pixels changed, all in the box ($x0,$y0)-($x1,$y1)"
    else
        fail "H: $n pixels changed in ($x0,$y0)-($x1,$y1), beyond the 256x8 box at top-left"
    fi
else
    fail "H did not change the picture"
fi
saved_with_f12 001 "with the overlay shown"
press h
wait_same first.xwd now.xwd && pass "H again: the first picture exactly" ||
    fail "H again did not give back the first picture"

# --- Arrows, zoom keys, R --------------------------------------------------------------------
press Right
wait_changed first.xwd now.xwd && pass "→ changes the picture" || fail "→ did not change it"
press Left
wait_same first.xwd now.xwd && pass "← gives back the first picture exactly" ||
    fail "← did not give back the first picture"
cp first.xwd before.xwd
dead=""
for k in Up Down Prior Next plus minus KP_Add KP_Subtract Left Up; do
    press "$k"
    wait_changed before.xwd now.xwd || dead+=" $k"
    mv now.xwd before.xwd
done
[ -z "$dead" ] && pass "Up Down Prior Next + - KP+ KP- Left Up: each changes the picture" ||
    fail "no change after:$dead"
press r
wait_same first.xwd now.xwd && pass "R after those moves: the first picture exactly" ||
    fail "R did not give back the first picture"
saved_with_f12 002 "after R"

quit_with Escape
[ ! -s keys/stderr.txt ] && pass "stderr empty" || fail "stderr: $(cat keys/stderr.txt)"

if [ -n "$fechar" ]; then
    start_viewer close
    quit_with close
else
    echo "SKIP: the close button (no fechar_janela given)"
fi

[ "$failures" -eq 0 ] && echo "visualizador_janela_test: all checks passed"
[ "$failures" -eq 0 ]
