#!/usr/bin/env bash
# Listening aids for the generated music: level statistics, a spectrogram, and how many sync events have an
# audible onset within 30 ms. Needs sox, ffmpeg and aubio-tools (aubioonset).
# Usage: tools/music/check_music.sh [SHOW_DIR] [OUT_DIR]    (defaults: build/show, /tmp)
set -euo pipefail
show=${1:-build/show}
out=${2:-/tmp}
mp3=$show/music.mp3
csv=$show/data/sync1.csv
# ffmpeg honours the encoder delay in the MP3's LAME tag, like the show's decoder; sox's decoder does not
# and starts 2257 samples late, so everything time-related uses the ffmpeg decode.
ffmpeg -loglevel error -y -i "$mp3" "$out/music_check.wav"
sox "$out/music_check.wav" -n stats 2>&1 | grep -E 'Pk lev|RMS lev|DC offset|Length'
sox "$out/music_check.wav" -n remix - spectrogram -x 1800 -y 513 -z 90 -t "music.mp3" -o "$out/music_spectrogram.png"
echo "spectrogram: $out/music_spectrogram.png"
for method in hfc specflux complex; do
  aubioonset -i "$out/music_check.wav" -O "$method" -t 0.3 > "$out/music_onsets.txt"
  python3 - "$csv" "$out/music_onsets.txt" "$method" <<'PY'
import sys
row_s = 16.66666603088379 / 0.04690444469451904 / 1000.0
onsets = [float(x) for x in open(sys.argv[2]).read().split()]
events = []
for r, line in enumerate(open(sys.argv[1]).read().splitlines()[1:]):
    f = [float(x) for x in line.split(',')]
    if f[2] or f[5]:
        events.append(r)
late = []
for r in events:
    t = r * row_s
    d = min(onsets, key=lambda o: abs(o - t)) - t
    if abs(d) > 0.03:
        late.append(f"row {r} ({d * 1000:+.0f} ms)")
print(f"{sys.argv[3]}: {len(events) - len(late)} of {len(events)} events have an onset within 30 ms",
      ("; missing: " + ", ".join(late)) if late else "")
PY
done
