#!/usr/bin/env bash
# Installs what is missing, builds, and runs the gouraud program.
#
# With a usable X display (DISPLAY set and openable) the program runs in the foreground: press
# ESC in its window to end it. Without one it runs on a private Xvfb instead: the script waits
# for the 640x480 window and the program's three output lines, saves a screenshot to
# docs/screenshot.png, presses ESC for the user, checks the exit status and prints the output.
# Exits non-zero if any step fails.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prog="$root/build/gouraud"
shot="$root/docs/screenshot.png"

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "run: starting gouraud on $DISPLAY; press ESC in its window to quit"
    exec "$prog"
fi

# shellcheck source=scripts/xvfb_lib.sh
source "$root/scripts/xvfb_lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/gouraud-run.XXXXXX")
# shellcheck disable=SC2317  # called from the EXIT trap
cleanup_work() { rm -rf "$work"; }
xvfb_install_traps cleanup_work

die() {
    echo "run: $*" >&2
    exit 1
}

echo "run: no usable display; running gouraud on a private Xvfb"
xvfb_start 30 || die "could not start Xvfb"

"$prog" >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null &
pid=$!
xvfb_track "$pid"

win=$(xvfb_find_window 640x480 30) ||
    die "no 640x480 window appeared within 30 s; stderr: $(cat "$work/stderr.txt")"

# The three lines come after the text is drawn and the keyboard is ready, so waiting for them
# makes the screenshot complete and the ESC press count.
deadline=$(xvfb_deadline 30)
while [ "$(wc -l <"$work/stdout.txt")" -lt 3 ]; do
    xvfb_alive "$pid" || die "gouraud ended early; stderr: $(cat "$work/stderr.txt")"
    xvfb_past "$deadline" && die "gouraud did not print its 3 lines within 30 s"
    sleep 0.05
done

mkdir -p "$root/docs"
xvfb_capture "$win" "$work/screenshot.png" || die "could not capture window $win"
mv "$work/screenshot.png" "$shot"

xvfb_pointer_over "$win" || die "could not move the pointer over the window"
xvfb_press Escape 0.2 || die "xdotool could not press Escape"
xvfb_wait_gone "$pid" 5 || die "gouraud still running 5 s after ESC"
set +e
wait "$pid"
rc=$?
set -e
xvfb_untrack "$pid"
[ "$rc" -eq 0 ] || die "gouraud exited with status $rc; stderr: $(cat "$work/stderr.txt")"

echo "run: gouraud printed:"
cat "$work/stdout.txt"
if [ -s "$work/stderr.txt" ]; then
    echo "run: and on stderr:"
    cat "$work/stderr.txt"
fi
echo "run: screenshot of its window saved to ${shot#"$root"/}"
