#!/usr/bin/env bash
# The installed program: installs the build into a temporary prefix, checks the installed tree,
# the menu entry, the AppStream data and the manual, then starts the launcher on a virtual
# display with a fresh home folder, as a player would from the menu.
# Usage: installed_program.sh BUILD_FOLDER
set -uo pipefail

build=$(cd "$1" && pwd)
if [ -z "${VELMORA_ON_XVFB:-}" ]; then
    for tool in xvfb-run xauth xdotool xprop desktop-file-validate appstreamcli man; do
        command -v "$tool" >/dev/null ||
            { echo "FAIL: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
    done
    # The whole check runs on its own virtual display; the tests around it are offscreen.
    exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY VELMORA_ON_XVFB=1 \
        xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$@"
fi

work=$(mktemp -d)
prefix=$work/prefix
game_pid=
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# ---- the installed tree ----

cmake --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log"; echo "FAIL: cmake --install" >&2; exit 1; }

app=example.velmora.Velmora
for f in bin/velmora bin/velmora-slideviewer bin/velmora-slidecheck bin/velmora-classreport libexec/velmora/velmora; do
    [ -x "$prefix/$f" ] || fail "$f is not an installed program"
done
for f in share/velmora/game.xml share/applications/$app.desktop \
    share/metainfo/$app.metainfo.xml share/icons/hicolor/scalable/apps/velmora.svg \
    share/man/man1/velmora.1.gz share/man/man1/velmora-slidecheck.1.gz \
    share/man/man1/velmora-slideviewer.1.gz share/man/man1/velmora-classreport.1.gz \
    share/doc/velmora/copyright \
    share/doc/velmora/changelog.gz; do
    [ -f "$prefix/$f" ] || fail "$f is missing"
done
[ -z "$(find "$prefix" -name stats)" ] || fail "a statistics file was installed"

# Width and height from the PNG header (big-endian words at bytes 16 and 20).
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
for size in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/velmora.png
    [ "$(png_size "$icon" 2>/dev/null)" = "${size}x$size" ] || fail "icon $icon is not ${size}x$size"
done

desktop=$prefix/share/applications/$app.desktop
desktop-file-validate "$desktop" >"$work/desktop.log" 2>&1 || fail "desktop-file-validate"
grep -E 'error|warning' "$work/desktop.log" && fail "desktop entry: see above"
grep -qx 'Categories=Education;Science;' "$desktop" || fail "desktop entry: categories"
grep -q '^Comment=.*lernen' "$desktop" || fail "desktop entry: German comment"
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_command" ] || fail "desktop entry starts '$exec_command', not installed"
appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" >"$work/as.log" 2>&1 ||
    { cat "$work/as.log"; fail "appstreamcli validate"; }
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l "$prefix/share/man/man1/velmora-slidecheck.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "manual: $warnings"

# The installed game loads completely, read by the game's own code.
QT_QPA_PLATFORM=offscreen "$prefix/bin/velmora-slidecheck" "$prefix/share/velmora" \
    >"$work/check.log" 2>&1 || { cat "$work/check.log"; fail "installed game does not load"; }

# ---- the launcher ----

launcher=$prefix/bin/velmora
"$launcher" --help >/dev/null || fail "velmora --help"
for call in "$work/none" "$prefix/share/velmora/slides"; do
    "$launcher" "$call" 2>/dev/null
    [ $? -eq 1 ] || fail "velmora $call: a folder without game.xml is not refused"
done
"$launcher" a b 2>/dev/null
[ $? -eq 2 ] || fail "velmora with two arguments is not refused"

# Starts the launcher (arguments as given) with HOME and XDG_DATA_HOME as given, waits for
# the main window, checks its hints, ends the game with Escape and returns its exit status.
play() {
    local home=$1 xdg=$2 wid=""
    shift 2
    local environment=(-u XDG_DATA_HOME HOME="$home")
    [ -n "$xdg" ] && environment+=(XDG_DATA_HOME="$xdg")
    env "${environment[@]}" "$launcher" "$@" >"$work/game.log" 2>&1 &
    game_pid=$!
    for _ in $(seq 100); do
        wid=$(xdotool search --onlyvisible --name '^Velmora$' 2>/dev/null | head -n 1)
        [ -n "$wid" ] && break
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.2
    done
    if [ -z "$wid" ]; then
        cat "$work/game.log"
        fail "no main window (launcher $*)"
        kill "$game_pid" 2>/dev/null
        wait "$game_pid" 2>/dev/null
        game_pid=
        return 1
    fi
    sleep 1
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself after showing its window"
    check_window "$wid"
    xdotool windowfocus --sync "$wid" key Escape
    local status
    for _ in $(seq 50); do
        kill -0 "$game_pid" 2>/dev/null || break
        sleep 0.2
    done
    kill "$game_pid" 2>/dev/null && fail "Escape did not end the game"
    wait "$game_pid"
    status=$?
    game_pid=
    return "$status"
}

# The menu's window: as wide as the dialog template, a size the user cannot change, no
# maximise box, and the program icon.
check_window() {
    local wid=$1 hints motif
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    [ "$WIDTH" -ge 600 ] || fail "window $WIDTH wide: not the main window"
    hints=$(xprop -id "$wid" WM_NORMAL_HINTS)
    local min max
    min=$(sed -n 's/.*minimum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    max=$(sed -n 's/.*maximum size: \([0-9]* by [0-9]*\).*/\1/p' <<<"$hints")
    [ -n "$min" ] && [ "$min" = "$max" ] && [ "$min" = "$WIDTH by $HEIGHT" ] ||
        fail "the window can be resized: $hints"
    motif=$(xprop -id "$wid" _MOTIF_WM_HINTS | sed -n 's/.*= *//p' | tr -d ' ')
    IFS=, read -r _ functions decorations _ <<<"$motif"
    # MWM_FUNC_MAXIMIZE and MWM_DECOR_MAXIMIZE must be off, MWM_DECOR_MINIMIZE on.
    if [ -z "$motif" ] || (( functions & 0x10 )) || (( decorations & 0x40 )) ||
        ! (( decorations & 0x20 )); then
        fail "window decorations offer maximise or no minimise: $motif"
    fi
    xprop -id "$wid" -notype _NET_WM_ICON | grep 'Icon (128 x 128)' >/dev/null ||
        fail "no 128 pixel window icon"
    xprop -id "$wid" WM_CLASS | grep '"velmora"' >/dev/null || fail "window class is not velmora"
}

# First start from the menu: the player's folder is made and keeps the statistics.
home=$work/home
mkdir -p "$home"
play "$home" "" || fail "first start ended with an error"
player=$home/.local/share/velmora
[ -f "$player/stats" ] || fail "no statistics in the player's folder $player"
QT_QPA_PLATFORM=offscreen "$prefix/bin/velmora-slidecheck" "$player" >"$work/check.log" 2>&1 ||
    { cat "$work/check.log"; fail "the player's game folder does not load"; }
first_game=$(cat "$player/game.xml")

# A later start keeps the player's statistics and refreshes the launcher's own game.xml; a
# game.xml without the launcher's comment line is the player's and stays as it is.
echo '<!-- stale -->' >>"$player/game.xml"
play "$home" "" || fail "second start ended with an error"
[ "$(cat "$player/game.xml")" = "$first_game" ] || fail "the launcher's game.xml was not refreshed"
[ -s "$player/stats" ] || fail "statistics lost on the second start"
sed -i '/Written by the velmora launcher/d' "$player/game.xml"
own=$(cat "$player/game.xml")
play "$home" "" || fail "start with the player's own game.xml ended with an error"
[ "$(cat "$player/game.xml")" = "$own" ] || fail "the player's own game.xml was overwritten"

# XDG_DATA_HOME moves the player's folder; a teacher's folder is used as it is.
play "$home" "$work/xdg" || fail "start with XDG_DATA_HOME ended with an error"
[ -f "$work/xdg/velmora/stats" ] || fail "XDG_DATA_HOME is not where the player's folder is"
teacher=$work/teacher
cp -r "$prefix/share/velmora" "$teacher"
play "$home" "" "$teacher" || fail "start in a teacher's folder ended with an error"
[ -f "$teacher/stats" ] || fail "no statistics in the teacher's folder"
[ ! -L "$teacher/examples" ] && cmp -s "$teacher/game.xml" "$prefix/share/velmora/game.xml" ||
    fail "the launcher changed the teacher's folder"

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "installed program: all checks passed"
