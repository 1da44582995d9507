#!/usr/bin/env bash
# End-to-end test of the viewer's mouse, help, reloading and window size, run as:
#   bash tests/e2e/visualizador_interacao_test.sh PATH/TO/visualizador
#
# On a private Xvfb, with real pointer, wheel and key events from xdotool: a left drag turns the
# model (10 pixels exactly as one arrow) and R restores the first frame; a wheel notch is one
# Page Up; a right drag moves a flat square by the drag and a middle one moves it back; F1 and ?
# show and hide the help, which F12 leaves out; a changed lighting file shows within two seconds
# as the --imagem picture with it, and a malformed one changes only the overlay line; and
# --tamanho opens a window of that size showing the --imagem picture of that size (before that,
# headless: 640x480 is the default picture, and malformed sizes are usage errors). One line per
# check; exits 0 only if every check passed, and keeps the work folder on failure.
# shellcheck disable=SC2015  # pass never fails, so "test && pass || fail" is an if-then-else
set -u -o pipefail

prog=$(realpath -- "${1:?usage: visualizador_interacao_test.sh PATH/TO/visualizador}")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Room for a 1024 x 768 window.
XVFB_SCREEN=1280x1024x24
# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"
readonly START_TIMEOUT=30 TIMEOUT=10 RELOAD_LIMIT=2 QUIT_LIMIT=2
JANELA_TIMEOUT=$TIMEOUT
# shellcheck source=tests/e2e/janela_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/janela_lib.sh"
janela_iniciar visualizador-interacao Xvfb xwd xwininfo xdotool convert cmp
# Drags with BUTTON from the window's middle by DX, DY pixels.
drag() {
    local button=$1 dx=$2 dy=$3
    xdotool mousemove "$cx" "$cy" mousedown "$button" \
        mousemove $((cx + dx)) $((cy + dy)) mouseup "$button" || fail "xdotool could not drag"
}
# The box around the pixels that are not black in the picture FILE, as WIDTHxHEIGHT+X+Y.
silhouette() { convert "$1" -threshold 0 -format '%@' info:; }
# Starts the viewer with ARGS in a folder of its own; sets pid, win and the window's middle
# (cx, cy), and waits until the window, of size SIZE, shows the picture REF.
start_viewer() {
    local folder=$1 size=$2 ref=$3
    shift 3
    mkdir -p "$work/$folder" && cd "$work/$folder" || fatal "no folder $work/$folder"
    "$prog" "$@" >stdout.txt 2>stderr.txt </dev/null &
    pid=$!
    xvfb_track "$pid"
    cd "$work" || exit 1
    win=$(xvfb_find_window "$size" "$START_TIMEOUT") ||
        fatal "no $size window within ${START_TIMEOUT}s; stderr: $(cat "$work/$folder/stderr.txt")"
    xvfb_wait_picture "$win" "$ref" first.xwd "$START_TIMEOUT" ||
        fatal "the $size window never showed the --imagem picture $ref"
    xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
    read -r cx cy < <(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
}
quit() {
    press Escape
    if xvfb_wait_gone "$pid" "$QUIT_LIMIT"; then
        wait "$pid"
        local rc=$?
        xvfb_untrack "$pid"
        [ "$rc" -eq 0 ] && pass "ESC: status 0" || fail "ESC: status $rc"
    else
        fail "ESC: still running ${QUIT_LIMIT}s later"
    fi
}

# --- Reference pictures, made headless ----------------------------------------------------------
cena=$root/exemplos/bunny.txt
cp "$root/exemplos/iluminacao.txt" luz-a.txt
sed 's/^difusa .*/difusa 0.9 0.3 0.8 0.4/; s/^luz .*/luz -6 2 -8/' luz-a.txt >luz-b.txt
cp luz-a.txt luz.txt
# A flat square facing the camera, at the depth of its own centre, 10 in front; the window
# at distance 1 is 2 x 1.5, so the square is 147.2 pixels wide and high.
printf '4 2\n-2.3 -2.3 0\n2.3 -2.3 0\n2.3 2.3 0\n-2.3 2.3 0\n0 1 2\n0 2 3\n0 0 1\n0 1 0\n0 0 -10\n1 1 0.75\n' \
    >plano.txt
for ref in a b; do
    "$prog" "$cena" --iluminacao "luz-$ref.txt" --imagem "ref-$ref.png" >/dev/null 2>&1 ||
        fatal "--imagem with luz-$ref.txt failed"
done
"$prog" plano.txt --imagem ref-plano.png >/dev/null 2>&1 || fatal "--imagem of plano.txt failed"
"$prog" "$cena" --tamanho 1024x768 --imagem ref-1024.png >/dev/null 2>&1 ||
    fatal "--imagem at 1024x768 failed"

# --- --tamanho on the command line -------------------------------------------------------------
"$prog" "$cena" --tamanho 640x480 --imagem ref-640.png >/dev/null 2>&1
"$prog" "$cena" --imagem ref-padrao.png >/dev/null 2>&1
cmp -s ref-640.png ref-padrao.png &&
    pass "--tamanho 640x480 gives the default picture, byte for byte" ||
    fail "--tamanho 640x480 does not give the default picture"
refused=""
for size in 640 axb 640x 640x480x2 15x480 640x4097 0x0 -640x480 640X480; do
    env -u DISPLAY "$prog" "$cena" --tamanho "$size" --imagem no.png >/dev/null 2>err.txt
    rc=$?
    { [ "$rc" -eq 2 ] && grep -q '^usage: visualizador' err.txt && [ ! -e no.png ]; } ||
        refused+=" $size(status $rc)"
done
[ -z "$refused" ] && pass "malformed or out-of-range sizes: status 2, the usage, no picture" ||
    fail "not refused as usage errors:$refused"

xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"

# --- Turning with the left button, the wheel, R ----------------------------------------------
start_viewer bunny 640x480 "$work/ref-a.png" "$cena" --iluminacao "$work/luz.txt"
press Right
wait_changed first.xwd right.xwd || fail "→ did not change the picture"
press r
wait_same first.xwd now.xwd || fail "R after → did not give back the first picture"
drag 1 10 0
wait_same right.xwd now.xwd && pass "a left drag of 10 pixels right: the picture of →, bit for bit" ||
    fail "a left drag of 10 pixels right did not give the picture of →"
drag 1 -73 41
wait_changed right.xwd dragged.xwd && pass "a left drag of (-73, 41) turns the model" ||
    fail "a left drag of (-73, 41) did not change the picture"
press r
wait_same first.xwd now.xwd && pass "R after the drags: the first picture exactly" ||
    fail "R after the drags did not give back the first picture"
press Prior
wait_changed first.xwd prior.xwd || fail "Page Up did not change the picture"
press r
wait_same first.xwd now.xwd || fail "R after Page Up did not give back the first picture"
xdotool click 4 || fail "xdotool could not turn the wheel"
wait_same prior.xwd now.xwd && pass "one wheel notch away: the picture of Page Up, bit for bit" ||
    fail "one wheel notch away did not give the picture of Page Up"
press r
wait_same first.xwd now.xwd || fail "R after the wheel did not give back the first picture"
press Next
wait_changed first.xwd next.xwd || fail "Page Down did not change the picture"
press r
wait_same first.xwd now.xwd || fail "R after Page Down did not give back the first picture"
xdotool click 5 || fail "xdotool could not turn the wheel"
wait_same next.xwd now.xwd && pass "one wheel notch towards you: the picture of Page Down" ||
    fail "one wheel notch towards you did not give the picture of Page Down"
press r
wait_same first.xwd now.xwd || fail "R after the wheel did not give back the first picture"

# --- The help ----------------------------------------------------------------------------------
press F1
if wait_changed first.xwd help.xwd; then
    changed=$(cmp -l <(convert first.xwd -depth 8 rgb:-) <(convert help.xwd -depth 8 rgb:-) |
        awk '{ p = int(($1 - 1) / 3) } p != last { n++; last = p } END { print n + 0 }')
    [ "$changed" -gt 5000 ] && pass "F1 shows the help over the picture ($changed pixels)" ||
        fail "F1 changed only $changed pixels"
else
    fail "F1 did not show the help"
fi
press F12
if wait_until test -f bunny/visualizador-001.png && cmp -s bunny/visualizador-001.png ref-a.png
then
    pass "F12 with the help shown saved the picture without it"
else
    fail "F12 with the help shown did not save the --imagem picture"
fi
press F1
wait_same first.xwd now.xwd && pass "F1 again hides the help: the first picture exactly" ||
    fail "F1 again did not hide the help"
press question
wait_same help.xwd now.xwd && pass "? shows the same help" || fail "? did not show the help"
press question
wait_same first.xwd now.xwd && pass "? again hides it" || fail "? again did not hide the help"

# --- Reloading the lighting file ---------------------------------------------------------------
# The change is timed by plain dumps of the window, then compared with the picture at leisure.
shot_differs() { shot "$2" && ! cmp -s "$1" "$2"; }
start=$(date +%s%N) deadline=$(xvfb_deadline "$RELOAD_LIMIT")
cp luz-b.txt luz.txt.new && mv luz.txt.new luz.txt
until shot_differs first.xwd now.xwd || xvfb_past "$deadline"; do sleep 0.02; done
took=$(( ($(date +%s%N) - start) / 1000000 ))
if ! cmp -s first.xwd now.xwd && xvfb_wait_picture "$win" ref-b.png now.xwd "$TIMEOUT"; then
    pass "a changed lighting file shows as its --imagem picture after $took ms"
else
    fail "the window did not show the new lighting file's --imagem picture (${took} ms)"
fi
shot lit.xwd
# Each new version is put in place whole, as an editor that saves by renaming does.
sed 's/^ambiente 0.15/ambiente -1/' luz-b.txt >luz.txt.new && mv luz.txt.new luz.txt
if wait_changed lit.xwd bad.xwd; then
    read -r n y1 < <(cmp -l <(convert lit.xwd -depth 8 rgb:-) <(convert bad.xwd -depth 8 rgb:-) |
        awk '{ p = int(($1 - 1) / 3); y = int(p / 640) }
             p != last { n++; last = p; if (y > y1) y1 = y } END { print n + 0, y1 + 0 }')
    [ "$y1" -lt 8 ] && pass "a malformed lighting file changes only the overlay line ($n pixels)" ||
        fail "a malformed lighting file changed $n pixels, down to row $y1"
else
    fail "a malformed lighting file did not show its problem"
fi
press F12
if wait_until test -f bunny/visualizador-002.png && cmp -s bunny/visualizador-002.png ref-b.png
then
    pass "F12 after the malformed file: the last good lighting's --imagem picture"
else
    fail "F12 after the malformed file did not save the last good picture"
fi
xvfb_alive "$pid" && pass "the viewer runs on after the malformed file" ||
    fail "the viewer ended after the malformed file"
cp luz-b.txt luz.txt.new && mv luz.txt.new luz.txt
wait_same lit.xwd now.xwd && pass "the good file again: its picture, and the line gone" ||
    fail "the good file again did not give back its picture"
quit
grep -q "luz.txt: line 8, column 10: Ka of ambiente must not be negative" bunny/stderr.txt &&
    pass "stderr names the problem: $(cat bunny/stderr.txt)" ||
    fail "stderr: '$(cat bunny/stderr.txt)'"

# --- Moving the view with the right and middle buttons -----------------------------------------
start_viewer plano 640x480 "$work/ref-plano.png" "$work/plano.txt"
before=$(silhouette first.xwd)
drag 3 40 30
wait_changed first.xwd moved.xwd || fail "a right drag did not change the picture"
after=$(silhouette moved.xwd)
read -r w0 h0 x0 y0 < <(echo "$before" | tr 'x+' '  ')
read -r w1 h1 x1 y1 < <(echo "$after" | tr 'x+' '  ')
if [ "${w1}x$h1" = "${w0}x$h0" ] && [ $((x1 - x0)) -eq 40 ] && [ $((y1 - y0)) -eq 30 ]; then
    pass "a right drag of (40, 30) moves the square from $before to $after"
else
    fail "a right drag of (40, 30) moved the square from $before to $after"
fi
drag 2 -40 -30
wait_same first.xwd now.xwd && pass "a middle drag of (-40, -30) brings it back exactly" ||
    fail "a middle drag of (-40, -30) did not bring it back: $(silhouette now.xwd)"
drag 3 -100 70
wait_changed first.xwd now.xwd || fail "a right drag did not change the picture"
press r
wait_same first.xwd now.xwd && pass "R after a right drag: the first picture exactly" ||
    fail "R after a right drag did not give back the first picture"
quit

# --- Any size ---------------------------------------------------------------------------------
start_viewer tamanho 1024x768 "$work/ref-1024.png" "$cena" --tamanho 1024x768
xwininfo -id "$win" | grep -qF '"visualizador - bunny.txt (1024x768)"' &&
    pass "--tamanho 1024x768: a window of that size, titled with it, shows --imagem at that size" ||
    fail "the 1024x768 window is not titled \"visualizador - bunny.txt (1024x768)\""
quit

[ "$failures" -eq 0 ] && echo "visualizador_interacao_test: all checks passed"
[ "$failures" -eq 0 ]
