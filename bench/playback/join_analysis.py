"""Purpose: the analysis of bench/playback/gapless: where two clips cut from one recording start in a
player's output, and so how many frames the player inserted (or lost) at the join between them.

Usage: join_analysis.py REFERENCE.wav CUT_FRAMES OUTPUT [CONTINUOUS.wav]
OUTPUT is a WAV file, or raw float32 stereo at the reference's rate (what SDL's disk driver writes).
CONTINUOUS is the whole recording through the same codec in one piece, decoded: the codec's own
residual at the cut, which a lossy join is to be measured against.
Prints one line: inserted-frames join-residual-dB continuous-residual-dB corr1 corr2 (residuals "nan"
when not measured), or "- - - corr1 corr2" when a clip was not found. Frames count at the reference's
rate, whatever the output's rate.
"""

import os
import struct
import subprocess
import sys
import tempfile

import numpy as np

FOUND = 0.5  # the least normalised correlation taken as a match


def read_wav(path):
    """Returns (frames x channels float64 array, rate) of a PCM or float WAV file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    pos, fmt, samples = 12, None, None
    while pos + 8 <= len(data):
        cid, size = data[pos : pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        body = pos + 8
        if cid == b"fmt ":
            tag, channels, rate = struct.unpack_from("<HHI", data, body)
            bits = struct.unpack_from("<H", data, body + 14)[0]
            if tag == 0xFFFE:  # extensible: the sub-format's first two bytes are the format tag
                tag = struct.unpack_from("<H", data, body + 24)[0]
            fmt = (tag, channels, rate, bits)
        elif cid == b"data":
            # A writer that never finished its header leaves the size 0 or too large: take the rest.
            end = len(data) if size in (0, 0xFFFFFFFF) or body + size > len(data) else body + size
            samples = data[body:end]
            break
        pos = body + size + (size & 1)
    if fmt is None or samples is None:
        raise ValueError(f"{path}: no fmt or data chunk")
    tag, channels, rate, bits = fmt
    if tag == 3 and bits == 32:
        x = np.frombuffer(samples[: len(samples) // 4 * 4], "<f4").astype(np.float64)
    elif tag == 3 and bits == 64:
        x = np.frombuffer(samples[: len(samples) // 8 * 8], "<f8")
    elif tag == 1 and bits == 16:
        x = np.frombuffer(samples[: len(samples) // 2 * 2], "<i2") / 32768.0
    elif tag == 1 and bits == 32:
        x = np.frombuffer(samples[: len(samples) // 4 * 4], "<i4") / 2147483648.0
    elif tag == 1 and bits == 24:
        b = np.frombuffer(samples[: len(samples) // 3 * 3], np.uint8).reshape(-1, 3).astype(np.int32)
        x = ((b[:, 0] << 8 | b[:, 1] << 16 | b[:, 2] << 24) >> 8) / 8388608.0
    else:
        raise ValueError(f"{path}: WAV format {tag} with {bits} bits not read")
    x = x[: len(x) // channels * channels]
    return x.reshape(-1, channels), rate


def read_output(path, rate):
    if path.endswith(".wav"):
        return read_wav(path)
    x = np.fromfile(path, "<f4").astype(np.float64)
    return x[: len(x) // 2 * 2].reshape(-1, 2), rate


def mono(x):
    return x.mean(axis=1)


def locate(signal, template, lo, hi, first=False):
    """The offset in [lo, hi) where `template` best matches `signal` by normalised cross-correlation,
    and that correlation. Windows of the signal much quieter than the template count as no match.
    With `first`, the earliest of the matches nearly as good as the best: a player that goes round
    its playlist plays the first clip again."""
    lo = max(lo, 0)
    hi = min(hi, len(signal) - len(template) + 1)
    if hi <= lo:
        return None, 0.0
    seg = signal[lo : hi + len(template) - 1]
    n = 1 << int(np.ceil(np.log2(len(seg) + len(template))))
    corr = np.fft.irfft(np.fft.rfft(seg, n) * np.conj(np.fft.rfft(template, n)), n)[: hi - lo]
    csum = np.concatenate(([0.0], np.cumsum(seg * seg)))
    energy = csum[len(template) :] - csum[: -len(template)]
    energy = energy[: hi - lo]
    t_energy = float(np.dot(template, template))
    quiet = energy < 1e-3 * t_energy
    ncc = corr / np.sqrt(np.maximum(energy, 1e-30) * t_energy)
    ncc[quiet] = 0.0
    k = int(np.argmax(ncc))
    if first:
        early = int(np.argmax(ncc >= ncc[k] - 0.05))  # on the rising side of the earliest peak
        near = slice(early, min(early + len(template) // 4, len(ncc)))
        k = early + int(np.argmax(ncc[near]))
    return lo + k, float(ncc[k])


def gain(out, ref, out_at, ref_at, frames):
    """The output's gain against the reference over `frames` (a player may play softer)."""
    o = out[out_at : out_at + frames]
    r = ref[ref_at : ref_at + len(o)]
    return np.sum(o * r) / max(np.sum(r * r), 1e-30)


def residual_db(out, ref, out_at, ref_at, half, g):
    """Energy of the output's difference from the reference at gain `g` over 2*half frames, relative to
    the reference's energy there, in dB: 0 dB where the output is silent."""
    if out_at - half < 0 or ref_at - half < 0 or out_at + half > len(out) or ref_at + half > len(ref):
        return float("nan")
    o = out[out_at - half : out_at + half]
    r = g * ref[ref_at - half : ref_at + half]
    return 10.0 * np.log10(max(np.sum((o - r) ** 2), 1e-30) / max(np.sum(r * r), 1e-30))


def at_rate(ref_path, rate):
    """The reference resampled to `rate`, mono."""
    with tempfile.TemporaryDirectory() as d:
        resampled = os.path.join(d, "ref.wav")
        subprocess.run(["sox", "-V1", ref_path, "-e", "floating-point", "-b", "32", resampled,
                        "rate", "-v", str(rate)], check=True)
        return mono(read_wav(resampled)[0])


def continuous_residual(ref_path, cut, path):
    """The residual at the cut of the recording encoded in one piece (found where it starts)."""
    ref, ref_rate = read_wav(ref_path)
    dec, rate = read_wav(path)
    ref = mono(ref) if rate == ref_rate else at_rate(ref_path, rate)
    dec = mono(dec)
    cut_i = int(round(cut * rate / ref_rate))
    start, corr = locate(dec, ref[: 2 * rate], 0, len(dec), first=True)
    if start is None or corr < FOUND:
        return float("nan")
    g = gain(dec, ref, start, 0, 2 * rate)
    return residual_db(dec, ref, start + cut_i, cut_i, int(0.025 * rate), g)


def main():
    ref_path, cut, out_path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    ref, ref_rate = read_wav(ref_path)
    out, rate = read_output(out_path, ref_rate)
    scale = rate / ref_rate  # output frames per reference frame
    # A player that kept a decoder's other rate is compared with the reference at that rate.
    ref = mono(ref) if rate == ref_rate else at_rate(ref_path, rate)
    out = mono(out)
    second = int(rate)
    cut_at = cut * scale  # the cut in output frames, fractional at another rate
    cut_i = int(round(cut_at))

    start1, corr1 = locate(out, ref[: 2 * second], 0, len(out), first=True)
    if start1 is None or corr1 < FOUND:
        print(f"- - - {corr1:.3f} 0")
        return
    # The second clip starts anywhere from a second into the first (a player cutting it short) to
    # eight seconds after its end (a player waiting long); its first start, as a player going round
    # its playlist plays it again.
    template = ref[cut_i : cut_i + 2 * second]
    start2, corr2 = locate(out, template, start1 + second, int(start1 + cut_at) + 8 * second, first=True)
    if start2 is None or corr2 < FOUND:
        print(f"- - - {corr1:.3f} {corr2:.3f}")
        return
    inserted = ((start2 - (cut_i - cut_at)) - start1) / scale - cut
    # Residual over 50 ms around where the join should be: the first clip placed where it was found
    # and the second right after it. A gap or an overlap shows as a residual near 0 dB.
    g = gain(out, ref, start1, 0, 2 * second)
    join = residual_db(out, ref, start1 + cut_i, cut_i, int(0.025 * rate), g)
    whole = continuous_residual(ref_path, cut, sys.argv[4]) if len(sys.argv) > 4 else float("nan")
    print(f"{inserted:.0f} {join:.1f} {whole:.1f} {corr1:.3f} {corr2:.3f}")


if __name__ == "__main__":
    main()
