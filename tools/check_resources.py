#!/usr/bin/env python3
"""Reads the compiled resources back and checks them byte for byte.

The resource compiler is free to OR extra style bits into a template or to
pick another layout than the one written, so the check reads what was really
produced: a .res file, a COFF object from windres, or a finished PE file.

    check_resources.py dump FILE        print every resource found
    check_resources.py installer FILE   the installer's dialog, icon, version, manifest
    check_resources.py editor FILE      the stand-in editor's 33 icons
    check_resources.py sample FILE      the Brick.tpf sample document

Exits 0 when everything matches, 1 with one line per fault otherwise.
"""
import struct
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
TYPE_NAMES = {RT_ICON: "ICON", RT_DIALOG: "DIALOG", RT_GROUP_ICON: "GROUP_ICON",
              RT_VERSION: "VERSION", RT_MANIFEST: "MANIFEST"}
LANG_EN_US = 0x0409
EDITOR_ICON_COUNT = 33


class Fault(Exception):
    pass


# ---------------------------------------------------------------- containers

def read_utf16z(data, pos):
    end = pos
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le"), end + 2


def read_sz_or_ordinal(data, pos):
    """A name that is either 0xFFFF + ordinal or a NUL-terminated UTF-16 string."""
    first, = struct.unpack_from("<H", data, pos)
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
    return read_utf16z(data, pos)


def align4(pos):
    return (pos + 3) & ~3


def parse_res(data):
    """A .res file: a run of headers each followed by its data."""
    found = {}
    pos = 0
    while pos + 8 <= len(data):
        size, header_size = struct.unpack_from("<II", data, pos)
        rtype, p = read_sz_or_ordinal(data, pos + 8)
        name, p = read_sz_or_ordinal(data, p)
        p = align4(p)
        _, _, lang = struct.unpack_from("<IHH", data, p)
        if size or rtype or name:  # the leading empty record marks the format
            found[(rtype, name, lang)] = data[pos + header_size:pos + header_size + size]
        pos = align4(pos + header_size + size)
    return found


def walk_directory(section, to_offset):
    """The three-level type/name/language tree of a .rsrc section."""
    def entries(offset):
        named, ids = struct.unpack_from("<HH", section, offset + 12)
        for i in range(named + ids):
            key, target = struct.unpack_from("<II", section, offset + 16 + 8 * i)
            if key & 0x80000000:
                length, = struct.unpack_from("<H", section, key & 0x7FFFFFFF)
                start = (key & 0x7FFFFFFF) + 2
                key = section[start:start + 2 * length].decode("utf-16-le")
            yield key, target

    found = {}
    for rtype, names in entries(0):
        for name, langs in entries(names & 0x7FFFFFFF):
            for lang, leaf in entries(langs & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", section, leaf)
                start = to_offset(rva)
                found[(rtype, name, lang)] = section[start:start + size]
    return found


def parse_coff(data):
    """A windres COFF object: data offsets are relative to .rsrc until linked."""
    _, sections, _, _, _, optional, _ = struct.unpack_from("<HHIIIHH", data, 0)
    for i in range(sections):
        at = 20 + optional + 40 * i
        name = data[at:at + 8].rstrip(b"\0")
        size, raw = struct.unpack_from("<II", data, at + 16)
        if name == b".rsrc":
            return walk_directory(data[raw:raw + size], lambda rva: rva)
    raise Fault("no .rsrc section in object file")


def parse_pe(data):
    pe, = struct.unpack_from("<I", data, 0x3C)
    _, sections, _, _, _, optional, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic, = struct.unpack_from("<H", data, opt)
    directories = opt + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", data, directories + 8 * 2)
    if not rsrc_size:
        return {}
    table = []
    for i in range(sections):
        at = opt + optional + 40 * i
        vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, at + 8)
        table.append((va, max(vsize, rawsize), raw))

    def file_offset(rva):
        for va, size, raw in table:
            if va <= rva < va + size:
                return rva - va + raw
        raise Fault("resource RVA 0x%x is outside every section" % rva)

    base = file_offset(rsrc_rva)
    return walk_directory(data[base:], lambda rva: file_offset(rva) - base)


def load_resources(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] == b"MZ":
        return parse_pe(data)
    if data[:2] == b"\x4c\x01":  # IMAGE_FILE_MACHINE_I386 object
        return parse_coff(data)
    if data[:8] == b"\0\0\0\0\x20\0\0\0":
        return parse_res(data)
    raise Fault("%s is neither a PE file, an i386 object nor a .res file" % path)


# ------------------------------------------------------------------ decoders

def decode_dialog(data):
    """A classic DLGTEMPLATE and its items; refuses DIALOGEX."""
    if struct.unpack_from("<HH", data, 0) == (1, 0xFFFF):
        raise Fault("dialog is a DIALOGEX template, not a classic one")
    style, exstyle, count, x, y, cx, cy = struct.unpack_from("<IIHhhhh", data, 0)
    pos = 18
    menu, pos = read_sz_or_ordinal(data, pos)
    wclass, pos = read_sz_or_ordinal(data, pos)
    title, pos = read_utf16z(data, pos)
    dialog = dict(style=style, exstyle=exstyle, x=x, y=y, cx=cx, cy=cy, menu=menu,
                  wclass=wclass, title=title, font=None, controls=[])
    if style & 0x40:  # DS_SETFONT
        points, = struct.unpack_from("<H", data, pos)
        face, pos = read_utf16z(data, pos + 2)
        dialog["font"] = (points, face)
    for _ in range(count):
        pos = align4(pos)
        cstyle, cexstyle, x, y, cx, cy, cid = struct.unpack_from("<IIhhhhH", data, pos)
        pos += 18
        cclass, pos = read_sz_or_ordinal(data, pos)
        text, pos = read_sz_or_ordinal(data, pos)
        extra, = struct.unpack_from("<H", data, pos)
        pos += 2 + extra
        dialog["controls"].append(dict(style=cstyle, exstyle=cexstyle, x=x, y=y, cx=cx,
                                       cy=cy, id=cid, wclass=cclass, text=text,
                                       extra=extra))
    return dialog


def decode_version(data):
    """VS_VERSIONINFO as (fixed fields, {table: {key: value}}, translation words)."""
    def node(pos):
        length, value_length, vtype = struct.unpack_from("<HHH", data, pos)
        key, p = read_utf16z(data, pos + 6)
        p = align4(p)
        value_bytes = value_length * 2 if vtype == 1 else value_length
        value = data[p:p + value_bytes]
        p = align4(p + value_bytes)
        children = []
        while p < pos + length:
            child, p = node(p)
            children.append(child)
            p = align4(p)
        return (key, vtype, value, children), pos + length

    (key, _, fixed, children), _ = node(0)
    if key != "VS_VERSION_INFO":
        raise Fault("version resource key is %r" % key)
    fields = struct.unpack("<13I", fixed)
    if fields[0] != 0xFEEF04BD:
        raise Fault("VS_FIXEDFILEINFO signature is 0x%08x" % fields[0])
    names = ["signature", "struct_version", "file_ms", "file_ls", "product_ms",
             "product_ls", "flags_mask", "flags", "os", "type", "subtype",
             "date_ms", "date_ls"]
    tables, translation = {}, None
    for ckey, _, _, cchildren in children:
        if ckey == "StringFileInfo":
            for tkey, _, _, strings in cchildren:
                tables[tkey] = {s[0]: s[2].decode("utf-16-le").rstrip("\0") for s in strings}
        elif ckey == "VarFileInfo":
            for vkey, _, value, _ in cchildren:
                if vkey == "Translation":
                    translation = struct.unpack("<%dH" % (len(value) // 2), value)
    return dict(zip(names, fields)), tables, translation


def decode_group_icon(data):
    reserved, rtype, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or rtype != 1:
        raise Fault("group icon header is (%d, %d)" % (reserved, rtype))
    keys = ["width", "height", "colours", "reserved", "planes", "bits", "size", "id"]
    return [dict(zip(keys, struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)))
            for i in range(count)]


def check_icon_group(resources, group_id, faults):
    """One 32x32 16-colour image, as the group says and as the image says."""
    group = resources.get((RT_GROUP_ICON, group_id, LANG_EN_US))
    if group is None:
        faults.append("icon group %d (U.S. English) is missing" % group_id)
        return None
    images = decode_group_icon(group)
    if len(images) != 1:
        faults.append("icon group %d has %d images, not 1" % (group_id, len(images)))
        return None
    entry = images[0]
    wanted = dict(width=32, height=32, colours=16, planes=1, bits=4)
    for key, value in wanted.items():
        if entry[key] != value:
            faults.append("icon group %d: %s is %d, not %d" % (group_id, key, entry[key], value))
    image = resources.get((RT_ICON, entry["id"], LANG_EN_US))
    if image is None:
        faults.append("icon group %d names image %d, which is missing" % (group_id, entry["id"]))
        return None
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", image, 0)
    if (size, width, height, planes, bits) != (40, 32, 64, 1, 4):
        faults.append("icon image %d header is %r, not a 32x32 4-bit DIB"
                      % (entry["id"], (size, width, height, planes, bits)))
    expected_length = 40 + 16 * 4 + 32 * 16 + 32 * 4
    if len(image) != expected_length or entry["size"] != expected_length:
        faults.append("icon image %d is %d bytes (group says %d), not %d"
                      % (entry["id"], len(image), entry["size"], expected_length))
    return image


# ------------------------------------------------------------------- checks

INSTALLER_DIALOG = dict(style=0x90C800C4, exstyle=0, x=82, y=33, cx=200, cy=58, menu="",
                        wclass="", title="Install Tessellograph at", font=(8, "MS Sans Serif"))
INSTALLER_CONTROLS = [
    (1, "button", "OK", 10, 34, 40, 14, 0x50010000),
    (2, "button", "Cancel", 150, 34, 40, 14, 0x50010000),
    (3073, "button", "Browse", 150, 10, 40, 14, 0x50010000),
    (3072, "edit", "", 10, 12, 130, 12, 0x50810800),
]
CLASS_ORDINALS = {"button": 0x80, "edit": 0x81}
VERSION_STRINGS = {
    "CompanyName": "Quorrelin",
    "FileDescription": "TessellographInstall",
    "FileVersion": "1.00",
    "InternalName": "TessellographInstall",
    "OriginalFilename": "TessellographInstall.exe",
    "ProductName": "TessellographInstall",
    "ProductVersion": "1.00",
}
SUPPORTED_OS = [
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
]


def same_class(found, name):
    if isinstance(found, int):
        return found == CLASS_ORDINALS[name]
    return found.lower() == name


def check_dialog(resources, faults):
    data = resources.get((RT_DIALOG, "TPFI000", LANG_EN_US))
    if data is None:
        faults.append('dialog "TPFI000" (U.S. English) is missing')
        return
    dialog = decode_dialog(data)
    for key, value in INSTALLER_DIALOG.items():
        if dialog[key] != value:
            show = (lambda v: "0x%08X" % v) if key in ("style", "exstyle") else repr
            faults.append("dialog %s is %s, not %s" % (key, show(dialog[key]), show(value)))
    controls = dialog["controls"]
    if len(controls) != len(INSTALLER_CONTROLS):
        faults.append("dialog has %d controls, not %d" % (len(controls), len(INSTALLER_CONTROLS)))
    for n, (found, wanted) in enumerate(zip(controls, INSTALLER_CONTROLS)):
        cid, wclass, text, x, y, cx, cy, style = wanted
        got = (found["id"], found["text"], found["x"], found["y"], found["cx"],
               found["cy"], found["style"], found["exstyle"], found["extra"])
        if got != (cid, text, x, y, cx, cy, style, 0, 0) or not same_class(found["wclass"], wclass):
            faults.append("control %d is id=%d class=%r text=%r at (%d,%d) %dx%d style=0x%08X "
                          "exstyle=0x%X extra=%d, not id=%d class=%r text=%r at (%d,%d) %dx%d "
                          "style=0x%08X" % ((n, found["id"], found["wclass"]) + got[1:]
                                            + (cid, wclass, text, x, y, cx, cy, style)))


def check_version(resources, faults):
    data = resources.get((RT_VERSION, 1, LANG_EN_US))
    if data is None:
        faults.append("version resource 1 (U.S. English) is missing")
        return
    fixed, tables, translation = decode_version(data)
    wanted = dict(file_ms=0x00010000, file_ls=0, product_ms=0x00010000, product_ls=0,
                  flags_mask=0x3F, flags=0, os=0x40004, type=1, subtype=0)
    for key, value in wanted.items():
        if fixed[key] != value:
            faults.append("version %s is 0x%X, not 0x%X" % (key, fixed[key], value))
    if list(tables) != ["040904E4"]:
        faults.append("version string tables are %r, not ['040904E4']" % list(tables))
    elif tables["040904E4"] != VERSION_STRINGS:
        faults.append("version strings are %r, not %r" % (tables["040904E4"], VERSION_STRINGS))
    if translation != (0x0409, 0x04B0):
        faults.append("version Translation is %r, not (0x0409, 0x04B0)" % (translation,))


def check_manifest(resources, faults):
    data = resources.get((RT_MANIFEST, 1, LANG_EN_US))
    if data is None:
        faults.append("manifest 1 (U.S. English) is missing")
        return
    try:
        root = ET.fromstring(data)
    except ET.ParseError as error:
        faults.append("manifest is not well-formed XML: %s" % error)
        return
    v1, v3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
    compat = "{urn:schemas-microsoft-com:compatibility.v1}"
    identity = root.find(v1 + "assemblyIdentity")
    wanted_identity = dict(name="Quorrelin.TessellographInstall", version="1.0.0.0",
                           processorArchitecture="x86", type="win32")
    if identity is None or dict(identity.attrib) != wanted_identity:
        faults.append("manifest assemblyIdentity is %r"
                      % (None if identity is None else dict(identity.attrib)))
    levels = root.findall(".//%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                          % (v3, v3, v3, v3))
    if [dict(e.attrib) for e in levels] != [dict(level="requireAdministrator", uiAccess="false")]:
        faults.append("manifest requestedExecutionLevel is %r" % [dict(e.attrib) for e in levels])
    ids = [e.get("Id") for e in root.findall(".//%sapplication/%ssupportedOS" % (compat, compat))]
    if ids != SUPPORTED_OS:
        faults.append("manifest supportedOS is %r" % ids)


def check_installer(resources):
    faults = []
    expected = {(RT_DIALOG, "TPFI000"), (RT_GROUP_ICON, 500), (RT_VERSION, 1), (RT_MANIFEST, 1)}
    for rtype, name, lang in resources:
        if lang != LANG_EN_US:
            faults.append("%s %r has language 0x%04X" % (TYPE_NAMES.get(rtype, rtype), name, lang))
        if rtype != RT_ICON and (rtype, name) not in expected:
            faults.append("unexpected resource %s %r" % (TYPE_NAMES.get(rtype, rtype), name))
    check_dialog(resources, faults)
    check_icon_group(resources, 500, faults)
    check_version(resources, faults)
    check_manifest(resources, faults)
    return faults


def check_editor(resources):
    faults = []
    groups = sorted(name for (rtype, name, _) in resources if rtype == RT_GROUP_ICON)
    # ExtractIcon counts groups in directory order (named first, then by id).
    if groups != list(range(1, EDITOR_ICON_COUNT + 1)):
        faults.append("icon groups are %r, not 1..%d" % (groups, EDITOR_ICON_COUNT))
    images = [check_icon_group(resources, n, faults) for n in range(1, EDITOR_ICON_COUNT + 1)]
    drawn = [image for image in images if image is not None]
    if len(set(drawn)) != len(drawn):
        faults.append("some editor icons are identical")
    return faults


def check_sample(path):
    with open(path, "rb") as f:
        data = f.read()
    faults = []
    if data[:4] != b"TPF1":
        return ["sample starts with %r, not b'TPF1'" % data[:4]]
    width, height, colours = struct.unpack_from("<HHH", data, 4)
    expected = 10 + 3 * colours + width * height
    if len(data) != expected:
        faults.append("sample is %d bytes, header says %d" % (len(data), expected))
    if not 100 <= len(data) <= 200:
        faults.append("sample is %d bytes, outside 100..200" % len(data))
    cells = data[10 + 3 * colours:]
    if any(cell >= colours for cell in cells):
        faults.append("sample uses a colour index beyond its %d-colour palette" % colours)
    return faults


def dump(resources):
    for (rtype, name, lang), data in sorted(resources.items(), key=lambda item: repr(item[0])):
        print("%s %r lang=0x%04X %d bytes" % (TYPE_NAMES.get(rtype, rtype), name, lang, len(data)))
        if rtype == RT_DIALOG:
            dialog = decode_dialog(data)
            controls = dialog.pop("controls")
            print("  style=0x%08X exstyle=0x%X" % (dialog.pop("style"), dialog.pop("exstyle")), dialog)
            for c in controls:
                print("  control id=%d style=0x%08X exstyle=0x%X class=%r text=%r (%d,%d) %dx%d"
                      % (c["id"], c["style"], c["exstyle"], c["wclass"], c["text"],
                         c["x"], c["y"], c["cx"], c["cy"]))
        elif rtype == RT_VERSION:
            fixed, tables, translation = decode_version(data)
            print("  ", {k: hex(v) for k, v in fixed.items()})
            print("  ", tables, "Translation", [hex(w) for w in translation or ()])
        elif rtype == RT_GROUP_ICON:
            for entry in decode_group_icon(data):
                print("  ", entry)
        elif rtype == RT_MANIFEST:
            print(data.decode("utf-8"))


def main(argv):
    if len(argv) != 3 or argv[1] not in ("dump", "installer", "editor", "sample"):
        sys.stderr.write(__doc__)
        return 2
    mode, path = argv[1], argv[2]
    try:
        if mode == "sample":
            faults = check_sample(path)
        else:
            resources = load_resources(path)
            if mode == "dump":
                dump(resources)
                return 0
            faults = check_installer(resources) if mode == "installer" else check_editor(resources)
    except (Fault, struct.error, UnicodeDecodeError, OSError) as error:
        faults = ["cannot read %s: %s" % (path, error)]
    for fault in faults:
        print("FAULT: %s" % fault)
    if faults:
        return 1
    print("%s: %s resources as expected" % (path, mode))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
