#!/usr/bin/env python3
"""The plug-in's window in a real host: the SDK's editorhost on Linux, or editorhost.exe
under Wine, on the virtual display that tools/xvfb/run provides. Opens the editor,
checks the picture by pixels at design points, clicks "+" (the dial's pointer moves),
drags the first slider and the resize grip (the window grows and keeps 1 : 1.07),
closes the window and lets the host open the editor again (the size is kept and Pitch
is not reset), and measures the CPU the open editor costs while the host plays music
through the plug-in.

    editorhost_test.py --host PATH --bundle PATH [--wine] [--shots DIR] [--cpu-seconds S]

Exit code 0 when every check passed; each failure is printed on its own line."""
import argparse
import ctypes
import math
import os
import re
import subprocess
import sys
import time

DESIGN_W, DESIGN_H = 500.0, 535.0
AMBER = (246, 200, 74)
BACKGROUND = (25, 20, 30)
WHITE = (255, 255, 255)
KUGOU_BLUE = (34, 144, 255)
UNLINKED_DOT = (231, 80, 95)
RADIANS_PER_SEMITONE = 0.3839724354387525

failures = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def run(*args):
    return subprocess.run(args, capture_output=True, text=True)


# --- the X display ---------------------------------------------------------------------

def window_ids(name):
    out = run("xdotool", "search", "--onlyvisible", "--name", name).stdout
    return [int(w) for w in out.split()]


def geometry(window):
    """Absolute position and size of a window."""
    info = {}
    for line in run("xwininfo", "-id", str(window)).stdout.splitlines():
        key, _, value = line.strip().partition(":")
        info[key] = value.strip()
    return (int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
            int(info["Width"]), int(info["Height"]))


def tree():
    """Every window below the root: (id, name, x, y, width, height)."""
    out = run("xwininfo", "-root", "-tree").stdout
    result = []
    for line in out.splitlines():
        line = line.strip()
        if not line.startswith("0x"):
            continue
        parts = line.split()
        wid = int(parts[0], 16)
        name = line.split('"')[1] if '"' in line else ""
        size = [p for p in parts if "x" in p and "+" in p]
        if not size:
            continue
        dims, _, rest = size[-1].partition("+")
        w, h = (int(v) for v in dims.split("x"))
        result.append((wid, name, w, h))
    return result


class Picture:
    def __init__(self, path):
        w, h = run("/usr/bin/identify", "-format", "%w %h", path).stdout.split()
        self.width, self.height = int(w), int(h)
        self.rgb = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True).stdout

    def at(self, x, y):
        x, y = int(x), int(y)
        if not (0 <= x < self.width and 0 <= y < self.height):
            return (0, 0, 0)
        i = 3 * (y * self.width + x)
        return tuple(self.rgb[i:i + 3])


def near(p, c, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(p, c))


def send_close(window):
    """WM_DELETE_WINDOW, as a window manager's close button sends it."""
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    display = x11.XOpenDisplay(None)

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = window
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.data[1] = 0  # CurrentTime
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


# --- the editor in design units --------------------------------------------------------

class Editor:
    """The editor's window: where design points are on screen."""

    def __init__(self, top, content, origin):
        self.top = top          # the host's top-level window (moves, close)
        self.content = content  # the window the editor draws into (screenshots)
        self.origin = origin    # the window whose position the pointer is relative to
        self.x, self.y, _, _ = geometry(origin)
        _, _, self.w, self.h = geometry(content)
        self.scale = min(self.w / DESIGN_W, self.h / DESIGN_H)
        self.ox = (self.w - DESIGN_W * self.scale) / 2
        self.oy = (self.h - DESIGN_H * self.scale) / 2

    def again(self, wine):
        """The same host window, measured anew after a resize (Wine may have given the
        drawing a new X window)."""
        content = (wine_drawing_window(self.top) or self.content) if wine else self.content
        return Editor(self.top, content, self.origin)

    def local(self, dx, dy):
        return (dx * self.scale + self.ox, dy * self.scale + self.oy)

    def screen(self, dx, dy):
        lx, ly = self.local(dx, dy)
        return (int(round(self.x + lx)), int(round(self.y + ly)))

    def shoot(self, path):
        subprocess.run(["/usr/bin/import", "-window", str(self.content), path], check=True,
                       capture_output=True)
        return Picture(path)

    def pixel(self, picture, dx, dy):
        lx, ly = self.local(dx, dy)
        return picture.at(math.floor(lx), math.floor(ly))

    def ink(self, picture, rect, test):
        """Count and span (design units) of the pixels in a design rectangle that pass."""
        l, t = self.local(rect[0], rect[1])
        r, b = self.local(rect[2], rect[3])
        xs, ys = [], []
        for y in range(int(t), int(b)):
            for x in range(int(l), int(r)):
                if test(picture.at(x, y)):
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return 0, 0.0, 0.0
        return len(xs), (max(xs) - min(xs) + 1) / self.scale, (max(ys) - min(ys) + 1) / self.scale

    def click(self, dx, dy):
        x, y = self.screen(dx, dy)
        run("xdotool", "mousemove", "--sync", str(x), str(y))
        time.sleep(0.1)
        run("xdotool", "click", "1")

    def drag(self, start, end, screen_offset=(0, 0), steps=20, pause=0.1):
        """A pressed pointer moved in even steps. A window that grows under the pointer
        must keep up with it (Wine delivers no moves outside the window): slow steps."""
        x0, y0 = self.screen(*start)
        x1, y1 = self.screen(*end)
        x1 += screen_offset[0]
        y1 += screen_offset[1]
        run("xdotool", "mousemove", "--sync", str(x0), str(y0))
        time.sleep(0.1)
        run("xdotool", "mousedown", "1")
        time.sleep(0.2)
        for i in range(1, steps + 1):
            run("xdotool", "mousemove", str(x0 + (x1 - x0) * i // steps), str(y0 + (y1 - y0) * i // steps))
            time.sleep(pause)
        time.sleep(0.5)
        run("xdotool", "mouseup", "1")


def warm(p):
    return p[0] > 120 and p[0] - p[2] > 50


def warm_near(editor, picture, point):
    """The amber pointer passes within a pixel of the point (it is 1.6 units wide)."""
    lx, ly = editor.local(*point)
    return any(warm(picture.at(math.floor(lx) + dx, math.floor(ly) + dy))
               for dx in (-1, 0, 1) for dy in (-1, 0, 1))


def pointer_points(semitones, radius=25):
    a = semitones * RADIANS_PER_SEMITONE - math.pi / 2
    return (250 + radius * math.cos(a), 318 + radius * math.sin(a))


def check_picture(editor, picture, label, pitch, hardness_x, mute_x):
    px = lambda dx, dy: editor.pixel(picture, dx, dy)
    check(near(px(10, 100), BACKGROUND, 3), f"{label}: background at (10, 100) {px(10, 100)}")
    check(near(px(404.5, 29.5), UNLINKED_DOT, 12), f"{label}: link dot red {px(404.5, 29.5)}")
    amber, _, _ = editor.ink(picture, (25, 8, 82, 59), lambda p: near(p, AMBER, 40))
    check(amber > 30 * editor.scale ** 2, f"{label}: amber monogram ({amber} pixels)")
    check(near(px(46.5, 188.5), KUGOU_BLUE, 12), f"{label}: player logo {px(46.5, 188.5)}")
    count, width, height = editor.ink(picture, (92, 184, 258, 207), lambda p: p[0] > 150 and p[1] > 130)
    check(width > 60 and height > 9, f"{label}: Chinese title drawn ({count} pixels, {width:.0f} x {height:.0f})")
    for n in (pitch, 0 if pitch else 5):
        shown = warm_near(editor, picture, pointer_points(n))
        check(shown == (n == pitch), f"{label}: dial pointer {'at' if n == pitch else 'not at'} {n:+d}")
    check(near(px(hardness_x - 1, 444), WHITE, 12), f"{label}: first slider thumb at x {hardness_x:.0f} {px(hardness_x - 1, 444)}")
    check(near(px(mute_x - 1, 485), WHITE, 12), f"{label}: second slider thumb at x {mute_x:.0f} {px(mute_x - 1, 485)}")


# --- the host process ------------------------------------------------------------------

def cpu_ticks(pid, tid=None):
    path = f"/proc/{pid}/stat" if tid is None else f"/proc/{pid}/task/{tid}/stat"
    try:
        with open(path) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime
    except OSError:
        return None


def processes():
    """(pid, parent pid, command name) of every process."""
    result = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                head, _, tail = f.read().rpartition(")")
            result.append((int(entry), int(tail.split()[1]), head.partition("(")[2]))
        except OSError:
            pass
    return result


def host_pids(root, wine):
    """The host process and its descendants; under Wine also the prefix's wineserver."""
    table = processes()
    found = {root}
    grew = True
    while grew:
        grew = False
        for pid, parent, _ in table:
            if parent in found and pid not in found:
                found.add(pid)
                grew = True
    if wine:
        prefix = os.environ.get("WINEPREFIX", "")
        for pid, _, name in table:
            if name.startswith("wineserver"):
                try:
                    with open(f"/proc/{pid}/environ", "rb") as f:
                        if f"WINEPREFIX={prefix}".encode() in f.read().split(b"\0"):
                            found.add(pid)
                except OSError:
                    pass
    return sorted(found)


def measure_cpu(groups, seconds):
    """Percent of one core each group used over the same stretch of time. A group is a list
    of (pid, tid) pairs; tid None stands for the whole process."""
    hz = os.sysconf("SC_CLK_TCK")
    start = {k: cpu_ticks(*k) for group in groups for k in group}
    time.sleep(seconds)
    result = []
    for group in groups:
        used = 0
        for k in group:
            end = cpu_ticks(*k)
            if start[k] is not None and end is not None:
                used += end - start[k]
        result.append(100.0 * used / hz / seconds)
    return result


def ui_thread(pids):
    """The host's main thread, where the editor draws: the first thread of the process
    named editorhost (editorhost.exe under Wine)."""
    for pid in pids:
        try:
            with open(f"/proc/{pid}/comm") as f:
                if f.read().startswith("editorhost"):
                    return (pid, pid)
        except OSError:
            pass
    return None


def find_editor(wine, previous=(), timeout=60):
    """The host's window titled "Editor" and the window the editor draws into."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        tops = [w for w in window_ids("^Editor$") if w not in previous]
        if tops:
            top = tops[0]
            time.sleep(1.5)  # let the host attach the view and size its window
            if wine:
                # Wine's "Editor" window is the client area, and Direct2D draws into an
                # X window of its own elsewhere: screenshots come from that one, once it
                # has drawn.
                drawing = None
                while drawing is None and time.time() < deadline:
                    drawing = wine_drawing_window(top)
                    time.sleep(0.5)
                return Editor(top, drawing or top, top)
            content = deepest_child(top)
            return Editor(top, content, content)
        time.sleep(0.25)
    return None


def children(window):
    out = run("xwininfo", "-children", "-id", str(window)).stdout
    return [int(line.split()[0], 16) for line in out.splitlines()
            if line.strip().startswith("0x")]


def deepest_child(window):
    """The innermost window, first child at each level: the plug-in's own window."""
    inner = children(window)
    return deepest_child(inner[0]) if inner else window


def wine_drawing_window(top, scratch="/tmp/cadora-wine-probe.png"):
    """Where Wine's Direct2D draws: an unnamed X window of the editor's size, somewhere in
    the tree (Wine moves it between a hidden parent and the client window). Of several,
    the one that shows anything but black."""
    _, _, tw, th = geometry(top)
    found = [wid for wid, name, w, h in tree() if wid != top and not name and (w, h) == (tw, th)]
    for wid in sorted(found, reverse=True):
        if subprocess.run(["/usr/bin/import", "-window", str(wid), scratch], capture_output=True).returncode:
            continue
        picture = Picture(scratch)
        if any(picture.at(x, y) != (0, 0, 0) for x in range(0, tw, 37) for y in range(0, th, 41)):
            return wid
    return None


def wine_fault_module(log_path):
    """For a host that Wine reports as crashed: the module holding the faulting address
    (the loaded module with the highest base at or below it), or None without a crash."""
    fault, bases = None, []
    with open(log_path, errors="replace") as log:
        for line in log:
            m = re.search(r"Unhandled page fault .* at address ([0-9A-Fa-f]+)", line)
            if m:
                fault = int(m.group(1), 16)
            m = re.search(r'loaddll:build_module Loaded L"(.*?)" at ([0-9A-Fa-f]+)', line)
            if m:
                bases.append((int(m.group(2), 16), m.group(1).split("\\")[-1]))
    if fault is None:
        return None
    below = [b for b in bases if b[0] <= fault]
    return max(below)[1] if below else "an unknown module"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", required=True)
    parser.add_argument("--bundle", required=True)
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--shots", default="build/editorhost-shots")
    parser.add_argument("--cpu-seconds", type=float, default=10.0)
    args = parser.parse_args()
    os.makedirs(args.shots, exist_ok=True)
    code = run_host(args)
    # Wine's own Direct3D on software GL now and then faults while a window is made
    # anew on a busy machine. A fault outside the plug-in earns one more run; a fault in
    # the plug-in's module fails at once.
    if code and args.wine:
        log_path = os.path.join(args.shots, "windows-host.log")
        module = wine_fault_module(log_path)
        if module is not None:
            ours = module.lower().endswith(".vst3") or module.lower() == "libfftw3-3.dll"
            print(f"note  the host crashed inside {module}", flush=True)
            if not ours:
                os.replace(log_path, log_path + ".crashed")
                print("note  outside the plug-in: the test runs once more", flush=True)
                failures.clear()
                code = run_host(args)
    return code


def run_host(args):
    platform = "windows" if args.wine else "linux"
    shot = lambda name: os.path.join(args.shots, f"{platform}-{name}.png")

    if args.wine:
        here = os.path.dirname(os.path.abspath(__file__))
        bundle = "Z:" + os.path.abspath(args.bundle).replace("/", "\\")
        command = [os.path.join(here, "..", "wine", "run"), args.host, "--reopen", "--play", bundle]
        # The loaded modules' addresses tell a crash in the plug-in from one in Wine.
        env = dict(os.environ, CADORA_WINE_TIMEOUT="300", WINEDEBUG="-all,+loaddll")
    else:
        command = [args.host, "--reopen", "--play", os.path.abspath(args.bundle)]
        env = dict(os.environ)
    log = open(os.path.join(args.shots, f"{platform}-host.log"), "w")
    host = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, env=env)
    try:
        editor = find_editor(args.wine)
        if not check(editor is not None, f"{platform}: the editor window opened"):
            return 1
        check((editor.w, editor.h) == (500, 535), f"opened at 500 x 535 ({editor.w} x {editor.h})")
        check_picture(editor, editor.shoot(shot("opened")), "opened", 0, 250, 47)

        time.sleep(2)  # key detection and the band levels are under way
        pids = host_pids(host.pid, args.wine)
        xvfb = [(int(os.environ["CADORA_XVFB_PID"]), None)] if "CADORA_XVFB_PID" in os.environ else []
        ui = ui_thread(pids)
        total, main_thread, server = measure_cpu(
            [[(p, None) for p in pids], [ui] if ui else [], xvfb], args.cpu_seconds)
        print(f"cpu   {platform}, music playing, editor open, over {args.cpu_seconds:.0f} s "
              f"(% of one core): host UI thread {main_thread:.2f}, X server {server:.2f}, "
              f"host in all (with audio, key detection and song detection) {total:.2f}", flush=True)

        editor.click(380, 323)  # "+"
        time.sleep(0.6)
        editor.drag((250, 448), (400, 448))
        time.sleep(0.6)
        thumb = 47 + 406 * (400 - 43) / 414
        check_picture(editor, editor.shoot(shot("clicked")), "after + and a slider drag", 1, thumb, 47)

        editor.drag((485, 505), (485, 505), screen_offset=(200, 0), steps=40, pause=0.25)
        time.sleep(2.5)
        grown = editor.again(args.wine)
        check((grown.w, grown.h) == (700, 749), f"the grip grew the window to 700 x 749 ({grown.w} x {grown.h})")
        check(grown.h == round(grown.w * 1.07), "the window keeps 1 : 1.07")
        check_picture(grown, grown.shoot(shot("grown")), "grown", 1, thumb, 47)

        send_close(editor.top)
        reopened = find_editor(args.wine, previous=(editor.top,))
        if check(reopened is not None, "the host opened the editor again"):
            check((reopened.w, reopened.h) == (700, 749),
                  f"the size was kept ({reopened.w} x {reopened.h})")
            # A new dashboard shows the retune read-back or 50 % on the first slider.
            check_picture(reopened, reopened.shoot(shot("reopened")), "reopened", 1, 250, 47)
            send_close(reopened.top)
        try:
            host.wait(timeout=30)
            check(True, "the host quit after the second close")
        except subprocess.TimeoutExpired:
            check(False, "the host quit after the second close")
    finally:
        if host.poll() is None:
            host.terminate()
            try:
                host.wait(timeout=10)
            except subprocess.TimeoutExpired:
                host.kill()
        log.close()
    print(f"{platform} editor in editorhost: {len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
