#!/usr/bin/env python3
"""Does a recording of what the show played hold the start of the music?

Usage: music_match.py PLAYED.raw REFERENCE.raw MIN_SECONDS
Both files are raw signed 16-bit little-endian stereo at 44100 Hz: what SDL's disk audio driver wrote,
and the MP3 decoded by another decoder. The music starts at the first sample above a tenth of the
opening's peak in each (the device plays silence until the show starts the music, and decoders
differ in the silence they put first); around that point the two must agree, up to volume and a
small offset, over MIN_SECONDS. Exit status 0 with the figures, 1 with the reason; 3 while the
recording holds less than MIN_SECONDS of music (a poll can try again later)."""
import array
import sys

RATE = 44100
MAX_LAG = 3000         # samples either way: decoders differ in the delay they keep (about 1100 at most)
WINDOW = 4096          # mono samples correlated at each lag


def mono(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        data = f.read()
    samples.frombytes(data[: len(data) - len(data) % 4])
    if sys.byteorder != "little":
        samples.byteswap()
    return [(samples[i] + samples[i + 1]) / 2.0 for i in range(0, len(samples) - 1, 2)]


def onset(signal, opening_seconds=3):
    first = next((i for i, s in enumerate(signal) if abs(s) > 64), None)
    if first is None:
        return None
    opening = signal[first: first + opening_seconds * RATE]
    peak = max(abs(s) for s in opening)
    return next(i for i in range(first, len(signal)) if abs(signal[i]) > peak / 10)


def correlation(a, b):
    dot = sum(x * y for x, y in zip(a, b))
    na = sum(x * x for x in a) ** 0.5
    nb = sum(y * y for y in b) ** 0.5
    return dot / (na * nb) if na and nb else 0.0, (na / nb if nb else 0.0)


def main():
    played_path, reference_path, min_seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
    played = mono(played_path)
    start = onset(played)
    if start is None or len(played) - start < min_seconds * RATE:
        print("the recording holds %.1f s, no music long enough yet" % (len(played) / RATE))
        return 3
    reference = mono(reference_path)
    ref_start = onset(reference)
    if ref_start is None:
        print("the reference has no music")
        return 1
    # Coarse lag search on a short window, then the agreement over the whole stretch.
    probe = played[start: start + WINDOW]

    def best_of(lags, best):
        for lag in lags:
            at = ref_start + lag
            if at < 0:
                continue
            c, scale = correlation(probe, reference[at: at + WINDOW])
            if c > best[0]:
                best = (c, lag, scale)
        return best

    best = best_of(range(-MAX_LAG, MAX_LAG + 1, 4), (-2.0, 0, 0.0))
    best = best_of(range(best[1] - 4, best[1] + 5), best)
    length = int(min_seconds * RATE)
    at = ref_start + best[1]
    whole, scale = correlation(played[start: start + length], reference[at: at + length])
    print("music from %.2f s of the recording: correlation %.4f over %.1f s with the decoded MP3 "
          "(offset %d samples, level %.2f)" % (start / RATE, whole, min_seconds, best[1], scale))
    return 0 if whole > 0.98 else 1


sys.exit(main())
