#!/usr/bin/env bash
# Runs the show (built with its trace) on the current display from a scratch directory: once ended by the sync
# track's exit row, once by an Escape key press during the show and once during loading. All must end
# with status 0. A missing track and a missing display end it with status 1. Usage: show_end_to_end.sh LIGHTRIG_EXE SHOW_DATA_DIR
set -u
exe=$1
content=$2
work=$(mktemp -d /tmp/lightrig-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data"
cd "$work"
for f in "$content"/*; do [ "$(basename "$f")" = sync1.csv ] || ln -s "$f" data/; done
fail=0

# Rows pass every 355 ms; ten rows between the part changes and the exit give each of the three
# parts 3.5 s, so a frame of a second or two on a loaded machine still lands in every one of them.
write_track() {   # write_track ROWS EXIT_ROW: part changes at rows 2 and 12
  {
    echo "divisor,jump,eventA,valueA,amountA,eventB,valueB"
    for ((r = 0; r < $1; r++)); do
      if ((r == 2 || r == 12)); then echo "0,0,14,0,0,0,0"
      elif ((r == $2)); then echo "0,0,255,0,0,0,0"
      else echo "0,0,0,0,0,0,0"; fi
    done
  } > data/sync1.csv
}

# 1. The track ends the show after two part changes.
write_track 24 22
timeout 300 "$exe" > out.txt 2> err.txt
status=$?
if [ $status -ne 0 ]; then echo "FAIL: show ended by the track with status $status"; cat err.txt; fail=1
else echo "ok: show ended by the track with status 0"; fi
if grep -q "^ERROR" err.txt; then echo "FAIL: GL errors"; grep "^ERROR" err.txt | head; fail=1; fi
for part in 60 66 62; do
  grep -q "demoeffect is now $part" out.txt || { echo "FAIL: part $part never started"; fail=1; }
done

press_escape() { xdotool keydown Escape; sleep 0.2; xdotool keyup Escape; }

wait_for_line() {   # wait_for_line TEXT PID: until the trace shows TEXT or the show has ended
  for _ in $(seq 1 3000); do
    grep -q "$1" out.txt && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# 2. Escape ends a show whose track never does, once it plays.
write_track 4 -1
stdbuf -oL "$exe" > out.txt 2> err.txt &
pid=$!
if ! wait_for_line "demoeffect is now 60" $pid; then
  echo "FAIL: the show never started (ended or still loading without its first frame)"; fail=1
fi
press_escape
for _ in $(seq 1 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Escape did not end the show"; kill -9 $pid; fail=1
else
  wait $pid; status=$?
  if [ $status -ne 0 ]; then echo "FAIL: show ended by Escape with status $status"; fail=1
  else echo "ok: show ended by Escape with status 0"; fi
fi

# 3. Escape during loading ends the process at the next progress step, with status 0 and before
#    the show starts.
stdbuf -oL "$exe" > out.txt 2> err.txt &
pid=$!
wait_for_line "loading step 2" $pid || { echo "FAIL: loading never reached step 2"; fail=1; }
press_escape
for _ in $(seq 1 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Escape during loading did not end the show"; kill -9 $pid; fail=1
else
  wait $pid; status=$?
  if [ $status -ne 0 ]; then echo "FAIL: Escape during loading gave status $status"; fail=1
  elif grep -q "main init done" out.txt; then echo "FAIL: the show went on loading after Escape"; fail=1
  else echo "ok: Escape during loading ends with status 0"; fi
fi

# 4. A missing sync track is a clear error with status 1.
rm data/sync1.csv
timeout 300 "$exe" > out.txt 2> err.txt
status=$?
if [ $status -ne 1 ] || ! grep -q "sync1.csv" err.txt; then echo "FAIL: missing track gave status $status"; cat err.txt; fail=1
else echo "ok: missing sync track ends with status 1"; fi

# 5. No display (and no off-screen video driver): SDL's reason, status 1, nothing else.
write_track 24 22
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 60 "$exe" > out.txt 2> err.txt
status=$?
if [ $status -ne 1 ] || ! grep -q "^platform: SDL video init failed: ." err.txt || grep -q "glad" err.txt; then
  echo "FAIL: without a display the show gave status $status"; cat err.txt; fail=1
else echo "ok: without a display the show reports SDL's reason and ends with status 1"; fi
exit $fail
