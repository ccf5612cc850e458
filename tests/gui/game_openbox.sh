#!/usr/bin/env bash
# The game under a real window manager (openbox) with a panel on its desktop:
# the frame centred on the work area, title and client size kept, maximize and
# restore with the field following, minimize and restore, clicks landing on
# the persons under the cursor after a move, and the frame's close button.
source "$(dirname "$0")/lib.sh"
source "$HERE/lib-state.sh"
source "$HERE/../../scripts/lib-display.sh"

WM_PID=""
PANEL_PID=""
stop_desktop() {
    for pid in $PANEL_PID $WM_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    stop_private_xvfb
}
trap 'cleanup; stop_desktop' EXIT

start_private_xvfb || fail "no private X server"
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
# The panel only once openbox manages the screen, so that its reservation
# cannot fall between openbox's start and its first look at the windows; on
# a busy machine either may take a while.
wait_for 30 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'" ||
    fail "openbox did not come up: $(cat "$WORK/openbox.log")"
python3 "$HERE/x11_panel.py" 40 &
PANEL_PID=$!
workarea() { xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\).*/\1 \2 \3 \4/p'; }
wait_for 30 bash -c "xprop -root _NET_WORKAREA 2>/dev/null | grep -q '= 0, 40,'" ||
    fail "openbox with the panel did not come up: $(workarea)"
read -r ax ay aw ah < <(workarea)
echo "work area ${aw}x${ah} at $ax,$ay"

start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT"
id=$(find_window) || fail "the game window did not appear"
wait_for 20 bash -c "grep -q '^resizes [1-9]' '$REPORT'" || fail "no report"
[[ "$(caption "$id")" == "$TITLE"* ]] || fail "title '$(caption "$id")'"

# frame ID -> "X Y W H" of the frame the window manager drew around the client.
frame() {
    local x y w h l r t b
    read -r x y w h < <(geometry "$1")
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.* = //; s/,//g')
    echo $(( x - l )) $(( y - t )) $(( w + l + r )) $(( h + t + b ))
}
sleep 0.5
read -r fx fy fw fh < <(frame "$id")
read -r cx cy cw ch < <(geometry "$id")
echo "frame ${fw}x${fh} at $fx,$fy; client ${cw}x${ch} at $cx,$cy"
[ "$cw $ch" = "792 673" ] || fail "client area ${cw}x${ch}"
dx=$(( 2 * fx + fw - (2 * ax + aw) )); dy=$(( 2 * fy + fh - (2 * ay + ah) ))
[ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "frame off the work area's centre by $dx/2, $dy/2"

# Maximized: the client takes the work area less the frame, and the field follows.
wmctrl -i -r "$id" -b add,maximized_vert,maximized_horz || fail "wmctrl"
wait_for 10 bash -c "[ \"\$(awk '\$1 == \"client\" {print \$2}' '$REPORT')\" != 792 ]" || fail "not maximized"
sleep 0.5
read -r _ _ mw mh < <(geometry "$id")
read -r _ rw rh fw2 fh2 < <(value resizes)
echo "maximized: client ${mw}x${mh}, last resize $rw $rh, field $fw2 $fh2"
[ "$rw $rh $fw2 $fh2" = "$mw $mh $mw $mh" ] || fail "the field did not follow: $(value resizes)"
wmctrl -i -r "$id" -b remove,maximized_vert,maximized_horz || fail "wmctrl"
wait_for 10 bash -c "grep -q '^resizes .* 792 673 792 673$' '$REPORT'" || fail "restore: $(value resizes)"
echo "restored: $(value resizes)"

# Minimized and back: still the same game, still running.
xdotool windowminimize "$id"
wait_for 10 bash -c "xprop -id $id WM_STATE | grep -q Iconic" || fail "not minimized"
passes=$(value passes)
wmctrl -i -a "$id" || fail "wmctrl -a"
wait_for 10 bash -c "xprop -id $id WM_STATE | grep -q Normal" || fail "not restored"
sleep 0.5
[ "$(value passes)" -gt "$passes" ] || fail "the game stopped"
read -r _ _ cw ch < <(geometry "$id")
[ "$cw $ch" = "792 673" ] || fail "client after restore ${cw}x${ch}"
echo "minimized and restored, client ${cw}x${ch}"

# Moved: clicks still find the person under the cursor.
xdotool windowmove "$id" 60 90
wait_for 10 bash -c "[ \"\$(xwininfo -id $id | awk '/Absolute upper-left X/ {print \$NF}')\" != $cx ]" ||
    fail "the window did not move"
# On top, so that the clicks reach it and nothing left on the screen.
wmctrl -i -a "$id" || fail "wmctrl -a"
sleep 0.3
read -r ox oy w h < <(geometry "$id")
echo "moved: client at $ox,$oy"
p=$(pick_person "$w" "$h" any)
[ -n "$p" ] || fail "no free person to click"
slowest=$(report | awk '$1 == "person" {print $2, $6}' | sort -g -k2 | head -3 | tr '\n' ' ')
click_until 1 "$p" 8 ||
    fail "clicks after the move never quarantined person $p (picked in ${w}x$h; slowest then: $slowest)"
echo "person $p quarantined by a click after the move"

# The frame's close button: the right end of openbox's title bar.
read -r fx fy fw fh < <(frame "$id")
read -r _ _ t _ < <(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.* = //; s/,//g')
xdotool mousemove $(( fx + fw - 2 - t / 2 )) $(( fy + t / 2 )) sleep 0.2 click 1
wait_exit 10
[ "$EXIT_STATUS" = 0 ] || fail "exit status after the close button: $EXIT_STATUS"
echo "closed by the frame's close button, status 0"
echo "PASS"
