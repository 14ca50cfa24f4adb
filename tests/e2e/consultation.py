#!/usr/bin/env python3
# A clinician's consultation, end to end: the real kestrin on the sample photograph
# in a private Xvfb display run by openbox, driven by synthetic input (xdotool) through
# clip, four panes, gallery drags, bracket edits, undo and redo, save, print and quit;
# then the saved JPEG, the reopened and exported consultation and the INI keys
# written at exit are checked.
#
# Positions come from the layout file the program writes when KESTRIN_LAYOUT_FILE
# is set. Usage: consultation.py BUILD_DIR SOURCE_DIR [SCREENSHOT_DIR [PRINT_DIR]]
# With PRINT_DIR the printed pages are kept there as print-N-panes.pdf.
import configparser
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

BUILD, SOURCE = sys.argv[1], sys.argv[2]
SHOTS = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else None
PRINTS = sys.argv[4] if len(sys.argv) > 4 else None
PHOTO = os.path.join(SOURCE, "samples", "smile.jpg")
work = tempfile.mkdtemp(prefix="kestrin-e2e-")
layout_file = os.path.join(work, "layout.json")
saved = os.path.join(work, "result.jpg")
printed = os.path.join(work, "printed.pdf")
display = ":%d" % random.randint(150, 250)
# A step answers within a second; a start on a busy machine that reads its fonts
# and libraries cold may take longer, and the start-up time is the benchmarks' to judge.
STARTING = 60.0

env = dict(os.environ)
env.update({
    "DISPLAY": display,
    "MOLVEX_INI": os.path.join(work, "Molvex.ini"),
    "MOLVEX_PHOTODB": os.path.join(work, "photos.db"),
    "MOLVEX_TEMP": os.path.join(work, "temp") + "/",
    "KESTRIN_LAYOUT_FILE": layout_file,
    "KESTRIN_PRINT_FILE": printed,
    "QT_QPA_PLATFORM": "xcb",
})
env.pop("QT_QPA_PLATFORMTHEME", None)
processes = []


def fail(message):
    print("FAIL: " + message)
    print("".join(traceback.format_stack(limit=4)[:-1]), end="")
    shoot("failure")
    report()
    sys.exit(1)


def report():
    """What a failure on another machine needs: whether the X server, the window
    manager and each kestrin still run, what kestrin printed, where a running one
    is stuck, and how much room the disk has left."""
    names = ["Xvfb", "openbox"] + ["kestrin " + os.path.basename(str(p.args[-1])) for p in processes[2:]]
    for name, p in zip(names, processes):
        print("%s: %s" % (name, "running" if p.poll() is None else "exit code %s" % p.returncode))
    for name in sorted(os.listdir(work)):
        if name.startswith("kestrin-") and name.endswith(".log"):
            with open(os.path.join(work, name), errors="replace") as f:
                print(name + ":\n" + f.read()[-4000:])
    for p in processes[2:]:
        if p.poll() is None and shutil.which("gdb"):
            stacks = subprocess.run(["gdb", "-p", str(p.pid), "-batch", "-ex", "thread apply all bt 30"],
                                    capture_output=True, text=True, timeout=120, check=False).stdout
            print("stacks of kestrin %d:\n%s" % (p.pid, stacks[-12000:]))
    print(subprocess.run(["df", "-h", work], capture_output=True, text=True, check=False).stdout)


def run(*args, check=True):
    return subprocess.run(args, env=env, check=check, capture_output=True, text=True, timeout=60)


def xdo(*args):
    run("xdotool", *[str(a) for a in args])


def shoot(name):
    if SHOTS:
        os.makedirs(SHOTS, exist_ok=True)
        run("import", "-window", "root", os.path.join(SHOTS, name + ".png"), check=False)


def wait_for(condition, timeout):
    """True once condition holds, False when timeout seconds pass first."""
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            return False
        time.sleep(0.1)
    return True


def start(argument):
    log = open(os.path.join(work, "kestrin-%d.log" % len(processes)), "w")
    app = subprocess.Popen([os.path.join(BUILD, "app", "kestrin"), argument], env=env,
                           stdout=log, stderr=subprocess.STDOUT)
    log.close()
    processes.append(app)
    return app


def layout(predicate=lambda l: True, timeout=20.0):
    """The latest layout that satisfies predicate."""
    deadline = time.time() + timeout
    last = None
    problem = None
    while time.time() < deadline:
        if len(processes) > 2 and processes[-1].poll() is not None:
            fail("kestrin exited with code %s" % processes[-1].returncode)
        try:
            with open(layout_file) as f:
                last = json.load(f)
            if predicate(last):
                return last
        except (OSError, ValueError) as e:
            problem = e
        time.sleep(0.1)
    fail("layout never satisfied the expected state; last: %s; last read: %s"
         % (json.dumps(last)[:400], problem))


def centre(rect):
    return rect["x"] + rect["w"] // 2, rect["y"] + rect["h"] // 2


def screen(pane, px, py):
    """Screen position of photograph pixel (px, py) in pane."""
    return (pane["x"] + int((px + pane["offsetX"]) * pane["scale"]) - pane["scrollX"],
            pane["y"] + int((py + pane["offsetY"]) * pane["scale"]) - pane["scrollY"])


def click(x, y, button=1):
    xdo("mousemove", x, y, "sleep", 0.05, "click", button, "sleep", 0.15)


def drag(x0, y0, x1, y1, steps=12, modifier=None):
    """Presses, moves in steps and releases, holding modifier throughout."""
    held = lambda action: [action, modifier] if modifier else []
    xdo("mousemove", x0, y0, "sleep", 0.1, *held("keydown"), "mousedown", 1, "sleep", 0.1)
    for i in range(1, steps + 1):
        xdo("mousemove", x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps, "sleep", 0.04)
    xdo("sleep", 0.2, "mouseup", 1, *held("keyup"), "sleep", 0.4)


def frame_window():
    return run("xdotool", "search", "--name", " - Kestrin$").stdout.split()[0]


def focus_frame():
    """Gives the main window the keyboard, as a click on its title would."""
    run("xdotool", "windowactivate", "--sync", frame_window(), check=False)
    return layout(lambda l: l["activeWindow"] == "CMainFrame" and not l["modal"] and not l["popup"])


def active_slot(l):
    return next(p["slot"] for p in l["panes"] if p["active"])


def japanese_buttons(l, *expected):
    """The modal dialog's buttons include each expected text."""
    texts = " ".join(l["modalButtons"])
    missing = [e for e in expected if e not in texts]
    if missing:
        fail("%s shows %s, not %s" % (l["modal"], l["modalButtons"], missing))


def print_page(panes):
    """Prints through the print dialog to the PDF file and keeps a copy."""
    if os.path.exists(printed):
        os.remove(printed)
    frame_key("ctrl+p")
    l = layout(lambda l: l["modal"] == "QPrintDialog")
    japanese_buttons(l, "印刷", "キャンセル")
    shoot("09-print-dialog")
    xdo("key", "Return")
    if not wait_for(lambda: os.path.exists(printed) and os.path.getsize(printed) > 1000, 30):
        fail("printing %d panes wrote no PDF" % panes)
    layout(lambda l: not l["modal"])
    if PRINTS:
        os.makedirs(PRINTS, exist_ok=True)
        shutil.copy(printed, os.path.join(PRINTS, "print-%d-panes.pdf" % panes))


def frame_key(key):
    focus_frame()
    xdo("key", key)


def menu_command(key):
    frame_key("alt+f")
    layout(lambda l: l["popup"] == "QMenu")
    xdo("key", key)


def quit_from_menu(app):
    menu_command("x")
    try:
        app.wait(timeout=20)
    except subprocess.TimeoutExpired:
        fail("kestrin did not quit")


def save_through_dialog(keys, name):
    """Saves through the real file dialog that keys open, to a file in work; over
    an existing one only once the Japanese question is answered yes."""
    path = os.path.join(work, name)
    frame_key(keys)
    japanese_buttons(layout(lambda l: l["modal"] == "QFileDialog"), "保存", "キャンセル")
    shoot("06-save-dialog")
    xdo("key", "ctrl+a")
    xdo("type", "--delay", "20", path)
    xdo("key", "Return")
    if os.path.exists(path):
        japanese_buttons(layout(lambda l: l["modal"] == "QMessageBox"), "はい", "いいえ")
        shoot("06b-overwrite")
        os.remove(path)
        xdo("key", "alt+y")
    if not wait_for(lambda: os.path.exists(path), 30):
        fail(path + " was not saved")
    layout(lambda l: not l["modal"])
    return path


def same_as_saved(path):
    """The composite has the bytes of the one saved before undo."""
    with open(saved, "rb") as a:
        if not os.path.exists(path) or open(path, "rb").read() != a.read():
            fail(path + " is missing or differs from the composite saved before undo")


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


began = time.time()
try:
    processes.append(subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                                       "-noreset"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    if not wait_for(lambda: run("xdpyinfo", "-display", display, check=False).returncode == 0, 20):
        fail("Xvfb did not start")
    # The host names the current patient: the printed header carries the id.
    os.makedirs(env["MOLVEX_TEMP"], mode=0o700, exist_ok=True)
    run(os.path.join(BUILD, "app", "molvex-photodb"), "set-patient", "P-0042")
    # A real window manager: focus, activation and maximising behave as on a desktop.
    if not shutil.which("openbox"):
        fail("openbox is not installed (scripts/setup.sh installs it)")
    processes.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
    time.sleep(0.5)
    app = start(PHOTO)
    l = layout(lambda l: l["panes"] and l["rows"] and l["photo"]["w"] > 0, timeout=STARTING)
    shoot("01-start")
    icon = run("xprop", "-id", frame_window(), "_NET_WM_ICON", check=False).stdout
    if "not found" in icon or "=" not in icon:
        fail("the window has no icon")
    # The lock-key indicators follow the keyboard.
    frame_key("Caps_Lock")
    layout(lambda l: "CAP" in l["lit"] and "SCRL" not in l["lit"])
    xdo("key", "Caps_Lock")
    layout(lambda l: "CAP" not in l["lit"])

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
    # The active pane is a working one and stays so while the focus comes and goes.
    active = active_slot(l)
    if active == 0:
        fail("four panes start with the reference pane active")
    run("xdotool", "windowminimize", "--sync", frame_window(), check=False)
    focus_frame()
    time.sleep(0.5)
    l = layout()
    if active_slot(l) != active:
        fail("a focus change moved the active pane from slot %d to %d" % (active, active_slot(l)))

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

    # Zoomed and back to fit: nothing to scroll, so no scroll bars.
    click(*centre(l["toolbar"]["6032"]))
    layout(lambda l: not l["fitSize"])
    click(*centre(l["toolbar"]["6058"]))
    l = layout(lambda l: l["fitSize"])
    time.sleep(0.5)
    l = layout()
    if any(p["hScroll"] or p["vScroll"] for p in l["panes"]):
        fail("fit mode shows scroll bars: %s" % [(p["hScroll"], p["vScroll"]) for p in l["panes"]])

    # Save through the real file dialog, then again over the same file.
    for _ in range(2):
        save_through_dialog("ctrl+s", saved)

    # Undo the last five steps with Ctrl+Z and take them again with Ctrl+Y (the
    # last with Ctrl+Shift+Z): each bracket value returns, then comes back.
    adjusted = bracket(layout(lambda l: not l["modal"]), 1)
    states = [
        lambda l: l["redoName"] == "明るさ・コントラスト",
        lambda l: bracket(l, 1)["w"] == before["w"],
        lambda l: bracket(l, 1)["angle"] == moved["angle"],
        lambda l: bracket(l, 1)["x"] == b["x"],
        lambda l: not any(x["slot"] == 3 for x in l["brackets"]),
    ]
    for state in states:
        frame_key("ctrl+z")
        layout(state)
    shoot("11-undone")
    for i, state in enumerate(reversed(states)):
        frame_key("ctrl+shift+z" if i == 4 else "ctrl+y")
        layout(lambda l, s=state: not s(l))
    l = layout(lambda l: bracket(l, 1) == adjusted and not l["canRedo"])
    same_as_saved(save_through_dialog("ctrl+s", "redone.jpg"))
    kept = save_through_dialog("ctrl+shift+s", "kept.kestrin")

    # Printing: four panes, then printer set-up and the preview.
    print_page(4)
    for key, opened in (("r", lambda l: l["modal"] == "QPrintDialog" and "キャンセル" in " ".join(l["modalButtons"])),
                        ("v", lambda l: l["modal"] == "QPrintPreviewDialog" and l["modalMaximized"])):
        menu_command(key)
        layout(opened)
        shoot("10-menu-" + key)
        xdo("key", "Escape")
        l = layout(lambda l: not l["modal"])
    for panes, button in ((2, "6050"), (1, "6049")):
        click(*centre(l["toolbar"][button]))
        l = layout(lambda l, n=panes: len(l["panes"]) == n)
        print_page(panes)
    click(*centre(l["toolbar"]["6051"]))
    l = layout(lambda l: len(l["panes"]) == 4)
    if active_slot(l) == 0:
        fail("the reference pane became active")

    quit_from_menu(app)

    # The saved composite: four panes at the photograph's size with a tenth between.
    photo = read_ppm(PHOTO)
    pw, ph = photo[0], photo[1]
    image = read_ppm(saved)
    expected = (int(pw * 1.1 + pw), int(ph * 1.1 + ph))
    if (image[0], image[1]) != expected:
        fail("composite is %dx%d, expected %dx%d" % (image[0], image[1], *expected))
    origins = {1: (int(pw * 1.1), 0), 2: (0, int(ph * 1.1)), 3: (int(pw * 1.1), int(ph * 1.1))}
    xs, ys = zip(*clip)
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
    # The kept consultation reopens from the command line as it was saved, and
    # exports without a display to the same bytes.
    os.remove(layout_file)
    print("%.1f s: reopening %s" % (time.time() - began, kept))
    app = start(kept)
    layout(lambda l: {x["slot"] for x in l["brackets"]} == {1, 2, 3} and len(l["panes"]) == 4, timeout=STARTING)
    same_as_saved(save_through_dialog("ctrl+s", "reopened.jpg"))
    quit_from_menu(app)
    exported = os.path.join(work, "exported.jpg")
    bare = {k: v for k, v in env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    done = subprocess.run([os.path.join(BUILD, "app", "kestrin"), "--export", kept, exported], env=bare,
                          capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        fail("the export failed: " + done.stderr)
    same_as_saved(exported)

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
    shutil.rmtree(work, ignore_errors=True)
