#!/usr/bin/python3
"""The adding path in the real window, as a person waits for it.

Starts Xvfb, then the app as a fresh process per run, and acts through XTest. Each click is timed
from the synthetic event to the first changed pixel of the region that shows its result (the
X Damage extension says when the screen was drawn; the region is then read with GetImage and
compared with its picture from just before the event). 分析 is clicked once the app is idle, the
analysis done in advance while a person looks at the text, or after --look seconds, while that
work still runs. Half a second after the table shows,
a header (歌名 unless --sort says otherwise) is clicked and timed until the rows show as they end
up. Prints medians beside `mawk` + `shuf` on the same file, run in between, and the app's peak
memory (VmHWM).

Run by hand, never by the tests; Debian's python3 with python3-xlib:
    /usr/bin/python3 bench/real_window_bench.py --runs 5 /tmp/songs-1m.txt
"""

import argparse
import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import struct
import zlib

from Xlib import X, XK, display, error
from Xlib.ext import damage, xtest

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Points of the main window's client area, from its fixed layout at the default size.
BROWSE = (514, 262)
ANALYSE = (570, 262)
CHECK_ALL = (15, 603)
EXPORT = (503, 602)
HEADERS = {"name": (150, 322), "singer": (360, 322), "category": (460, 322)}  # 歌名, 歌手, 类别
SOURCE_VIEW = (8, 22, 582, 220)  # x, y, width, height
SONG_TABLE = (7, 312, 582, 275)
SONG_ROWS = (7, 334, 582, 253)  # the table below its header, whose sort mark changes at once
EXPORTED_NAME = "新增歌曲编码.txt"
SHOTS = None


def now():
    return time.perf_counter()


class Screen:
    def __init__(self, name):
        self.d = display.Display(name)
        self.root = self.d.screen().root
        if not self.d.has_extension("DAMAGE") or not self.d.has_extension("XTEST"):
            sys.exit("the X server lacks DAMAGE or XTEST")
        self.d.damage_query_version()
        self.damage = self.root.damage_create(damage.DamageReportNonEmpty)
        self.damage_event = self.d.extension_event.DamageNotify

    def grab(self, rect):
        x, y, w, h = rect
        return self.root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF).data

    def drain(self):
        """Forgets the drawing done so far."""
        self.d.sync()
        while self.d.pending_events():
            self.d.next_event()
        self.d.damage_subtract(self.damage)
        self.d.sync()

    def wait_drawn(self, timeout):
        """Returns once something was drawn on the screen since the last call, or at timeout."""
        end = now() + timeout
        while True:
            while self.d.pending_events():
                if self.d.next_event().type == self.damage_event:
                    self.d.damage_subtract(self.damage)
                    return True
            left = end - now()
            if left <= 0:
                return False
            select.select([self.d], [], [], min(left, 0.002))

    def wait_changed(self, rect, before, start, timeout=30.0, also=()):
        """Seconds from `start` to the first picture of `rect` that differs from `before` (and
        from each of `also`)."""
        end = start + timeout
        while now() < end:
            picture = self.grab(rect)
            if picture != before and picture not in also:
                return now() - start
            self.wait_drawn(0.005)
        raise TimeoutError("nothing changed in %s" % (rect,))

    def wait_final(self, rect, before, start, pid, timeout=30.0):
        """Seconds from `start` to the first picture of `rect` that is the one it ends with once
        the app is idle: a click on a header also moves the focus, which repaints the current
        row at once, long before the rows change."""
        seen = []
        end = start + timeout
        crc_before = zlib.crc32(before)
        last_cpu, last_check = cpu_seconds(pid), now()
        while now() < end:
            crc = zlib.crc32(self.grab(rect))
            if crc != crc_before and (not seen or seen[-1][1] != crc):
                seen.append((now() - start, crc))
            self.wait_drawn(0.005)
            if now() - last_check >= 0.15:
                used = cpu_seconds(pid)
                if seen and used - last_cpu < 0.003:
                    final = seen[-1][1]
                    return next(t for t, c in seen if c == final)
                last_cpu, last_check = used, now()
        raise TimeoutError("nothing settled in %s" % (rect,))

    def click(self, point):
        x, y = point
        xtest.fake_input(self.d, X.MotionNotify, x=x, y=y)
        self.d.sync()
        time.sleep(0.05)
        start = now()
        xtest.fake_input(self.d, X.ButtonPress, 1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.sync()
        return start

    def key(self, keysym, shift=False, ctrl=False):
        code = self.d.keysym_to_keycode(keysym)
        mods = ([XK.XK_Shift_L] if shift else []) + ([XK.XK_Control_L] if ctrl else [])
        for mod in mods:
            xtest.fake_input(self.d, X.KeyPress, self.d.keysym_to_keycode(mod))
        start = now()
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        for mod in reversed(mods):
            xtest.fake_input(self.d, X.KeyRelease, self.d.keysym_to_keycode(mod))
        self.d.sync()
        return start

    def type(self, text):
        names = {"/": "slash", "-": "minus", ".": "period", "_": "underscore", " ": "space"}
        for char in text:
            keysym = XK.string_to_keysym(names.get(char, char))
            if not keysym:
                sys.exit("cannot type %r" % char)
            code = self.d.keysym_to_keycode(keysym)
            self.key(keysym, shift=self.d.keycode_to_keysym(code, 0) != keysym)
            time.sleep(0.005)

    def windows_of(self, pid):
        """The app's shown top-level windows, as (window, x, y, width, height), oldest first."""
        atom = self.d.intern_atom("_NET_WM_PID")
        found = []
        for window in self.root.query_tree().children:
            try:
                attrs = window.get_attributes()
                if attrs.map_state != X.IsViewable or attrs.override_redirect:
                    continue
                prop = window.get_full_property(atom, X.AnyPropertyType)
                if not prop or prop.value[0] != pid:
                    continue
                geometry = window.get_geometry()
                origin = window.translate_coords(self.root, 0, 0)
                found.append((window, origin.x, origin.y, geometry.width, geometry.height))
            except error.BadWindow:
                continue
        return found


def save_png(screen, name):
    """The whole screen into a PNG, to see what the benchmark saw (--shots)."""
    if not SHOTS:
        return
    width, height = screen.d.screen().width_in_pixels, screen.d.screen().height_in_pixels
    data = screen.grab((0, 0, width, height))
    rows = b"".join(b"\0" + bytes(data[(y * width + x) * 4 + c] for x in range(width)
                                                            for c in (2, 1, 0))
                    for y in range(height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body)))

    with open(os.path.join(SHOTS, name + ".png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def cpu_seconds(pid):
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total / 1e9


def wait_idle(pid, quiet=0.15, timeout=30.0):
    """Waits until the app has used under 3 ms of processor time in `quiet` seconds."""
    end = now() + timeout
    last = cpu_seconds(pid)
    while now() < end:
        time.sleep(quiet)
        used = cpu_seconds(pid)
        if used - last < 0.003:
            return
        last = used
    raise TimeoutError("the app stays busy")


def memory(pid, field="VmHWM"):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) * 1024
    return 0


def dismiss_messages(screen, pid, main, idle=True):
    """Closes the message boxes in front (a file with malformed lines names them) with Enter."""
    while True:
        others = [w for w in screen.windows_of(pid) if w[0] != main]
        if not others:
            return
        _, x, y, w, h = others[0]
        xtest.fake_input(screen.d, X.MotionNotify, x=x + w // 2, y=y + h // 2)
        screen.d.sync()
        # Pressed again while the box is not closed: a box just shown may miss the first Enter.
        for attempt in range(20):
            screen.key(XK.XK_Return)
            try:
                wait_for(lambda: others[0][0] not in [o[0] for o in screen.windows_of(pid)],
                         timeout=1.0, what="message box closing")
                break
            except TimeoutError:
                if attempt == 19:
                    raise
        if idle:
            wait_idle(pid)


def wait_for(condition, timeout=20.0, what="a window"):
    end = now() + timeout
    while now() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.01)
    raise TimeoutError("no " + what)


def offset(place, origin):
    """A point or rectangle of the main window, on the screen."""
    return (place[0] + origin[0], place[1] + origin[1]) + tuple(place[2:])


def clip(rect, bounds):
    x, y = max(rect[0], bounds[0]), max(rect[1], bounds[1])
    right = min(rect[0] + rect[2], bounds[0] + bounds[2])
    bottom = min(rect[1] + rect[3], bounds[1] + bounds[3])
    return (x, y, right - x, bottom - y)


def one_run(screen, display_name, program, path, log, sort="name", look=None):
    env = dict(os.environ, DISPLAY=display_name, QT_QPA_PLATFORM="xcb")
    for key in ("QT_QPA_PLATFORMTHEME", "WAYLAND_DISPLAY"):
        env.pop(key, None)
    exported = os.path.join(os.path.dirname(os.path.abspath(path)), EXPORTED_NAME)
    if os.path.exists(exported):
        os.remove(exported)
    app = subprocess.Popen([program], env=env, stdout=log, stderr=log)
    times = {}
    try:
        main = wait_for(lambda: screen.windows_of(app.pid), what="main window")[0]
        origin = (main[1], main[2])
        wait_idle(app.pid, quiet=0.3)
        times["rss_start"] = memory(app.pid, "VmRSS")

        # 浏览, then the path typed into the open dialog; timed from Enter.
        placeholder = screen.grab(offset(SOURCE_VIEW, origin))
        screen.click(offset(BROWSE, origin))
        dialog = wait_for(lambda: [w for w in screen.windows_of(app.pid) if w[0] != main[0]],
                          what="open dialog")[0]
        # Without a window manager the dialog stands over the source view; moved aside, the
        # view shows the new text without first repainting the old one where the dialog was.
        width = screen.d.screen().width_in_pixels
        dialog[0].configure(x=width - dialog[3], y=0)
        screen.d.sync()
        dialog = (dialog[0], width - dialog[3], 0) + dialog[3:]
        wait_idle(app.pid)
        xtest.fake_input(screen.d, X.MotionNotify, x=dialog[1] + dialog[3] // 2,
                         y=dialog[2] + dialog[4] // 2)
        screen.type(os.path.abspath(path))
        wait_idle(app.pid)
        save_png(screen, "1-path-typed")
        region = offset(SOURCE_VIEW, origin)
        before = screen.grab(region)
        screen.drain()
        start = screen.key(XK.XK_Return)
        # The window, active again, may repaint the old text; only the new one counts.
        times["browse"] = screen.wait_changed(region, before, start, also=(placeholder,))
        # The analysis in advance and what sorting needs, made while a person looks at the text;
        # or 分析 clicked after a glance of `look` seconds, while that work is still going on.
        if look is None:
            wait_idle(app.pid, timeout=120.0)
        else:
            time.sleep(look)
        times["rss_browse"] = memory(app.pid, "VmRSS")
        times["hwm_browse"] = memory(app.pid)
        save_png(screen, "2-loaded")

        table = offset(SONG_TABLE, origin)
        before = screen.grab(table)
        screen.drain()
        start = screen.click(offset(ANALYSE, origin))
        times["analyse"] = screen.wait_changed(table, before, start)
        shown = start + times["analyse"]
        # Before a sort, no waiting for the app to be idle: what it does meanwhile is its own.
        if not sort:
            wait_idle(app.pid)
        save_png(screen, "3-analyse")
        times["rss_analyse"] = memory(app.pid, "VmRSS")
        dismiss_messages(screen, app.pid, main[0], idle=not sort)

        if sort:
            # 歌名 clicked half a second after the table showed, as a person looks at it first;
            # timed to the first changed pixel of the rows.
            header = HEADERS[sort]
            xtest.fake_input(screen.d, X.MotionNotify, x=origin[0] + header[0],
                             y=origin[1] + header[1])
            screen.d.sync()
            time.sleep(max(0.0, shown + 0.5 - now()))
            times["sort_delay"] = now() - shown
            rows = offset(SONG_ROWS, origin)
            before = screen.grab(rows)
            screen.drain()
            start = screen.click(offset(header, origin))
            times["sort"] = screen.wait_final(rows, before, start, app.pid)
            wait_idle(app.pid)
            save_png(screen, "4-sorted")
            times["rss_sort"] = memory(app.pid, "VmRSS")

        before = screen.grab(table)
        screen.drain()
        times["check_all"] = screen.wait_changed(table, before,
                                                 screen.click(offset(CHECK_ALL, origin)))
        wait_idle(app.pid)
        save_png(screen, "5-check_all")
        times["rss_check_all"] = memory(app.pid, "VmRSS")

        # The export dialog: the first changed pixel where it appears.
        whole = (0, 0, screen.d.screen().width_in_pixels, screen.d.screen().height_in_pixels)
        before_all = screen.grab(whole)
        screen.drain()
        start = screen.click(offset(EXPORT, origin))
        dialog = wait_for(lambda: [w for w in screen.windows_of(app.pid) if w[0] != main[0]],
                          timeout=30.0, what="export dialog")[0]
        x, y, w, h = clip(dialog[1:], whole)
        width = whole[2]
        before = b"".join(before_all[(row * width + x) * 4:(row * width + x + w) * 4]
                          for row in range(y, y + h))
        times["export_dialog"] = screen.wait_changed((x, y, w, h), before, start)
        wait_idle(app.pid)

        # The dialog proposes the name in the search file's folder; Enter writes it.
        xtest.fake_input(screen.d, X.MotionNotify, x=x + w // 2, y=y + h // 2)
        screen.d.sync()
        start = screen.key(XK.XK_Return)
        while not os.path.exists(exported):
            if now() - start > 30:
                raise TimeoutError("no exported file")
            time.sleep(0.0005)
        times["written"] = now() - start
        wait_idle(app.pid)
        times["peak"] = memory(app.pid)
    finally:
        app.terminate()
        try:
            app.wait(5)
        except subprocess.TimeoutExpired:
            app.kill()
            app.wait()
        if os.path.exists(exported):
            os.remove(exported)
    return times


def yardstick(path, songs):
    start = now()
    subprocess.run(["bash", "-c", "mawk -F'[|][|]' 'NF>=9{print $2}' \"$1\" | shuf -n %d >/dev/null"
                    % (songs // 2), "bash", path], check=True)
    return now() - start


def start_xvfb():
    for number in range(90, 140):
        if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
            continue
        name = ":%d" % number
        server = subprocess.Popen(["Xvfb", name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(200):
            if os.path.exists("/tmp/.X11-unix/X%d" % number):
                try:
                    return server, name, Screen(name)
                except Exception:
                    pass
            if server.poll() is not None:
                break
            time.sleep(0.05)
        server.kill()
    sys.exit("no Xvfb display could be started")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "src", "lanshan"))
    parser.add_argument("--shots", help="save pictures of the screen into this folder")
    parser.add_argument("--sort", choices=["name", "singer", "category", "none"], default="name",
                        help="the header clicked after 分析 (none: the adding path alone)")
    parser.add_argument("--look", type=float,
                        help="click 分析 this many seconds after the text shows instead of once "
                        "the app is idle")
    parser.add_argument("file")
    args = parser.parse_args()
    global SHOTS
    SHOTS = args.shots
    program = os.path.abspath(args.program)
    # The first-use notice would stand in front of the window; this says it was shown.
    config = os.path.join(os.path.dirname(program), "config.ini")
    if not os.path.exists(config):
        with open(config, "w") as f:
            f.write("[data]\r\nopen=no one\r\n")
    with open(args.file, "rb") as f:
        songs = sum(chunk.count(b"\n") for chunk in iter(lambda: f.read(1 << 20), b""))
    size = os.path.getsize(args.file)

    server, name, screen = start_xvfb()
    log = tempfile.TemporaryFile()
    results, rulers = [], []
    try:
        for run in range(args.runs):
            results.append(one_run(screen, name, program, args.file, log,
                                   sort=None if args.sort == "none" else args.sort,
                                   look=args.look))
            rulers.append(yardstick(args.file, songs))
            print("run %d: %s, yardstick %.3f s" % (run + 1, ", ".join(
                "%s %.3f" % (k, v) for k, v in results[-1].items() if not isinstance(v, int)), rulers[-1]),
                file=sys.stderr)
    except Exception:
        log.seek(0)
        sys.stderr.write(log.read().decode(errors="replace"))
        raise
    finally:
        server.terminate()
        server.wait()

    def median(key):
        return statistics.median(r[key] for r in results)

    steps = [("browse", "浏览: Enter in the open dialog → the text shows"),
             ("analyse", "分析 → the table shows"),
             ("check_all", "全选 → the ticks show"),
             ("export_dialog", "导出所选编码 → the export dialog shows"),
             ("written", "Enter in the export dialog → the file is written")]
    paths = [sum(r[k] for k, _ in steps) for r in results]
    ruler = statistics.median(rulers)
    path = statistics.median(paths)
    peak = median("peak")
    print("%s: %.1f MiB, %d songs; medians of %d fresh processes, seconds%s" % (
        os.path.basename(args.file), size / 2**20, songs, args.runs,
        "" if args.look is None else "; 分析 %.1f s after the text showed" % args.look))
    for key, caption in steps:
        print("  %-52s %.3f  (%s)" % (caption, median(key), " ".join(
            "%.3f" % r[key] for r in results)))
    if "sort" in results[0]:
        print("  %-52s %.3f  (%s)" % ("%s, %.1f s after the table showed → sorted rows show" % (
                                          args.sort, median("sort_delay")),
                                      median("sort"), " ".join("%.3f" % r["sort"] for r in results)))
    print("  %-52s %.3f" % ("the path (sum of the five)", path))
    print("  %-52s %.3f" % ("yardstick: mawk + shuf, same run", ruler))
    print("  %-52s %.2f" % ("path / yardstick", path / ruler))
    print("  %-52s %.1f MiB (%.2f × file)" % ("peak memory (VmHWM)", peak / 2**20, peak / size))
    for key, caption in (("rss_start", "started"), ("rss_browse", "text shown, analysis in advance done"),
                         ("hwm_browse", "peak until then"), ("rss_analyse", "table shown"),
                         ("rss_sort", "sorted"), ("rss_check_all", "all ticked")):
        if key not in results[0]:
            continue
        print("    memory, %-44s %.1f MiB" % (caption, median(key) / 2**20))


if __name__ == "__main__":
    main()
