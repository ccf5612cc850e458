# Sourced after lib.sh: the game's state as the probe build reports it, and
# clicks aimed at its persons. click_until aims relative to the client
# origin in ox, oy.
REPORT="$WORK/report"
report() { cat "$REPORT" 2>/dev/null; }
value() { report | awk -v k="$1" '$1 == k {$1 = ""; sub(/^ /, ""); print; exit}'; }
# person INDEX -> "x y size speed infected quarantined dead buried"
person() { report | awk -v i="$1" '$1 == "person" && $2 == i {print $3, $4, $5, $6, $7, $8, $9, $10; exit}'; }

# The slowest healthy, free person well inside the field. With a third
# argument "any", the slowest free person of any kind, the dead counting as
# still: late in a level the healthy left may all be fast, and a click
# aimed at a report's position misses a fast person more often than not.
pick_person() {
    local w=$1 h=$2 kind=${3:-healthy}
    report | awk -v w="$w" -v h="$h" -v kind="$kind" '$1 == "person" && $8 == 0 &&
        (kind == "any" || ($7 == 0 && $9 == 0)) &&
        $3 > 30 && $3 < w - 30 && $4 > 30 && $4 < h - 30 {
            still = $9 == 1 ? 0 : $6
            if (best == "" || still < speed) {best = $2; speed = still}
        } END {print best}'
}

wait_for() { # wait_for SECONDS COMMAND...
    local limit=$(( $1 * 10 )); shift
    for _ in $(seq "$limit"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# flag_set INDEX COLUMN: the person's report column (7 infected, 8 quarantined) is 1.
flag_set() {
    [ "$(report | awk -v i="$1" -v c="$2" '$1 == "person" && $2 == i {print $c; exit}')" = 1 ]
}

# click_until BUTTON INDEX COLUMN: clicks at the person's latest position until
# the flag in COLUMN is set. A moving person may need a few tries. The client
# origin is read again before each try when the window's id is known: a
# window manager may still be placing a window that has just moved.
click_until() {
    local button=$1 index=$2 column=$3
    for _ in $(seq 40); do
        [ -z "${id:-}" ] || read -r ox oy _ _ < <(geometry "$id")
        read -r px py _ < <(person "$index")
        [ -n "$px" ] || { sleep 0.1; continue; }
        xdotool mousemove $(( ox + ${px%.*} )) $(( oy + ${py%.*} )) sleep 0.05 click "$button"
        wait_for 1 flag_set "$index" "$column" && return 0
    done
    echo "last try: client at $ox,$oy, person $index: $(person "$index")" >&2
    return 1
}

