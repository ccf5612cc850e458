#!/usr/bin/env bash
# Installs the build as a user would and checks what lands where: the layout,
# the desktop files against their validators, and the installed game starting
# into its window and closing again.
# Usage: installed_game.sh BUILD_DIR VERSION CMAKE [WINE_RUNNER WRESTOOL]
BUILD=$1
VERSION=$2
CMAKE=$3
WINE_RUNNER=${4:-}
WRESTOOL=${5:-}
# The window helpers of the end-to-end tests; the game is set below.
source "$(dirname "$0")/../gui/lib.sh" "" "" "$WINE_RUNNER"
APP=io.github.tarvosk.Veltrane

must_exist() {
    local f
    for f in "$@"; do
        [ -f "$f" ] || fail "not installed: ${f#"$ROOT"}"
    done
}

# Starts the installed game, waits for its window, closes it: status 0.
play_once() {
    GAME=$1
    start_game "$GAME"
    id=$(find_window) || fail "the installed game's window did not appear"
    read -r _ _ w h < <(geometry "$id")
    echo "window $id, client ${w}x${h}"
    [ "$w" = 792 ] && [ "$h" = 673 ] || fail "client area ${w}x${h}"
    close_window "$id" || fail "could not send the close request"
    wait_exit 20
    [ "$EXIT_STATUS" = 0 ] || fail "exit status after closing: $EXIT_STATUS"
}

if on_wine; then
    # A folder with spaces, as under Program Files.
    ROOT="$WORK/Program Files/Veltrane Game"
    "$CMAKE" --install "$BUILD" --prefix "$ROOT" >"$WORK/install.log" 2>&1 ||
        { cat "$WORK/install.log"; fail "cmake --install failed"; }
    must_exist "$ROOT/veltrane.exe" "$ROOT/README.txt" "$ROOT/LICENSE.txt"
    # Icon group, version and manifest inside the program, as Explorer reads them.
    exe="$ROOT/veltrane.exe"
    list=$("$WRESTOOL" -l "$exe") || fail "wrestool cannot read veltrane.exe"
    echo "$list"
    grep -q -- "--type=14 --name='MAINICON'" <<<"$list" || fail "no icon group MAINICON"
    [ "$(grep -c -- '--type=14 ' <<<"$list")" = 1 ] || fail "more than the one icon group"
    [ "$(grep -c -- '--type=3 ' <<<"$list")" = 6 ] || fail "not the six icon images"
    # The version's strings, each line with the one before it: name=value among them.
    info=$("$WRESTOOL" -x --raw --type=16 "$exe" | strings -el | awk 'NR > 1 {print prev "=" $0} {prev = $0}')
    for pair in "FileVersion=$VERSION" "ProductVersion=$VERSION" "FileDescription=Veltrane Game" \
                "OriginalFilename=veltrane.exe"; do
        grep -qxF "$pair" <<<"$info" || fail "version resource lacks $pair: $info"
    done
    manifest=$("$WRESTOOL" -x --raw --type=24 --name=1 "$exe") || fail "no manifest, id 1"
    grep -q 'level="asInvoker"' <<<"$manifest" || fail "manifest without asInvoker"
    grep -q '>PerMonitorV2' <<<"$manifest" || fail "manifest without its DPI awareness"
    play_once "$ROOT/veltrane.exe"
    echo "PASS"
    exit 0
fi

ROOT="$WORK/root"
DESTDIR="$ROOT" "$CMAKE" --install "$BUILD" --prefix /usr >"$WORK/install.log" 2>&1 ||
    { cat "$WORK/install.log"; fail "cmake --install failed"; }
share="$ROOT/usr/share"
must_exist "$ROOT/usr/bin/veltrane" "$share/applications/$APP.desktop" \
    "$share/metainfo/$APP.metainfo.xml" "$share/icons/hicolor/scalable/apps/$APP.svg" \
    "$share/doc/veltrane/README.md" "$share/doc/veltrane/LICENSE" \
    "$share/doc/veltrane/copyright" "$share/doc/veltrane/changelog.gz" \
    "$share/man/man6/veltrane.6.gz"
[ -x "$ROOT/usr/bin/veltrane" ] || fail "the program is not executable"
for n in 16 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${n}x${n}/apps/$APP.png"
    must_exist "$png"
    size=$(identify -format '%wx%h' "$png") || fail "unreadable icon $png"
    [ "$size" = "${n}x${n}" ] || fail "icon in ${n}x${n} is $size"
done
# Nothing beyond what is checked here: a stray file would ship unnoticed.
count=$(find "$ROOT" -type f | wc -l)
[ "$count" = 16 ] || { find "$ROOT" -type f >&2; fail "$count files installed, expected 16"; }

# The validators say nothing but success: no errors, warnings or hints.
out=$(desktop-file-validate "$share/applications/$APP.desktop" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate: $out"
# Pedantic too; its one note is accepted: the id keeps the project's own
# capital, as "io.github.<user>.<Project>" ids do.
out=$(appstreamcli validate --no-net --pedantic --no-color "$share/metainfo/$APP.metainfo.xml" 2>&1) ||
    fail "appstreamcli: $out"
if grep -vE '^$|^(✔ )?Validation was successful|^P: [^ ]+ cid-contains-uppercase-letter ' <<<"$out" | grep -q .; then
    fail "appstreamcli: $out"
fi
# The entry starts this program, with this icon, and docks can match its window.
grep -qx "Exec=veltrane" "$share/applications/$APP.desktop" || fail "desktop entry runs something else"
grep -qx "Icon=$APP" "$share/applications/$APP.desktop" || fail "desktop entry names another icon"
grep -qx "StartupWMClass=Veltrane" "$share/applications/$APP.desktop" || fail "no StartupWMClass=Veltrane"
grep -q "<release version=\"$VERSION\"" "$share/metainfo/$APP.metainfo.xml" ||
    fail "metainfo has no release $VERSION"

# The version without any display: it must not even try one.
out=$(env -u DISPLAY "$ROOT/usr/bin/veltrane" --version 2>&1) || fail "--version failed: $out"
[ "$out" = "Veltrane Game $VERSION" ] || fail "--version printed '$out'"
echo "$out"

play_once "$ROOT/usr/bin/veltrane"
echo "PASS"
