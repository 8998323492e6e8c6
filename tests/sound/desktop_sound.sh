#!/usr/bin/env bash
# The real program's sound on a desktop whose sound server comes and goes: a private X server
# with openbox, a private PulseAudio server with a null sink (started and stopped here, its
# monitor recorded with parec), OpenAL Soft's PulseAudio output, a game played with fire held.
#   restart   the server is restarted mid-game: sound must be back within 5 s
#   late      the game starts with no server, one starts later: sound within 5 s
#   minimised prints the CPU ticks the minimised game takes in 10 s (a measurement, no check)
#   hitch     prints the longest gap between renders in the 10 s after a restarted server
#             answers, and in the 3 s before it stopped (a measurement, no check)
# Usage: desktop_sound.sh MODE BUILD_DIR. Every program started here is stopped on every exit.
set -uo pipefail
mode="$1"
build="$(cd "$2" && pwd)"
tmp="$(mktemp -d /tmp/vg-sound.XXXXXX)"
pids=()

cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
fail() { echo "FAIL: $*"; [ -n "${VG_SOUND_VERBOSE:-}" ] && grep -c "Initializing library" "$tmp/game.log"; [ -f "$tmp/game.log" ] && sed 's/^/  game: /' "$tmp/game.log" | tail -20; exit 1; }

mkdir -p "$tmp/rt" "$tmp/home" "$tmp/work" && chmod 700 "$tmp/rt"
ln -s "$build/game/data" "$tmp/work/data"
echo "autospawn = no" > "$tmp/client.conf"
export XDG_RUNTIME_DIR="$tmp/rt" HOME="$tmp/home" PULSE_CLIENTCONFIG="$tmp/client.conf"
export PULSE_SERVER="unix:$tmp/rt/pulse/native"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$tmp/display")"
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
# The window manager is up once it owns the screen's manager selection.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.05; done

server_pid=""
start_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
    -L "module-null-sink sink_name=vgsink" -L module-native-protocol-unix 2>>"$tmp/pulse.log" &
  server_pid=$!
  pids+=("$server_pid")
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && return 0; sleep 0.05; done
  fail "PulseAudio did not start"
}
stop_server() { kill "$server_pid"; wait "$server_pid" 2>/dev/null; }

capture_pid=""
start_capture() {  # $1: file
  parec -d vgsink.monitor --raw --format=s16le --rate=44100 --channels=2 >"$1" 2>/dev/null &
  capture_pid=$!
  pids+=("$capture_pid")
}
stop_capture() { kill "$capture_pid" 2>/dev/null; wait "$capture_pid" 2>/dev/null; }

# RMS (full scale 1) of every 100 ms of a capture, one per line.
window_rms() {
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -r 8000 -c 1 -t dat - 2>/dev/null |
    awk '!/^;/ { s += $2 * $2; if (++n == 800) { printf "%.4f\n", sqrt(s / n); s = n = 0 } }'
}
# Seconds from the capture's start to the first 100 ms with sound, or "none".
first_sound() { window_rms "$1" | awk '$1 > 0.01 { printf "%.1f\n", (NR - 1) / 10; found = 1; exit } END { if (!found) print "none" }'; }
mean_rms() { window_rms "$1" | awk '{ s += $1 * $1; n++ } END { printf "%.3f\n", n ? sqrt(s / n) : 0 }'; }

game_pid=""
game_preload=""
start_game() {
  (cd "$tmp/work" && LD_PRELOAD="$game_preload" ALSOFT_DRIVERS=pulse ALSOFT_LOGLEVEL=${VG_ALSOFT_LOGLEVEL:-0} exec "$build/game/vantorell" >"$tmp/game.log" 2>&1) &
  game_pid=$!
  pids+=("$game_pid")
  window="$(timeout 150 xdotool search --sync --onlyvisible --name '^Vantorell$' | head -1)"
  [ -n "$window" ] || fail "no game window"
  xdotool windowactivate --sync "$window" 2>/dev/null
  # Return starts a game from the title menu and fires in one, so a second press makes sure
  # of a game on a machine slow enough to still be loading at the first.
  for _ in 1 2; do
    sleep 2
    xdotool keydown Return; sleep 0.15; xdotool keyup Return
  done
  sleep 0.5
  xdotool keydown space  # fire, held
}
close_game() {
  xdotool keyup space
  xdotool windowactivate --sync "$window" 2>/dev/null
  xdotool key alt+F4  # openbox's close: WM_DELETE_WINDOW, as the close box sends
  for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$game_pid"
  local status=$?
  [ "$status" -eq 0 ] || fail "the game ended with status $status"
}

# After the server (re)appears: capture 8 s and report when sound came back.
expect_sound_back() {
  start_capture "$tmp/after.raw"
  sleep 8
  stop_capture
  local back
  back="$(first_sound "$tmp/after.raw")"
  [ -n "${VG_SOUND_VERBOSE:-}" ] && window_rms "$tmp/after.raw" | head -40 | tr "\n" " "
  echo "sound back after: $back s"
  [ "$back" != none ] && awk -v b="$back" 'BEGIN { exit !(b <= 5) }' || fail "no sound within 5 s of the server starting"
}

case "$mode" in
  restart)
    start_server
    start_game
    start_capture "$tmp/before.raw"
    sleep 3
    stop_capture
    before="$(mean_rms "$tmp/before.raw")"
    echo "RMS before the restart: $before"
    awk -v r="$before" 'BEGIN { exit !(r > 0.01) }' || fail "no sound before the restart"
    stop_server
    sleep 2
    start_server
    expect_sound_back
    close_game
    ;;
  late)
    start_game
    sleep 3
    start_server
    expect_sound_back
    close_game
    ;;
  minimised)
    start_server
    start_game
    xdotool keyup space
    xdotool windowminimize --sync "$window"
    sleep 2
    threads() { for t in /proc/"$game_pid"/task/*; do echo "$(basename "$t") $(cat "$t/comm") $(awk '{ print $14 + $15 }' "$t/stat")"; done; }
    read -r -a s0 < "/proc/$game_pid/stat"
    threads > "$tmp/t0"
    sleep 10
    read -r -a s1 < "/proc/$game_pid/stat"
    threads > "$tmp/t1"
    ticks=$(( s1[13] + s1[14] - s0[13] - s0[14] ))
    echo "minimised: $ticks CPU ticks in 10 s ($(getconf CLK_TCK) a second)"
    join "$tmp/t0" "$tmp/t1" | awk '$5 > $3 { print "  thread " $1 " " $2 ": " $5 - $3 " ticks" }'
    xdotool windowactivate --sync "$window" 2>/dev/null
    close_game
    ;;
  hitch)
    cc -shared -fPIC -O2 -o "$tmp/probe.so" "$(dirname "${BASH_SOURCE[0]}")/swap_probe.c" -ldl || fail "no probe"
    export VG_SWAP_LOG="$tmp/swaps"
    game_preload="$tmp/probe.so"
    start_server
    start_game
    sleep 3
    stopped="$(cut -d' ' -f1 /proc/uptime)"
    stop_server
    sleep 3
    start_server
    back="$(cut -d' ' -f1 /proc/uptime)"
    sleep 10
    # The longest gap ending in [from, to), and the median one, in milliseconds.
    gaps() {
      awk -v from="$1" -v to="$2" '$1 >= from && $1 < to && last { printf "%.1f\n", ($1 - last) * 1000 } { last = $1 }' "$VG_SWAP_LOG" |
        sort -n | awk '{ g[NR] = $1 } END { printf "%.0f ms longest, %.1f ms median, %d renders\n", g[NR], NR ? g[int((NR + 1) / 2)] : 0, NR }'
    }
    echo "before the server stopped (3 s): $(gaps "$(awk -v s="$stopped" 'BEGIN { print s - 3 }')" "$stopped")"
    echo "after it answered again (10 s): $(gaps "$back" "$(awk -v b="$back" 'BEGIN { print b + 10 }')")"
    # The four longest gaps after, each with when it ended (seconds after the server answered).
    [ -n "${VG_SOUND_VERBOSE:-}" ] && awk -v b="$back" '$1 >= b && $1 < b + 10 && last { printf "%.0f %.3f\n", ($1 - last) * 1000, $1 - b } { last = $1 }' "$VG_SWAP_LOG" | sort -rn | head -4
    grep -q "sound is back" "$tmp/game.log" || fail "the sound did not come back"
    close_game
    ;;
  *) fail "unknown mode $mode" ;;
esac
[ -n "${VG_SOUND_VERBOSE:-}" ] && grep -c "Initializing library" "$tmp/game.log"
grep -h "OpenAl" "$tmp/game.log" | sed "s/^/  game: /"
echo "PASS: $mode"
