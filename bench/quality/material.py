"""The test material of the quality measurement: five short pieces, each made
of stems (every instrument alone) and their mixture.

Every piece is written as a score here (Standard MIDI files, one per stem),
rendered stem by stem with fluidsynth and Debian's General MIDI sound font
(sox plays stand-ins where fluidsynth or the sound font is missing), the
spoken voice by espeak-ng. The stems are brought to 16 bits at one common
gain, chosen so that their sum peaks at -3 dBFS, and the mixture is the plain
integer sum of the 16-bit stems: exactly the sum, never clipped.

    material.py DIR     renders every piece into DIR/<key>_<name>/
                        (stems/*.wav, mixture.wav, material.json)

Everything is deterministic: the notes come from fixed rules and a fixed
linear congruential generator, the renderers run without randomness.
"""

import hashlib
import json
import os
import shutil
import subprocess
import sys
import wave

import numpy as np

RATE = 44100
TICKS_PER_QUARTER = 480
TEMPO_US = 500000  # 120 beats a minute
TICKS_PER_SECOND = 960
MIX_PEAK_DBFS = -3.0
SOUND_FONTS = ("/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/default-GM.sf2")
DRUM_CHANNEL = 9  # General MIDI channel 10


def ticks(seconds):
    return int(round(seconds * TICKS_PER_SECOND))


# --- Scores -------------------------------------------------------------------

class Lcg:
    """The generator of bench/bench_material.cpp: the same walks for the same voices."""

    def __init__(self, seed):
        self.s = seed & 0xFFFFFFFF

    def next(self, n):
        self.s = (self.s * 1664525 + 1013904223) & 0xFFFFFFFF
        return (self.s >> 16) % n


MAJOR = (0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24)


def scale_walk(program, low_note, step_ticks, len_ticks, velocity, entry_s, stop_s):
    """Notes (start tick, length in ticks, key, velocity) of a walk over two
    octaves of a major scale in steps of at most two degrees, from entry_s,
    the last note ending by stop_s."""
    g = Lcg(program * 7919 + 17)
    degree = len(MAJOR) // 2
    notes = []
    t = ticks(entry_s)
    while t + len_ticks <= ticks(stop_s):
        degree += g.next(5) - 2
        if degree < 0:
            degree = 1
        if degree >= len(MAJOR):
            degree = len(MAJOR) - 2
        notes.append((t, len_ticks, low_note + MAJOR[degree], velocity))
        t += step_ticks
    return notes


def held(keys, velocity, entry_s, stop_s):
    return [(ticks(entry_s), ticks(stop_s) - ticks(entry_s), k, velocity) for k in keys]


def drum_pattern(entry_s, stop_s):
    """A rock beat at 120 beats a minute: bass drum on 1 and 3, snare on 2 and
    4, closed hi-hat on every eighth (the off-beats softer), an open hi-hat on
    the last eighth of every second bar and a crash on every fourth bar."""
    notes = []
    eighth = TICKS_PER_QUARTER // 2
    t = ticks(entry_s)
    i = 0
    while t + eighth <= ticks(stop_s):
        beat, half = divmod(i % 8, 2)
        bar = i // 8
        if half == 0 and beat in (0, 2):
            notes.append((t, 120, 36, 110))
        if half == 0 and beat in (1, 3):
            notes.append((t, 120, 38, 100))
        if i % 16 == 15:
            notes.append((t, 200, 46, 80))
        else:
            notes.append((t, 60, 42, 85 if half == 0 else 65))
        if i % 8 == 0 and bar % 4 == 0:
            notes.append((t, 480, 49, 90))
        t += eighth
        i += 1
    return notes


def midi_stem(name, program, channel, pan, notes, entry_s, synth):
    return {"name": name, "kind": "midi", "program": program, "channel": channel, "pan": pan,
            "notes": notes, "entry_s": entry_s, "synth": synth}


SPEECH = ("Every part of a recording has its own voice. This one speaks over a held chord, "
          "and the chord goes on after it stops.")


def pieces():
    """The five pieces: key, name, seconds, what it is, stems."""
    # The four voices of the benchmark recordings (bench/bench_material.cpp):
    # program, channel, pan, lowest note, step and length in ticks, velocity.
    piano = (0, 0, 44, 55, 240, 220, 96)
    bass = (32, 1, 64, 33, 480, 440, 110)
    strings = (48, 2, 88, 60, 1920, 1900, 80)
    flute = (73, 3, 30, 72, 360, 300, 90)

    def walker(name, v, entry_s, stop_s, synth):
        program, channel, pan, low, step, length, vel = v
        return midi_stem(name, program, channel, pan,
                         scale_walk(program, low, step, length, vel, entry_s, stop_s), entry_s, synth)

    return [
        ("a", "two_tones", 24,
         "two sustained tones four octaves apart: an organ's A2 (110 Hz) from 0 s, "
         "a flute's C6 (1047 Hz) from 8 s",
         [midi_stem("organ", 16, 0, 64, held([45], 100, 0, 22.5), 0, "sine"),
          midi_stem("flute", 73, 1, 64, held([84], 100, 8, 22.5), 8, "sine")]),
        ("b", "piano_bass", 24,
         "piano in eighth notes from 0 s, acoustic bass in quarter notes from 8 s",
         [walker("piano", piano, 0, 22.5, "pluck"), walker("bass", bass, 8, 22.5, "pluck")]),
        ("c", "four_voices", 26,
         "piano from 0 s, bass from 6 s, strings from 12 s, flute from 18 s",
         [walker("piano", piano, 0, 24.5, "pluck"), walker("bass", bass, 6, 24.5, "pluck"),
          walker("strings", strings, 12, 24.5, "sawtooth"),
          walker("flute", flute, 18, 24.5, "sine")]),
        ("d", "voice_chord", 24,
         "a held C major chord of strings from 0 s, a spoken voice from 4 s",
         [midi_stem("chord", 48, 0, 64, held([48, 55, 64, 67], 90, 0, 22.5), 0, "sawtooth"),
          {"name": "voice", "kind": "speech", "text": SPEECH, "entry_s": 4}]),
        ("e", "drums_bass", 24,
         "drums (General MIDI channel 10) from 0 s, finger bass in quarter notes from 4 s",
         [midi_stem("drums", 0, DRUM_CHANNEL, 64, drum_pattern(0, 22.5), 0, "drums"),
          midi_stem("bass", 33, 1, 64, scale_walk(33, 28, 480, 400, 105, 4, 22.5), 4, "pluck")]),
    ]


# --- Standard MIDI files --------------------------------------------------------

def _var(v):
    out = [v & 0x7F]
    v >>= 7
    while v:
        out.append((v & 0x7F) | 0x80)
        v >>= 7
    return bytes(reversed(out))


def _track(events, end_tick):
    events = sorted(events, key=lambda e: (e[0], e[1]))  # note-offs before note-ons
    body = b""
    now = 0
    for tick, _, data in events:
        body += _var(tick - now) + data
        now = tick
    body += _var(max(0, end_tick - now)) + b"\xff\x2f\x00"
    return b"MTrk" + len(body).to_bytes(4, "big") + body


def midi_file(stem, seconds):
    """A format 1 file: the tempo track and the stem's track."""
    end = seconds * TICKS_PER_SECOND
    tempo = [(0, 0, b"\xff\x51\x03" + TEMPO_US.to_bytes(3, "big"))]
    ch = stem["channel"]
    ev = [(0, 0, bytes([0xC0 | ch, stem["program"]])),
          (0, 0, bytes([0xB0 | ch, 10, stem["pan"]])),
          (0, 0, bytes([0xB0 | ch, 7, 100]))]
    for start, length, key, vel in stem["notes"]:
        ev.append((start, 1, bytes([0x90 | ch, key, vel])))
        ev.append((start + length, 0, bytes([0x80 | ch, key, 64])))
    head = b"MThd" + (6).to_bytes(4, "big") + (1).to_bytes(2, "big") + (2).to_bytes(2, "big")
    head += TICKS_PER_QUARTER.to_bytes(2, "big")
    return head + _track(tempo, end) + _track(ev, end)


# --- Renderers ------------------------------------------------------------------

def sound_font():
    for f in SOUND_FONTS:
        if os.path.isfile(f):
            return f
    return None


def _version(cmd, marker):
    try:
        out = subprocess.run(cmd, capture_output=True, text=True).stdout
    except OSError:
        return "?"
    for line in out.splitlines():
        if marker in line:
            return line.split(marker, 1)[1].split()[0]
    return "?"


def renderers():
    """(instruments, voice): how the stems are made on this machine."""
    forced_sox = os.environ.get("TW_QUALITY_RENDERER") == "sox"
    if not forced_sox and shutil.which("fluidsynth") and sound_font():
        inst = "fluidsynth %s %s" % (_version(["fluidsynth", "--version"], "runtime version "),
                                     os.path.basename(sound_font()))
    else:
        if not shutil.which("sox"):
            sys.exit("material.py: neither fluidsynth nor sox is installed")
        inst = "sox %s stand-ins" % _version(["sox", "--version"], "SoX v")
    if not forced_sox and shutil.which("espeak-ng"):
        voice = "espeak-ng %s" % _version(["espeak-ng", "--version"], "text-to-speech: ")
    else:
        voice = "sox stand-in voice"
    return inst, voice


def _f32(data, channels):
    return np.frombuffer(data, dtype="<f4").astype(np.float64).reshape(-1, channels)


def render_fluidsynth(stem, seconds, path_mid, path_raw):
    with open(path_mid, "wb") as f:
        f.write(midi_file(stem, seconds))
    subprocess.run(["fluidsynth", "-ni", "-q", "-g", "0.5", "-r", str(RATE), "-T", "raw", "-O", "float",
                    "-E", "little", "-F", path_raw, sound_font(), path_mid],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(path_raw, "rb") as f:
        x = _f32(f.read(), 2)
    os.remove(path_raw)
    return x


def _sox_tone(args):
    out = subprocess.run(["sox", "-D", "-R", "-n", "-r", str(RATE), "-c", "1", "-b", "32",
                          "-e", "floating-point", "-t", "raw", "-L", "-"] + args,
                         check=True, capture_output=True).stdout
    return _f32(out, 1)[:, 0]


def render_sox(stem, seconds):
    """The stand-in: every note played by a sox synthesiser, placed at its
    start, panned like the MIDI stem."""
    n = seconds * RATE
    out = np.zeros((n + RATE, 2))
    cache = {}
    left, right = (127 - stem["pan"]) / 127.0, stem["pan"] / 127.0
    for start, length, key, vel in stem["notes"]:
        secs = length / TICKS_PER_SECOND
        hz = 440.0 * 2.0 ** ((key - 69) / 12.0)
        if stem["synth"] == "drums":
            args = {36: ["synth", "0.15", "sine", "60-40", "fade", "0", "0.15", "0.12"],
                    38: ["synth", "0.12", "whitenoise", "fade", "0", "0.12", "0.1", "lowpass", "4000"],
                    49: ["synth", "0.6", "whitenoise", "fade", "0", "0.6", "0.55", "highpass", "5000"]}.get(
                key, ["synth", "%.4f" % secs, "whitenoise", "fade", "0", "%.4f" % secs, "%.4f" % (secs * 0.9),
                      "highpass", "7000"])
            gain = 0.5 * vel / 127.0
        else:
            fade = min(0.05, secs / 4)
            args = ["synth", "%.6f" % secs, stem["synth"], "%.4f" % hz,
                    "fade", "0.005", "%.6f" % secs, "%.4f" % fade]
            gain = (0.12 if stem["synth"] == "sawtooth" else 0.3) * vel / 127.0
        key_args = tuple(args)
        if key_args not in cache:
            cache[key_args] = _sox_tone(args)
        tone = cache[key_args] * gain
        at = int(round(start / TICKS_PER_SECOND * RATE))
        m = min(len(tone), out.shape[0] - at)
        out[at:at + m, 0] += left * tone[:m]
        out[at:at + m, 1] += right * tone[:m]
    return out


def render_voice(stem, work, use_espeak):
    raw = os.path.join(work, "voice.wav")
    if use_espeak:
        subprocess.run(["espeak-ng", "-v", "en-us", "-s", "150", "-w", raw, stem["text"]], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        out = subprocess.run(["sox", "-D", "-R", raw, "-r", str(RATE), "-c", "1", "-b", "32",
                              "-e", "floating-point", "-t", "raw", "-L", "-"],
                             check=True, capture_output=True).stdout
        os.remove(raw)
        x = _f32(out, 1)[:, 0]
    else:
        # A buzz with a wandering pitch and a syllable-rate tremolo through a
        # formant-like band: something voice-like for 11 seconds.
        x = _sox_tone(["synth", "11", "sawtooth", "110-160", "tremolo", "4", "90",
                       "band", "900", "600", "fade", "0.05", "11", "0.3"])
    return np.stack([x, x], axis=1)


def fit(x, n):
    out = np.zeros((n, 2))
    m = min(n, x.shape[0])
    out[:m] = x[:m]
    return out


def write_wav(path, samples):
    """samples: integer array (frames, 2) within 16 bits."""
    assert samples.min() >= -32768 and samples.max() <= 32767
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(samples.astype("<i2").tobytes())


def render_piece(piece, out_dir, inst_renderer, voice_renderer):
    key, name, seconds, about, stems = piece
    n = seconds * RATE
    os.makedirs(os.path.join(out_dir, "stems"), exist_ok=True)
    rendered = []
    for stem in stems:
        if stem["kind"] == "speech":
            x = render_voice(stem, out_dir, voice_renderer.startswith("espeak-ng"))
            at = int(round(stem["entry_s"] * RATE))
            x = np.vstack([np.zeros((at, 2)), x])
        elif inst_renderer.startswith("fluidsynth"):
            x = render_fluidsynth(stem, seconds, os.path.join(out_dir, "stems", stem["name"] + ".mid"),
                                  os.path.join(out_dir, stem["name"] + ".raw"))
        else:
            x = render_sox(stem, seconds)
        rendered.append(fit(x, n))
    # The spoken voice has no velocity: it is brought to the level of the
    # rest of the piece while it speaks (the same RMS over its own span).
    for i, stem in enumerate(stems):
        if stem["kind"] == "speech":
            x = rendered[i]
            span = np.flatnonzero(np.abs(x).max(axis=1) > 1e-4)
            others = sum(rendered[j] for j in range(len(stems)) if j != i)
            rms_voice = np.sqrt(np.mean(x[span[0]:span[-1] + 1] ** 2))
            rms_rest = np.sqrt(np.mean(others[span[0]:span[-1] + 1] ** 2))
            rendered[i] = x * (rms_rest / rms_voice)
    total = sum(rendered)
    gain = 32767 * 10 ** (MIX_PEAK_DBFS / 20) / np.abs(total).max()
    ints = [np.rint(x * gain).astype(np.int64) for x in rendered]
    mixture = sum(ints)
    # The mixture is exactly the sum of the 16-bit stems, so it must fit in
    # 16 bits itself: no clipping anywhere.
    if mixture.min() < -32768 or mixture.max() > 32767:
        raise RuntimeError("%s: the sum of the stems does not fit in 16 bits" % name)
    for stem, x in zip(stems, ints):
        write_wav(os.path.join(out_dir, "stems", stem["name"] + ".wav"), x)
    write_wav(os.path.join(out_dir, "mixture.wav"), mixture)
    info = {"key": key, "name": name, "seconds": seconds, "about": about,
            "stems": [{"name": s["name"], "entry_s": s["entry_s"]} for s in stems],
            "renderer": voice_renderer if all(s["kind"] == "speech" for s in stems) else inst_renderer,
            "voice_renderer": voice_renderer if any(s["kind"] == "speech" for s in stems) else None,
            "gain": gain, "mixture_peak": int(np.abs(mixture).max())}
    with open(os.path.join(out_dir, "material.json"), "w") as f:
        json.dump(info, f, indent=1)
    return info


def make_all(root):
    """Renders every piece into root/<key>_<name>/ unless the same renderers
    made it from the same scores before. Returns the pieces' descriptions."""
    inst, voice = renderers()
    with open(os.path.abspath(__file__), "rb") as f:
        stamp = "%s / %s / %s" % (inst, voice, hashlib.sha256(f.read()).hexdigest()[:16])
    stamp_path = os.path.join(root, "stamp.txt")
    os.makedirs(root, exist_ok=True)
    fresh = not (os.path.isfile(stamp_path) and open(stamp_path).read().strip() == stamp)
    infos = []
    for piece in pieces():
        d = os.path.join(root, "%s_%s" % (piece[0], piece[1]))
        if fresh or not os.path.isfile(os.path.join(d, "material.json")):
            shutil.rmtree(d, ignore_errors=True)
            print("rendering %s_%s (%s)" % (piece[0], piece[1], inst), file=sys.stderr)
            infos.append(render_piece(piece, d, inst, voice))
        else:
            with open(os.path.join(d, "material.json")) as f:
                infos.append(json.load(f))
    with open(stamp_path, "w") as f:
        f.write(stamp + "\n")
    return infos


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: material.py DIR")
    for i in make_all(sys.argv[1]):
        print("%s_%s: %d s, %s, gain %.1f, mixture peak %d" % (
            i["key"], i["name"], i["seconds"], i["renderer"], i["gain"], i["mixture_peak"]))
