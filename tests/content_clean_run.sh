#!/usr/bin/env bash
# The shipped show on the build's own content, twice: a --frames run in the show directory itself
# (every file it ships, its own sync track), and a real-time run with the music on SDL's dummy device,
# ended by a short sync track's exit row. Both must end with status 0, print nothing on standard error
# but the progress line and report no file on standard output (tests/clean_output.sh).
# Usage: content_clean_run.sh LIGHTRIG_EXE SHOW_DIR
set -u
exe=$1
show=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/clean_output.sh"
work=$(mktemp -d /tmp/lightrig-content-XXXXXX)
trap 'rm -rf "$work"' EXIT
export CI=1   # no message box can wait for a click
fail=0

# 1. Loading and the first two frames of the show, in the show directory.
(cd "$show" && timeout 600 "$exe" --frames "$work/frames" --at 1 --fps 1 > "$work/frames.out" 2> "$work/frames.err")
status=$?
if [ $status -ne 0 ] || [ ! -f "$work/frames/frame-1.png" ]; then
  echo "FAIL: --frames in $show gave status $status"; head -5 "$work/frames.err"; fail=1
fi
check_clean_run "--frames in the show directory" "$work/frames.out" "$work/frames.err" || fail=1

# 2. Real time with the music: the show's files, a track that ends the show at row 3 (about 1 s).
mkdir -p "$work/play/data"
for f in "$show"/data/*; do [ "$(basename "$f")" = sync1.csv ] || ln -s "$f" "$work/play/data/"; done
ln -s "$show/music.mp3" "$work/play/music.mp3"
{
  echo "divisor,jump,eventA,valueA,amountA,eventB,valueB"
  for r in 0 1 2; do echo "0,0,0,0,0,0,0"; done
  echo "0,0,255,0,0,0,0"
  echo "0,0,0,0,0,0,0"
} > "$work/play/data/sync1.csv"
(cd "$work/play" && SDL_AUDIODRIVER=dummy timeout 600 "$exe" > "$work/play.out" 2> "$work/play.err")
status=$?
if [ $status -ne 0 ]; then echo "FAIL: the real-time run gave status $status"; head -5 "$work/play.err"; fail=1; fi
check_clean_run "real-time run with the music" "$work/play.out" "$work/play.err" || fail=1
exit $fail
