#!/usr/bin/env python3
"""Times what a teacher's Python script would do beside what the program does, on the same
ten seconds of 44.1 kHz noise in one run: scipy.signal.stft (1024 points, hop 512, Hamming)
against a new signal's spectrogram, and scipy.signal.lfilter (3 + 3 coefficients) against the
program's filter alone and against a whole filter change (filter, spectrogram and spectrum).

Usage: bench/compare_scipy.py [path/to/velmora_bench]   (default build/bench/velmora_bench)
Without python3-scipy it reports itself skipped and exits 0. `make bench` runs it.
"""
import math
import os
import subprocess
import sys
import tempfile
import timeit

RATE = 44100
REPEATS = 31
TARGET = 8.0  # the spectrogram at least this many times faster than scipy.signal.stft


def median_ms(function):
    times = timeit.repeat(function, number=1, repeat=REPEATS)
    return 1e3 * sorted(times)[len(times) // 2]


def main():
    try:
        import numpy as np
        from scipy import signal
    except ImportError:
        print("scipy comparison: skipped (python3-scipy is not installed)")
        return 0
    program = sys.argv[1] if len(sys.argv) > 1 else "build/bench/velmora_bench"
    samples = np.random.default_rng(42).uniform(-0.5, 0.5, 10 * RATE).astype(np.float32)
    c = np.float32(-2.0 * math.cos(1.0))
    b = np.array([1.0, c, 1.0], dtype=np.float32)
    a = np.array([1.0, 0.95 * c, 0.9025], dtype=np.float32)

    stft_ms = median_ms(lambda: signal.stft(samples, fs=RATE, window="hamming",
                                            nperseg=1024, noverlap=512))
    lfilter_ms = median_ms(lambda: signal.lfilter(b, a, samples))

    with tempfile.TemporaryDirectory() as folder:
        samples.tofile(os.path.join(folder, "signal.f32"))
        result = subprocess.run([program, "--probe=analyses", folder], capture_output=True,
                                text=True, check=False)
    figures = result.stdout.split()
    if result.returncode != 0 or len(figures) != 3:
        print("scipy comparison: the program's timing failed:", result.stderr.strip())
        return 1
    spectrogram_ms, filter_ms, change_ms = (float(f) for f in figures)

    print("Same 10 s of 44.1 kHz noise, medians of %d runs (ms):" % REPEATS)
    print("  %-48s %9.3f" % ("scipy.signal.stft (1024, hop 512, hamming)", stft_ms))
    print("  %-48s %9.3f  %6.1fx faster" % ("program: spectrogram of a new signal",
                                            spectrogram_ms, stft_ms / spectrogram_ms))
    print("  %-48s %9.3f" % ("scipy.signal.lfilter (3 + 3, float32)", lfilter_ms))
    print("  %-48s %9.3f  %6.1fx faster" % ("program: the same filter", filter_ms,
                                            lfilter_ms / filter_ms))
    print("  %-48s %9.3f  %6.1fx faster than stft + lfilter" % (
        "program: filter change (filter, both analyses)", change_ms,
        (stft_ms + lfilter_ms) / change_ms))
    speedup = stft_ms / spectrogram_ms
    print("Target: spectrogram >= %.0fx faster than scipy.signal.stft: %.1fx, %s"
          % (TARGET, speedup, "met" if speedup >= TARGET else "missed"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
