#!/usr/bin/env python3
"""Checks of the compiled help file and of the release folder.

  check_help.py chm --chm FILE --staged DIR --help-dir DIR --sources DIR...
      FILE is a valid CHM (ITSF header and its sections), extract_chmLib unpacks
      it, every page, the contents and the index are inside it byte for byte as the
      build converted them (DIR, code page 932, with the version filled in), every
      link between the pages resolves, and every program text the pages quote
      (<samp>) is one of the program's texts in the given source folders: a part
      of a string literal as the screen shows it (a mnemonic's ampersand dropped),
      or, for a formatted text, what its format can produce (the examples).

  check_help.py release --dist DIR --build DIR
      DIR holds velmora.exe (i686), velmora.chm, readme.txt (code page 932, CRLF,
      with the version and the limits) and velmora-VERSION.zip of exactly those
      three, each the same as in the win32 build.
"""
import argparse
import html
import os
import re
import struct
import subprocess
import sys
import tempfile
import zipfile

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


# ---------------------------------------------------------------- the CHM file

def check_itsf(path):
    data = open(path, "rb").read()
    if len(data) < 0x60 or data[:4] != b"ITSF":
        fail("%s: no ITSF signature" % path)
        return
    version, header_length = struct.unpack_from("<II", data, 4)
    language = struct.unpack_from("<I", data, 0x14)[0]
    if version != 3 or header_length != 0x60:
        fail("%s: ITSF version %d with a header of %d bytes (expected 3 and 96)"
             % (path, version, header_length))
    if language != 0x0411:
        fail("%s: language 0x%04X, not Japanese (0x0411)" % (path, language))
    # Two header sections follow the fixed part: the first records the file size,
    # the second is the directory, which starts with ITSP.
    size_offset, size_length, dir_offset, dir_length = struct.unpack_from("<QQQQ", data, 0x38)
    if size_offset + 16 > len(data) or data[size_offset:size_offset + 4] != b"\xfe\x01\x00\x00":
        fail("%s: the first header section is missing" % path)
    elif struct.unpack_from("<Q", data, size_offset + 8)[0] != len(data):
        fail("%s: the recorded file size differs from the real one" % path)
    if dir_offset + dir_length > len(data) or data[dir_offset:dir_offset + 4] != b"ITSP":
        fail("%s: the directory (ITSP) is missing" % path)


def extract(chm, folder):
    result = subprocess.run(["extract_chmLib", chm, folder], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT)
    if result.returncode != 0:
        fail("extract_chmLib %s ended with %d" % (chm, result.returncode))
    files = set()
    for base, _, names in os.walk(folder):
        for name in names:
            files.add(os.path.relpath(os.path.join(base, name), folder).replace(os.sep, "/"))
    return files


def expected_files(help_dir):
    return sorted(name for name in os.listdir(help_dir)
                  if name.endswith((".html", ".css")) or name in ("toc.hhc", "index.hhk"))


def read_page(folder, name):
    data = open(os.path.join(folder, name), "rb").read()
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as error:
        fail("%s: not code page 932 (%s)" % (name, error))
        return None
    if name.endswith((".html", ".hhc", ".hhk")) and not re.search(
            r'<meta[^>]*charset=Shift_JIS', text, re.I):
        fail("%s: declares no Shift_JIS charset" % name)
    if "@VELMORA_VERSION@" in text:
        fail("%s: the version was not filled in" % name)
    return text


# ---------------------------------------------------------------- links

LINK = re.compile(r'\b(?:href|src)\s*=\s*"([^"]*)"', re.I)
LOCAL = re.compile(r'<param\s+name="Local"\s+value="([^"]*)"', re.I)
ANCHOR = re.compile(r'\b(?:id|name)\s*=\s*"([^"]*)"', re.I)


def check_links(pages, inside):
    anchors = {name: set(ANCHOR.findall(text)) for name, text in pages.items()}
    count = 0
    for name, text in sorted(pages.items()):
        targets = LOCAL.findall(text) if name.endswith((".hhc", ".hhk")) else LINK.findall(text)
        for target in targets:
            if re.match(r"(https?|mailto):", target):
                continue
            count += 1
            file_part, _, anchor = target.partition("#")
            file_part = file_part or name
            if file_part not in inside:
                fail("%s: link to %s, which is not in the help file" % (name, target))
            elif anchor and anchor not in anchors.get(file_part, set()):
                fail("%s: link to %s, which has no anchor %s" % (name, file_part, anchor))
    contents = set(t.partition("#")[0] for t in LOCAL.findall(pages.get("toc.hhc", "")))
    for name in pages:
        if name.endswith(".html") and name not in contents:
            fail("%s is not in the table of contents" % name)
    if not LOCAL.findall(pages.get("index.hhk", "")):
        fail("the index has no entries")
    return count


# ---------------------------------------------------------------- program texts

TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|\'(?:[^\'\\\n]|\\.)*\'|"((?:[^"\\\n]|\\.)*)"(\s*)', re.S)
ESCAPES = {"n": "\n", "t": "\t", "0": "\0", "\\": "\\", '"': '"', "'": "'", "r": "\r"}


def string_literals(text):
    """The string literals of a C, C++ or resource source, comments left out;
    literals that stand side by side are joined as the compiler joins them."""
    literals = []
    joining = False
    for match in TOKEN.finditer(text):
        if match.group(1) is None:
            joining = False
            continue
        value = re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), match.group(1))
        if joining and literals:
            literals[-1] += value
        else:
            literals.append(value)
        # The next literal continues this one when nothing but blanks lies between.
        joining = text.startswith('"', match.end())
    return literals


def shown_form(text):
    """What a control or menu shows for its text: "&&" is one ampersand, and the
    ampersand of a mnemonic disappears (its letter is underlined)."""
    return re.sub(r"&(.)", r"\1", text)


FORMAT = re.compile(r"%(%|[-+ 0#]*(\d+|\*)?(?:\.(\d+|\*))?(?:hh|h|ll|l|I64|z)?([diuxXcsp]))")


def format_pattern(text):
    """A pattern for the texts that a printf format produces."""
    out = []
    last = 0
    for match in FORMAT.finditer(text):
        out.append(re.escape(text[last:match.start()]))
        conversion = match.group(4)
        if match.group(1) == "%":
            out.append("%")
        elif conversion in "di":
            out.append(r" *-?\d+")
        elif conversion == "u":
            out.append(r" *\d+")
        elif conversion in "xXp":
            out.append(r" *[0-9A-Fa-f]+")
        else:
            out.append(r".*")
        last = match.end()
    out.append(re.escape(text[last:]))
    # A format of conversions alone ("%s%s") would let any quotation pass.
    fixed = FORMAT.sub("", text).strip()
    return re.compile("".join(out), re.S) if last and len(fixed) >= 2 else None


def program_texts(folders):
    pieces = set()
    for folder in folders:
        for base, _, names in os.walk(folder):
            for name in names:
                if not name.endswith((".cpp", ".h", ".rc", ".in")):
                    continue
                text = open(os.path.join(base, name), encoding="utf-8", errors="replace").read()
                for literal in string_literals(text):
                    for piece in [literal] + re.split(r"[\n\t\0]", literal):
                        piece = shown_form(piece).strip()
                        if piece:
                            pieces.add(piece)
    patterns = [p for p in (format_pattern(piece) for piece in pieces) if p]
    return pieces, patterns


SAMP = re.compile(r"<samp>(.*?)</samp>", re.S | re.I)


def check_quotes(pages, folders):
    pieces, patterns = program_texts(folders)
    count = 0
    for name, text in sorted(pages.items()):
        for raw in SAMP.findall(text):
            quoted = html.unescape(re.sub(r"<[^>]*>", "", raw)).strip()
            count += 1
            if any(quoted in piece for piece in pieces):
                continue
            if any(pattern.fullmatch(quoted) for pattern in patterns):
                continue
            fail("%s quotes \"%s\", which the program does not show" % (name, quoted))
    return count


def check_chm(args):
    check_itsf(args.chm)
    with tempfile.TemporaryDirectory() as folder:
        inside = extract(args.chm, folder)
        pages = {}
        for name in expected_files(args.help_dir):
            if name not in inside:
                fail("%s is not in the help file" % name)
                continue
            built = open(os.path.join(args.staged, name), "rb").read()
            if open(os.path.join(folder, name), "rb").read() != built:
                fail("%s differs from the page the build converted" % name)
            text = read_page(folder, name)
            if text is not None and not name.endswith(".css"):
                pages[name] = text
        links = check_links(pages, inside)
        quotes = check_quotes(pages, args.sources)
    print("%s: %d files inside, %d pages, %d links, %d quoted program texts"
          % (args.chm, len(inside), len(pages), links, quotes))


# ---------------------------------------------------------------- the release

def read_version(build):
    header = open(os.path.join(build, "generated", "velmora_version.h"), encoding="utf-8").read()
    match = re.search(r'#define\s+VELMORA_VERSION_TEXT\s+"([^"]+)"', header)
    if not match:
        fail("no VELMORA_VERSION_TEXT in the generated header")
        return "?"
    return match.group(1)


def pe_machine(data):
    if data[:2] != b"MZ":
        return None
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if data[offset:offset + 4] != b"PE\0\0":
        return None
    return struct.unpack_from("<H", data, offset + 4)[0]


def check_readme(data, version):
    if b"\n" in data.replace(b"\r\n", b"") or b"\r" in data.replace(b"\r\n", b""):
        fail("readme.txt has line ends other than CRLF")
    if not data.endswith(b"\r\n"):
        fail("readme.txt does not end with a line end")
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as error:
        fail("readme.txt is not code page 932 (%s)" % error)
        return
    for needed in ("Ver." + version, "velmora.exe", "velmora-cli.exe", "4 MiB", "IEND"):
        if needed not in text:
            fail("readme.txt does not mention %s" % needed)


def check_release(args):
    version = read_version(args.build)
    names = ["velmora.exe", "velmora-cli.exe", "velmora.chm", "readme.txt"]
    archive = "velmora-%s.zip" % version
    present = sorted(os.listdir(args.dist))
    if present != sorted(names + [archive]):
        fail("dist holds %s, expected %s" % (present, sorted(names + [archive])))
    files = {}
    for name in names:
        path = os.path.join(args.dist, name)
        files[name] = open(path, "rb").read() if os.path.exists(path) else b""
    if files["velmora.exe"] != open(os.path.join(args.build, "velmora.exe"), "rb").read():
        fail("velmora.exe is not the program of the win32 build")
    if pe_machine(files["velmora.exe"]) != 0x14C:
        fail("velmora.exe is not an i686 program")
    if files["velmora-cli.exe"] != open(os.path.join(args.build, "velmora-cli.exe"), "rb").read():
        fail("velmora-cli.exe is not the console program of the win32 build")
    if pe_machine(files["velmora-cli.exe"]) != 0x14C:
        fail("velmora-cli.exe is not an i686 program")
    if files["velmora.chm"] != open(os.path.join(args.build, "help", "velmora.chm"), "rb").read():
        fail("velmora.chm is not the help file of the win32 build")
    check_readme(files["readme.txt"], version)
    path = os.path.join(args.dist, archive)
    if os.path.exists(path):
        with zipfile.ZipFile(path) as zip_file:
            if sorted(zip_file.namelist()) != sorted(names):
                fail("%s holds %s" % (archive, zip_file.namelist()))
            elif zip_file.testzip() is not None:
                fail("%s is damaged" % archive)
            else:
                for name in names:
                    if zip_file.read(name) != files[name]:
                        fail("%s in %s differs from dist/%s" % (name, archive, name))
    print("%s: %s, version %s" % (args.dist, ", ".join(present), version))


def main():
    parser = argparse.ArgumentParser()
    commands = parser.add_subparsers(dest="command", required=True)
    chm = commands.add_parser("chm")
    chm.add_argument("--chm", required=True)
    chm.add_argument("--staged", required=True)
    chm.add_argument("--help-dir", required=True)
    chm.add_argument("--sources", nargs="+", required=True)
    release = commands.add_parser("release")
    release.add_argument("--dist", required=True)
    release.add_argument("--build", required=True)
    args = parser.parse_args()
    (check_chm if args.command == "chm" else check_release)(args)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
