#!/usr/bin/env python3
"""A clinician's consultation, end to end, on a real X server.

Starts the real kestrin on the sample photograph inside a private Xvfb display and
drives it with synthetic input (xdotool): defines a clip by clicks, closes it,
switches to four panes, drags three gallery rows onto the three working panes
through the window system's drag and drop, moves, rotates and scales one bracket,
brightens it with the dialog, saves the composite with Ctrl+S through the real
file dialog and quits from the menu. Then checks the saved JPEG and the INI keys
written at exit.

Positions come from the layout file the program writes when KESTRIN_LAYOUT_FILE
is set. Usage: consultation.py BUILD_DIR SOURCE_DIR [SCREENSHOT_DIR]
"""
import configparser
import json
import os
import random
import subprocess
import sys
import tempfile
import time

BUILD, SOURCE = sys.argv[1], sys.argv[2]
SHOTS = sys.argv[3] if len(sys.argv) > 3 else None
PHOTO = os.path.join(SOURCE, "samples", "smile.jpg")
work = tempfile.mkdtemp(prefix="kestrin-e2e-")
layout_file = os.path.join(work, "layout.json")
saved = os.path.join(work, "result.jpg")
display = ":%d" % random.randint(150, 250)

env = dict(os.environ)
env.update({
    "DISPLAY": display,
    "MOLVEX_INI": os.path.join(work, "Molvex.ini"),
    "MOLVEX_PHOTODB": os.path.join(work, "photos.db"),
    "MOLVEX_TEMP": os.path.join(work, "temp") + "/",
    "KESTRIN_LAYOUT_FILE": layout_file,
    "QT_QPA_PLATFORM": "xcb",
})
env.pop("QT_QPA_PLATFORMTHEME", None)
processes = []


def fail(message):
    print("FAIL: " + message)
    shoot("failure")
    sys.exit(1)


def run(*args, check=True):
    return subprocess.run(args, env=env, check=check, capture_output=True, text=True, timeout=60)


def xdo(*args):
    run("xdotool", *[str(a) for a in args])


def shoot(name):
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        run("import", "-window", "root", os.path.join(SHOTS, name + ".png"), check=False)


def layout(predicate=lambda l: True, timeout=20.0):
    """The latest layout that satisfies predicate."""
    deadline = time.time() + timeout
    last = None
    while time.time() < deadline:
        try:
            with open(layout_file) as f:
                last = json.load(f)
            if predicate(last):
                return last
        except (OSError, ValueError):
            pass
        time.sleep(0.1)
    fail("layout never satisfied the expected state; last: %s" % json.dumps(last)[:400])


def centre(rect):
    return rect["x"] + rect["w"] // 2, rect["y"] + rect["h"] // 2


def screen(pane, px, py):
    """Screen position of photograph pixel (px, py) in pane."""
    return (pane["x"] + int((px + pane["offsetX"]) * pane["scale"]) - pane["scrollX"],
            pane["y"] + int((py + pane["offsetY"]) * pane["scale"]) - pane["scrollY"])


def click(x, y, button=1):
    xdo("mousemove", x, y)
    time.sleep(0.05)
    xdo("click", button)
    time.sleep(0.15)


def drag(x0, y0, x1, y1, steps=12, modifier=None):
    xdo("mousemove", x0, y0)
    time.sleep(0.1)
    if modifier:
        xdo("keydown", modifier)
    xdo("mousedown", 1)
    time.sleep(0.1)
    for i in range(1, steps + 1):
        xdo("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
        time.sleep(0.04)
    time.sleep(0.2)
    xdo("mouseup", 1)
    if modifier:
        xdo("keyup", modifier)
    time.sleep(0.4)


def focus_frame():
    """Gives the main window the keyboard: there is no window manager to do it."""
    run("xdotool", "search", "--name", " - Kestrin$", "windowfocus", check=False)
    return layout(lambda l: l["activeWindow"] == "CMainFrame" and not l["modal"] and not l["popup"])


def pane_of(l, slot):
    return next(p for p in l["panes"] if p["slot"] == slot)


def read_ppm(path):
    """Decodes a picture through ImageMagick into (width, height, bytes)."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    parts = data.split(maxsplit=4)
    width, height = int(parts[1]), int(parts[2])
    return width, height, parts[4][: width * height * 3]


def pixel(image, x, y):
    width, _, data = image
    i = (y * width + x) * 3
    return data[i], data[i + 1], data[i + 2]


def differs(a, b, tolerance):
    return max(abs(p - q) for p, q in zip(a, b)) > tolerance


try:
    processes.append(subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    deadline = time.time() + 20
    while run("xdpyinfo", "-display", display, check=False).returncode != 0:
        if time.time() > deadline:
            fail("Xvfb did not start")
        time.sleep(0.1)
    app = subprocess.Popen([os.path.join(BUILD, "app", "kestrin"), PHOTO], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.append(app)
    l = layout(lambda l: l["panes"] and l["rows"] and l["photo"]["w"] > 0)
    shoot("01-start")

    # The clip: points round the front teeth, in photograph pixels.
    click(*centre(l["toolbar"]["6043"]))
    l = layout(lambda l: l["clipEditing"])
    clip = [(560, 560), (800, 470), (1000, 455), (1200, 470), (1440, 560), (1200, 700), (1000, 720), (800, 700)]
    pane = l["panes"][0]
    for px, py in clip:
        click(*screen(pane, px, py))
    l = layout(lambda l: l["clipPoints"] == len(clip) + 1)
    shoot("02-clip")
    click(*centre(l["clipbar"]["6074"]))
    l = layout(lambda l: l["clipClosed"] and not l["clipEditing"])

    click(*centre(l["toolbar"]["6051"]))
    l = layout(lambda l: len(l["panes"]) == 4 and all(p["w"] > 100 and p["scale"] > 0 for p in l["panes"]))

    # Three different gallery rows onto the three working panes, by real drags.
    for row, slot in ((0, 1), (2, 2), (4, 3)):
        target = pane_of(l, slot)
        drag(*centre(l["rows"][row]), *screen(target, 1000, 590), steps=20)
        l = layout(lambda l, s=slot: any(b["slot"] == s for b in l["brackets"]))
    shoot("03-pasted")

    # Move, rotate and scale the bracket of slot 1.
    def bracket(l, slot):
        return next(b for b in l["brackets"] if b["slot"] == slot)

    b = bracket(l, 1)
    p = pane_of(l, 1)
    cx, cy = b["x"] + b["w"] // 2, b["y"] + b["h"] // 2
    # The centre of a sample picture falls between two brackets, on the wire; the
    # next bracket along sits 64 pixels to the right.
    click(*screen(p, cx + 64, cy))  # select
    time.sleep(0.6)  # not a double click
    shoot("04a-selected")
    drag(*screen(p, cx + 64, cy), *screen(p, cx + 94, cy + 12))
    l = layout(lambda l: bracket(l, 1)["x"] != b["x"])
    moved = bracket(l, 1)
    cx, cy = moved["x"] + moved["w"] // 2, moved["y"] + moved["h"] // 2
    # The rotation handle sits 40 photograph pixels right of the centre.
    hx, hy = screen(p, cx + 40, cy)
    drag(hx, hy, hx, hy + 6)
    l = layout(lambda l: abs(bracket(l, 1)["angle"]) > 1)
    before = bracket(l, 1)
    sx, sy = screen(p, cx - 64, cy)
    drag(sx, sy, sx + 60, sy + 30, modifier="ctrl")
    l = layout(lambda l: bracket(l, 1)["w"] != before["w"])
    shoot("04-adjusted")

    # Brighten it through the dialog: the first slider has the focus.
    click(*centre(l["toolbar"]["6056"]))
    layout(lambda l: l["modal"] == "QDialogBrightness")
    for _ in range(4):
        xdo("key", "Page_Up")
    shoot("05-brightness")
    xdo("key", "Return")
    l = layout(lambda l: not l["modal"])

    # Two panes show the reference beside the first working slot; back to four.
    click(*centre(l["toolbar"]["6050"]))
    layout(lambda l: len(l["panes"]) == 2)
    shoot("07-two-panes")
    click(*centre(l["toolbar"]["6051"]))
    l = layout(lambda l: len(l["panes"]) == 4)

    # Save through the real file dialog.
    focus_frame()
    xdo("key", "ctrl+s")
    layout(lambda l: l["modal"] == "QFileDialog")
    shoot("06-save-dialog")
    xdo("type", "--delay", "20", saved)
    xdo("key", "Return")
    deadline = time.time() + 30
    while time.time() < deadline and not os.path.exists(saved):
        time.sleep(0.2)
    if not os.path.exists(saved):
        fail("the composite was not saved")
    layout(lambda l: not l["modal"])

    # Quit from the menu.
    focus_frame()
    xdo("key", "alt+f")
    layout(lambda l: l["popup"] == "QMenu")
    xdo("key", "x")
    try:
        app.wait(timeout=20)
    except subprocess.TimeoutExpired:
        fail("kestrin did not quit")

    # The saved composite: four panes at the photograph's size with a tenth between.
    photo = read_ppm(PHOTO)
    pw, ph = photo[0], photo[1]
    image = read_ppm(saved)
    expected = (int(pw * 1.1 + pw), int(ph * 1.1 + ph))
    if (image[0], image[1]) != expected:
        fail("composite is %dx%d, expected %dx%d" % (image[0], image[1], *expected))
    origins = {1: (int(pw * 1.1), 0), 2: (0, int(ph * 1.1)), 3: (int(pw * 1.1), int(ph * 1.1))}
    xs = [x for x, _ in clip]
    ys = [y for _, y in clip]
    box = (min(xs) - 150, min(ys) - 150, max(xs) + 150, max(ys) + 150)
    # The reference pane is the photograph untouched (JPEG noise only).
    worst = max(max(abs(a - b) for a, b in zip(pixel(image, x, y), pixel(photo, x, y)))
                for y in range(5, ph, 37) for x in range(5, pw, 41))
    if worst > 40:
        fail("reference pane differs from the photograph by %d" % worst)
    for slot, (ox, oy) in origins.items():
        # The simulation label sits in the bottom-left corner of a working pane.
        outside = [(x, y) for y in range(5, ph, 53) for x in range(5, pw, 59)
                   if not (box[0] <= x <= box[2] and box[1] <= y <= box[3])
                   and not (x < pw // 2 and y > ph - ph // 8)]
        bad = [(x, y) for x, y in outside if differs(pixel(image, ox + x, oy + y), pixel(photo, x, y), 40)]
        if bad:
            fail("slot %d shows something outside the clip at %s" % (slot, bad[:3]))
        inside = [(x, y) for y in range(box[1] + 150, box[3] - 150, 7) for x in range(box[0] + 150, box[2] - 150, 7)]
        changed = sum(1 for x, y in inside if differs(pixel(image, ox + x, oy + y), pixel(photo, x, y), 40))
        if changed < 20:
            fail("slot %d shows no bracket inside the clip" % slot)
    ini = configparser.RawConfigParser()
    ini.read(env["MOLVEX_INI"])
    if ini.get("BRACKET", "WINZOOM", fallback=None) not in ("0", "1"):
        fail("BRACKET/WINZOOM was not written at exit")
    if not ini.has_section("BarState"):
        fail("the bar arrangement was not saved at exit")
    print("1 passed, 0 failed")
finally:
    for p in reversed(processes):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
