#!/usr/bin/env bash
# Real clicks and resizes on the running game, checked against the game's own
# state (reported by the probe build) and against the picture.
source "$(dirname "$0")/lib.sh"

source "$HERE/lib-state.sh"

# colour_near PNG X Y R G B: the colour is found within a pixel of (X, Y).
colour_near() {
    local png=$1 x=$2 y=$3 want="$4 $5 $6" dx dy
    on_wine && { x=$(( x - 1 )); y=$(( y - 1 )); }
    for dy in 0 -1 1; do
        for dx in 0 -1 1; do
            [ "$(pixel "$png" $(( x + dx )) $(( y + dy )))" = "$want" ] && return 0
        done
    done
    echo "colour at $x,$y is $(pixel "$png" "$x" "$y"), wanted $want" >&2
    return 1
}

# shows_near ID PNG X Y R G B: the colour near X,Y within a second. Persons
# walking by are drawn over a standing one for a frame or two, so one
# screenshot alone can miss it.
shows_near() {
    local id=$1 png=$2 x=$3 y=$4 _
    for _ in $(seq 10); do
        capture_client "$id" "$png" || return 1
        colour_near "$png" "$x" "$y" "$5" "$6" "$7" 2>/dev/null && return 0
        sleep 0.1
    done
    colour_near "$png" "$x" "$y" "$5" "$6" "$7"
}

start_game "$PROBE" VELTRANE_TEST_REPORT="$REPORT"
id=$(find_window) || fail "the game window did not appear"
wait_for 20 bash -c "grep -q '^person ' '$REPORT' && grep -q '^resizes [1-9]' '$REPORT'" ||
    fail "no report with persons and a resize"
read -r ox oy w h < <(geometry "$id")
echo "window at $ox,$oy ${w}x${h}; $(value resizes)"

# The first paint reached ProgramResize with the client size.
read -r n cw ch fw fh < <(value resizes)
[ "$cw $ch $fw $fh" = "792 673 792 673" ] || fail "first resize: $(value resizes)"

# Middle button: nothing happens. Before patient zero nobody can be infected
# by anything but a click, so the check is exact then.
a=$(pick_person "$w" "$h")
[ -n "$a" ] || fail "no free person to click"
read -r ax ay _ < <(person "$a")
read -r _ zero_before < <(value disease)
xdotool mousemove $(( ox + ${ax%.*} )) $(( oy + ${ay%.*} )) sleep 0.05 click 2
sleep 0.5
# One snapshot for all three readings: patient zero may come between two reads.
cp "$REPORT" "$WORK/after-middle"
read -r _ zero_after < <(awk '$1 == "disease" {print $2, $3; exit}' "$WORK/after-middle")
quarantined=$(awk '$1 == "person" && $8 == 1 {n++} END {print n + 0}' "$WORK/after-middle")
[ "$quarantined" = 0 ] || fail "middle click quarantined someone"
infected=$(awk '$1 == "person" && $7 == 1 {n++} END {print n + 0}' "$WORK/after-middle")
if [ "$zero_after" = 0 ]; then
    [ "$infected" = 0 ] || fail "middle click infected someone"
    echo "middle click on person $a changed nothing"
else
    echo "middle click on person $a quarantined nobody (patient zero came first: $zero_before -> $zero_after)"
fi

# Left button: quarantined; it stops moving and is drawn blue.
click_until 1 "$a" 8 || fail "left clicks never quarantined person $a"
read -r ax ay _ _ inf quar _ < <(person "$a")
sleep 0.5
read -r ax2 ay2 _ < <(person "$a")
[ "$ax $ay" = "$ax2 $ay2" ] || fail "quarantined person $a still moves: $ax,$ay -> $ax2,$ay2"
read -r _ _ _ _ inf _ < <(person "$a")
if [ "$inf" = 0 ]; then
    shows_near "$id" "$WORK/blue.png" "${ax%.*}" "${ay%.*}" 0 0 255 || fail "quarantined person not blue"
    echo "person $a quarantined at $ax,$ay and blue"
else
    echo "person $a quarantined at $ax,$ay, but the disease reached it first"
fi

# Right button on the quarantined person: infected too, drawn green.
click_until 3 "$a" 7 || fail "right clicks never infected person $a"
shows_near "$id" "$WORK/green.png" "${ax%.*}" "${ay%.*}" 0 255 0 ||
    fail "infected quarantined person not green"
echo "person $a infected and green"

# Right button on a free person: infected, drawn red.
b=$(pick_person "$w" "$h")
[ -n "$b" ] || fail "no second free person"
click_until 3 "$b" 7 || fail "right clicks never infected person $b"
red=""
for _ in $(seq 10); do
    capture_client "$id" "$WORK/red.png" || fail "no screenshot"
    read -r bx by _ _ _ _ dead _ < <(person "$b")
    [ "$dead" = 0 ] || break
    if colour_near "$WORK/red.png" "${bx%.*}" "${by%.*}" 255 0 0 2>/dev/null; then
        red=yes
        break
    fi
done
[ -n "$red" ] || fail "infected person $b not red near $bx,$by"
echo "person $b infected and red"

# Resizing reaches ProgramResize with the new client size and re-scatters everyone.
report | awk '$1 == "person" {print $2, $3, $4}' >"$WORK/before"
xdotool windowsize "$id" 600 500
wait_for 10 bash -c "grep -q '^resizes [2-9].* 600 500 600 500$' '$REPORT'" ||
    fail "resize not reported: $(value resizes)"
read -r nw nh < <(value client)
[ "$nw $nh" = "600 500" ] || fail "client after resize: $nw x $nh"
sleep 0.3
report | awk '$1 == "person" {print $2, $3, $4}' >"$WORK/after"
moved=$(join "$WORK/before" "$WORK/after" | awk '$2 != $4 || $3 != $5 {n++} END {print n + 0}')
total=$(wc -l <"$WORK/after")
outside=$(awk '$2 < 0 || $2 >= 600 || $3 < 0 || $3 >= 500 {n++} END {print n + 0}' "$WORK/after")
echo "after resize: $moved of $total persons moved, $outside outside 600x500"
[ "$outside" = 0 ] || fail "$outside persons outside the resized field"
# Quarantined persons do not walk, so only the scattering can have moved them.
read -r qx qy _ < <(person "$a")
[ "$qx $qy" != "$ax $ay" ] || fail "quarantined person $a was not re-scattered"

# Closing frees the simulation exactly once and ends the program normally.
close_window "$id" || fail "could not send the close request"
wait_exit 20
[ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
[ "$(value destroys)" = "1 1" ] || fail "destroy events/globals: $(value destroys)"
echo "PASS"
