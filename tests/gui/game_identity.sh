#!/usr/bin/env bash
# What window managers and task bars read from the game's window: class,
# machine, process, icon, protocols; and the ping that tells a live game from
# a hung one, answered while the game runs.
source "$(dirname "$0")/lib.sh"

prop() { xprop -id "$1" "$2" 2>/dev/null; }

start_game "$GAME"
id=$(find_window) || fail "the game window did not appear"
pid=$GAME_PID
echo "$(prop "$id" WM_CLASS)"
[ "$(prop "$id" WM_CLASS)" = 'WM_CLASS(STRING) = "veltrane", "Veltrane"' ] || fail "class"
[ "$(prop "$id" _NET_WM_PID)" = "_NET_WM_PID(CARDINAL) = $pid" ] || fail "pid: $(prop "$id" _NET_WM_PID)"
[ "$(prop "$id" WM_CLIENT_MACHINE)" = "WM_CLIENT_MACHINE(STRING) = \"$(hostname)\"" ] ||
    fail "machine: $(prop "$id" WM_CLIENT_MACHINE)"
protocols=$(prop "$id" WM_PROTOCOLS)
echo "$protocols"
[[ "$protocols" == *WM_DELETE_WINDOW* && "$protocols" == *_NET_WM_PING* ]] || fail "protocols"
# The title and size stay as they were.
[ "$(caption "$id")" = "$TITLE" ] || [[ "$(caption "$id")" == "$TITLE. FPS: "* ]] || fail "title"
read -r _ _ w h < <(geometry "$id")
[ "$w $h" = "792 673" ] || fail "client ${w}x${h}"

# Pinged a few times while it plays: each answer comes back at the root.
for n in 1 2 3; do
    ms=$(python3 "$HERE/x11_ping.py" "$id" 5) || fail "ping $n unanswered"
    echo "ping $n answered in $ms ms"
    sleep 0.3
done
close_window "$id"
wait_exit 10
[ "$EXIT_STATUS" = 0 ] || fail "exit status $EXIT_STATUS"

# The icon comes from the window class: the probe build carries one.
start_game "$PROBE"
id=$(find_window) || fail "the probe window did not appear"
sizes=$(xprop -id "$id" -notype 32c _NET_WM_ICON | tr -d ',' |
    awk '{n = split($0, v, " "); i = 3; while (i < n) {w = v[i]; h = v[i+1]; printf "%sx%s ", w, h; i += 2 + w*h}}')
echo "icon sizes: $sizes"
for s in 16x16 32x32 48x48 64x64; do
    [[ " $sizes" == *" $s "* ]] || fail "no ${s} icon in '$sizes'"
done
close_window "$id"
wait_exit 10
[ "$EXIT_STATUS" = 0 ] || fail "probe exit status $EXIT_STATUS"
echo "PASS"
