#!/usr/bin/env bash
# What a frame costs the whole process on Mesa's software renderer: the built game on its
# title menu and in play, in a 640 x 480 window and at 1920 x 1080 full screen (F11 under
# openbox), beside the floor (bench/frame_floor.c: one opaque textured quad over the window,
# 60 times a second; with no quad, the bare clear and present) and Debian's chromium-bsu and starfighter on their title menus, all on
# one private Xvfb, alternated, RUNS times each. Prints medians of CPU (utime + stime from
# /proc over SECONDS after the program settled, in % of one core), presented frames a second
# (counted by bench/frame_count.c, preloaded), CPU per frame (which a loaded machine distorts
# less than the rates, when the program cannot get the CPU it asks for) and resident memory.
# Usage: bench/frame_cost.sh [BUILD_DIR=build ...]   (env: RUNS=3 SECONDS_=20 ONLY="regex",
# SHOTS=<dir> to keep a picture of the screen as each measurement starts). Given several build
# folders (an older commit's beside today's), each game's rows carry its folder's name and all
# are alternated in the same run, so their ratios are fair even on a busy machine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export PATH="$PATH:/usr/games"
[ $# -gt 0 ] || set -- "$root/build"
builds=()
for b in "$@"; do
  [ -x "$b/game/vantorell" ] || { echo "build the game first (scripts/test or scripts/play): $b"; exit 1; }
  builds+=("$(cd "$b" && pwd)")
done
runs="${RUNS:-3}" window="${SECONDS_:-20}" only="${ONLY:-.}"
for tool in Xvfb openbox xdotool cc; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb openbox xdotool gcc)"; exit 1; }
done

# The two packaged shooters: installed when this runs as root, else left out with a note.
peers=()
for p in chromium-bsu starfighter; do
  if ! command -v "$p" >/dev/null && [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p" >/dev/null ||
      true
  fi
  if command -v "$p" >/dev/null || [ -x "/usr/games/$p" ]; then
    peers+=("$p")
  else
    echo "note: $p is not installed and this is not root; measured without it"
  fi
done

work="$(mktemp -d /tmp/vantorell-framecost-XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cc -O2 -shared -fPIC -o "$work/count.so" "$root/bench/frame_count.c" -ldl
cc -O2 -o "$work/frame_floor" "$root/bench/frame_floor.c" -lglfw -lGL
mkfifo "$work/display.fifo"
exec 3<> "$work/display.fifo"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 display <&3
export DISPLAY=":$display" LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
mkdir "$work/home"
for i in "${!builds[@]}"; do
  mkdir "$work/run$i"
  ln -s "${builds[$i]}/game/data" "$work/run$i/data"
done
hz="$(getconf CLK_TCK)"

# Actions, given the program's pid. Keys go through XTEST to the focused window; full screen
# opens a new window, which is focused again (a game that loses focus pauses).
focus() {
  local w
  w="$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | tail -n1)" || true
  [ -n "$w" ] && xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true
}
# A program asked to end gets three seconds, then is killed (an SDL game stuck without its
# window never reads the request).
stop() {
  kill "$1" 2>/dev/null || true
  for _ in 1 2 3 4 5 6; do kill -0 "$1" 2>/dev/null || break; sleep 0.5; done
  kill -KILL "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
frames() { od -An -t u8 -N 8 "$work/count" 2>/dev/null | tr -d ' ' || echo 0; }

# measure NAME DIR SETTLE ACTION COMMAND...: starts the program in DIR, waits SETTLE seconds
# (after ACTION, a function given the pid, has run), then reads CPU and frames over the window.
measure() {
  local name="$1" dir="$2" settle="$3" action="$4"
  shift 4
  rm -f "$work/count"
  (cd "$dir" && HOME="$work/home" VG_FRAME_COUNT="$work/count" LD_PRELOAD="$work/count.so" \
    exec "$@" >/dev/null 2>&1) &
  local pid=$! win=""
  win="$(timeout 60 xdotool search --sync --pid "$pid" 2>/dev/null | tail -n1)" || true
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "  $name: the program ended" >&2
    stop "$pid"
    return
  fi
  [ -n "$win" ] || echo "  $name: no window found, measured all the same" >&2
  focus "$pid"
  "$action" "$pid"
  sleep "$((settle / 2))"
  focus "$pid"
  sleep "$((settle - settle / 2))"
  local t0 f0 t1 f1 rss
  if [ -n "${SHOTS:-}" ]; then import -window root "$SHOTS/${name// /-}.png" 2>/dev/null || true; fi
  t0="$(cpu_ticks "$pid")" f0="$(frames)"
  sleep "$window"
  t1="$(cpu_ticks "$pid")" f1="$(frames)"
  rss="$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")"
  stop "$pid"
  echo "$name|$(awk -v a="$t0" -v b="$t1" -v hz="$hz" -v s="$window" 'BEGIN{printf "%.1f", (b-a)/hz/s*100}')|$(awk -v a="$f0" -v b="$f1" -v s="$window" 'BEGIN{printf "%.1f", (b-a)/s}')|$((rss / 1024))" >> "$work/results"
  echo "  $(tail -n1 "$work/results")"
}

nothing() { :; }
full() { sleep 3; xdotool key F11; sleep 12; focus "$1"; }
# Held for a moment: a press and release between two of a busy game's updates go unseen.
play() { sleep 7; focus "$1"; xdotool keydown Return; sleep 0.3; xdotool keyup Return; }
full_play() { full "$1"; play "$1"; }

# name|folder|settle|action|command, in the order each run measures them.
configs=()
game_rows() {
  local size="$1" title_action="$2" play_action="$3" i label
  for i in "${!builds[@]}"; do
    label="vantorell"
    [ ${#builds[@]} -eq 1 ] || label="vantorell ($(basename "${builds[$i]}"))"
    configs+=("$label title $size|$work/run$i|$4|$title_action|${builds[$i]}/game/vantorell"
      "$label play $size|$work/run$i|$5|$play_action|${builds[$i]}/game/vantorell")
  done
}
game_rows 640x480 nothing play 9 5
configs+=("floor 640x480|$work/run0|3|nothing|$work/frame_floor 640 480"
  "clear and present 640x480|$work/run0|3|nothing|$work/frame_floor 640 480 none")
game_rows "1920x1080 full" full full_play 10 6
configs+=("floor 1920x1080 full|$work/run0|3|nothing|$work/frame_floor 1920 1080 full"
  "clear and present 1920x1080 full|$work/run0|3|nothing|$work/frame_floor 1920 1080 full none")
for p in "${peers[@]}"; do
  case "$p" in
    chromium-bsu) configs+=("chromium-bsu title 640x480|$work/run0|8|nothing|chromium-bsu --window --vidmode 1") ;;
    starfighter) configs+=("starfighter title 640x480|$work/run0|8|nothing|starfighter") ;;
  esac
done

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((r = 1; r <= runs; r++)); do
  echo "run $r"
  for c in "${configs[@]}"; do
    IFS='|' read -r name dir settle action cmd <<<"$c"
    [[ "$name" =~ $only ]] || continue
    # shellcheck disable=SC2086  # the command's words
    measure "$name" "$dir" "$settle" "$action" $cmd
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

echo
echo "| program, screen | CPU (% of a core) | frames/s | CPU ms per frame | resident (MB) |"
echo "|---|---|---|---|---|"
awk -F'|' '
  {
    n[$1]++; c[$1, n[$1]] = $2; f[$1, n[$1]] = $3; m[$1, n[$1]] = $4; if (!seen[$1]++) order[++k] = $1
    p[$1, n[$1]] = $3 > 0 ? $2 * 10 / $3 : 0
  }
  function median(a, key, cnt,   i, j, t, v) {
    for (i = 1; i <= cnt; i++) v[i] = a[key, i] + 0
    for (i = 1; i <= cnt; i++) for (j = i + 1; j <= cnt; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
    return cnt % 2 ? v[(cnt + 1) / 2] : (v[cnt / 2] + v[cnt / 2 + 1]) / 2
  }
  END { for (i = 1; i <= k; i++) { s = order[i]; printf "| %s | %.1f | %.1f | %.2f | %d |\n", s, median(c, s, n[s]), median(f, s, n[s]), median(p, s, n[s]), median(m, s, n[s]) } }
' "$work/results"
