#!/usr/bin/env bash
# Plays an installed game once the way a player starts it: under a private Xvfb, with a fresh
# HOME and no XDG_DATA_HOME, change the sound in the options box and quit with F4. Fails
# unless the window appears, the record lands in $HOME/.local/share/vantorell with the new
# setting, that folder's data link leads to DATA and the game ends with status 0.
# Usage: try-launcher.sh LAUNCHER DATA. Called by check-package.sh and scripts/check-install.
set -euo pipefail
launcher=$1 data=$2
work=$(mktemp -d /tmp/vantorell-launcher-XXXXXX)
xvfb="" game=""
cleanup() {
  if [ -n "$game" ]; then kill -9 "$game" 2>/dev/null || true; fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" >&2
  exit 1
}

# Xvfb writes its display number to the file once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q . "$work/display" 2>/dev/null && break; sleep 0.1; done
grep -q . "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null

mkdir "$work/home"
HOME="$work/home" env -u XDG_DATA_HOME "$launcher" >"$work/game.log" 2>&1 &
game=$!
window=$(timeout 30 xdotool search --sync --name '^Vantorell$' | head -n1) || true
[ -n "$window" ] || fail "no window titled Vantorell"
xdotool windowfocus "$window"
key() { xdotool keydown "$1"; sleep 0.12; xdotool keyup "$1"; sleep 0.4; }
# The loading screen's corner is (40, 40, 80); keys count once the title menu replaces it.
corner() { import -window "$window" -crop 1x1+4+4 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}'; }
title=""
for _ in $(seq 300); do
  c=$(corner) || true
  case "$c" in "" | "#000000" | "#282850") sleep 0.1 ;; *) title=1 && break ;; esac
done
[ -n "$title" ] || fail "the title menu never showed"
sleep 1  # the title menu slides in
# The options item, open the box, the sound row, effects and music -> effects only, back.
key Right; key Return; sleep 0.6; key Down; key Return; key Up; key Return

folder="$work/home/.local/share/vantorell"
for _ in $(seq 150); do
  [ "$(cut -d'|' -f6 "$folder/.tarvikstate" 2>/dev/null)" = 2 ] && break
  sleep 0.1
done
[ "$(cut -d'|' -f6 "$folder/.tarvikstate" 2>/dev/null)" = 2 ] ||
  fail "no record with the new sound setting in $folder: $(ls -A "$folder" 2>&1)"
[ "$(readlink -f "$folder/data")" = "$(readlink -f "$data")" ] ||
  fail "$folder/data leads to $(readlink -f "$folder/data"), not $data"

xdotool key F4
status=0
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game" 2>/dev/null && fail "the game still runs 10 s after F4"
wait "$game" || status=$?
game=""
[ "$status" -eq 0 ] || fail "the game ended with status $status after F4"
echo "played: window $window, record in $folder, exit status 0"
