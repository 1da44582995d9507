#!/usr/bin/env bash
# Installs what is missing, builds, and opens the viewer on exemplos/bunny.txt.
#
# With a usable X display (DISPLAY set and openable) the viewer runs in the foreground until ESC
# or its close button; F12 saves pictures in the current folder. Without one it draws the bunny
# headless into docs/visualizador.png (--imagem), then runs the viewer on a private Xvfb: it
# waits for the first frame, presses H, saves a screenshot of the window with the overlay to
# docs/visualizador-janela.png, hides it again, presses F1, saves a screenshot of the help over
# the model to docs/visualizador-ajuda.png and ends the viewer with ESC. The overlay shows the
# last frame time, which differs from run to run; a screenshot that differs from the saved one
# only in the overlay's line of text leaves the saved file as it is, so re-running changes no
# picture in docs/ unless the window really looks different. Exits non-zero if any step fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prog="$root/build/visualizador"
cena="$root/exemplos/bunny.txt"
imagem="$root/docs/visualizador.png"
janela="$root/docs/visualizador-janela.png"
ajuda="$root/docs/visualizador-ajuda.png"
# The overlay is one line of the 8-pixel font at the top of the window.
readonly OVERLAY_ROWS=8

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "visualizar: opening exemplos/bunny.txt on $DISPLAY"
    echo "  a left drag or the arrows turn it, a right drag moves it, the wheel, Page Up/Down"
    echo "  or +/- move nearer/further, R restores the view, F1 lists every key, ESC quits"
    exec "$prog" "$cena"
fi

# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/visualizar.XXXXXX")
# shellcheck disable=SC2317  # called from the EXIT trap
cleanup_work() { rm -rf "$work"; }
xvfb_install_traps cleanup_work

die() {
    echo "visualizar: $*" >&2
    exit 1
}

# The window's size and every pixel below the overlay's line: what a re-run must reproduce.
below_overlay() {
    identify -format '%wx%h\n' "$1" &&
        convert "$1" -crop "640x$((480 - OVERLAY_ROWS))+0+$OVERLAY_ROWS" +repage -depth 8 rgb:-
}

echo "visualizar: no usable display; drawing the bunny headless"
mkdir -p "$root/docs"
# The scene loader writes a line on standard output; only the picture matters here.
"$prog" "$cena" --imagem "$imagem" >/dev/null || die "visualizador --imagem failed"

echo "visualizar: running the viewer on a private Xvfb"
xvfb_start 30 || die "could not start Xvfb"
# In the work folder, so that nothing the viewer might save lands in the clone.
(cd "$work" && exec "$prog" "$cena") >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null &
pid=$!
xvfb_track "$pid"

win=$(xvfb_find_window 640x480 30) ||
    die "no 640x480 window appeared within 30 s; stderr: $(cat "$work/stderr.txt")"
# The first frame is drawn after the keyboard is installed, so once it is there H counts.
xvfb_wait_picture "$win" "$imagem" "$work/first.xwd" 30 ||
    die "the window did not show the --imagem picture within 30 s"
xvfb_pointer_over "$win" || die "could not move the pointer over the window"
xvfb_press h 0.05 || die "xdotool could not press H"
xvfb_wait_changed "$win" "$work/first.xwd" "$work/overlay.xwd" 10 ||
    die "the overlay did not appear within 10 s of pressing H"
xvfb_capture "$win" "$work/janela.png" || die "could not capture window $win"

if [ -f "$janela" ] && cmp -s <(below_overlay "$janela") <(below_overlay "$work/janela.png"); then
    nota=" (kept: the window looks the same but for the frame time in the overlay)"
else
    mv "$work/janela.png" "$janela"
    nota=""
fi

xvfb_press h 0.05 || die "xdotool could not press H"
xvfb_wait_picture "$win" "$imagem" "$work/first.xwd" 10 ||
    die "the overlay did not go away within 10 s of pressing H again"
xvfb_press F1 0.05 || die "xdotool could not press F1"
xvfb_wait_changed "$win" "$work/first.xwd" "$work/ajuda.xwd" 10 ||
    die "the help did not appear within 10 s of pressing F1"
xvfb_capture "$win" "$work/ajuda.png" || die "could not capture window $win"
mv "$work/ajuda.png" "$ajuda"

xvfb_press Escape 0.05 || die "xdotool could not press Escape"
xvfb_wait_gone "$pid" 5 || die "the viewer was still running 5 s after ESC"
set +e
wait "$pid"
rc=$?
set -e
xvfb_untrack "$pid"
[ "$rc" -eq 0 ] || die "the viewer exited with status $rc; stderr: $(cat "$work/stderr.txt")"
if [ -s "$work/stderr.txt" ]; then
    echo "visualizar: the viewer wrote on stderr:"
    cat "$work/stderr.txt"
fi

echo "visualizar: the bunny drawn headless (--imagem): ${imagem#"$root"/}"
echo "visualizar: the viewer's window with the overlay: ${janela#"$root"/}$nota"
echo "visualizar: the viewer's help over the bunny: ${ajuda#"$root"/}"
