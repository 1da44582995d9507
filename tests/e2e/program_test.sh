#!/usr/bin/env bash
# End-to-end test of the gouraud program, run as: bash tests/e2e/program_test.sh PATH/TO/gouraud
#
# Runs the program on a private Xvfb and checks what a user would see and do: the 640x480
# window, the three lines on stdout, the picture (white "Hello World!" on black at top-left,
# black elsewhere), that other keys leave it running and that ESC ends it with status 0. Also
# checks that without any display it fails fast with a message, and that --help and a usage
# error are answered without a display. Prints one line per check and exits 0 only if every
# check passed; on failure the work folder is kept for inspection.
set -u -o pipefail

prog=${1:?usage: program_test.sh PATH/TO/gouraud}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/xvfb_lib.sh
source "$here/../../scripts/xvfb_lib.sh"

readonly WIDTH=640 HEIGHT=480
# The greeting is 12 characters of the 8x8 built-in font drawn on an opaque box at (0,0).
readonly BOX_W=96 BOX_H=8
# Generous limits for start-up, so that a loaded machine does not fail the test.
readonly START_TIMEOUT=30
# How long ESC may take to end the program, counted from the key going down.
readonly ESC_LIMIT=2

# shellcheck source=tests/e2e/relato.sh
source "$(dirname "${BASH_SOURCE[0]}")/relato.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/gouraud-e2e.XXXXXX") || exit 1
# Runs at exit before the server is stopped: removes the work folder when everything passed.
# shellcheck disable=SC2317  # called from the EXIT trap
finish() {
    if [ "$failures" -eq 0 ] && [ "$XVFB_EXIT_STATUS" -eq 0 ]; then
        rm -rf "$work"
    else
        echo "program_test: $failures check(s) failed, exit status $XVFB_EXIT_STATUS; output kept in $work"
    fi
}
xvfb_install_traps finish

# Checks the screenshot FILE: its size, that only pure black and pure white occur, that white
# occurs only inside the greeting's box, and that the box holds both colours. The box is also
# checked cell by cell: each of the 12 character cells of "Hello World!" has white pixels except
# the sixth, the space, which must be all black; this catches a shifted or shortened text.
check_picture() {
    local file=$1 report
    # One line per pixel: "x,y: (r,g,b)  #RRGGBB  name", after a header with the size.
    report=$(convert "$file" -alpha off -colorspace sRGB -type TrueColor -depth 8 txt:- |
        awk -v bw="$BOX_W" -v bh="$BOX_H" '
            NR == 1 { split($NF, s, ","); next }
            {
                split($1, p, /[,:]/); x = p[1] + 0; y = p[2] + 0
                hex = ""
                for (i = 2; i <= NF; i++) if ($i ~ /^#/) { hex = toupper($i); break }
                inside = (x < bw && y < bh)
                if (hex == "#000000") { if (inside) black_in++ }
                else if (hex == "#FFFFFF") {
                    if (inside) { white_in++; cell[int(x / 8)]++ } else white_out++
                } else {
                    other++
                    if (first_other == "") first_other = x "," y " " hex
                }
                if (hex != "#000000" && !inside) {
                    non_black_out++
                    if (first_out == "") first_out = x "," y " " hex
                }
            }
            END {
                cells = ""
                for (c = 0; c < bw / 8; c++) cells = cells " " (cell[c] + 0)
                printf "size %dx%d\n", s[1], s[2]
                printf "other %d %s\n", other, first_other
                printf "outside %d %s\n", non_black_out, first_out
                printf "inside %d %d\n", white_in, black_in
                printf "cells%s\n", cells
            }') || {
        fail "could not read the screenshot $file"
        return
    }

    local size other outside cells
    size=$(awk '$1 == "size" { print $2 }' <<<"$report")
    if [ "$size" = "${WIDTH}x${HEIGHT}" ]; then
        pass "screenshot is ${WIDTH}x${HEIGHT}"
    else
        fail "screenshot is $size, expected ${WIDTH}x${HEIGHT}"
    fi

    read -r _ other first_other <<<"$(grep '^other' <<<"$report")"
    if [ "$other" -eq 0 ]; then
        pass "only pure black (#000000) and pure white (#FFFFFF) pixels"
    else
        fail "$other pixels are neither pure black nor pure white (first: $first_other)"
    fi

    read -r _ outside first_out <<<"$(grep '^outside' <<<"$report")"
    if [ "$outside" -eq 0 ]; then
        pass "everything outside the ${BOX_W}x${BOX_H} box at top-left is black"
    else
        fail "$outside non-black pixels outside the ${BOX_W}x${BOX_H} box (first: $first_out)"
    fi

    local white_in black_in
    read -r _ white_in black_in <<<"$(grep '^inside' <<<"$report")"
    if [ "$white_in" -gt 0 ] && [ "$black_in" -gt 0 ]; then
        pass "the box holds white text ($white_in px) on black ($black_in px)"
    else
        fail "the box should hold white and black pixels, has $white_in white and $black_in black"
    fi

    cells=$(sed -n 's/^cells //p' <<<"$report")
    local -a counts
    read -r -a counts <<<"$cells"
    local c bad=""
    for c in "${!counts[@]}"; do
        if [ "$c" -eq 5 ]; then
            [ "${counts[$c]}" -eq 0 ] || bad+=" cell $c (the space) has white;"
        else
            [ "${counts[$c]}" -gt 0 ] || bad+=" cell $c has no white;"
        fi
    done
    if [ -z "$bad" ] && [ "${#counts[@]}" -eq $((BOX_W / 8)) ]; then
        pass "12 character cells: white in each but the space (counts:$cells)"
    else
        fail "character cells do not match \"Hello World!\":$bad (counts:$cells)"
    fi
}

# Waits up to TIMEOUT seconds until FILE has at least LINES complete lines, or the process PID
# has ended. Returns 0 if the lines are there.
wait_for_lines() {
    local file=$1 lines=$2 pid=$3 timeout=$4 deadline
    deadline=$(xvfb_deadline "$timeout")
    while [ "$(wc -l <"$file")" -lt "$lines" ]; do
        xvfb_alive "$pid" || break
        xvfb_past "$deadline" && break
        sleep 0.05
    done
    [ "$(wc -l <"$file")" -ge "$lines" ]
}

for tool in Xvfb xdpyinfo xwininfo xwd xdotool convert timeout; do
    command -v "$tool" >/dev/null || fatal "required tool '$tool' is missing (scripts/install-deps.sh installs it)"
done
[ -x "$prog" ] || fatal "program '$prog' does not exist or is not executable"
printf -- '-0.5\n0\n0.5\n' >"$work/expected.txt"

# --- Without a display: fails quickly, explains why, prints nothing on stdout. ---------------
env -u DISPLAY timeout 5 "$prog" >"$work/nodisplay.out" 2>"$work/nodisplay.err" </dev/null
rc=$?
if [ "$rc" -eq 124 ] || [ "$rc" -eq 137 ]; then
    fail "without DISPLAY the program was still running after 5 s"
elif [ "$rc" -ne 0 ]; then
    pass "without DISPLAY the program exits with status $rc"
else
    fail "without DISPLAY the program exited with status 0"
fi
if grep -qi 'display' "$work/nodisplay.err"; then
    pass "without DISPLAY stderr names the display: $(head -n 1 "$work/nodisplay.err")"
else
    fail "without DISPLAY stderr should mention the display, got: '$(cat "$work/nodisplay.err")'"
fi
if [ ! -s "$work/nodisplay.out" ]; then
    pass "without DISPLAY stdout is empty"
else
    fail "without DISPLAY stdout should be empty, got: '$(cat "$work/nodisplay.out")'"
fi

# --- The command line, read before the screen opens: so without a display, --help still ends
# with status 0 and a usage error with status 2, not with the display's failure. -------------
env -u DISPLAY timeout 5 "$prog" --help >"$work/help.out" 2>"$work/help.err" </dev/null
rc=$?
if [ "$rc" -eq 0 ] && [ ! -s "$work/help.err" ] && head -n 1 "$work/help.out" | grep -q '^usage: gouraud'; then
    pass "--help: the usage on stdout, status 0, no screen"
else
    fail "--help: status $rc, stdout '$(head -n 1 "$work/help.out")', stderr '$(cat "$work/help.err")'"
fi
for args in "--bogus|unknown option --bogus" "cena.txt|unexpected argument cena.txt" \
    "--help -x|unknown option -x"; do
    IFS='|' read -r words reason <<<"$args"
    # shellcheck disable=SC2086  # the words are split on purpose
    env -u DISPLAY timeout 5 "$prog" $words >"$work/bad.out" 2>"$work/bad.err" </dev/null
    rc=$?
    if [ "$rc" -eq 2 ] && [ ! -s "$work/bad.out" ] &&
        [ "$(head -n 1 "$work/bad.err")" = "gouraud: $reason" ] &&
        [ "$(tail -n +2 "$work/bad.err")" = "$(cat "$work/help.out")" ]; then
        pass "$words: status 2, '$reason' and the usage on stderr"
    else
        fail "$words: status $rc, stdout '$(cat "$work/bad.out")', stderr '$(cat "$work/bad.err")'"
    fi
done

# --- On a private X server. -----------------------------------------------------------------
xvfb_start "$START_TIMEOUT" || fatal "could not start Xvfb"
pass "Xvfb running on $DISPLAY ($XVFB_SCREEN)"

"$prog" >"$work/stdout.txt" 2>"$work/stderr.txt" </dev/null &
pid=$!
xvfb_track "$pid"

if win=$(xvfb_find_window "${WIDTH}x${HEIGHT}" "$START_TIMEOUT"); then
    pass "a ${WIDTH}x${HEIGHT} window appeared ($win)"
else
    xwininfo -root -tree >"$work/tree.txt" 2>&1
    fatal "no mapped ${WIDTH}x${HEIGHT} window within ${START_TIMEOUT}s (tree saved in $work/tree.txt)"
fi

# The lines are printed after the keyboard handler is installed, so once they are there the
# program is ready for keys and has drawn its text.
if ! wait_for_lines "$work/stdout.txt" 3 "$pid" "$START_TIMEOUT"; then
    xvfb_alive "$pid" || fatal "the program ended early; stderr: '$(cat "$work/stderr.txt")'"
    fatal "stdout did not get 3 lines within ${START_TIMEOUT}s: '$(cat "$work/stdout.txt")'"
fi
if cmp -s "$work/expected.txt" "$work/stdout.txt"; then
    pass "stdout is exactly \"-0.5\\n0\\n0.5\\n\""
else
    fail "stdout differs from \"-0.5\\n0\\n0.5\\n\"; got: $(od -An -c "$work/stdout.txt" | tr -s ' ')"
fi
if [ ! -s "$work/stderr.txt" ]; then
    pass "stderr is empty while running"
else
    fail "stderr should be empty, got: '$(cat "$work/stderr.txt")'"
fi

if xvfb_capture "$win" "$work/shot.png"; then
    check_picture "$work/shot.png"
else
    fail "could not capture window $win"
fi

# --- Keys other than ESC leave it running. --------------------------------------------------
xvfb_pointer_over "$win" || fail "could not move the pointer over the window"
for k in a q x space Return; do
    xvfb_press "$k" 0.1 || fail "xdotool could not press $k"
done
sleep 1
if xvfb_alive "$pid"; then
    pass "still running 1 s after a, q, x, space and Return"
else
    fatal "the program ended after keys other than ESC"
fi

# --- ESC ends it with status 0 within the limit. --------------------------------------------
start=$(date +%s%N)
xvfb_press Escape 0.2 || fail "xdotool could not press Escape"
rest=$(awk -v l="$ESC_LIMIT" -v t="$(( $(date +%s%N) - start ))" 'BEGIN { print l - t / 1e9 }')
if xvfb_wait_gone "$pid" "$rest"; then
    took=$(awk -v t="$(( $(date +%s%N) - start ))" 'BEGIN { printf "%.2f", t / 1e9 }')
    wait "$pid"
    rc=$?
    xvfb_untrack "$pid"
    if [ "$rc" -eq 0 ]; then
        pass "ESC ended the program with status 0 after ${took}s"
    else
        fail "ESC ended the program with status $rc, expected 0"
    fi
else
    fail "the program was still running ${ESC_LIMIT}s after ESC went down"
fi
if [ ! -s "$work/stderr.txt" ]; then
    pass "stderr is still empty at the end"
else
    fail "stderr should be empty, got: '$(cat "$work/stderr.txt")'"
fi
if cmp -s "$work/expected.txt" "$work/stdout.txt"; then
    pass "stdout still holds exactly the 3 lines at the end"
else
    fail "stdout changed after the first 3 lines: $(od -An -c "$work/stdout.txt" | tr -s ' ')"
fi

if [ "$failures" -eq 0 ]; then
    echo "program_test: all checks passed"
    exit 0
fi
exit 1
