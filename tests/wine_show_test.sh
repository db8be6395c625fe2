#!/usr/bin/env bash
# The Windows release under Wine, unzipped into an empty folder: the same moments through --frames
# give the same pictures as the Linux build (both on llvmpipe), a sync table with part changes and an
# exit row ends the show with status 0, a missing sync table ends it with status 1 and its message, and
# --capture without ffmpeg ends with status 2. The runs on the release's own content (the pictures, and
# the real-time run with its music) print nothing on standard error but progress and report no file
# they could not use (tests/clean_output.sh).
# Usage: wine_show_test.sh WINEPREFIX WINDOWS_BUILD_DIR LINUX_LIGHTRIG LINUX_SHOW_DIR
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
zip=$(ls "$2"/lightrig-*-windows-x86_64.zip 2>/dev/null | head -n1) linux_exe=$3 show=$4
source "$(cd "$(dirname "$0")" && pwd)/clean_output.sh"
# Early moments at a low rate: each rendered frame costs about a second on llvmpipe.
MOMENTS=3,8
FPS=2
work=$(mktemp -d /tmp/lightrig-wine-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail=0
command -v wine >/dev/null || { echo "FAIL: wine is not installed"; exit 1; }
[ -f "$zip" ] || { echo "FAIL: no release zip in $2 (run scripts/build-windows.sh)"; exit 1; }
unzip -q "$zip" -d "$work/unzipped" || { echo "FAIL: cannot unzip $zip"; exit 1; }
release=$work/unzipped/$(basename "$zip" .zip)
for f in lightrig.exe data/sync1.csv music.mp3 README.txt; do
  [ -f "$release/$f" ] || { echo "FAIL: $f is not in the zip"; fail=1; }
done
cmp -s "$release/music.mp3" "$show/music.mp3" || { echo "FAIL: music.mp3 differs from the Linux build's"; fail=1; }
diff -rq "$release/data" "$show/data" >/dev/null || { echo "FAIL: data/ differs from the Linux build's"; fail=1; }
# Message boxes would wait for a click that never comes.
export CI=${CI:-true}

# 1. The same moments from both builds.
(cd "$show" && "$linux_exe" --frames "$work/linux" --at $MOMENTS --fps $FPS > "$work/linux.txt" 2>&1) ||
  { echo "FAIL: the Linux build's --frames run"; cat "$work/linux.txt"; fail=1; }
(cd "$release" && timeout 600 wine lightrig.exe --frames "$work/wine" --at $MOMENTS --fps $FPS > "$work/wine.txt" 2> "$work/wine-err.txt") ||
  { echo "FAIL: lightrig.exe --frames under Wine"; cat "$work/wine-err.txt"; fail=1; }
check_clean_run "lightrig.exe --frames on the release's content" "$work/wine.txt" "$work/wine-err.txt" || fail=1
for t in ${MOMENTS//,/ }; do
  a=$work/linux/frame-$t.png b=$work/wine/frame-$t.png
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then echo "FAIL: no picture of $t s from both builds"; fail=1; continue; fi
  # Peak difference of one channel (0..255) and the count of pixels that differ at all.
  peak=$(compare -metric PAE "$a" "$b" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
  pixels=$(compare -metric AE "$a" "$b" null: 2>&1)
  largest=$(awk -v p="$peak" 'BEGIN { printf "%d", p * 255 + 0.5 }')
  echo "frame $t s: largest channel difference $largest/255, $pixels pixels differ"
  if [ "$pixels" != 0 ]; then echo "FAIL: lightrig.exe and the Linux build draw $t s differently"; fail=1; fi
done

# 2. A sync table whose rows change the part twice and then end the show.
cp -r "$release" "$work/track"
{
  echo "divisor,jump,eventA,valueA,amountA,eventB,valueB"
  for ((r = 0; r < 10; r++)); do
    if ((r == 2 || r == 4)); then echo "0,0,14,0,0,0,0"
    elif ((r == 6)); then echo "0,0,255,0,0,0,0"
    else echo "0,0,0,0,0,0,0"; fi
  done
} > "$work/track/data/sync1.csv"
(cd "$work/track" && SDL_AUDIODRIVER=dummy timeout 600 wine lightrig.exe > out.txt 2> err.txt)
status=$?
if [ $status -ne 0 ]; then echo "FAIL: the sync table's exit row gave status $status"; cat "$work/track/err.txt"; fail=1
else echo "ok: a sync table with part changes and an exit row ends with status 0"; fi
check_clean_run "lightrig.exe in real time with the music" "$work/track/out.txt" "$work/track/err.txt" || fail=1

# 3. No sync table: a clear message and status 1.
rm "$work/track/data/sync1.csv"
(cd "$work/track" && SDL_AUDIODRIVER=dummy timeout 600 wine lightrig.exe > out.txt 2> err.txt)
status=$?
if [ $status -ne 1 ] || ! grep -q "sync1.csv" "$work/track/err.txt"; then
  echo "FAIL: a missing sync table gave status $status"; cat "$work/track/err.txt"; fail=1
else echo "ok: a missing sync table ends with status 1: $(grep -m1 sync1.csv "$work/track/err.txt")"; fi
# 4. --capture without ffmpeg.exe on the Windows PATH says so before loading, with status 2.
(cd "$work/track" && timeout 300 wine lightrig.exe --capture x.mp4 > out.txt 2> err.txt)
status=$?
if [ $status -ne 2 ] || ! grep -q "ffmpeg is not on the PATH" "$work/track/err.txt"; then
  echo "FAIL: --capture without ffmpeg gave status $status"; cat "$work/track/err.txt"; fail=1
else echo "ok: --capture without ffmpeg ends with status 2 and says why"; fi
exit $fail
