#!/usr/bin/env bash
# Runs the built show on the current display from a scratch directory: once ended by the sync
# track's exit row, once by an Escape key press. Both must end with status 0.
set -u
exe=$1
work=$(mktemp -d /tmp/lightrig-e2e-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data"
cd "$work"
fail=0

write_track() {   # write_track ROWS EXIT_ROW: part changes at rows 2 and 4
  {
    echo "divisor,jump,eventA,valueA,amountA,eventB,valueB"
    for ((r = 0; r < $1; r++)); do
      if ((r == 2 || r == 4)); then echo "0,0,14,0,0,0,0"
      elif ((r == $2)); then echo "0,0,255,0,0,0,0"
      else echo "0,0,0,0,0,0,0"; fi
    done
  } > data/sync1.csv
}

# 1. The track ends the show after two part changes.
write_track 10 6
timeout 60 "$exe" > out.txt 2> err.txt
status=$?
if [ $status -ne 0 ]; then echo "FAIL: show ended by the track with status $status"; cat err.txt; fail=1
else echo "ok: show ended by the track with status 0"; fi
if grep -q "^ERROR" err.txt; then echo "FAIL: GL errors"; grep "^ERROR" err.txt | head; fail=1; fi

# 2. Escape ends a show whose track never does.
write_track 4 -1
"$exe" > out.txt 2> err.txt &
pid=$!
sleep 3
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "FAIL: Escape did not end the show"; kill -9 $pid; fail=1
else
  wait $pid; status=$?
  if [ $status -ne 0 ]; then echo "FAIL: show ended by Escape with status $status"; fail=1
  else echo "ok: show ended by Escape with status 0"; fi
fi

# 3. A missing sync track is a clear error with status 1.
rm data/sync1.csv
timeout 60 "$exe" > out.txt 2> err.txt
status=$?
if [ $status -ne 1 ] || ! grep -q "sync1.csv" err.txt; then echo "FAIL: missing track gave status $status"; cat err.txt; fail=1
else echo "ok: missing sync track ends with status 1"; fi
exit $fail
