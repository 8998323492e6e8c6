#!/bin/sh
# The installed game's command: keeps the player's record in a folder of their own (the same
# folder a source build's scripts/play uses), links the installed data into it and runs the
# program there, because the game reads ./data and writes ./.tarvikstate where it starts.
# The program and data are found from this script's own place, so any install prefix works.
set -eu
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
program="$prefix/lib/games/vantorell/vantorell"
data="$prefix/share/games/vantorell/data"
if [ ! -x "$program" ] || [ ! -d "$data" ]; then
  echo "vantorell: the game is not installed beside $0 (looked in $prefix)" >&2
  exit 1
fi
# A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
case "${XDG_DATA_HOME:-}" in
  /*) base="$XDG_DATA_HOME" ;;
  *) base="$HOME/.local/share" ;;
esac
home="$base/vantorell"
mkdir -p "$home"
# Replace a link left by another install or a source build, but never a folder of data.
if [ -L "$home/data" ] || [ ! -e "$home/data" ]; then
  ln -sfn "$data" "$home/data"
fi
cd "$home"
exec "$program" "$@"
