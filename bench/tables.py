#!/usr/bin/env python3
"""Prints the desktop viewer's benchmark tables in Markdown, from what
scripts/bench.sh leaves in each variant's build folder: frame_bench's
results (bench/results/*.json) and frame_report's summary
(bench/frame-report/summary.json).

Usage: tables.py FOLDER...   one build folder a variant, the 8-bit first
"""
import glob
import json
import sys

# frame_bench's benchmarks: what each is, and its lower bound, how many
# times over, where it has one.
ROWS = [
    ("draw_grid_issue", "`draw_grid`, issue only (what the `FPS:` line measures)",
     "bare_loop_issue", 1),
    ("bare_loop_issue", "bare loop: the same 72 binds and 72 quads, from an array", None, 1),
    ("one_texture_one_begin_issue", "one texture bound once, 72 quads in one `glBegin`/`glEnd`",
     "bare_loop_issue", 1),
    ("one_texture_vertex_array_issue", "one texture bound once, one `glDrawArrays`",
     "bare_loop_issue", 1),
    ("draw_grid_finished", "`draw_grid` then `glFinish`", "bare_loop_finished", 1),
    ("bare_loop_finished", "bare loop then `glFinish`", None, 1),
    ("one_texture_vertex_array_finished", "one `glDrawArrays` then `glFinish`",
     "bare_loop_finished", 1),
    ("load_textures_whole", "`load_textures`: 72 textures made, each file read and uploaded", None, 1),
    ("reads_72", "the 72 reads of the file alone", None, 1),
    ("uploads_72", "72 textures made and uploaded alone, packing included", "one_upload", 72),
    ("one_upload", "one upload of the same 196,608 bytes into a texture", None, 1),
    ("pack", "`pack_rgb4` of 196,608 bytes", "copy", 1),
    ("copy", "`memcpy` of the same bytes", None, 1),
]


def ratio(value):
    return f"{value:.2f}" if value >= 0.05 else f"{value:.2g}"


def duration(seconds):
    for unit, scale in (("s", 1), ("ms", 1e-3), ("µs", 1e-6)):
        if seconds >= scale:
            return f"{seconds / scale:.3g} {unit}"
    return f"{seconds / 1e-9:.3g} ns"


def medians(folder):
    """Each benchmark's median in seconds, and the context of the runs."""
    found, context = {}, {}
    for path in sorted(glob.glob(f"{folder}/bench/results/*.json")):
        with open(path) as file:
            run = json.load(file)
        context = run["context"]
        scale = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1}
        for result in run["benchmarks"]:
            if result.get("aggregate_name") == "median":
                name = result["run_name"].removesuffix("/manual_time")
                found[name] = result["real_time"] * scale[result["time_unit"]]
                context["repetitions"] = result["repetitions"]
    return found, context


def main():
    folders = sys.argv[1:]
    runs = [medians(folder) for folder in folders]
    reports = []
    for folder in folders:
        with open(f"{folder}/bench/frame-report/summary.json") as file:
            reports.append(json.load(file))
    variants = [context["variant"] for _, context in runs]
    head = "| What | " + " | ".join(variants) + " | ratio to its lower bound |"
    rule = "|---" * (len(variants) + 2) + "|"
    print(f"{runs[0][1]['renderer']}; medians of {runs[0][1]['repetitions']} repetitions.\n")
    print("### In a headless context\n")
    print(head)
    print(rule)
    for name, what, beside, times_over in ROWS:
        times = [duration(found[name]) for found, _ in runs]
        ratios = [ratio(found[name] / (times_over * found[beside])) for found, _ in runs] if beside else []
        print(f"| {what} | " + " | ".join(times) + " | " + " / ".join(ratios) + " |")
    print("\n### The real viewer on the display\n")
    print("| What | " + " | ".join(variants) + " |")
    print("|---" * (len(variants) + 1) + "|")
    for what, figure in [
        (f"issue time of {reports[0]['presses']} key presses: median (ms)",
         lambda r: f"{r['issue_ms']['median']:.3f}"),
        ("issue time: p1 / p99 (ms)", lambda r: f"{r['issue_ms']['p1']:.3f} / {r['issue_ms']['p99']:.3f}"),
        ("frames drawn a second of wall clock", lambda r: f"{r['frames_per_second']:.0f}"),
        ("start-up to the first frame (ms)", lambda r: f"{r['startup_s'] * 1000:.0f}"),
        ("the same for a bare window making the same uploads (ms)",
         lambda r: f"{r['bare_startup_s'] * 1000:.0f}"),
        ("ratio of the two", lambda r: f"{r['startup_s'] / r['bare_startup_s']:.2f}"),
    ]:
        print(f"| {what} | " + " | ".join(figure(report) for report in reports) + " |")


if __name__ == "__main__":
    main()
