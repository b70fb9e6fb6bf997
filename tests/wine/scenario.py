#!/usr/bin/env python3
"""Plays one scenario of the installer under Wine, then checks from the Linux
side what it left: files byte for byte, the registry values with their types
and key classes, the shortcuts as lnkinfo reads them, and what the driver saw.

    scenario.py win32|win64 SCENARIO|prepare WINDOWS_BUILD_DIR
    scenario.py list

Each scenario runs in its own copy of a pristine prefix (tools/wine_prefix.py),
kept beside the build or in $TESSELLOGRAPH_WINE_PREFIXES.
"""
import difflib
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from wine_prefix import PROGRAMS, SETTINGS, Prefix, value_table  # noqa: E402

SUCCESS = r"box: TessellographInstall: Tessellograph is installed!!!\r\nWould you like to run Tessellograph now? | icon"
NOT_INSTALLED = "box: TessellographInstall: Tessellograph was not installed!!! | icon"
REFUSAL = r"box: Install Tessellograph at: {}\r\nChoose {} to install Tessellograph in. | icon | owned"
IN_USE = (r"box: TessellographInstall: Tessellograph or another program is using its files in {}.\r\nClose it and "
          "choose Retry, or Cancel to install nothing. | icon")
# The longest folder whose files stay within 259 characters, and one longer.
LONGEST = r"C:\Long" + "\\" + "a" * 60 + "\\" + "b" * 60 + "\\" + "x" * 109
TOO_LONG = LONGEST[:-109] + "y" * 110
# A folder whose files fit but whose group's shortcuts would be 260 characters long.
LONG_GROUP = "C:\\" + "g" * (260 - len(PROGRAMS + "\\" + r"\Tessellograph3D.lnk"))
PATH_TOO_LONG = "The path of the folder you chose is too long.", "a folder with a shorter path"
UNUSABLE = "The name of the folder you chose has characters that Setup cannot use.", "another folder"
REFUSED = {  # a folder the dialog refuses: why, and what it asks for instead
    "browse=::{20D04FE0-3AEA-1069-A2D8-08002B30309D}": ("The folder you chose is not a folder on a disk.",
                                                         "a folder on a drive"),  # My Computer
    r"browse=C:\startup": ("The folder you chose is named Startup: Windows would start Tessellograph at every "
                           "sign-in.", "a folder with another name"),
    f"browse={TOO_LONG}": PATH_TOO_LONG, f"browse={LONG_GROUP}": PATH_TOO_LONG,
    r"browse=C:\a%TEMP%b\c": ('The path of the folder you chose has a "%", which Windows reads as part of a '
                              'variable.', 'a folder without "%"'),  # in a middle component
    r"browse=C:\%u6570%u636E": UNUSABLE, r"browse=C:\%u0100rea": UNUSABLE}  # lacking, and only a look-alike


def payloads(folder):  # the files of an install, each holding its payload as built
    return {rf"{folder}\{name}": "standin/" + name for name in ("Brick.tpf", "Tessellograph3D.exe", "Tessellograph.exe")}


def scenarios(pf):
    """What each scenario does and expects. `pf` is Program Files as the 32-bit
    installer sees it. `installed`: a folder holding a complete install, with
    the 43 values naming it and its group with both shortcuts; `values` and
    `links` check those alone (no `values`: none is stored; `links` follow
    `values` unless given, None: not checked); `left` says what files hold
    afterwards, over those of `installed` (None: nothing is there; a str: the
    built file of that path). `made` is put on the disk before the run, in the same
    terms; `then` are more runs, each after putting its files on the disk;
    `read_only` is a file Wine cannot write; `settings` are the editor's
    settings left (None: no key)."""
    default = pf + r"\Quorrelin"
    brick, engine, main = built = payloads(default)  # the paths, and what each holds as built
    settings = [f"reg={SETTINGS}|{name}|old" for name in ("Data", "Sweep", "Keep")]
    group = PROGRAMS + r"\Quorrelin"  # the Start menu group of an install in default
    opened = [f"dialog: Install Tessellograph at: {default}", "placed: centred"]
    editor = rf"editor: Tessellograph - {{}} | {main}".format  # the editor that shows, with its document
    in_use = [*opened, IN_USE.format(default)]
    editor_runs = [f"run={main}", "start", "ok"]  # the editor holds its own program
    soft = pf + "\\ソフト"  # in code page 932 the second byte of ソ is a backslash

    def run(steps, edit=(), box=SUCCESS, answer="no", exit=0, **checks):  # OK, then the outcome box answered
        return dict(checks, steps=steps + ["ok", f"answer={answer}"], expect=[*opened, *edit, box, f"exit: {exit}"])

    def fault(steps, named, reason, edit=(), **checks):  # a failed install: the box names the first failure
        box = rf"box: TessellographInstall: Tessellograph was not completely installed!!!\r\n{named}: {reason} | icon"
        return run(steps, edit, box, "ok", 2, **{"values": default, **checks})
    return {
        # Then the user opens the sample and the editor's shortcut. Then a uxtheme.dll of ours, which ends any
        # process that loads it, beside a copy, and Wine told to prefer it: the copy installs as Windows 10, then
        # as Vista, where the installer cannot keep its own folder out of the search.
        "default": dict(
            made={r"C:\Downloads\TessellographInstall.exe": "TessellographInstall.exe",
                  r"C:\Downloads\uxtheme.dll": "tests/wine/TessellographPlanted.dll"},
            steps=settings + ["start", r"browse-cancel=C:\windows", "ok", "answer=yes", f"open={brick}",
                              rf"open={group}\Tessellograph.lnk"]
            + [r"reg=HKCU\Software\Wine\AppDefaults\TessellographInstall.exe\DllOverrides|uxtheme|native,builtin"]
            + [step for version in ("win10", "vista") for step in (
                rf"reg=HKCU\Software\Wine\AppDefaults\TessellographInstall.exe|Version|{version}",
                r"start=C:\Downloads\TessellographInstall.exe", "ok", "answer=no")],
            expect=[*opened, f"edit: {default}", SUCCESS, "exit: 0", editor("(no document)"), editor(brick),
                    editor("(no document)")] + [*opened, SUCCESS, "exit: 0"] * 2, installed=default, settings=["Keep"]),
        "cancel": dict(  # Cancel, then the dialog's close box: neither installs, both forget the settings
            steps=settings + ["start", "cancel", "answer=ok", "start", "close", "answer=ok"],
            expect=[*opened, NOT_INSTALLED, "exit: 1"] * 2, settings=["Keep"], left={default: None, group: None}),
        # Four runs, each over what the last left, without a settings key: over spoilt files, shortcut and
        # values; with the editor running, Retry once it is closed installs, and Cancel leaves every file.
        "reinstall": dict(
            steps=["start", "ok", "answer=no"], installed=default, then=[
                ({brick: b"j" * 300000, main: b"", group + r"\Tessellograph.lnk": b"\xa5" * 300},
                 [f"stale={root}\\{key}" for root, key, _, _ in value_table()] + ["start", "ok", "answer=no"]),
                ({engine: b"j" * 300000}, editor_runs + ["answer=retry", "answer=no"]),
                ({brick: b"old sample"}, editor_runs + ["answer=cancel", "answer=ok"])],
            expect=[*opened, SUCCESS, "exit: 0"] * 2 + [*in_use, editor("(no document)"), SUCCESS, "exit: 0"]
            + [*in_use, editor("(no document)"), NOT_INSTALLED, "exit: 1"], left={brick: b"old sample"}),
        "parent_missing": fault(["start", r"browse=C:\Deep\Nested", r"rmdir=C:\Deep\Nested", r"rmdir=C:\Deep"],
                                r"C:\Deep\Nested", "Path not found.", [r"edit: C:\Deep\Nested"],
                                made={r"C:\Deep\Nested": None}, left={r"C:\Deep": None}, values=r"C:\Deep\Nested"),
        # A sample that Wine, though root, cannot write.
        "readonly_sample": fault(["start"], brick, "Access denied.", made={brick: b"old"}, read_only=brick,
                                 installed=default, left={brick: b"old"}),
        "file_as_install_folder": fault(["start"], default, "File exists.", made={default: b"in the way"},
                                        left={default: b"in the way"}),
        "in_the_way": fault(  # a folder named Brick.tpf, a file named like the group, and a volatile
            # key, which takes no stored subkey and is itself not saved
            [r"volatile=HKLM\SOFTWARE\Classes\Quorrelin.Tessellograph3D", "start"], brick, "Access denied.",
            made={brick: None, group: b"in the way"}, links=None, unsaved="Quorrelin.Tessellograph3D",
            left={engine: built[engine], main: built[main], default + r"\Brick.tmp": None, group: b"in the way"}),
        # D: fills while the main program is written: the old one stays whole.
        "full_drive": fault(
            ["start", r"browse=D:\Quorrelin"], r"D:\Quorrelin\Tessellograph.exe", "Disk full.", [r"edit: D:\Quorrelin"],
            drive="16k", installed=r"D:\Quorrelin", made={path: b"old" for path in payloads(r"D:\Quorrelin")},
            left={r"D:\Quorrelin\Tessellograph.exe": b"old", r"D:\Quorrelin\Tessellograph.tmp": None}),
        # Files named C:\\Brick.tpf and so on; then Wine's shortcuts keep no ID list.
        "drive_root": run(["start", "browse=C:\\"], ["edit: C:\\"], installed="C:\\", links=(PROGRAMS, "C:", False)),
        # Wine's code page 932; the group is named after the folder's last character, not byte.
        "japanese": run(["start", rf"browse={pf}\%u30BD%u30D5%u30C8"], [f"edit: {soft}"], installed=soft,
                        made={soft: None}, locale=("ja_JP.UTF-8", "cp932")),
        # Each refused, the last folder chosen stays; the longest that fits installs. Then the dialog at
        # Wine's system DPI at 96 (the first), 144 and 192, with that folder longer than its box.
        "refused_folders": dict(
            made={folder: None for folder in (r"C:\Kept", LONGEST, TOO_LONG, LONG_GROUP, r"C:\a%TEMP%b\c",
                                              "C:\\\u6570\u636e", "C:\\\u0100rea", r"C:\startup")},
            steps=["start", r"browse=C:\Kept"] + [step for browse in REFUSED for step in (browse, "answer=ok")] + [
                f"browse={LONGEST}", "ok", "answer=no"] + [
                step for dpi in (96, 144, 192) for step in (
                    f"dpi={dpi}", "start", f"browse={LONGEST}", "measure", "cancel", "answer=ok")],
            expect=[*opened, r"edit: C:\Kept"] + [line for why in REFUSED.values() for line in (
                r"edit: C:\Kept", REFUSAL.format(*why))]
            + [f"edit: {LONGEST}", SUCCESS, "exit: 0"] + [line for dpi in (96, 144, 192) for line in (
                *opened, f"edit: {LONGEST}", f"shown: as at {dpi} dpi, end in view", NOT_INSTALLED, "exit: 1")],
            installed=LONGEST, left={r"C:\Kept\Tessellograph.exe": None, default: None}),
    }


class Run:
    def __init__(self, arch, build):
        self.build, self.failures = build, 0
        prefixes = os.environ.get("TESSELLOGRAPH_WINE_PREFIXES") or os.path.join(build, "..", "wine-prefixes")
        self.prefix = Prefix(arch, prefixes)

    def check(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        self.failures += not ok
        return ok

    def drive(self, steps):
        windows = lambda path: Prefix.windows(os.path.join(self.build, path))
        transcript, ended = self.prefix.run(windows("tests/wine/TessellographTestDriver.exe"),
                                            windows("TessellographInstall.exe"), *steps)
        print(transcript, end="")
        self.check(ended, "every program of the run ended")
        return transcript.splitlines()

    def bytes(self, content):
        return open(os.path.join(self.build, content), "rb").read() if isinstance(content, str) else content

    def check_files(self, left):
        for path, content in left.items():
            host = self.prefix.host(path)
            found = open(host, "rb").read() if os.path.isfile(host) else os.path.exists(host) or None
            self.check(found == self.bytes(content),
                       f"{path} " + ("does not exist" if content is None else f"holds {content}"))

    def check_values(self, folder, unsaved=None):  # `unsaved`: a key that with its subkeys is not stored
        # As a program of the prefix's arch reads them: a 64-bit one in win64.
        program = rf"{folder}\Tessellograph.exe"
        # default_values() holds the table's keys in the table's order.
        for (root, key, kind, text), (found, keyclass) in zip(value_table(), self.prefix.default_values().values()):
            if folder is None or unsaved in key.split("\\"):
                self.check(keyclass is None, f"{root}\\{key} is not stored")
                continue
            (found_kind, found_text), expected = found or (None, None), text.replace("{program}", program)
            read = self.prefix.expand(found_text) if found_kind == "REG_EXPAND_SZ" else found_text
            # Within Program Files named by a variable, so that the value follows it.
            named = kind == "REG_EXPAND_SZ" and str(folder).startswith(self.prefix.program_files + "\\")
            ok = (found_kind, read, keyclass, read != found_text) == (kind, expected, "REG_SZ", named)
            self.check(ok, f"{root}\\{key}: {kind} {expected}" + " once its variable is expanded" * named
                       + ", class REG_SZ" + ("" if ok else f" (found {found}, read as {read}, {keyclass})"))

    def check_links(self, group, folder, listed=True):
        for name in ("Tessellograph3D", "Tessellograph"):
            target = rf"{folder}\{name}.exe"
            local, item, extras = self.prefix.shortcut(rf"{group}\{name}.lnk")
            # Its ID list (unless Wine kept none) ends in the program where that exists; nothing else is set.
            self.check(local == target and (item == (name + ".exe" if listed else None)
                                            or not os.path.isfile(self.prefix.host(target)))
                       and not extras, f"lnkinfo: {name}.lnk leads to {target} and sets nothing else "
                                       f"({local}, {item}, {extras})")

    def make(self, made):
        """Puts on a drive folders (None), files (their bytes) and copies of built files (their path)."""
        for path, content in made.items():
            host = self.prefix.host(path)
            os.makedirs(host if content is None else os.path.dirname(host), exist_ok=True)
            if content is not None:
                open(host, "wb").write(self.bytes(content))

    def play(self, name):
        scenario = scenarios(self.prefix.program_files)[name]
        self.prefix.copy()
        if "locale" in scenario:
            self.prefix.use_locale(*scenario["locale"])
        try:
            if "drive" in scenario:  # D: a tmpfs of that size, mounted in this process's own mount namespace
                self.mount = os.path.join(self.prefix.work, "d")
                os.mkdir(self.mount)
                subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + scenario["drive"], "tmpfs", self.mount], check=True)
                # A link: Wine takes no folder as a drive. The pristine prefix has no D:, or this fails loudly.
                os.symlink(self.mount, os.path.join(self.prefix.path, "dosdevices", "d:"))
            self.make(scenario.get("made", {}))
            if "read_only" in scenario:
                self.prefix.unwritable(scenario["read_only"])
            seen = self.drive(scenario["steps"])
            for files, steps in scenario.get("then", ()):
                self.make(files)
                seen += self.drive(steps)
            if not self.check(seen == scenario["expect"], "the driver printed what was expected, and only that"):
                print(*difflib.unified_diff(scenario["expect"], seen, "expected", "printed", lineterm=""), sep="\n")
            folder = scenario.get("installed")
            self.check_files(dict(payloads(folder) if folder else {}, **scenario.get("left", {})))
            values = folder or scenario.get("values")
            self.check_values(values, scenario.get("unsaved"))
            if scenario.get("links", values):
                self.check_links(*scenario.get("links") or (PROGRAMS + "\\" + values.rsplit("\\", 1)[-1], values))
            found = self.prefix.registry("user").get(SETTINGS[5:].lower())
            left, kept = found and sorted(found[1]), scenario.get("settings")
            self.check(left == kept, f"the editor's settings left are {kept} (found {left})")
        finally:
            if hasattr(self, "mount"):
                subprocess.run(["umount", self.mount])
            self.prefix.remove(keep=os.environ.get("TESSELLOGRAPH_KEEP_PREFIX") == "1")
        print(f"{self.prefix.arch}.{name}: {self.failures} failed")
        return 1 if self.failures else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["list"]:
        sys.exit(print(";".join(scenarios(""))))
    if len(sys.argv) != 4 or sys.argv[1] not in ("win32", "win64") or sys.argv[2] not in [*scenarios(""), "prepare"]:
        sys.exit(__doc__)
    if "drive" in scenarios("").get(sys.argv[2], {}) and os.environ.get("TESSELLOGRAPH_OWN_MOUNTS") != "1":
        os.environ["TESSELLOGRAPH_OWN_MOUNTS"] = "1"  # a drive of its own, mounted where only this run sees it
        os.execvp("unshare", ["unshare", "-m", "--propagation", "private", sys.executable, *sys.argv])
    run = Run(sys.argv[1], os.path.abspath(sys.argv[3]))
    sys.exit(0 if sys.argv[2] == "prepare" and run.prefix.prepare() else run.play(sys.argv[2]))
