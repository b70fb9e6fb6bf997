#!/usr/bin/env python3
"""Runs the built installer in a throwaway Wine prefix, for tools/run-installer.

    show_install.py WINDOWS_BUILD_DIR

With a display you operate it yourself. Without one, TessellographHeadlessUser
presses OK and answers No, and this prints what the install left: the files,
the Start-menu shortcuts and the registry values.
"""
import os
import sys

from wine_prefix import Prefix

build = os.path.abspath(sys.argv[1])
prefix = Prefix(os.environ.get("WINEARCH", "win32"), os.path.join(build, "..", "wine-prefixes"))
print(f"Preparing a {prefix.arch} Wine prefix ...")
prefix.copy()
installer = Prefix.windows(os.path.join(build, "TessellographInstall.exe"))
try:
    if os.environ.get("DISPLAY"):
        prefix.env["DISPLAY"] = os.environ["DISPLAY"]
        prefix.wine("wine", "reg", "delete", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/f")
        status = prefix.wine("wine", installer).returncode
        sys.exit(print(f"TessellographInstall.exe ended with exit code {status}") or status)
    output, _ = prefix.run(Prefix.windows(os.path.join(build, "TessellographHeadlessUser.exe")), installer)
    print(output)
    folder = prefix.program_files + r"\Quorrelin"
    programs = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Quorrelin"
    print(f"Install folder {folder}:")
    for name in sorted(os.listdir(prefix.host(folder))):
        print(f"  {name:22} {os.path.getsize(prefix.host(folder + chr(92) + name)):9} bytes")
    print(f"\nStart-menu group {programs}:")
    for name in sorted(os.listdir(prefix.host(programs))):
        print(f"  {name:22} -> {prefix.shortcut(programs + chr(92) + name)[0]}")
    print("\nRegistry (HKCR is HKLM\\Software\\Classes):")
    for key, (keyclass, values, name) in sorted(prefix.registry().items()):
        ours = key.startswith((r"software\classes\quorrelin", r"software\classes\.tpf", r"software\classes\tpffile"))
        if ours and "" in values:
            print(f"  HKLM\\{name}\n      {values[''][0]}: {values[''][1]}")
finally:
    prefix.remove()
