"""Scores one extraction run against the stems it should have found.

    score.py MATERIAL_DIR PARTS_DIR [--bss] [--oracle]

MATERIAL_DIR holds stems/*.wav and mixture.wav (bench/quality/material.py),
PARTS_DIR what `tonewarp-cli extract` wrote for the mixture. Every part
(Total_Diff. included) goes to the stem it correlates with most, and a stem's
estimate is the sum of its parts. For every stem: the SI-SDR of the mixture
(the baseline), of the estimate, and the improvement; with --bss the BSS Eval
SDR, SIR and SAR (mir_eval) of the estimates, and the SDR of the mixture itself; with --oracle the SI-SDR of an
ideal ratio mask on a 1024-point STFT, the upper bound of a masking separator.

Conventions, all in one place:
- A signal is its two channels taken together as one vector (no mean removed).
- SI-SDR is floored at FLOOR_DB: below that an estimate carries as good as
  nothing of its stem. A stem that gets no part at all (a silent estimate) is
  scored at the floor and counted as missed.
- BSS Eval runs on the mono downmix (mir_eval's bss_eval_sources, 512-tap
  distortion filters, no permutation): the stereo version takes too long for
  the whole sweep's time budget. A missed stem has no BSS Eval figures.
- The oracle mask of stem i is |S_i| / sum_j |S_j| (magnitudes of the stems'
  STFTs, Hann window of 1024, hop 256), applied to the mixture's STFT.
"""

import glob
import os
import sys
import wave

import numpy as np

FLOOR_DB = -30.0
N_FFT = 1024
HOP = 256


def read_wav(path):
    """A 16-bit PCM WAVE file as float64 samples (frames, channels)."""
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise ValueError("%s: not 16-bit PCM" % path)
        x = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2")
        return x.reshape(-1, w.getnchannels()).astype(np.float64)


def si_sdr(estimate, reference):
    """Scale-invariant signal-to-distortion ratio in dB (not floored):
    +inf for an exact scaled copy, -inf for a silent or orthogonal estimate."""
    s = np.asarray(reference, dtype=np.float64).ravel()
    e = np.asarray(estimate, dtype=np.float64).ravel()
    ss = np.dot(s, s)
    if ss == 0:
        raise ValueError("SI-SDR against a silent reference is undefined")
    target = (np.dot(e, s) / ss) * s
    noise = e - target
    t, n = np.dot(target, target), np.dot(noise, noise)
    if n == 0:
        return float("inf") if t > 0 else float("-inf")
    if t == 0:
        return float("-inf")
    return float(10 * np.log10(t / n))


def floored(db):
    return max(db, FLOOR_DB)


def correlation(a, b):
    """Normalised correlation at lag 0 of two signals; 0 if either is silent."""
    a, b = a.ravel(), b.ravel()
    na, nb = np.dot(a, a), np.dot(b, b)
    if na == 0 or nb == 0:
        return 0.0
    return float(np.dot(a, b) / np.sqrt(na * nb))


def assign(parts, stems):
    """{part name: stem name} for every part that is not silent: the stem it
    correlates with most."""
    out = {}
    for pname, p in parts.items():
        if not np.any(p):
            continue
        corr = {sname: correlation(p, s) for sname, s in stems.items()}
        out[pname] = max(corr, key=corr.get)
    return out


def estimates(parts, stems, assignment):
    """{stem name: sum of its parts, or None when it got none}."""
    est = {name: None for name in stems}
    for pname, sname in assignment.items():
        est[sname] = parts[pname].copy() if est[sname] is None else est[sname] + parts[pname]
    return est


def bss_eval(stems, est):
    """{stem: (SDR, SIR, SAR) or None for a missed stem}, mono downmix."""
    import mir_eval.separation
    names = list(stems)
    refs = np.stack([stems[n].mean(axis=1) for n in names])
    # A missed stem's row holds its own reference, only to pass mir_eval's
    # check against silent estimates: with no permutation each row's figures
    # depend on that row alone, and these are thrown away.
    ests = np.stack([est[n].mean(axis=1) if est[n] is not None and np.any(est[n].mean(axis=1))
                     else refs[i] for i, n in enumerate(names)])
    sdr, sir, sar, _ = mir_eval.separation.bss_eval_sources(refs, ests, compute_permutation=False)
    return {n: (None if est[n] is None or not np.any(est[n].mean(axis=1))
                else (float(sdr[i]), float(sir[i]), float(sar[i])))
            for i, n in enumerate(names)}


def stft(x):
    """x (samples,) -> frames (frames, N_FFT // 2 + 1), Hann window, hop HOP,
    padded so that every sample is covered by N_FFT / HOP frames."""
    pad = np.concatenate([np.zeros(N_FFT), x, np.zeros(N_FFT)])
    w = np.hanning(N_FFT + 1)[:N_FFT]
    idx = np.arange(0, len(pad) - N_FFT + 1, HOP)
    return np.fft.rfft(np.stack([pad[i:i + N_FFT] * w for i in idx]), axis=1)


def istft(bins, n):
    """The inverse of stft by weighted overlap-add, n samples."""
    w = np.hanning(N_FFT + 1)[:N_FFT]
    frames = np.fft.irfft(bins, n=N_FFT, axis=1) * w
    length = (bins.shape[0] - 1) * HOP + N_FFT
    out = np.zeros(length)
    norm = np.zeros(length)
    for k in range(bins.shape[0]):
        out[k * HOP:k * HOP + N_FFT] += frames[k]
        norm[k * HOP:k * HOP + N_FFT] += w * w
    out = out / np.maximum(norm, 1e-12)
    return out[N_FFT:N_FFT + n]


def oracle_irm(mixture, stems):
    """{stem: the ideal-ratio-mask estimate}, channel by channel."""
    names = list(stems)
    n, channels = mixture.shape
    out = {name: np.zeros_like(mixture) for name in names}
    for c in range(channels):
        mix = stft(mixture[:, c])
        mags = {name: np.abs(stft(stems[name][:, c])) for name in names}
        total = sum(mags.values())
        for name in names:
            mask = np.divide(mags[name], total, out=np.zeros_like(total), where=total > 0)
            out[name][:, c] = istft(mask * mix, n)
    return out


def read_parts(parts_dir):
    """{part name: samples} of every part file (mix.wav, the parts' sum, left out)."""
    parts = {}
    for f in sorted(glob.glob(os.path.join(parts_dir, "*.wav"))):
        name = os.path.basename(f)[:-4]
        if name != "mix":
            parts[name] = read_wav(f)
    return parts


def read_stems(material_dir):
    stems = {}
    for f in sorted(glob.glob(os.path.join(material_dir, "stems", "*.wav"))):
        stems[os.path.basename(f)[:-4]] = read_wav(f)
    return stems


def score(material_dir, parts_dir, bss=False, oracle=False, stems=None, mixture=None):
    """The figures of one run: a dict with 'stems' (one dict per stem),
    'assignment' and 'mean_si_sdri', 'missed'."""
    stems = stems if stems is not None else read_stems(material_dir)
    mixture = mixture if mixture is not None else read_wav(os.path.join(material_dir, "mixture.wav"))
    parts = read_parts(parts_dir)
    for name, p in parts.items():
        if p.shape != mixture.shape:
            raise ValueError("part %s: %s frames, the mixture %s" % (name, p.shape, mixture.shape))
    assignment = assign(parts, stems)
    est = estimates(parts, stems, assignment)
    bss_figs = bss_eval(stems, est) if bss else None
    bss_mix = bss_eval(stems, {name: mixture for name in stems}) if bss else None
    irm = oracle_irm(mixture, stems) if oracle else None
    rows = []
    for name, s in stems.items():
        base = floored(si_sdr(mixture, s))
        got = floored(si_sdr(est[name], s)) if est[name] is not None else FLOOR_DB
        row = {"stem": name, "parts": [p for p, t in assignment.items() if t == name],
               "baseline": base, "si_sdr": got, "si_sdri": got - base, "missed": est[name] is None}
        if bss:
            row["bss"] = bss_figs[name]
            row["bss_mixture_sdr"] = bss_mix[name][0]
        if oracle:
            row["oracle"] = floored(si_sdr(irm[name], s))
            row["oracle_i"] = row["oracle"] - base
        rows.append(row)
    return {"stems": rows, "assignment": assignment, "parts": len(parts),
            "mean_si_sdri": float(np.mean([r["si_sdri"] for r in rows])),
            "missed": sum(r["missed"] for r in rows)}


def _fmt(v):
    return "-" if v is None else "%.2f" % v


if __name__ == "__main__":
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    if len(args) != 2:
        sys.exit("usage: score.py MATERIAL_DIR PARTS_DIR [--bss] [--oracle]")
    r = score(args[0], args[1], bss="--bss" in sys.argv, oracle="--oracle" in sys.argv)
    print("| stem | parts | mixture SI-SDR | estimate SI-SDR | SI-SDRi | SDR | SIR | SAR | oracle SI-SDR |")
    print("|---|---|---|---|---|---|---|---|---|")
    for row in r["stems"]:
        b = row.get("bss") or (None, None, None)
        print("| %s | %s | %.2f | %s | %.2f | %s | %s | %s | %s |" % (
            row["stem"], ", ".join(row["parts"]) or "none", row["baseline"],
            "missed" if row["missed"] else "%.2f" % row["si_sdr"], row["si_sdri"],
            _fmt(b[0]), _fmt(b[1]), _fmt(b[2]), _fmt(row.get("oracle"))))
    print("mean SI-SDRi %.2f dB, stems missed %d" % (r["mean_si_sdri"], r["missed"]))
