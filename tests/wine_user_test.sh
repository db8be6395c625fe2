#!/usr/bin/env bash
# The Windows release under Wine as a person uses it, unzipped into an empty folder and started from
# another folder: the default full-screen show plays its music (SDL's disk audio driver records what
# the sound card would get; it must be the start of music.mp3) and ends on Escape with status 0;
# --windowed ends on Escape and on closing its window, with status 0; a relative --frames folder is
# the one it was started in. Also: lightrig.exe is a Windows
# GUI program (no console window on a double-click) whose --version still reaches a pipe.
# Usage: wine_user_test.sh WINEPREFIX WINDOWS_BUILD_DIR CLOSE_WINDOW_PROGRAM MUSIC_MATCH_SCRIPT
set -u
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
build=$2 close_window=$3 music_match=$4
MUSIC_SECONDS=2   # of music recorded before Escape
work=$(mktemp -d /tmp/lightrig-wine-user-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail=0
command -v wine >/dev/null || { echo "FAIL: wine is not installed"; exit 1; }
zip=$(ls "$build"/lightrig-*-windows-x86_64.zip 2>/dev/null | head -n1)
[ -f "$zip" ] || { echo "FAIL: no release zip in $build (run scripts/build-windows.sh)"; exit 1; }
unzip -q "$zip" -d "$work/unzipped" || { echo "FAIL: cannot unzip $zip"; exit 1; }
release=$work/unzipped/$(basename "$zip" .zip)
version=$(basename "$zip" -windows-x86_64.zip)
version=${version#lightrig-}
mkdir "$work/elsewhere"
export CI=true   # a message box would wait for a click
ffmpeg -v error -t 20 -i "$release/music.mp3" -f s16le -ac 2 -ar 44100 "$work/reference.raw" ||
  { echo "FAIL: cannot decode music.mp3"; exit 1; }

# 0. A GUI program that still answers on a pipe.
subsystem=$(x86_64-w64-mingw32-objdump -p "$release/lightrig.exe" | grep "^Subsystem")
case $subsystem in *"Windows GUI"*) echo "ok: $subsystem" ;; *) echo "FAIL: $subsystem"; fail=1 ;; esac
got=$(cd "$work/elsewhere" && wine "$release/lightrig.exe" --version | tr -d '\r')
if [ "$got" != "lightrig $version" ]; then echo "FAIL: --version printed \"$got\""; fail=1
else echo "ok: --version through a pipe: $got"; fi

# start NAME ARGS...: lightrig.exe from the other folder, in the background, its audio into NAME.raw.
start() {
  local name=$1
  shift
  (cd "$work/elsewhere" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="Z:$work/$name.raw" \
     exec wine "$release/lightrig.exe" "$@" > "$work/$name.out" 2> "$work/$name.err") &
  pid=$!
}
# wait_for_music NAME: until MUSIC_SECONDS of music are recorded (loading under Wine takes a while).
wait_for_music() {
  local i
  for ((i = 0; i < 240; i++)); do
    kill -0 "$pid" 2>/dev/null || { echo "FAIL: $1 ended before its music played"; cat "$work/$1.err"; return 1; }
    if [ -s "$work/$1.raw" ]; then
      /usr/bin/python3 "$music_match" "$work/$1.raw" "$work/reference.raw" $MUSIC_SECONDS > "$work/$1.music"
      case $? in 0) return 0 ;; 1) echo "FAIL: $1: $(cat "$work/$1.music")"; return 1 ;; esac
    fi
    sleep 1
  done
  echo "FAIL: $1: no music after 240 s"; return 1
}
# finish NAME: the show ends within a minute with status 0.
finish() {
  local i status
  for ((i = 0; i < 60; i++)); do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
  if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: $1 still runs a minute later"; kill "$pid"; wait "$pid"; pid=; return 1
  fi
  wait "$pid"
  status=$?
  pid=
  if [ $status -ne 0 ]; then echo "FAIL: $1 ended with status $status"; cat "$work/$1.err"; return 1; fi
  echo "ok: $1 ended with status 0"
}
escape() {
  xdotool keydown Escape
  sleep 0.1
  xdotool keyup Escape
}
show_window() {   # the id of the show's window once it is on the screen
  local i id
  for ((i = 0; i < 30; i++)); do
    id=$(xdotool search --onlyvisible --name '^Lightrig$' 2>/dev/null | head -n1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 1
  done
}

# 1. Full screen, as a double-click starts it: music, then Escape.
start fullscreen
if wait_for_music fullscreen; then
  echo "ok: full screen: $(cat "$work/fullscreen.music")"
  escape
  finish "the full-screen show on Escape" || fail=1
else fail=1; fi

# 2. A window, Escape.
start windowed --windowed
if wait_for_music windowed; then
  window=$(show_window)
  [ -n "$window" ] && xdotool windowfocus --sync "$window"
  escape
  finish "the windowed show on Escape" || fail=1
else fail=1; fi

# 3. A window, closed.
start closed --windowed
if wait_for_music closed; then
  window=$(show_window)
  if [ -z "$window" ]; then echo "FAIL: no window called Lightrig"; fail=1
  else "$close_window" "$window"; finish "the windowed show on closing its window" || fail=1; fi
else fail=1; fi

# 4. A relative --frames folder is where the command was given, not beside lightrig.exe.
(cd "$work/elsewhere" && wine "$release/lightrig.exe" --frames shots --at 0 --fps 1 > "$work/frames.out" 2>&1)
status=$?
if [ $status -ne 0 ] || [ ! -f "$work/elsewhere/shots/frame-0.png" ] || [ -e "$release/shots" ]; then
  echo "FAIL: --frames shots from another folder: status $status"; tail -3 "$work/frames.out"; fail=1
else echo "ok: --frames shots from another folder writes there"; fi
exit $fail
