#!/usr/bin/env bash
# Every run-time file of the show missing, empty, cut to half its size, or replaced by garbage: the show
# must either play (status 0, no GL error line) or end with status 1 and one line on stderr that names
# the file. Never a crash, a hang, a sanitizer report or status 255. Prints one line per case, which is
# the table in docs/development.md. Usage: data_files_end_to_end.sh LIGHTRIG_EXE SHOW_DIR [FILE...]
# (SHOW_DIR holds data/ and music.mp3; with FILE arguments only those files are tried).
set -u
exe=$1
show=$2
shift 2
work=$(mktemp -d /tmp/lightrig-files-XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work"
export CI=1 SDL_AUDIODRIVER=dummy   # no message box can block, the music plays into the void

# A short track: parts change at rows 2 and 4, the show ends at row 6 (about 2.1 s of real time).
write_track() {
  {
    echo "divisor,jump,eventA,valueA,amountA,eventB,valueB"
    for ((r = 0; r < 8; r++)); do
      if ((r == 2 || r == 4)); then echo "0,0,14,0,0,0,0"
      elif ((r == 6)); then echo "0,0,255,0,0,0,0"
      else echo "0,0,0,0,0,0,0"; fi
    done
  } > "$1"
}

# Fresh links to the content, then the one file under test replaced by a real file.
lay_out() {
  rm -rf data music.mp3
  mkdir data
  for f in "$show"/data/*; do ln -s "$f" data/; done
  ln -s "$show/music.mp3" music.mp3
  rm data/sync1.csv
  write_track data/sync1.csv
}

# 2 KiB of fixed pseudo-random bytes.
garbage() {
  awk 'BEGIN { srand(7); for (i = 0; i < 2048; i++) printf "%c", 1 + int(rand() * 255) }' > "$1"
}

corrupt() {   # corrupt PATH HOW
  cp "$(readlink -f "$1")" original
  rm -f "$1"
  case $2 in
    missing) ;;
    empty) : > "$1" ;;
    truncated) head -c $(($(stat -c %s original) / 2)) original > "$1" ;;
    garbage) garbage "$1" ;;
  esac
}

# One file of each kind the loaders tell apart, the first file of each row of the table in docs/development.md:
# a picture, a material map, a stand-in picture, a shader, a mesh, the room, the curve, the camera
# paths, the sync track and the music.
if [ $# -gt 0 ]; then files=("$@")
else
  files=(data/loading.tga data/stone_normal.tga data/default_base.tga data/raymarch1.frag data/cube1.3dm
         data/mirrorscene.scene data/ddc2.dae data/cams.cam data/sync1.csv music.mp3)
fi

# One case in its own directory: prints "FILE HOW -> VERDICT".
run_case() {
  local file=$1 how=$2 status name gl_errors lines verdict limit
  mkdir "$work/$3" && cd "$work/$3" || exit 1
  lay_out
  corrupt "$file" "$how"
  # A damaged track that fires nothing plays part A until the show is stopped: SIGTERM ends it like
  # Escape, after loading and a dozen frames. Every other case ends by the track long before its limit.
  limit=60
  [ "$file" = data/sync1.csv ] && [ "$how" != missing ] && limit=20
  timeout --preserve-status -s TERM "$limit" "$exe" > out.txt 2> err.txt
  status=$?
  name=$(basename "$file")
  gl_errors=$(grep -cE "^ERROR [0-9]+ in " err.txt)
  lines=$(grep -vc "^$" err.txt)
  if grep -qE "AddressSanitizer|runtime error|LeakSanitizer" err.txt; then
    verdict="FAIL: sanitizer report"
  elif [ "$status" -eq 0 ] && [ "$gl_errors" -eq 0 ]; then
    verdict="plays"
    [ "$lines" -gt 0 ] && verdict="plays; stderr: $(head -c 100 err.txt | head -1)"
  elif [ "$status" -eq 1 ] && [ "$lines" -eq 1 ] && grep -qF "$name" err.txt; then
    verdict="status 1: $(head -1 err.txt)"
  else
    verdict="FAIL: status $status, $gl_errors GL error lines, $lines stderr lines: $(head -c 160 err.txt | head -2 | tr '\n' '|')"
  fi
  echo "$file $how -> $verdict"
}
export -f run_case lay_out corrupt garbage write_track
export exe show work

# Two cases at a time: loading is mostly one thread, so two shows share the machine's cores well. The
# track is timed, so a slower frame only means fewer frames per part, never a part left out.
n=0
for file in "${files[@]}"; do
  for how in missing empty truncated garbage; do
    printf '%s %s %03d\n' "$file" "$how" $((n++))
  done
done | xargs -P 2 -L 1 bash -c 'run_case "$@" > "$work/verdict-$3"' _
cat "$work"/verdict-* | tee "$work/table"
! grep -q -- "-> FAIL" "$work/table"
