#!/usr/bin/env python3
"""PrintScreen latency of the real program under Wine, beside scrot (not part of the test
command: it prints figures and never fails on a slow machine).

In one run, round by round in a shuffled order, it measures:
  - for each format (bmp, jpg, png, gif, tiff): an injected PrintScreen until the finished file
    appears on disk (the program writes <name>.vellum-part and renames it when complete; the
    rename is seen by inotify as IN_MOVED_TO on the Unix folder);
  - scrot's whole process (`scrot -o file.png` on the same X screen) until it exits;
  - an injected key nothing listens to (F24), the baseline of the injection itself;
and, alternating BMP and PNG, continuous capture at interval 1 ms: finished files per second
over a few seconds, while `vellum_driver answers` times the main window's WM_NULL round trips.

The screen shows a busy picture of text and a photograph first (drawn here with PIL and set as
the X root window's background with ImageMagick's `display`), so that the encoders have work;
the files written are compared with the screen at the end.

Injection: `vellum_driver key snapshot` is a Wine process, and starting one takes tens to
hundreds of milliseconds. The driver writes its {"sent": true} line right after SendInput
returns, straight to its stdout pipe; the line's arrival is the time the key was injected,
and the latency is counted from there ("from key"). The time from the driver's start to that line is printed
apart ("driver start"), as is the whole time from the start ("from spawn"), and the same for
the baseline key: under load a Wine process's start varies by hundreds of milliseconds from one
run to the next, so subtracting a baseline's median from "from spawn" would leave mostly noise.
The program's keyboard hook runs on a thread of its own and only posts to the window, so
SendInput is not held up by the capture; between the key-down and the line lies only the
key-up's SendInput (a round trip to that hook thread), which this count leaves out.

    (source scripts/wine-env.sh; export VELLUM_XVFB=1; vellum_env_up tests;
     /usr/bin/python3 tools/latency/printscreen_latency.py --rounds 15)

Uses the e2e helpers (tests/e2e/vellum_e2e.py) and the build in $VELLUM_BUILD_ROOT/win."""

import argparse
import ctypes
import json
import math
import os
import random
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))
os.environ.setdefault("VELLUM_BUILD_DIR",
                      str(Path(os.environ.get("VELLUM_BUILD_ROOT", REPO / "build")) / "win"))
os.environ.setdefault("VELLUM_SOURCE_DIR", str(REPO))

from vellum_e2e import (CMB_IMG_TYPE_ID, FORMATS, Driver, E2EError, Program,  # noqa: E402
                        WineEnv, screenshot, wait_until)

CHECK1, TEXT1, COMMAND2 = 1011, 1012, 1022  # continuous box, its interval, capture button
PART_SUFFIX = ".vellum-part"
WIDTH, HEIGHT = 1920, 1080
BASELINE_KEY = "f24"  # no program here listens to it

IN_CREATE, IN_MOVED_TO, IN_CLOSE_WRITE = 0x100, 0x80, 0x8


# ---------------------------------------------------------------------------------------------
# The busy picture

def _noise(rng, size, blur_to):
    """Uniform noise of size `size` scaled up smoothly to `blur_to`: one octave of texture."""
    from PIL import Image

    small = Image.frombytes("L", size, rng.randbytes(size[0] * size[1]))
    return small.resize(blur_to, Image.BICUBIC)


def photo(rng, size):
    """A photograph-like picture: a sky gradient over a hilly landscape of fractal texture,
    with sensor grain, so that it neither compresses like a flat area nor like pure noise."""
    from PIL import Image, ImageChops, ImageDraw, ImageFilter

    w, h = size
    channels = []
    for _ in range(3):
        layer = Image.new("L", size, 128)
        for cells, weight in ((6, 0.5), (24, 0.3), (96, 0.15), (384, 0.12)):
            octave = _noise(rng, (max(2, cells * w // h), cells), size)
            layer = Image.blend(layer, octave, weight)
        channels.append(layer)
    texture = Image.merge("RGB", channels)
    # Sky: a vertical gradient from deep blue to pale haze.
    sky = Image.new("RGB", size)
    draw = ImageDraw.Draw(sky)
    for y in range(h):
        t = y / h
        draw.line([(0, y), (w, y)], fill=(int(40 + 170 * t), int(90 + 130 * t), int(200 + 40 * t)))
    sky = Image.blend(sky, texture, 0.18)  # clouds
    # Ground: greens and browns modulated by the texture, under a ridge line.
    ground = ImageChops.multiply(texture, Image.new("RGB", size, (150, 200, 110)))
    ground = ImageChops.add(ground, Image.new("RGB", size, (30, 25, 10)))
    ridge = _noise(rng, (40, 1), (w, 1)).load()
    mask = Image.new("L", size, 0)
    mdraw = ImageDraw.Draw(mask)
    points = [(x, int(h * 0.35 + (ridge[x, 0] - 128) * h / 600)) for x in range(0, w, 4)]
    mdraw.polygon(points + [(w, h), (0, h)], fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(1.5))
    picture = Image.composite(ground, sky, mask)
    # A sun, some soft shapes (trees) and grain.
    pdraw = ImageDraw.Draw(picture)
    pdraw.ellipse([w * 0.72, h * 0.08, w * 0.72 + 70, h * 0.08 + 70], fill=(255, 244, 214))
    for _ in range(60):
        x, y = rng.randrange(w), rng.randrange(int(h * 0.4), h)
        r = rng.randrange(8, 40)
        shade = (rng.randrange(20, 60), rng.randrange(60, 110), rng.randrange(20, 50))
        pdraw.ellipse([x - r, y - 2 * r, x + r, y], fill=shade)
    picture = picture.filter(ImageFilter.GaussianBlur(0.8))
    grain = Image.merge("RGB", [Image.frombytes("L", size, rng.randbytes(w * h))
                                for _ in range(3)])
    return Image.blend(picture, grain, 0.06)


WORDS = ("screen capture saves the whole display or a region as the next numbered file in the "
         "chosen folder with an optional border a copy on the clipboard and a viewer opened on "
         "it the encoder filters each row deflates the bands and writes the chunks while the "
         "window keeps answering every message").split()
CHINESE = "栖木抓屏精灵保存整个屏幕或选定区域为下一个编号的文件可选边框剪贴板复制并打开查看器"
CODE = [
    "int SaveWorker::Run() {",
    "    while (auto job = queue_.Pop()) {",
    "        const auto started = Clock::now();",
    "        if (!EncodeAndWrite(*job, &error)) ReportFailure(job->name, error);",
    "        Post(job->window, WM_APP + 3, job->number, Elapsed(started));",
    "    }",
    "    return 0;",
    "}",
]


def busy_picture(seed=11):
    """1920x1080: a title bar, a page of text (Latin and Chinese, several sizes), a code pane
    and a photograph with a caption: what a screen being captured usually shows."""
    from PIL import Image, ImageDraw, ImageFont

    rng = random.Random(seed)
    fonts = "/usr/share/fonts/truetype"
    sans = ImageFont.truetype(f"{fonts}/dejavu/DejaVuSans.ttf", 15)
    sans_big = ImageFont.truetype(f"{fonts}/dejavu/DejaVuSans-Bold.ttf", 26)
    serif = ImageFont.truetype(f"{fonts}/dejavu/DejaVuSerif.ttf", 17)
    mono = ImageFont.truetype(f"{fonts}/dejavu/DejaVuSansMono.ttf", 15)
    try:
        chinese = ImageFont.truetype(f"{fonts}/wqy/wqy-microhei.ttc", 18)
    except OSError:
        chinese = sans
    screen = Image.new("RGB", (WIDTH, HEIGHT), (236, 236, 236))
    draw = ImageDraw.Draw(screen)
    # Title bar with a few tabs.
    draw.rectangle([0, 0, WIDTH, 38], fill=(45, 52, 64))
    for i, title in enumerate(["Report.docx", "main_window.cpp", "Photos - Hills", "Inbox (12)"]):
        x = 10 + i * 210
        draw.rectangle([x, 6, x + 200, 38], fill=(70, 80, 96) if i else (236, 236, 236))
        draw.text((x + 12, 12), title, font=sans, fill=(20, 20, 20) if i == 0 else (220, 220, 220))
    # The page of text.
    page = [24, 58, 930, 700]
    draw.rectangle(page, fill=(255, 255, 255), outline=(200, 200, 200))
    draw.text((page[0] + 30, page[1] + 20), "Quarterly notes on capture speed", font=sans_big,
              fill=(30, 30, 30))
    y = page[1] + 70
    while y < page[3] - 30:
        if rng.random() < 0.18:
            line = "".join(rng.choice(CHINESE) for _ in range(rng.randrange(20, 44)))
            draw.text((page[0] + 30, y), line, font=chinese, fill=(40, 40, 40))
            y += 28
            continue
        x = page[0] + 30
        font = serif if rng.random() < 0.6 else sans
        while True:
            word = rng.choice(WORDS)
            width = draw.textlength(word + " ", font=font)
            if x + width > page[2] - 30:
                break
            colour = (20, 60, 160) if rng.random() < 0.05 else (30, 30, 30)
            draw.text((x, y), word, font=font, fill=colour)
            x += width
        y += 24 if rng.random() > 0.12 else 40
    # The code pane.
    pane = [24, 716, 930, 1060]
    draw.rectangle(pane, fill=(30, 33, 40))
    palette = [(198, 120, 221), (97, 175, 239), (152, 195, 121), (229, 192, 123), (171, 178, 191)]
    y = pane[1] + 12
    line_no = 100
    while y < pane[3] - 20:
        draw.text((pane[0] + 10, y), f"{line_no:4d}", font=mono, fill=(90, 96, 110))
        x = pane[0] + 60
        for token in rng.choice(CODE).split(" "):
            token = token or " "
            draw.text((x, y), token, font=mono, fill=rng.choice(palette))
            x += draw.textlength(token + " ", font=mono)
        y += 20
        line_no += 1
    # The photograph and its caption.
    shot = photo(rng, (950, 960))
    screen.paste(shot, (950, 58))
    draw.rectangle([950, 1018, 1900, 1060], fill=(20, 20, 20))
    draw.text((966, 1028), "Hills after the rain, 24 mm, f/8, 1/250 s  —  栖木抓屏精灵", font=chinese,
              fill=(230, 230, 230))
    return screen


def show_on_root(env, picture_path):
    """Sets the picture as the X root window's background, which is what both a Wine
    program's screen grab and scrot see while no window covers it. (`display -window root`
    exits 1 even when it has set the background: the screen is checked by the caller.)"""
    subprocess.run(["/usr/bin/display", "-display", env.display, "-window", "root",
                    str(picture_path)], timeout=60, capture_output=True)


# ---------------------------------------------------------------------------------------------
# Timing

class FolderEvents:
    """inotify on a Unix folder, read on a thread that stamps each event the moment it arrives:
    [(monotonic time, mask, name)]."""

    def __init__(self, folder):
        self.libc = ctypes.CDLL("libc.so.6", use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        wd = self.libc.inotify_add_watch(self.fd, str(folder).encode(),
                                         IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE)
        if wd < 0:
            raise OSError(ctypes.get_errno(), "inotify_add_watch")
        self.events = []
        self.lock = threading.Condition()
        self.stopping = False
        self.thread = threading.Thread(target=self._pump, daemon=True)
        self.thread.start()

    def _pump(self):
        poller = select.poll()
        poller.register(self.fd, select.POLLIN)
        while not self.stopping:
            if not poller.poll(100):
                continue
            stamp = time.monotonic()
            try:
                data = os.read(self.fd, 1 << 16)
            except BlockingIOError:
                continue
            pos, got = 0, []
            while pos < len(data):
                _, mask, _, length = struct.unpack_from("iIII", data, pos)
                name = data[pos + 16:pos + 16 + length].rstrip(b"\0").decode(errors="replace")
                got.append((stamp, mask, name))
                pos += 16 + length
            with self.lock:
                self.events.extend(got)
                self.lock.notify_all()

    def mark(self):
        with self.lock:
            return len(self.events)

    def wait_for(self, start, predicate, timeout):
        """The first event from index `start` on that satisfies predicate(mask, name)."""
        deadline = time.monotonic() + timeout
        with self.lock:
            i = start
            while True:
                while i < len(self.events):
                    if predicate(self.events[i][1], self.events[i][2]):
                        return self.events[i]
                    i += 1
                left = deadline - time.monotonic()
                if left <= 0:
                    return None
                self.lock.wait(left)

    def since(self, start):
        with self.lock:
            return list(self.events[start:])

    def close(self):
        self.stopping = True
        self.thread.join(timeout=2)
        os.close(self.fd)


def injected_key(env, chord):
    """Runs `vellum_driver key CHORD`; returns (spawn, sent, exited) monotonic times, where sent
    is the arrival of the driver's line written right after SendInput returned."""
    argv = [env.wine, str(env.driver_exe), "key", chord]
    spawn = time.monotonic()
    proc = subprocess.Popen(argv, env=env.environ(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    line = proc.stdout.readline()
    sent = time.monotonic()
    # The rest of the output is not needed; the pipe may stay open in a helper of Wine's, so
    # the process's end is waited for, not the pipe's.
    proc.wait(timeout=60)
    exited = time.monotonic()
    proc.stdout.close()
    try:
        ok = json.loads(line).get("sent")
    except ValueError:
        ok = False
    if not ok:
        raise E2EError(f"vellum_driver key {chord} answered {line!r}")
    return spawn, sent, exited


def is_final(ext):
    def predicate(mask, name):
        return bool(mask & IN_MOVED_TO) and name.lower().endswith("." + ext)
    return predicate


def is_part(mask, name):
    return bool(mask & IN_CREATE) and name.endswith(PART_SUFFIX)


class Capturer:
    """The program, hidden, saving PrintScreens into its output folder."""

    def __init__(self, env, driver, root):
        self.env, self.driver = env, driver
        self.program = Program(env, driver, root / "app")
        self.out = self.program.start_with_output(root, "bmp")
        self.format = "bmp"
        self.watch = FolderEvents(self.out)
        self.hide()

    def hide(self):
        if self.program.window()["visible"]:
            self.driver.key("ctrl+f12")
            if not wait_until(lambda: not self.program.window()["visible"], 5):
                raise E2EError("the main window did not hide on Ctrl+F12")

    def show(self):
        if not self.program.window()["visible"]:
            self.driver.key("ctrl+f12")
            if not wait_until(lambda: self.program.window()["visible"], 5):
                raise E2EError("the main window did not show on Ctrl+F12")

    def choose(self, fmt):
        if fmt != self.format:
            self.driver.combo_select(self.program.hwnd, CMB_IMG_TYPE_ID, FORMATS.index(fmt))
            self.format = fmt

    def printscreen(self, fmt, keep):
        """One PrintScreen saved as fmt: the times and the file's size."""
        self.choose(fmt)
        start = self.watch.mark()
        spawn, sent, exited = injected_key(self.env, "snapshot")
        final = self.watch.wait_for(start, is_final(fmt), timeout=60)
        if final is None:
            raise E2EError(f"no .{fmt} file within 60 s of PrintScreen")
        stem = Path(final[2]).stem.lower() + "."
        part = self.watch.wait_for(
            start, lambda m, n: is_part(m, n) and n.lower().startswith(stem), timeout=0)
        path = self.out / final[2]
        size = path.stat().st_size
        if keep is not None:
            shutil.copy2(path, keep / f"vellum.{fmt}")
        path.unlink()
        return {"spawn": spawn, "sent": sent, "exited": exited, "file": final[0],
                "part": part[0] if part else None, "size": size}

    def clear_output(self):
        for p in self.out.iterdir():
            try:
                p.unlink()
            except OSError:
                pass

    def continuous(self, fmt, seconds, warmup=1.0):
        """Continuous capture at interval 1 in fmt: finished files per second over `seconds`
        after `warmup`, and the main window's answers meanwhile."""
        self.show()
        self.choose(fmt)
        if not self.program.control(TEXT1)["shown"]:
            self.driver.click(self.program.hwnd, CHECK1)
            if not wait_until(lambda: self.program.control(TEXT1)["shown"], 5):
                raise E2EError("the interval field did not appear")
        if self.program.control(TEXT1)["text"] != "1":
            self.driver.set_text(self.program.hwnd, TEXT1, "1")
        start = self.watch.mark()
        self.driver.click(self.program.hwnd, COMMAND2)
        if not wait_until(lambda: not self.program.window()["visible"], 5):
            raise E2EError("continuous capture did not hide the window")
        time.sleep(warmup)
        answers = subprocess.Popen(
            [self.env.wine, str(self.env.driver_exe), "answers", str(self.program.hwnd),
             f"--ms={int(seconds * 1000)}"],
            env=self.env.environ(), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        began = time.monotonic()
        time.sleep(seconds)
        ended = time.monotonic()
        line = answers.stdout.readline()
        answers.wait(timeout=60)
        answers.stdout.close()
        self.driver.key("ctrl+f12")
        if not wait_until(lambda: self.program.window()["visible"], 10):
            raise E2EError("Ctrl+F12 did not end continuous capture")
        time.sleep(1.0)  # the saves already taken complete
        finals = [e for e in self.watch.since(start) if is_final(fmt)(e[1], e[2])]
        counted = [e for e in finals if began <= e[0] < ended]
        try:
            answer = json.loads(line)
        except ValueError:
            answer = {}
        self.clear_output()
        return {"rate": len(counted) / (ended - began), "files": len(finals), "answers": answer}

    def close(self):
        self.watch.close()
        try:
            self.show()
            self.program.close(timeout=30)
        except Exception:
            self.program.kill()


def scrot_once(env, path):
    """scrot's whole process writing a PNG of the same screen: (start, end, size)."""
    environ = dict(os.environ, DISPLAY=env.display)
    start = time.monotonic()
    subprocess.run(["scrot", "-o", str(path)], env=environ, check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                   timeout=60)
    end = time.monotonic()
    return start, end, path.stat().st_size


# ---------------------------------------------------------------------------------------------
# Figures

def ms(seconds):
    return seconds * 1000.0


def med(values):
    return statistics.median(values) if values else float("nan")


def describe(values):
    if not values:
        return "      -"
    return f"{med(values):7.1f} {min(values):7.1f} {max(values):7.1f}"


def compare(reference, path):
    """Pixels that differ from the screen, and the PSNR against it (inf when exact)."""
    from PIL import Image, ImageChops, ImageStat

    with Image.open(path) as image:
        image = image.convert("RGB")
    if image.size != reference.size:
        return f"size {image.size[0]}x{image.size[1]}"
    diff = ImageChops.difference(reference, image)
    bbox = diff.getbbox()
    if bbox is None:
        return "exact"
    mask = diff.convert("L").point(lambda v: 255 if v else 0)
    differing = ImageStat.Stat(mask).sum[0] / 255
    histogram = diff.histogram()  # 256 counts per channel of |a - b|
    squares = sum(count * (i % 256) ** 2 for i, count in enumerate(histogram))
    mse = squares / (3 * reference.size[0] * reference.size[1])
    psnr = 10 * math.log10(255 * 255 / mse) if mse else float("inf")
    return f"{int(differing)} px differ, PSNR {psnr:.1f} dB"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=15, help="PrintScreen rounds")
    parser.add_argument("--continuous-seconds", type=float, default=5.0)
    parser.add_argument("--continuous-pairs", type=int, default=3,
                        help="BMP/PNG pairs of continuous capture, spread over the rounds")
    parser.add_argument("--settle", type=float, default=0.4,
                        help="seconds of quiet before each measurement")
    parser.add_argument("--keep", type=Path, help="leave the last file of each kind here")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    env = WineEnv.from_environ()
    if not shutil.which("scrot"):
        print("scrot is missing (apt-get install -y scrot)", file=sys.stderr)
        return 2
    driver = Driver(env)
    root = env.drive_c / "vellum-latency"
    shutil.rmtree(root, ignore_errors=True)
    root.mkdir(parents=True)
    keep = args.keep or Path(tempfile.mkdtemp(prefix="vellum-latency-"))
    keep.mkdir(parents=True, exist_ok=True)
    peer = root / "scrot"  # on the same disk as the program's folder
    peer.mkdir()

    picture = busy_picture()
    picture_path = keep / "busy-screen.png"
    picture.save(picture_path)
    show_on_root(env, picture_path)
    time.sleep(0.5)
    shown = screenshot(env)
    from PIL import ImageChops
    if ImageChops.difference(shown, picture).getbbox() is not None:
        on_screen = "differs from the picture drawn (something covers the root window)"
    else:
        on_screen = "the picture drawn, exactly"

    capturer = Capturer(env, driver, root)
    rng = random.Random(args.seed)
    kinds = FORMATS + ["scrot", "base"]
    results = {k: [] for k in kinds}
    continuous = {"bmp": [], "png": []}
    # The continuous pairs go between rounds, spread evenly, each pair in alternating order.
    pair_after = {round(args.rounds * (i + 1) / (args.continuous_pairs + 1)): i
                  for i in range(args.continuous_pairs)}
    started = time.monotonic()
    try:
        for r in range(args.rounds):
            order = kinds[:]
            rng.shuffle(order)
            for kind in order:
                time.sleep(args.settle)
                if kind == "scrot":
                    s, e, size = scrot_once(env, peer / "scrot.png")
                    results[kind].append({"spawn": s, "sent": s, "exited": e, "file": e,
                                          "part": None, "size": size})
                elif kind == "base":
                    s, sent, e = injected_key(env, BASELINE_KEY)
                    results[kind].append({"spawn": s, "sent": sent, "exited": e})
                else:
                    last = r == args.rounds - 1
                    results[kind].append(capturer.printscreen(kind, keep if last else None))
            print(f"round {r + 1}/{args.rounds} done ({time.monotonic() - started:.0f} s)",
                  file=sys.stderr)
            if r + 1 in pair_after:
                pair = ["bmp", "png"] if pair_after[r + 1] % 2 == 0 else ["png", "bmp"]
                for fmt in pair:
                    time.sleep(args.settle)
                    continuous[fmt].append(capturer.continuous(fmt, args.continuous_seconds))
                capturer.hide()
                capturer.choose("bmp")
    finally:
        capturer.close()
    shutil.copy2(peer / "scrot.png", keep / "scrot.png")

    # -----------------------------------------------------------------------------------------
    base_start = [ms(x["sent"] - x["spawn"]) for x in results["base"]]
    print()
    print(f"PrintScreen -> file closed on disk, 1920x1080 busy screen ({on_screen}), "
          f"{args.rounds} rounds, order shuffled per round; times in ms as median min max")
    print(f"{'format':7} {'from key':>23} {'from spawn':>23} {'driver start':>13} "
          f"{'key->.part':>11} {'size, bytes':>11}")
    figures = {}
    for kind in FORMATS + ["scrot"]:
        rows = results[kind]
        if kind == "scrot":
            from_key = [ms(x["exited"] - x["spawn"]) for x in rows]
        else:
            from_key = [ms(x["file"] - x["sent"]) for x in rows]
            from_spawn = [ms(x["file"] - x["spawn"]) for x in rows]
            start_cost = [ms(x["sent"] - x["spawn"]) for x in rows]
            to_part = [ms(x["part"] - x["sent"]) for x in rows if x["part"]]
        sizes = [x["size"] for x in rows]
        figures[kind] = {"key": med(from_key), "size": med(sizes)}
        if kind == "scrot":
            print(f"{'scrot*':7} {describe(from_key)} {'':23} {'-':>13} {'-':>11} "
                  f"{int(med(sizes)):11,d}")
            continue
        print(f"{kind:7} {describe(from_key)} {describe(from_spawn)} {med(start_cost):13.1f} "
              f"{med(to_part):11.1f} {int(med(sizes)):11,d}")
    print(f"base    F24 injected (nothing listens): driver start to its line "
          f"{describe(base_start)}; whole driver process "
          f"{describe([ms(x['exited'] - x['spawn']) for x in results['base']])}")
    print("scrot*: the whole `scrot -o file.png` process, start to exit")
    print("from key: from the driver's line written after SendInput; from spawn: from the start "
          "of the driver process (driver start: from there to its line); key->.part: from key "
          "to the creation of the temporary .vellum-part file")

    def ratio(a, b):
        return figures[a]["key"] / figures[b]["key"]

    print()
    print("ratios of the medians (from key):")
    print(f"  PNG / scrot process  {ratio('png', 'scrot'):5.2f}   goal <= 0.8")
    print(f"  PNG / BMP            {ratio('png', 'bmp'):5.2f}   goal <= 1.4")
    print(f"  GIF / BMP            {ratio('gif', 'bmp'):5.2f}   goal <= 1.8")
    print(f"  TIFF / BMP           {ratio('tiff', 'bmp'):5.2f}   goal <= 1.3")
    print(f"  JPG / BMP            {ratio('jpg', 'bmp'):5.2f}")
    sizes = figures["png"]["size"], figures["scrot"]["size"]
    print(f"  file size, our PNG / scrot's PNG  {sizes[0] / sizes[1]:.2f}"
          f"  ({int(figures['png']['size']):,d} / {int(figures['scrot']['size']):,d} bytes)"
          "   goal <= 1.0")

    print()
    print(f"continuous capture at interval 1 ms, {args.continuous_seconds:.0f} s counted after "
          f"1 s, BMP and PNG alternating, {args.continuous_pairs} each:")
    slowest = []
    for fmt in ("bmp", "png"):
        for run in continuous[fmt]:
            a = run["answers"]
            if "slowest_us" in a:
                slowest.append(a["slowest_us"] / 1000)
            print(f"  {fmt:4} {run['rate']:6.1f} files/s ({run['files']} files in all); window "
                  f"answers: slowest {a.get('slowest_us', 0) / 1000:.1f} ms, median "
                  f"{a.get('median_us', 0) / 1000:.2f} ms, {a.get('rounds', '?')} rounds, "
                  f"{a.get('unanswered', '?')} unanswered")
    rates = {fmt: med([run["rate"] for run in continuous[fmt]]) for fmt in continuous}
    if continuous["bmp"] and continuous["png"]:
        print(f"  median files/s: BMP {rates['bmp']:.1f}, PNG {rates['png']:.1f}; "
              f"PNG / BMP {rates['png'] / rates['bmp']:.2f}   goal >= 0.8")
        print(f"  slowest window answer during continuous capture: {max(slowest):.1f} ms"
              "   goal <= 100")

    print()
    print(f"the last files, against the screen ({keep}):")
    for fmt in FORMATS:
        path = keep / f"vellum.{fmt}"
        if path.exists():
            print(f"  {fmt:5} {path.stat().st_size:11,d} bytes  {compare(shown, path)}")
    print(f"  scrot {(keep / 'scrot.png').stat().st_size:11,d} bytes  "
          f"{compare(shown, keep / 'scrot.png')}")
    if not args.keep:
        shutil.rmtree(keep, ignore_errors=True)
    shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
