"""The scoring of the quality measurement (score.py) on inputs whose answers
are known: a stem scored against itself, against a known distortion and
against silence, a run whose parts are the stems themselves, a run that
misses a stem, and the oracle mask's transform pair.

Exits 77 (skipped, for ctest) when numpy is not installed.
"""

import os
import sys
import tempfile
import unittest
import wave

try:
    import numpy as np
except ImportError:
    print("numpy is not installed: skipped")
    sys.exit(77)

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import score  # noqa: E402

RATE = 44100


def tone(hz, seconds=1.0, amp=8000.0, pan=0.5):
    t = np.arange(int(RATE * seconds)) / RATE
    x = amp * np.sin(2 * np.pi * hz * t)
    return np.stack([x * (1 - pan) * 2, x * pan * 2], axis=1)


def write(path, x):
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(np.rint(x).astype("<i2").tobytes())


class SiSdr(unittest.TestCase):
    def test_a_stem_against_itself_is_perfect_at_any_scale(self):
        s = tone(440)
        self.assertEqual(score.si_sdr(s, s), float("inf"))
        self.assertEqual(score.si_sdr(0.25 * s, s), float("inf"))

    def test_a_known_orthogonal_distortion_gives_its_ratio(self):
        rng = np.random.default_rng(1)
        s = tone(440)
        n = rng.standard_normal(s.shape)
        n -= (np.dot(n.ravel(), s.ravel()) / np.dot(s.ravel(), s.ravel())) * s  # orthogonal to s
        n *= np.sqrt(np.sum(s * s) / np.sum(n * n)) / 10  # 20 dB below s
        self.assertAlmostEqual(score.si_sdr(s + n, s), 20.0, places=9)
        self.assertAlmostEqual(score.si_sdr(3 * (s + n), s), 20.0, places=9)
        # Both channels count as one signal: a distortion on the left channel
        # only, 20 dB below both channels together (but not below the left one).
        m = np.zeros_like(s)
        m[:, 0] = rng.standard_normal(len(s))
        m[:, 0] -= (np.dot(m[:, 0], s[:, 0]) / np.dot(s[:, 0], s[:, 0])) * s[:, 0]
        m *= np.sqrt(np.sum(s * s) / np.sum(m * m)) / 10
        self.assertAlmostEqual(score.si_sdr(s + m, s), 20.0, places=9)

    def test_silence(self):
        s = tone(440)
        self.assertEqual(score.si_sdr(np.zeros_like(s), s), float("-inf"))
        self.assertEqual(score.floored(score.si_sdr(np.zeros_like(s), s)), score.FLOOR_DB)
        with self.assertRaises(ValueError):
            score.si_sdr(s, np.zeros_like(s))

    def test_two_equal_orthogonal_stems_give_a_0_db_baseline(self):
        a, b = tone(440), tone(660)  # whole periods in one second: orthogonal
        self.assertAlmostEqual(score.si_sdr(a + b, a), 0.0, places=6)


class Runs(unittest.TestCase):
    """score.score over files, as quality.py calls it."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.mat = os.path.join(self.tmp.name, "material")
        self.parts = os.path.join(self.tmp.name, "parts")
        os.makedirs(os.path.join(self.mat, "stems"))
        os.makedirs(self.parts)
        self.use_stems(tone(220, pan=0.3), tone(1760, amp=4000, pan=0.7))

    def use_stems(self, low, high):
        self.low, self.high = low, high
        write(os.path.join(self.mat, "stems", "low.wav"), self.low)
        write(os.path.join(self.mat, "stems", "high.wav"), self.high)
        self.mix = np.rint(self.low) + np.rint(self.high)
        write(os.path.join(self.mat, "mixture.wav"), self.mix)

    def tearDown(self):
        self.tmp.cleanup()

    def rows(self, result):
        return {r["stem"]: r for r in result["stems"]}

    def test_parts_that_are_the_stems_are_found_exactly(self):
        # Part_001 is the high stem on the left channel only, Part_002 the
        # rest of it; Part_003 the low stem; a silent Total_Diff; mix.wav
        # (every part summed) must not be taken for a part.
        left = self.high.copy()
        left[:, 1] = 0
        write(os.path.join(self.parts, "Part_001.wav"), left)
        write(os.path.join(self.parts, "Part_002.wav"), self.high - left)
        write(os.path.join(self.parts, "Part_003.wav"), self.low)
        write(os.path.join(self.parts, "Total_Diff.wav"), np.zeros_like(self.low))
        write(os.path.join(self.parts, "mix.wav"), self.mix)
        r = score.score(self.mat, self.parts, oracle=True)
        self.assertEqual(r["assignment"], {"Part_001": "high", "Part_002": "high", "Part_003": "low"})
        self.assertEqual(r["parts"], 4)
        rows = self.rows(r)
        for name, stem in (("low", self.low), ("high", self.high)):
            self.assertEqual(rows[name]["si_sdr"], float("inf"))
            self.assertFalse(rows[name]["missed"])
            self.assertAlmostEqual(rows[name]["baseline"], score.si_sdr(self.mix, score.read_wav(
                os.path.join(self.mat, "stems", name + ".wav"))), places=12)
        # The louder stem stands above the mixture, the quieter below it.
        self.assertGreater(rows["low"]["baseline"], 5)
        self.assertLess(rows["high"]["baseline"], -5)
        # Three octaves apart: an ideal mask separates them almost perfectly.
        self.assertGreater(rows["low"]["oracle"], 25)
        self.assertGreater(rows["high"]["oracle"], 25)
        self.assertEqual(r["missed"], 0)

    def test_one_part_holding_everything_leaves_a_stem_missed(self):
        write(os.path.join(self.parts, "Part_001.wav"), self.mix)
        write(os.path.join(self.parts, "Total_Diff.wav"), np.zeros_like(self.mix))
        r = score.score(self.mat, self.parts)
        rows = self.rows(r)
        # The mixture goes to the louder stem: its estimate is the mixture.
        self.assertEqual(rows["low"]["parts"], ["Part_001"])
        self.assertAlmostEqual(rows["low"]["si_sdri"], 0.0, places=12)
        self.assertTrue(rows["high"]["missed"])
        self.assertEqual(rows["high"]["si_sdr"], score.FLOOR_DB)
        self.assertAlmostEqual(rows["high"]["si_sdri"], score.FLOOR_DB - rows["high"]["baseline"], places=12)
        self.assertEqual(r["missed"], 1)
        self.assertAlmostEqual(r["mean_si_sdri"], (score.FLOOR_DB - rows["high"]["baseline"]) / 2, places=12)

    def test_a_part_of_another_length_is_refused(self):
        write(os.path.join(self.parts, "Part_001.wav"), self.mix[:-1])
        with self.assertRaises(ValueError):
            score.score(self.mat, self.parts)

    @unittest.skipIf(__import__("importlib").util.find_spec("mir_eval") is None, "mir_eval is not installed")
    def test_bss_eval_of_exact_estimates_and_of_a_missed_stem(self):
        # Noise, not tones: the delayed copies of a sine span two dimensions only.
        rng = np.random.default_rng(3)
        self.use_stems(2000 * rng.standard_normal((RATE // 2, 2)), 1000 * rng.standard_normal((RATE // 2, 2)))
        write(os.path.join(self.parts, "Part_001.wav"), self.low)
        write(os.path.join(self.parts, "Part_002.wav"), self.high)
        rows = self.rows(score.score(self.mat, self.parts, bss=True))
        for name in ("low", "high"):
            sdr, sir, sar = rows[name]["bss"]
            self.assertGreater(sdr, 60)
            self.assertGreater(sir, 60)
        # The mixture as the estimate: the other stem is the distortion, 6 dB
        # below the louder stem and 6 dB above the quieter one (less the
        # 512 / 22050 of it that the distortion filter counts as the target).
        self.assertAlmostEqual(rows["low"]["bss_mixture_sdr"], 6.02, delta=0.3)
        self.assertAlmostEqual(rows["high"]["bss_mixture_sdr"], -6.02, delta=0.7)
        os.remove(os.path.join(self.parts, "Part_002.wav"))
        rows = self.rows(score.score(self.mat, self.parts, bss=True))
        self.assertIsNone(rows["high"]["bss"])
        self.assertGreater(rows["low"]["bss"][0], 60)


class OracleMask(unittest.TestCase):
    def test_the_transform_pair_gives_the_signal_back(self):
        rng = np.random.default_rng(2)
        x = rng.standard_normal(5000)
        self.assertLess(np.max(np.abs(score.istft(score.stft(x), len(x)) - x)), 1e-9)

    def test_a_lone_stem_beside_silence_is_the_whole_mixture(self):
        s = tone(440, seconds=0.5)
        est = score.oracle_irm(s, {"a": s, "b": np.zeros_like(s)})
        self.assertLess(np.max(np.abs(est["a"] - s)), 1e-6)
        self.assertEqual(np.max(np.abs(est["b"])), 0)


if __name__ == "__main__":
    unittest.main()
