#!/usr/bin/env bash
# Installs what is missing, builds, and runs the show from build/show. Without a display (no X or
# Wayland session) it records the show to build/show/lightrig.mp4 instead, at a frame rate chosen
# so that the recording takes minutes, after saying how long it will take; the offline modes need
# no X server (SDL's offscreen driver with EGL). Arguments go to lightrig (see lightrig --help);
# the paths of --capture and --frames are relative to the folder the command was typed in. The
# show's own progress lines go to build/show/lightrig.log.
set -euo pipefail
here=$PWD
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
show=$PWD/build/show
log=$show/lightrig.log
# Mesa's software rasteriser zero-fills every render target as it is made (about 400 MB of them);
# with 4 KB pages the run takes some 145,000 page faults. glibc's transparent huge pages for large
# allocations cut them to about 13,000 and loading by a sixth on this kind of machine. A glibc
# without the setting ignores it.
export GLIBC_TUNABLES="glibc.malloc.hugetlb=1${GLIBC_TUNABLES:+:$GLIBC_TUNABLES}"
# lightrig ARGS...: runs in build/show (the repository's own top folder has a data/ of shaders only,
# which the show would take for its content), with the paths of --capture and --frames made
# relative to the folder the command was typed in; its progress lines (loading, allocations, frame
# counters: hundreds of them) go into the log; --help and --version print as they are.
lightrig() {
  local arg args=() path_next=
  for arg in "$@"; do
    case $arg in -h|--help|--version) "$show/lightrig" "$@"; return ;; esac
    if [ -n "$path_next" ]; then arg=$(absolute "$arg"); path_next=
    else
      case $arg in
        --capture|--frames) path_next=1 ;;
        --capture=*|--frames=*) arg=${arg%%=*}=$(absolute "${arg#*=}") ;;
      esac
    fi
    args+=("$arg")
  done
  echo "run: the show's progress lines go to $log"
  (cd "$show" && exec ./lightrig "${args[@]}") > "$log"
  # The offline modes' closing report (what was written where) is worth reading here.
  grep -E '^(capture|frames): ' "$log" | tail -n1 | sed 's/^/run: /' || true
}
absolute() {
  case $1 in /*|"") echo "$1" ;; *) echo "$here/$1" ;; esac
}
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  lightrig "$@"
  exit
fi
if [ $# -gt 0 ]; then
  case " $* " in *" --help "*|*" -h "*|*" --version "*) ;; *) echo "run: no display; running lightrig $* off screen" ;; esac
  lightrig "$@"
  exit
fi
cd "$show"
show_seconds=180   # the show's length, to the fade to black
fps=10             # enough to watch the show through; 60 is the full-quality capture
# Two frames of each part tell what a frame costs here.
frame_ms=$(../bench/lightrig_frame_cost 2 2>/dev/null |
  awk '/^part [ABC]: / { sum += $3; n++ } END { if (n) printf "%d", sum / n; else print 0 }')
if [ "${frame_ms:-0}" -gt 0 ]; then
  minutes=$(( (show_seconds * fps * frame_ms / 1000 + 59) / 60 ))
  full_minutes=$(( (show_seconds * 60 * frame_ms / 1000 + 59) / 60 ))
  echo "run: no display; recording the show at $fps fps to build/show/lightrig.mp4:"
  echo "run: about $minutes minutes here ($frame_ms ms a frame)"
  echo "run: full quality (60 fps, about $full_minutes minutes here):"
else
  echo "run: no display; recording the show at $fps fps to build/show/lightrig.mp4"
  echo "run: full quality (60 fps, six times as long):"
fi
echo "run:   scripts/run.sh --capture $show/lightrig.mp4 --fps 60"
lightrig --capture "$show/lightrig.mp4" --fps "$fps"
echo "run: the show is recorded in $show/lightrig.mp4"
