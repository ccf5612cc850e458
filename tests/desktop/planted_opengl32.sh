#!/usr/bin/env bash
# A player unpacks the game into a download folder where someone has left an
# opengl32.dll. Windows searches a program's own folder first for a DLL that
# is not a known DLL, so the game must take opengl32 from the system folder
# only, or the planted library runs inside it. Under Wine, opengl32=n,b gives
# Windows' order: a DLL beside the program wins over the system's.
# Passes when the planted DLL never ran (it leaves a marker file when loaded)
# and the game still opens its window and draws.
# Usage: planted_opengl32.sh GAME PLANTED_DLL RUNNER
#   GAME is veltrane.exe or the Windows zip, which is then unpacked.
source "$(dirname "$0")/../gui/lib.sh" "$1" "" "${3:-}"
PLANT=$2
on_wine || fail "a Windows program, for Wine"

# A download folder with spaces in its path, as Windows users have them.
folder="$WORK/My Downloads/Veltrane Game"
mkdir -p "$folder"
case "$GAME" in
    *.zip)
        unzip -q "$GAME" -d "$folder" || fail "cannot unpack $GAME"
        exe=$(find "$folder" -name veltrane.exe | head -n 1)
        [ -n "$exe" ] || fail "no veltrane.exe in $GAME"
        ;;
    *)
        exe="$folder/veltrane.exe"
        cp "$GAME" "$exe"
        ;;
esac
here=$(dirname "$exe")
cp "$PLANT" "$here/opengl32.dll"
marker="$here/planted-opengl32-ran.txt"

planted_ran() {
    [ -f "$marker" ] || return 1
    echo "FAIL: the planted opengl32.dll was loaded into: $(tr -d '\r' <"$marker")" >&2
}

# Started from its own folder, as a double click starts it.
cd "$here" || fail "cannot enter $here"
start_game "$exe" WINEDLLOVERRIDES="mscoree,mshtml=;opengl32=n,b"
id=$(find_window)
window=$?
planted_ran && fail "a library planted beside the program ran inside it"
[ "$window" = 0 ] || fail "the game window did not appear"

# The game draws: white persons on the black field, within a few seconds.
# Lit pixels are counted in thousandths of the picture.
drawn() {
    capture_client "$id" "$WORK/shot.png" || return 1
    read -r colours lit < <(convert "$WORK/shot.png" -colorspace Gray \
        -format '%k %[fx:int(1000*mean)]' info:)
    [ "$colours" -ge 2 ] && [ "$lit" -ge 1 ] && [ "$lit" -le 500 ]
}
colours=0 lit=0
for _ in $(seq 20); do
    drawn && break
    sleep 0.5
done
echo "picture with $colours grey levels, $lit/1000 lit"
drawn || fail "the game did not draw its field and persons"

close_window "$id" || fail "could not send the close request"
wait_exit 20
planted_ran && fail "a library planted beside the program ran inside it"
[ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
echo "PASS"
