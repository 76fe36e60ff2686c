#!/usr/bin/env python3
"""Save soak: kills the desk with SIGKILL at random moments while it autosaves
and saves a maximal show, then checks what a user would find; and fills a
small disk during a save and an autosave. Run by hand (as root for the full
disk part), never in CI:

    scripts/soak_save.py [--build build] [--kills 200] [--seed 1]

After every kill:
  - the project file is the complete old or the complete new one (it loads,
    and its name is one the desk wrote),
  - the newest autosave loads,
  - no temporary file is left that a user would see.
Nothing here opens a network socket (Art-Net is simulated, the show has no
ports on).
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time


def run_desk(lumora, env, args, commands, timeout=60):
    p = subprocess.run([lumora, "--headless", "--console", "--manual-clock", "--sim"] + args,
                       input=commands, capture_output=True, text=True, env=env, timeout=timeout)
    return p.stdout, p.stderr


def loads(lumora, env, path):
    """The project's name when the desk reads `path` as a whole project."""
    out, _ = run_desk(lumora, env, [], f"queue file {path}\nclick Hoofdblad.LoadXML\n"
                      "get Hoofdblad.Status\nget ProjectName\n")
    lines = [l for l in out.splitlines() if l.startswith("ok")]
    if len(lines) < 3 or lines[-2] != 'ok "Project Loaded "':
        return None
    return lines[-1][4:-1]


def stray(folder):
    return [n for n in os.listdir(folder) if ".saving-" in n]


def kill_soak(lumora, make_show, kills, seed, base):
    rng = random.Random(seed)
    work = os.path.join(base, "kill")
    os.makedirs(work)
    home = os.path.join(work, "home")
    env = dict(os.environ, HOME=home, XDG_STATE_HOME=os.path.join(home, "state"),
               XDG_CONFIG_HOME=os.path.join(home, "config"), LUMORA_ARTNET_SIMULATE="1")
    state = os.path.join(home, "state", "lumora")
    show = os.path.join(work, "show.xml")
    subprocess.run([make_show, show], check=True)
    size = os.path.getsize(show)
    figures = dict(kills=0, project_ok=0, project_bad=0, autosave_ok=0, autosave_bad=0, autosave_none=0,
                   stray=0, backups_bad=0, saves_before_kill=0)
    names = {"Maximal show"}
    for i in range(kills):
        p = subprocess.Popen([lumora, "--headless", "--console", "--manual-clock", "--sim", "--project", show],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                             env=env, text=True, bufsize=1)
        saved = []

        def feed(n=i):
            try:
                p.stdin.write("set AutosaveMinutes 1\n")
                for k in range(1000):
                    name = f"Run {n} step {k}"
                    names.add(name)
                    # Every step autosaves; every third one also saves.
                    p.stdin.write(f'set ProjectName "{name}"\nset ProjectChanged -1\nadvance 61000\n')
                    if k % 3 == 2:
                        p.stdin.write("click Hoofdblad.Save_Instant\nget Hoofdblad.Status\n")
                    p.stdin.flush()
            except (BrokenPipeError, OSError, ValueError):
                pass

        def drain():
            try:
                for line in p.stdout:
                    if "Project Saved" in line:
                        saved.append(line)
            except (OSError, ValueError):
                pass

        tf = threading.Thread(target=feed, daemon=True)
        td = threading.Thread(target=drain, daemon=True)
        td.start()
        tf.start()
        time.sleep(rng.uniform(0.05, 3.0))
        p.send_signal(signal.SIGKILL)
        p.wait()
        tf.join(timeout=5)
        td.join(timeout=5)
        figures["kills"] += 1
        figures["saves_before_kill"] += len(saved)
        name = loads(lumora, env, show)
        if name is not None and name in names:
            figures["project_ok"] += 1
        else:
            figures["project_bad"] += 1
            print(f"kill {i}: project file not whole (name {name!r})", file=sys.stderr)
        autosaves = [os.path.join(state, n) for n in os.listdir(state)] if os.path.isdir(state) else []
        autosaves = [a for a in autosaves if a.endswith(".xml")]
        if not autosaves:
            figures["autosave_none"] += 1
        else:
            newest = max(autosaves, key=os.path.getmtime)
            if loads(lumora, env, newest) is not None:
                figures["autosave_ok"] += 1
            else:
                figures["autosave_bad"] += 1
                print(f"kill {i}: newest autosave {newest} does not load", file=sys.stderr)
        left = stray(work) + (stray(state) if os.path.isdir(state) else [])
        if left:
            figures["stray"] += 1
            print(f"kill {i}: left {left}", file=sys.stderr)
        for n in range(1, 6):
            b = f"{show}.{n}"
            if os.path.exists(b):
                with open(b, "rb") as f:
                    f.seek(-16, os.SEEK_END)
                    if b"</Lumora_XML>" not in f.read():
                        figures["backups_bad"] += 1
    figures["show_bytes"] = size
    return figures


def full_disk(lumora, make_show, base):
    """A 4 MB tmpfs holds the project and the state folder; a filler leaves
    less room than one show."""
    if os.geteuid() != 0:
        return {"skipped": "needs root to mount a tmpfs"}
    mnt = os.path.join(base, "full")
    os.makedirs(mnt)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "tmpfs", mnt], check=True)
    try:
        home = os.path.join(mnt, "home")
        env = dict(os.environ, HOME=home, XDG_STATE_HOME=os.path.join(home, "state"),
                   XDG_CONFIG_HOME=os.path.join(base, "config"), LUMORA_ARTNET_SIMULATE="1")
        show = os.path.join(mnt, "show.xml")
        subprocess.run([make_show, show], check=True)
        with open(show, "rb") as f:
            before = f.read()
        st = os.statvfs(mnt)
        free = st.f_bavail * st.f_frsize
        with open(os.path.join(mnt, "filler"), "wb") as f:
            f.write(b"\0" * max(0, free - len(before) // 2))
        out, err = run_desk(lumora, env, ["--project", show],
                            'set AutosaveMinutes 1\nset ProjectName "Bigger"\nset ProjectChanged -1\nadvance 61000\n'
                            "click Hoofdblad.Save_Instant\nget Hoofdblad.Status\nget ProjectChanged\n")
        with open(show, "rb") as f:
            after = f.read()
        lines = out.splitlines()
        save_box = [l for l in lines if l.startswith("msgbox") and "Save Error" in l]
        autosave_boxes = [l for l in lines if l.startswith("msgbox") and "utosave" in l]
        return {
            "save_message": save_box[0] if save_box else None,
            "status": [l for l in lines if l.startswith("ok ")][-2:],
            "project_unchanged": after == before,
            "autosave_logged": [l for l in err.splitlines() if "autosave" in l][:1],
            "autosave_boxes_shown": len(autosave_boxes),
            "stray": stray(mnt),
        }
    finally:
        subprocess.run(["umount", mnt])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--build", default="build")
    ap.add_argument("--kills", type=int, default=200)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    lumora = os.path.abspath(os.path.join(a.build, "lumora"))
    make_show = os.path.abspath(os.path.join(a.build, "bench", "write_maximal_show"))
    base = tempfile.mkdtemp(prefix="lumora-soak-")
    try:
        t0 = time.time()
        k = kill_soak(lumora, make_show, a.kills, a.seed, base)
        print("kill soak:", k, f"({time.time() - t0:.0f} s)")
        print("full disk:", full_disk(lumora, make_show, base))
        ok = k["project_bad"] == 0 and k["autosave_bad"] == 0 and k["stray"] == 0 and k["backups_bad"] == 0
        return 0 if ok else 1
    finally:
        shutil.rmtree(base, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
