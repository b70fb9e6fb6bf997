"""Throwaway Wine prefixes for running an installer, and readers for what a
run left in one, from the Linux side.

One pristine prefix per arch is booted once for each Wine version and kept in
a folder of prefixes; each run gets a copy of it made next to it, so that its
programs can be hard links (the win64 prefix is over a gigabyte). The prefix
is headless: with Wine's null driver windows exist and take messages without
a display.

In the emulated machine of tools/wine-machine, $TESSELLOGRAPH_WINE_LOCAL is a
folder on the guest's own memory: the pristine prefixes are copied there once
a boot and the runs are made there, while the folder of prefixes on the host
keeps the pristine ones between boots.
"""
import fcntl
import os
import re
import shutil
import subprocess
import tempfile

BINARY = re.compile(r"\.(dll|exe|drv|sys|nls|ocx|acm|cpl|tlb|ax|com|vxd|ds|msstyles)$", re.I)
PROGRAMS = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs"
SETTINGS = r"HKCU\Software\Quorrelin\Tessellograph"


def value_table():
    """The 43 default values an install writes, as (root, key, type, text)."""
    table = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "wine", "registry_values.txt")
    return [tuple(line.split("\t")) for line in open(table).read().splitlines() if line and line[0] != "#"]


class Prefix:
    def __init__(self, arch, prefixes):
        self.arch, self.prefixes = arch, os.path.abspath(prefixes)
        self.runs = os.environ.get("TESSELLOGRAPH_WINE_LOCAL") or self.prefixes
        self.program_files = r"C:\Program Files (x86)" if arch == "win64" else r"C:\Program Files"
        self.env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEARCH=arch, WINEDEBUG="-all", WINEDLLOVERRIDES="winemenubuilder.exe=d")
        self.confined, self.immutable = [], []  # see unwritable
        self.codepage = "cp1252"  # the ANSI code page of the runs, which Wine takes from the locale

    def use_locale(self, name, codepage):
        """Runs in this Linux locale, whose ANSI code page is `codepage` ("cp932")."""
        self.env.update(LANG=name, LC_ALL=name)
        self.codepage = codepage

    def wine(self, *command, **options):
        return subprocess.run([*self.confined, *command], env=options.pop("env", self.env), stdin=subprocess.DEVNULL,
                              **options)

    def prepare(self):
        """The arch's pristine prefix, booted if this Wine has not booted it."""
        os.makedirs(self.runs, exist_ok=True)
        pristine = os.path.join(self.runs, "pristine-" + self.arch)
        kept = os.path.join(self.prefixes, "pristine-" + self.arch)
        version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
        with open(pristine + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            booted = lambda prefix: os.path.exists(os.path.join(prefix, ".booted")) and \
                open(os.path.join(prefix, ".booted")).read() == version
            if booted(pristine):
                return pristine
            shutil.rmtree(pristine, ignore_errors=True)
            if kept != pristine and booted(kept):
                self.copy_prefix(kept, pristine)
                return pristine
            self.boot(version, pristine)
            if kept != pristine:
                os.makedirs(self.prefixes, exist_ok=True)
                shutil.rmtree(kept, ignore_errors=True)
                self.copy_prefix(pristine, kept)
        return pristine

    def boot(self, version, pristine):
        booting = tempfile.mkdtemp(dir=self.runs, prefix="booting-")
        # The user's shell folders are made links into $HOME: boot with a
        # scratch home, then make them plain folders of the prefix.
        env = dict(self.env, WINEPREFIX=booting, HOME=booting + ".home",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")

        def step(*command, timeout=900):
            """Runs a step of the boot; one that fails ends it with what Wine
            said, and leaves nothing, so that no later run takes it as booted."""
            with tempfile.TemporaryFile("w+") as said:  # a file: Wine's programs may outlive the step
                try:
                    status = self.wine(*command, env=env, stdout=said, stderr=subprocess.STDOUT,
                                       timeout=timeout).returncode
                    why = f"exit status {status}"
                except subprocess.TimeoutExpired:
                    status, why = None, f"still running after {timeout} s"
                if status == 0:
                    return
                self.wine("wineserver", "-k", env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                shutil.rmtree(booting, ignore_errors=True)
                shutil.rmtree(booting + ".home", ignore_errors=True)
                said.seek(0)
                raise SystemExit(f"wine_prefix: booting the {self.arch} prefix failed: `{' '.join(command)}` "
                                 f"({why}); Wine said:\n{said.read().rstrip() or '(nothing)'}")
        step("wineboot", "-i")
        for folder, names, files in os.walk(os.path.join(booting, "drive_c")):
            for link in [os.path.join(folder, name) for name in names + files]:
                if os.path.islink(link):
                    os.remove(link)
                    os.mkdir(link)
        step("wine", "reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/d", "null", "/f")
        step("wineserver", "-w")
        shutil.rmtree(booting + ".home", ignore_errors=True)
        open(os.path.join(booting, ".booted"), "w").write(version)
        os.rename(booting, pristine)

    @staticmethod
    def copy_prefix(source, target):
        """A whole copy, made beside the target and renamed into place."""
        copying = tempfile.mkdtemp(dir=os.path.dirname(target), prefix="copying-")
        shutil.copytree(source, os.path.join(copying, "prefix"), symlinks=True)
        os.rename(os.path.join(copying, "prefix"), target)
        os.rmdir(copying)

    def copy(self):
        """A fresh copy of the pristine prefix to run in; returns its path."""
        pristine = self.prepare()  # makes the folder of prefixes too
        self.work = tempfile.mkdtemp(dir=self.runs, prefix=f"run-{self.arch}-")
        self.path = os.path.join(self.work, "prefix")
        shutil.copytree(pristine, self.path, symlinks=True, copy_function=lambda source, target:
                        os.link(source, target) if BINARY.search(source) else shutil.copy2(source, target))
        open(os.path.join(self.path, ".update-timestamp"), "w").write("disable\n")  # no DLL rewrites
        self.env.update(WINEPREFIX=self.path, HOME=self.work)
        return self.path

    def remove(self, keep=False):
        """Removes the run's copy, or with `keep` says where it is."""
        for host in self.immutable:
            subprocess.run(["chattr", "-i", host])
        if keep:
            return print("kept prefix: WINEPREFIX=" + self.path)
        shutil.rmtree(self.work, ignore_errors=True)

    def unwritable(self, path):
        """Makes a file on drive C: one that the prefix's programs can neither
        write, nor delete, nor make writable, though they run as root: it is
        made immutable where the file system and our capabilities allow
        (overlay, 9p and containers often do not). Otherwise it is made
        read-only, which Wine also keeps from being deleted, and as root
        given to nobody, with Wine run from then on without the capabilities
        that would override that."""
        host = self.host(path)
        immutable = subprocess.run(["chattr", "+i", host], capture_output=True, text=True)
        if immutable.returncode == 0:
            return self.immutable.append(host)
        os.chmod(host, 0o444)
        if os.geteuid() == 0:
            os.chown(host, 65534, 65534)
            dropped = "-dac_override,-fowner,-chown"
            self.confined = ["setpriv", "--inh-caps=" + dropped, "--bounding-set=" + dropped, "--"]
        print(f"{path} is read-only{' and owned by nobody' * (os.geteuid() == 0)}, as it cannot be made immutable "
              f"({immutable.stderr.strip()})")

    @staticmethod
    def windows(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def host(self, path):
        """The Linux path of a path on a drive of the prefix."""
        return os.path.join(self.path, "dosdevices", path[:2].lower(), *path[3:].split("\\"))

    def run(self, *command, timeout=900, loader="wine"):
        """Runs a Windows program and waits until every program of the prefix
        has ended and the registry is saved. Returns its output, and whether
        all ended by themselves within 120 s (those still running are ended).
        `wine` runs a system program such as cmd as a 32-bit one; Debian's
        /usr/lib/wine/wine64 as a 64-bit one."""
        self.wine("wineserver", "-p0")  # the server leaves, and saves, with the last program
        # Into a file: the programs it starts inherit its output and may outlive it.
        with tempfile.TemporaryFile("w+", encoding=self.codepage) as output:
            self.wine("timeout", "-k", "10", str(timeout), loader, *command, stdout=output)
            output.seek(0)
            text = output.read()
        try:
            self.wine("wineserver", "-w", timeout=120)
            return text, True
        except subprocess.TimeoutExpired:
            self.wine("wineserver", "-k")
            return text, False

    def expand(self, text):
        """The text with its %NAME%s expanded as a program of the prefix's own
        arch expands them (a 64-bit one in win64); unknown names stay."""
        if not hasattr(self, "environment"):  # once per run
            output, _ = self.run("cmd", "/c", "set", loader="/usr/lib/wine/wine64" if self.arch == "win64" else "wine")
            lines = [line.partition("=") for line in output.splitlines()]
            self.environment = {name.upper(): value for name, _, value in lines}
            bits = self.environment.get("PROCESSOR_ARCHITECTURE")
            if bits != ("AMD64" if self.arch == "win64" else "x86"):
                raise SystemExit(f"wine_prefix: cmd ran as {bits}, not as a program of the {self.arch} prefix")
        return re.sub(r"%([^%]*)%", lambda name: self.environment.get(name[1].upper(), name[0]), text)

    def registry(self, hive="system", prefix=None):
        """A registry file of this prefix (or another) as
        {key, lower case: [class, {value name: (type, text)}, key]}."""
        unescape = lambda text: re.sub(r"\\(x[0-9a-fA-F]{1,4}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                                       if len(m.group(1)) > 1 else m.group(1), text)
        keys, key = {}, None
        for line in open(os.path.join(prefix or self.path, hive + ".reg"), encoding="latin-1").read().splitlines():
            if line.startswith("["):
                name = unescape(line[1:line.rindex("]")])
                key = keys.setdefault(name.lower(), [None, {}, name])
            elif key and line.startswith("#class="):
                key[0] = unescape(line[8:-1])
            elif key and (m := re.match(r'^(@|"(?:[^"\\]|\\.)*")=(str\(2\):)?("(.*)")?', line)):
                kind = "other" if m.group(3) is None else "REG_EXPAND_SZ" if m.group(2) else "REG_SZ"
                key[1]["" if m.group(1) == "@" else unescape(m.group(1)[1:-1])] = (kind, unescape(m.group(4) or ""))
        return keys

    def default_values(self):
        """Each of the 43 keys as stored here: {"ROOT\\key": ((type, text) or None, class or None)}."""
        registry = self.registry()
        found = {}
        for root, key, _, _ in value_table():
            keyclass, values, _ = registry.get(("software\\classes\\" if root == "HKCR" else "") + key.lower(), (None, {}, ""))
            found[f"{root}\\{key}"] = (values.get(""), keyclass)
        return found

    def shortcut(self, path):
        """What lnkinfo reads in a shortcut: its local path, the last item of
        its ID list (None where it has none), and what else it sets."""
        info = subprocess.run(["lnkinfo", "-c", self.codepage.replace("cp", "windows-"), self.host(path)],
                              capture_output=True, text=True).stdout
        local = re.findall(r"^\s*Local path\s*: (.*)$", info, re.M)
        items = re.findall(r"^\s*Name\s*: (.*)$", info, re.M)
        extras = re.findall(r"^\s*(Description|Working directory|Command line arguments|Icon location|"
                            r"Hot Key value\s*: [1-9]|Icon index\s*: [1-9]|Show Window value\s*: 0x0*[1-9a-f])",
                            info, re.M)
        return (local or [None])[0], (items or [None])[-1], extras
