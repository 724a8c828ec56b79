"""The separation quality measurement: renders the material (material.py),
runs `tonewarp-cli extract` on every mixture, scores the parts against the
stems (score.py) and prints the tables.

    quality.py --cli TONEWARP_CLI --work DIR [--jobs 2] [--plot PNG] [--no-sweep]

1. Every piece at the default settings (part_max 8, min_vol 5000,
   sim_snd 3000): SI-SDR, SI-SDRi, BSS Eval and the ideal-ratio-mask oracle.
2. The sweep: part_max x sim_snd x min_vol on pieces (b) and (c), the mean
   SI-SDRi of each setting, and a plot of it against sim_snd.

Written into DIR: material/ (stems and mixtures), default/<piece>/parts/
(the parts of the default runs, kept to listen to), quality_table.md (every
table), summary.md (the short form), sweep.csv and the plot. Runs go JOBS at
a time, each in its own folder (tonewarp-cli keeps its settings file in the
current directory).
"""

import argparse
import concurrent.futures
import datetime
import hashlib
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import numpy as np  # noqa: E402

import material  # noqa: E402
import score  # noqa: E402

DEFAULTS = (8, 5000, 3000)  # part_max, min_vol, sim_snd
PART_MAX = (4, 8, 16, 32)
SIM_SND = (1000, 2000, 3000, 5000, 10000)
MIN_VOL = (2000, 5000, 20000)
SWEPT = ("b", "c")


def extract(cli, mixture, run_dir, setting):
    part_max, min_vol, sim_snd = setting
    shutil.rmtree(run_dir, ignore_errors=True)
    os.makedirs(run_dir)
    cmd = [cli, "extract", mixture, "--out", "parts", "--part-max", str(part_max),
           "--min-vol", str(min_vol), "--sim-snd", str(sim_snd)]
    r = subprocess.run(cmd, cwd=run_dir, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError("%s: status %d\n%s%s" % (" ".join(cmd), r.returncode, r.stdout, r.stderr))
    return os.path.join(run_dir, "parts")


def default_job(cli, mat_dir, run_dir):
    parts_dir = extract(cli, os.path.join(mat_dir, "mixture.wav"), run_dir, DEFAULTS)
    result = score.score(mat_dir, parts_dir, bss=True, oracle=True)
    # How exactly the parts add up to the mixture (the engine's own promise).
    mixture = score.read_wav(os.path.join(mat_dir, "mixture.wav"))
    total = sum(score.read_parts(parts_dir).values())
    result["rebuild_db"] = score.si_sdr(total, mixture)
    return result


def sweep_job(cli, mat_dir, run_dir, setting):
    parts_dir = extract(cli, os.path.join(mat_dir, "mixture.wav"), run_dir, setting)
    result = score.score(mat_dir, parts_dir)
    shutil.rmtree(run_dir)  # up to 32 parts of half a minute each: not kept
    return result


def db(v):
    if v == float("inf"):
        return "inf"
    return "%.2f" % v


def describe_commit():
    """The commit of the source tree, and any uncommitted change to the
    sources tonewarp-cli is built from (named by the digest of the diff)."""
    def git(*a):
        return subprocess.run(["git", "-C", HERE] + list(a), capture_output=True, check=True).stdout
    try:
        head = git("rev-parse", "--short=12", "HEAD").decode().strip()
        diff = git("diff", "HEAD", "--", ":/engine", ":/cli", ":/document", ":/app", ":/platform",
                   ":/CMakeLists.txt", ":/cmake")
    except (OSError, subprocess.CalledProcessError):
        return "(not a git checkout)"
    if not diff:
        return head
    changed = sorted({line.split(b" b/", 1)[1].split(b"/")[0].decode()
                      for line in diff.splitlines() if line.startswith(b"diff --git ")})
    return "%s with uncommitted changes to %s (diff digest %s)" % (
        head, ", ".join(changed), hashlib.sha256(diff).hexdigest()[:12])


def default_table(infos, results):
    lines = ["| piece | stem | parts given to it | mixture SI-SDR | estimate SI-SDR | SI-SDRi "
             "| mixture SDR | SDR | SIR | SAR | IRM oracle SI-SDR | oracle SI-SDRi |",
             "|---|---|---|---|---|---|---|---|---|---|---|---|"]
    for info in infos:
        r = results[info["key"]]
        for row in r["stems"]:
            b = row["bss"] or ("-", "-", "-")
            lines.append("| (%s) %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |" % (
                info["key"], info["name"], row["stem"],
                " ".join(p.replace("Part_", "P").replace("Total_Diff", "TD") for p in row["parts"]) or "none",
                db(row["baseline"]), "missed" if row["missed"] else db(row["si_sdr"]), db(row["si_sdri"]),
                db(row["bss_mixture_sdr"]),
                *(x if isinstance(x, str) else db(x) for x in b), db(row["oracle"]), db(row["oracle_i"])))
    lines.append("")
    lines.append("| piece | parts (Total_Diff. included) | mean SI-SDRi | mean oracle SI-SDRi "
                 "| stems missed | parts summed against the mixture (SI-SDR) |")
    lines.append("|---|---|---|---|---|---|")
    for info in infos:
        r = results[info["key"]]
        lines.append("| (%s) %s | %d | %s | %s | %d | %s |" % (
            info["key"], info["name"], r["parts"], db(r["mean_si_sdri"]),
            db(float(np.mean([row["oracle_i"] for row in r["stems"]]))), r["missed"], db(r["rebuild_db"])))
    return lines


def sweep_table(key, sweep):
    lines = ["| part_max | min_vol | " + " | ".join("sim_snd %d" % s for s in SIM_SND) + " |",
             "|---|---|" + "---|" * len(SIM_SND)]
    for pm in PART_MAX:
        for mv in MIN_VOL:
            cells = []
            for ss in SIM_SND:
                r = sweep[(key, (pm, mv, ss))]
                cell = db(r["mean_si_sdri"])
                if r["missed"]:
                    cell += " (%d missed)" % r["missed"]
                if (pm, mv, ss) == DEFAULTS:
                    cell = "**%s**" % cell
                cells.append(cell)
            lines.append("| %d | %d | %s |" % (pm, mv, " | ".join(cells)))
    return lines


def best_settings(key, sweep):
    """The best mean SI-SDRi and every setting that reaches it."""
    scored = [(r["mean_si_sdri"], setting) for (k, setting), r in sweep.items() if k == key]
    top = max(v for v, _ in scored)
    return top, sorted(s for v, s in scored if v == top)


def stem_line(r):
    return ", ".join("%s %s (SI-SDRi %s)" % (row["stem"], "missed" if row["missed"] else db(row["si_sdr"]),
                                             db(row["si_sdri"])) for row in r["stems"])


def plot(sweep, infos, path):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    names = {i["key"]: "(%s) %s" % (i["key"], i["name"]) for i in infos}
    fig, axes = plt.subplots(len(SWEPT), len(MIN_VOL), figsize=(13, 7.5), sharex=True, sharey=True)
    for row, key in enumerate(SWEPT):
        for col, mv in enumerate(MIN_VOL):
            ax = axes[row][col]
            for pm in PART_MAX:
                ys = [sweep[(key, (pm, mv, ss))]["mean_si_sdri"] for ss in SIM_SND]
                ax.plot(SIM_SND, ys, marker="o", label="part_max %d" % pm)
            if mv == DEFAULTS[1]:
                d = sweep[(key, DEFAULTS)]["mean_si_sdri"]
                ax.plot([DEFAULTS[2]], [d], marker="*", markersize=16, color="black", linestyle="none",
                        label="default setting", zorder=5)
            ax.axhline(0, color="grey", linewidth=0.8)
            ax.set_xscale("log")
            ax.set_xticks(SIM_SND)
            ax.set_xticklabels([str(s) for s in SIM_SND])
            ax.minorticks_off()
            ax.grid(True, alpha=0.3)
            ax.set_title("%s, min_vol %d" % (names[key], mv), fontsize=10)
            if row == len(SWEPT) - 1:
                ax.set_xlabel("sim_snd_prm")
            if col == 0:
                ax.set_ylabel("mean SI-SDRi over the stems (dB)")
    axes[0][0].legend(fontsize=8, loc="lower left")
    fig.suptitle("Tone_Warp Extractor: mean SI-SDRi against sim_snd_prm, one line per part_max (star: the "
                 "default setting; a missed stem counts at the %.0f dB floor)" % score.FLOOR_DB, fontsize=11)
    fig.tight_layout()
    fig.savefig(path, dpi=90)
    plt.close(fig)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--cli", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--plot")
    ap.add_argument("--no-sweep", action="store_true")
    args = ap.parse_args()
    cli = os.path.abspath(args.cli)
    work = os.path.abspath(args.work)
    plot_path = os.path.abspath(args.plot or os.path.join(work, "quality_sweep.png"))
    t0 = time.time()
    commit = describe_commit()  # the tree as tonewarp-cli was just built from it
    infos = material.make_all(os.path.join(work, "material"))
    t_material = time.time() - t0
    mats = {i["key"]: os.path.join(work, "material", "%s_%s" % (i["key"], i["name"])) for i in infos}

    results, sweep = {}, {}
    with concurrent.futures.ProcessPoolExecutor(max_workers=args.jobs) as pool:
        futures = {}
        # The slowest jobs first (BSS Eval of the four-voice piece), so the
        # short sweep runs fill the gaps.
        for info in sorted(infos, key=lambda i: -len(i["stems"])):
            k = info["key"]
            futures[pool.submit(default_job, cli, mats[k], os.path.join(work, "default", os.path.basename(mats[k])))] = \
                ("default", k, None)
        if not args.no_sweep:
            for k in SWEPT:
                for pm in PART_MAX:
                    for ss in SIM_SND:
                        for mv in MIN_VOL:
                            run_dir = os.path.join(work, "sweep", "%s_%d_%d_%d" % (k, pm, mv, ss))
                            futures[pool.submit(sweep_job, cli, mats[k], run_dir, (pm, mv, ss))] = \
                                ("sweep", k, (pm, mv, ss))
        done = 0
        for f in concurrent.futures.as_completed(futures):
            kind, k, setting = futures[f]
            r = f.result()
            if kind == "default":
                results[k] = r
            else:
                sweep[(k, setting)] = r
            done += 1
            if sys.stderr.isatty():
                print("\r%d of %d runs scored" % (done, len(futures)), end="", file=sys.stderr, flush=True)
        if sys.stderr.isatty():
            print(file=sys.stderr)

    now = datetime.datetime.now().strftime("%Y-%m-%d %H:%M")
    renderer = infos[0]["renderer"]
    voice = next((i["voice_renderer"] for i in infos if i.get("voice_renderer")), "-")
    head = ["Separation quality of tonewarp-cli extract, measured %s, commit %s." % (now, commit),
            "Material: instruments rendered by %s, the voice by %s (%.0f s to render or reuse)." % (
                renderer, voice, t_material),
            "SI-SDR on both channels; a stem's estimate is the sum of the parts that correlate with it most; "
            "SI-SDR floored at %.0f dB (a missed stem: none of its parts). BSS Eval (mir_eval "
            "bss_eval_sources) on the mono downmix." % score.FLOOR_DB, ""]
    pieces = ["Pieces:"] + ["- (%s) %s, %d s: %s" % (i["key"], i["name"], i["seconds"], i["about"]) for i in infos]
    out = head + pieces + ["", "### The default settings (part_max %d, min_vol %d, sim_snd %d), figures in dB"
                           % DEFAULTS, ""]
    out += ["Parts: P001 is Part_001.wav and so on, TD Total_Diff.wav. SDR, SIR, SAR: BSS Eval of the "
            "estimates; mixture SDR: of the mixture itself, the baseline of SDR.", ""]
    out += default_table(infos, results)
    summary = head + ["Default settings (part_max %d, min_vol %d, sim_snd %d): mean SI-SDRi per piece" % DEFAULTS]
    summary += ["- (%s) %s: %s dB, %s" % (i["key"], i["name"], db(results[i["key"]]["mean_si_sdri"]),
                                          stem_line(results[i["key"]])) for i in infos]
    if not args.no_sweep:
        plot(sweep, infos, plot_path)
        for k in SWEPT:
            name = next(i["name"] for i in infos if i["key"] == k)
            out += ["", "### Sweep on (%s) %s: mean SI-SDRi in dB (bold: the default setting)" % (k, name), ""]
            out += sweep_table(k, sweep)
        out += ["", "### Best settings of the sweep", ""]
        summary += ["", "Best settings of the sweep (part_max, min_vol, sim_snd):"]
        both = {s: np.mean([sweep[(k, s)]["mean_si_sdri"] for k in SWEPT])
                for (k0, s) in sweep if k0 == SWEPT[0]}
        for k in SWEPT:
            top, settings = best_settings(k, sweep)
            line = "- (%s): %s dB at %s%s; %s" % (
                k, db(top), ", ".join("(%d, %d, %d)" % s for s in settings[:4]),
                " and %d more" % (len(settings) - 4) if len(settings) > 4 else "",
                stem_line(sweep[(k, settings[0])]))
            out.append(line)
            summary.append(line)
        s_both = max(both, key=both.get)
        line = "- both pieces together: %s dB mean at (%d, %d, %d); the default setting %s dB" % (
            db(both[s_both]), *s_both, db(both[DEFAULTS]))
        out += [line, "", "Plot: %s" % plot_path]
        summary += [line, "", "Plot: %s" % plot_path]
    elapsed = time.time() - t0
    out += ["", "Measured in %.0f s (%d jobs at a time)." % (elapsed, args.jobs)]
    with open(os.path.join(work, "quality_table.md"), "w") as f:
        f.write("\n".join(out) + "\n")
    with open(os.path.join(work, "summary.md"), "w") as f:
        f.write("\n".join(summary) + "\n")
    if not args.no_sweep:
        with open(os.path.join(work, "sweep.csv"), "w") as f:
            f.write("piece,part_max,min_vol,sim_snd,mean_si_sdri,missed,parts,stem_si_sdri\n")
            for (k, s), r in sorted(sweep.items()):
                f.write("%s,%d,%d,%d,%.4f,%d,%d,%s\n" % (k, *s, r["mean_si_sdri"], r["missed"], r["parts"],
                                                          " ".join("%s:%.4f" % (row["stem"], row["si_sdri"])
                                                                   for row in r["stems"])))
    print("\n".join(out))


if __name__ == "__main__":
    main()
