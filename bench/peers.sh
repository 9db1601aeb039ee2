#!/usr/bin/env bash
# Times our effects benchmarks and the closest ImageMagick 6, GraphicsMagick,
# libvips, Pillow and OpenCV equivalents on the same photo image in the same
# run, and prints ours/theirs per operation. Peers run single-threaded; ours
# are shown single-threaded and on every core.
#
#   bench/peers.sh [SIZE] [BENCH...]
#     SIZE   0 for 4608 x 2608 (default), 1 for 1237 x 811
#     BENCH  benchmark programs to run (default: every bench/effects_*_bench)
#   FV_PEERS_BUILD names the build folder (default build/peers); FV_PEERS_FILTER,
#   a regular expression, keeps only the operations whose names it matches.
#
# Needs imagemagick, graphicsmagick, libvips-tools, python3-pil, python3-opencv
# (installed here with apt-get when missing). Not part of ./test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
size="${1:-0}"
shift || true

need=()
for p in imagemagick graphicsmagick libvips-tools python3-pil python3-opencv python3-numpy; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build="${FV_PEERS_BUILD:-build/peers}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DFV_SANITIZE=OFF -DFV_TESTS=OFF -DFV_APP=OFF \
  -DFV_BENCH=ON >/dev/null
if [ $# -eq 0 ]; then
  targets=$(cd bench && ls effects_*_bench.cpp | sed 's/\.cpp$//')
else
  targets="$*"
fi
# shellcheck disable=SC2086
cmake --build "$build" --target $targets >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for t in $targets; do
  FV_BENCH_IMAGE_DIR="$work" "$build/bench/$t" --benchmark_filter="^(${FV_PEERS_FILTER:-.*}).*/size:$size/" \
    --benchmark_format=json --benchmark_out="$work/$t.json" >/dev/null
done

/usr/bin/python3 - "$work" "$size" <<'PY'
import glob, json, os, subprocess, sys, time

import cv2
import numpy as np
from PIL import Image, ImageOps

work, size = sys.argv[1], int(sys.argv[2])
ppm = glob.glob(os.path.join(work, "photo-*.ppm"))[0]
W, H = Image.open(ppm).size
cv2.setNumThreads(1)
env1 = dict(os.environ, OMP_NUM_THREADS="1", VIPS_CONCURRENCY="1", MAGICK_THREAD_LIMIT="1")

# Our figures: real time in ms per benchmark name and thread count.
ours = {}
for path in glob.glob(os.path.join(work, "*.json")):
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") == "aggregate":
            continue
        parts = b["run_name"].split("/")
        threads = next(p for p in parts if p.startswith("threads:")).split(":")[1]
        ours[(parts[0], threads)] = b["real_time"]

def best(f, n=5):
    times = []
    for _ in range(n):
        t = time.perf_counter()
        f()
        times.append((time.perf_counter() - t) * 1000)
    return min(times)

def measured(ms):
    """A difference lost in the noise of starting processes is no figure."""
    return ms if ms > 0.05 else None

def run_cli(cmd):
    return best(lambda: subprocess.run(cmd, env=env1, check=True, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL), 3)

def chained(tool):
    """Per-operation time of a magick tool: the operation five times in one
    command against once, so that start-up, loading and storing cancel out."""
    def time_op(args):
        return measured((run_cli(tool(args * 5)) - run_cli(tool(args))) / 4)
    return time_op

def subtracted(cmd_for, baseline):
    """A command line minus the same tool's load-and-store baseline."""
    def time_op(args):
        return measured(run_cli(cmd_for(args)) - run_cli(baseline))
    return time_op

mpc = os.path.join(work, "in.mpc")
subprocess.run(["/usr/bin/convert", ppm, mpc], check=True)
vin = os.path.join(work, "in.v")
vout = os.path.join(work, "out.v")
subprocess.run(["vips", "copy", ppm, vin], check=True)
miff = os.path.join(work, "in.miff")
subprocess.run(["gm", "convert", ppm, miff], check=True)

im = chained(lambda a: ["/usr/bin/convert", mpc, "-limit", "thread", "1"] + a + ["null:"])
gm = chained(lambda a: ["gm", "convert", "-limit", "threads", "1", miff] + a + ["null:"])
vips = subtracted(lambda a: ["vips"] + [vin if x == "IN" else vout if x == "OUT" else x for x in a],
                  ["vips", "copy", vin, vout])
# A size-changing or idempotent operation cannot be chained (ImageMagick skips
# a conversion to grey of a grey image).
im_once = subtracted(lambda a: ["/usr/bin/convert", mpc, "-limit", "thread", "1"] + a + ["null:"],
                     ["/usr/bin/convert", mpc, "-limit", "thread", "1", "null:"])
gm_once = subtracted(lambda a: ["gm", "convert", "-limit", "threads", "1", miff] + a + ["null:"],
                     ["gm", "convert", "-limit", "threads", "1", miff, "null:"])

def matrix_file(name, m):
    path = os.path.join(work, name + ".mat")
    with open(path, "w") as f:
        f.write("3 3\n" + "\n".join(" ".join(str(v) for v in row) for row in m) + "\n")
    return path

sepia = [[0.393, 0.769, 0.189], [0.349, 0.686, 0.168], [0.272, 0.534, 0.131]]
lms = [[0.1724, 0.5007, 0.0576], [0.0213, 0.4060, 0.0611], [0.0, 0.0102, 1.0138]]
sepia_mat = matrix_file("sepia", sepia)
lms_mat = matrix_file("lms", lms)

pil = Image.open(ppm).convert("RGB")
bgr = cv2.imread(ppm)
lut = np.clip(255 * (np.arange(256) / 255) ** (2.2 / 3.0) + 0.5, 0, 255).astype(np.uint8)
lut3 = np.dstack([lut, lut[::-1], lut]).reshape(1, 256, 3)
tw, th = max(1, W * 320 // 4608), max(1, H * 181 // 2608)

def cv_autolevel():
    grey = cv2.cvtColor(bgr, cv2.COLOR_BGR2GRAY)
    hist = cv2.calcHist([grey], [0], None, [256], [0, 256])
    cv2.LUT(bgr, lut)

# Our benchmark name -> the peers' closest equivalents (None: none).
ops = [
    ("Negative", dict(im=["-negate"], gm=["-negate"], vips=["invert", "IN", "OUT"],
                      pil=lambda: ImageOps.invert(pil), cv=lambda: cv2.bitwise_not(bgr))),
    ("Gamma", dict(im=["-gamma", "1.364"], gm=["-gamma", "1.364"], vips=["gamma", "IN", "OUT", "--exponent", "1.364"],
                   pil=lambda: pil.point(list(lut) * 3), cv=lambda: cv2.LUT(bgr, lut))),
    ("GammaRGB", dict(im=["-gamma", "1.364,0.34,0.68"], gm=["-gamma", "1.364,0.34,0.68"], vips=None,
                      pil=lambda: pil.point(list(lut) * 3), cv=lambda: cv2.LUT(bgr, lut3))),
    ("Brightness", dict(im=["-evaluate", "add", "39%"], gm=["-operator", "All", "Add", "39%"],
                        vips=["linear", "IN", "OUT", "1", "100", "--uchar"],
                        pil=lambda: pil.point(lambda v: v + 100), cv=lambda: cv2.LUT(bgr, lut))),
    ("Contrast", dict(im=["-level", "25%,75%"], gm=["-level", "25%,75%"], vips=["linear", "IN", "OUT", "2", "-127.5", "--uchar"],
                      pil=lambda: pil.point(lambda v: 2 * v - 128), cv=lambda: cv2.LUT(bgr, lut))),
    ("ColorBalance", dict(im=["-channel", "R", "-evaluate", "add", "100%", "-channel", "G", "-evaluate", "subtract", "100%", "+channel"],
                          gm=None, vips=["linear", "IN", "OUT", "[1,1,1]", "[255,-255,100]", "--uchar"],
                          pil=lambda: pil.point(list(lut) * 3), cv=lambda: cv2.LUT(bgr, lut3))),
    ("Posterize", dict(im=["+dither", "-posterize", "16"], gm=None, vips=None,
                       pil=lambda: ImageOps.posterize(pil, 4), cv=lambda: cv2.LUT(bgr, lut3))),
    ("Solarization", dict(im=["-solarize", "50%"], gm=["-solarize", "50%"], vips=None,
                          pil=lambda: ImageOps.solarize(pil, 128), cv=lambda: cv2.LUT(bgr, lut))),
    ("SepiaNormal", dict(im=["-sepia-tone", "80%"], gm=None, vips=["recomb", "IN", "OUT", sepia_mat],
                         pil=lambda: pil.convert("RGB", sum(([*r, 0] for r in sepia), [])),
                         cv=lambda: cv2.transform(bgr, np.array(sepia)[::-1, ::-1]))),
    ("GrayscaleNormal", dict(once=True, im=["-colorspace", "Gray"], gm=["-colorspace", "Gray"], vips=["colourspace", "IN", "OUT", "b-w"],
                             pil=lambda: pil.convert("L"), cv=lambda: cv2.cvtColor(bgr, cv2.COLOR_BGR2GRAY))),
    ("HlsCorrection", dict(im=["-modulate", "200,200,150"], gm=["-modulate", "200,200,150"], vips=None, pil=None, cv=None)),
    ("LmsCorrection", dict(im=["-color-matrix", " ".join(str(v) for r in lms for v in r)], gm=None,
                           vips=["recomb", "IN", "OUT", lms_mat],
                           pil=lambda: pil.convert("RGB", sum(([*r, 0] for r in lms), [])),
                           cv=lambda: cv2.transform(bgr, np.array(lms)[::-1, ::-1]))),
    ("AutoLevel", dict(once=True, im=["-normalize"], gm=["-normalize"], vips=None,
                       pil=lambda: ImageOps.autocontrast(pil, cutoff=1.5), cv=cv_autolevel)),
    ("Rotate90Right", dict(im=["-rotate", "90"], gm=["-rotate", "90"], vips=["rot", "IN", "OUT", "d90"],
                           pil=lambda: pil.transpose(Image.Transpose.ROTATE_270),
                           cv=lambda: cv2.rotate(bgr, cv2.ROTATE_90_CLOCKWISE))),
    ("Rotate90Left", dict(im=["-rotate", "-90"], gm=["-rotate", "-90"], vips=["rot", "IN", "OUT", "d270"],
                          pil=lambda: pil.transpose(Image.Transpose.ROTATE_90),
                          cv=lambda: cv2.rotate(bgr, cv2.ROTATE_90_COUNTERCLOCKWISE))),
    ("Rotate180", dict(im=["-rotate", "180"], gm=["-rotate", "180"], vips=["rot", "IN", "OUT", "d180"],
                       pil=lambda: pil.transpose(Image.Transpose.ROTATE_180), cv=lambda: cv2.rotate(bgr, cv2.ROTATE_180))),
    ("FlipVertical", dict(im=["-flip"], gm=["-flip"], vips=["flip", "IN", "OUT", "vertical"],
                          pil=lambda: pil.transpose(Image.Transpose.FLIP_TOP_BOTTOM), cv=lambda: cv2.flip(bgr, 0))),
    ("FlipHorizontal", dict(im=["-flop"], gm=["-flop"], vips=["flip", "IN", "OUT", "horizontal"],
                            pil=lambda: pil.transpose(Image.Transpose.FLIP_LEFT_RIGHT), cv=lambda: cv2.flip(bgr, 1))),
    ("Thumbnail", dict(once=True, im=["-sample", f"{tw}x{th}!"], gm=["-sample", f"{tw}x{th}!"], vips=["resize", "IN", "OUT", str(tw / W), "--kernel", "nearest"],
                       pil=lambda: pil.resize((tw, th), Image.Resampling.NEAREST),
                       cv=lambda: cv2.resize(bgr, (tw, th), interpolation=cv2.INTER_NEAREST))),
]
# A bitmap that shares its pixels copies them at the first write; every peer
# here makes a new image anyway, so the peers are those of the operation.
shared = {"AssignNegative": "Negative", "AssignFlipVertical": "FlipVertical", "AssignRotate90Right": "Rotate90Right"}
ops += [(name, dict(ops)[plain]) for name, plain in shared.items()]
# Other benchmark programs add their operations from bench/peers_*.py.
for extra in sorted(glob.glob(os.path.join(os.environ.get("FV_PEERS_DIR", "bench"), "peers_*.py"))):
    exec(open(extra).read())

def fmt(v):
    return "-" if v is None else f"{v:.1f}"

def ratio(a, b):
    return "-" if a is None or b is None else f"{a / b:.2f}"

# Figures hold for one processor only; name it beside them.
cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")), "unknown")
print(f"Processor: {cpu}, {os.cpu_count()} logical cores")
print(f"{W} x {H}, milliseconds (peers single-threaded, best of several runs; ImageMagick and")
print("GraphicsMagick per operation from chained runs, libvips command line minus a plain copy)")
cols = ["operation", "ours 1T", "ours all", "IM6", "GM", "vips", "Pillow", "OpenCV", "ours/best", "ours/OpenCV"]
print("| " + " | ".join(cols) + " |")
print("|" + "---|" * len(cols))
for name, peer in ops:
    if (name, "1") not in ours:
        continue
    row = {}
    once = peer.get("once", False)
    for key, runner in (("im", im_once if once else im), ("gm", gm_once if once else gm), ("vips", vips)):
        args = peer.get(key)
        try:
            row[key] = runner(args) if args else None
        except subprocess.CalledProcessError:
            row[key] = None
    for key in ("pil", "cv"):
        f = peer.get(key)
        row[key] = best(f) if f else None
    one, every = ours.get((name, "1")), ours.get((name, "0"))
    others = [v for v in (row["im"], row["gm"], row["vips"], row["pil"]) if v is not None]
    print("| " + " | ".join([name, fmt(one), fmt(every), fmt(row["im"]), fmt(row["gm"]), fmt(row["vips"]),
                             fmt(row["pil"]), fmt(row["cv"]), ratio(one, min(others) if others else None),
                             ratio(one, row["cv"])]) + " |")
PY
