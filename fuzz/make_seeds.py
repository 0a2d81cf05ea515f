#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into OUTPUT/<target>/.

  load:      the public sample files (when present) and PNG files built here, one
             for each kind of chunk content the summaries and edits look at;
  argument:  the command lines of the parser's tests;
  repair:    chunks in the repair fuzzer's input layout (see repair_fuzzer.cpp);
  fields:    every chunk of a type of the field model found in the load seeds, in
             the fields fuzzer's input layout (see fields_fuzzer.cpp);
  chunk_fields: a type byte, a colour type byte and the data of one chunk of each
             kind the field texts decode (see chunk_fields_fuzzer.cpp);
  cli_argument: velmora-cli command lines, the arguments apart at zero bytes;
  check:     the same files as load;
  rescue:    the load seeds behind an options byte of 0 (see rescue_fuzzer.cpp).

Usage: make_seeds.py OUTPUT [SAMPLE_FOLDER]
"""
import os
import struct
import sys
import zlib


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


SIGNATURE = b"\x89PNG\r\n\x1a\n"
IHDR = chunk(b"IHDR", struct.pack(">IIBBBBB", 640, 480, 8, 2, 0, 0, 0))
IEND = chunk(b"IEND", b"")


def png(*middle, header=IHDR):
    return SIGNATURE + header + b"".join(middle) + IEND


def built_files():
    long_keyword = b"K" * 200
    sjis_keyword = "キーワード".encode("cp932") * 30
    return {
        "minimal": SIGNATURE + IEND,
        "idat_run": png(chunk(b"IDAT", b"\x01\x02"), chunk(b"IDAT", b"\x03"), chunk(b"IDAT", b"\x04" * 40)),
        "damaged_idat": png(chunk(b"IDAT", b"\x01"), chunk(b"IDAT", b"\x02", 7), chunk(b"IDAT", b"\x03")),
        "texts": png(chunk(b"tEXt", b"Title\0Sample"), chunk(b"tEXt", b"Comment"), chunk(b"tEXt", b""),
                     chunk(b"tEXt", b"\0" + b"t" * 129), chunk(b"tEXt", long_keyword + b"\0" + b"x" * 200),
                     chunk(b"zTXt", b"Title\0\0xyz"), chunk(b"iTXt", long_keyword),
                     chunk(b"zTXt", sjis_keyword), chunk(b"tEXt", sjis_keyword + b"\0" + sjis_keyword)),
        "known_types": png(chunk(b"PLTE", b"\0" * 768), chunk(b"bKGD", b"\0\0"), chunk(b"cHRM", b"\0" * 32),
                           chunk(b"gAMA", b"\0\0\xb1\x8f"), chunk(b"hIST", b"\0\0"),
                           chunk(b"iCCP", b"P" * 100), chunk(b"iCCP", b"name\0\0z"), chunk(b"pHYs", b"\0" * 9),
                           chunk(b"sBIT", b"\x08\x08\x08"), chunk(b"sPLT", b"S" * 20),
                           chunk(b"sRGB", b"\x00"), chunk(b"sRGB", b"\xff"), chunk(b"sRGB", b""),
                           chunk(b"tIME", b"\x07\xd0\x01\x02\x03\x04\x05"), chunk(b"tIME", b"\x07"),
                           chunk(b"tRNS", b"\0"), chunk(b"IDAT", b"x")),
        "odd_types": png(chunk(b"\0\0\0\0", b""), chunk(b"\x80\xff\x01z", b"\x09"), chunk(b"AbCD", b"")),
        "no_ihdr_first": SIGNATURE + chunk(b"gAMA", b"\0\0\0\1") + IHDR + IEND,
        "short_ihdr": png(header=chunk(b"IHDR", b"\0\0\1")),
        "after_iend": png(chunk(b"IDAT", b"\1")) + chunk(b"tEXt", b"after") + b"\7",
        "no_iend": SIGNATURE + IHDR + chunk(b"IDAT", b"\1"),
        "huge_length": SIGNATURE + IHDR + b"\xff\xff\xff\xf0IDAT" + b"\0" * 8,
    }


ARGUMENTS = [
    b"", b"   ", b"   a.png", b"a.png b.png", b'"D:\\My Files\\a.png" b.png', b'"a.png"b.png',
    b'D:\\My" "Files\\a.png', b'"" a.png', b'""', b'"D:\\My Files\\a.png', b'a.png"', b"a.png\tb.png",
    b'" " a.png', b"x" * 300, b'"' + b" " * 270 + b'"a', "\"日本語 フォルダ\\表.png\"".encode("cp932"),
]


def repair_seed(flags, kind, word, clock, steps, cancel, data):
    """One repair input: flags, type, a 32-bit word, the first clock reading, two
    clock steps, the pump that cancels, then the chunk data."""
    return bytes([flags]) + kind + struct.pack(">IIHHB", word, clock, steps[0], steps[1], cancel) + data


def repair_seeds():
    data = bytes(range(40))
    return {
        "one_byte_yes": repair_seed(0x03, b"IDAT", 0x00170055, 0, (0, 0), 0, data),
        "one_byte_clock": repair_seed(0x02, b"tEXt", 0x00000001, 0xFFFFFF00, (700, 400), 0, data),
        "stored_word_no": repair_seed(0x00, b"IDAT", 0x12345678, 5000, (1200, 30), 0, data),
        "stored_word_yes": repair_seed(0x01, b"zTXt", 0xCAFEBABE, 0, (2000, 2000), 0, b"\x00" * 17),
        "cancel": repair_seed(0x00, b"IDAT", 0x0BADF00D, 100, (400, 400), 5, data),
        "empty": repair_seed(0x01, b"IEND", 0, 0, (0, 0), 0, b""),
        "one": repair_seed(0x02, b"sRGB", 0x0000FF00, 0, (0, 0), 0, b"\x01"),
        "type_damage": repair_seed(0x04, b"IDAT", 0x00020010, 0, (0, 0), 0, data),
    }


# The types in the order of the field model's kinds (fields/field_model.h).
FIELD_KINDS = [b"IHDR", b"PLTE", b"tRNS", b"bKGD", b"sBIT", b"gAMA", b"cHRM", b"sRGB", b"iCCP", b"pHYs",
               b"tIME", b"tEXt", b"zTXt", b"iTXt", b"cICP", b"mDCV", b"cLLI", b"acTL", b"fcTL", b"oFFs",
               b"pCAL", b"sCAL", b"sTER", b"gIFg", b"gIFx"]


def field_seeds(files):
    """Kind, colour type, bit depth and palette size of the file, then a chunk's data."""
    seeds = {}
    for name, content in sorted(files.items()):
        chunks, at = [], 8
        while at + 12 <= len(content):
            length = struct.unpack(">I", content[at:at + 4])[0]
            chunks.append((content[at + 4:at + 8], content[at + 8:at + 8 + length]))
            at += 12 + length
        ihdr = chunks[0][1] if chunks and chunks[0][0] == b"IHDR" and len(chunks[0][1]) == 13 else None
        layout = bytes([ihdr[9], ihdr[8]]) if ihdr else bytes([7, 0])
        palette = next((len(d) // 3 for t, d in chunks if t == b"PLTE"), 255)
        for k, (kind, data) in enumerate(chunks):
            if kind in FIELD_KINDS:
                head = bytes([FIELD_KINDS.index(kind)]) + layout + bytes([min(palette, 255)])
                seeds["%s_%02d" % (name, k)] = head + data
    return seeds


# The chunk fields fuzzer's type list, in its order.
CHUNK_FIELD_TYPES = [b"IHDR", b"PLTE", b"IDAT", b"IEND", b"tRNS", b"cHRM", b"gAMA", b"iCCP", b"sBIT", b"sRGB",
                   b"cICP", b"mDCV", b"cLLI", b"tEXt", b"zTXt", b"iTXt", b"bKGD", b"hIST", b"pHYs", b"sPLT",
                   b"eXIf", b"tIME", b"acTL", b"fcTL", b"fdAT", b"iDOT", b"oFFs", b"pCAL", b"sCAL", b"sTER",
                   b"gIFg", b"gIFx"]


def chunk_field_seeds():
    """One well-formed chunk of each type, and the chunks of the load seeds."""
    z = zlib.compress(b"Velmora text " * 20)
    good = {
        b"IHDR": struct.pack(">IIBBBBB", 640, 480, 8, 2, 0, 0, 0), b"PLTE": bytes(range(48)),
        b"tRNS": b"\0\x80\xff", b"cHRM": struct.pack(">8I", *range(31270, 31278)), b"gAMA": b"\0\0\xb1\x8f",
        b"iCCP": b"icc\0\0" + zlib.compress(b"\0" * 132), b"sBIT": b"\x05\x06\x05", b"sRGB": b"\0",
        b"cICP": b"\x01\x0d\x00\x01", b"mDCV": bytes(24), b"cLLI": bytes(8), b"tEXt": b"Title\0Velmora",
        b"zTXt": b"Comment\0\0" + z, b"iTXt": b"Title\0\1\0ja\0\xe9\xa1\x8c\0" + z,
        b"bKGD": b"\0\1\0\2\0\3", b"hIST": bytes(32), b"pHYs": struct.pack(">IIB", 11811, 11811, 1),
        b"sPLT": b"pal\0\x08" + bytes(12), b"eXIf": b"MM\0*\0\0\0\x08\0\0",
        b"tIME": b"\x07\xea\x0c\x0a\x03\x1a\x00", b"acTL": struct.pack(">II", 2, 0),
        b"fcTL": struct.pack(">IIIIIHHBB", 0, 4, 4, 0, 0, 1, 10, 0, 0), b"fdAT": b"\0\0\0\1x",
        b"iDOT": bytes(28), b"oFFs": struct.pack(">iiB", 10, -20, 0), b"pCAL": b"cal\0\0\0\0\0\0\0\xff\xff\0\x02m\0" + b"0\0001",
        b"sCAL": b"\x011.5\0002", b"sTER": b"\0", b"gIFg": b"\0\0\0\x0a", b"gIFx": b"VELMORA1abc",
    }
    seeds = {}
    for k, kind in enumerate(CHUNK_FIELD_TYPES):
        data = good.get(kind, b"")
        for colour in (2, 3):
            seeds["%s_%d" % (kind.decode(), colour)] = bytes([k, colour]) + data
    return seeds
# velmora-cli command lines, the arguments apart at zero bytes (the command first).
CLI_ARGUMENTS = [b"\0".join(words) for words in (
    [b"list", b"-r", b"--json", b"a.png"],
    [b"show", b"a.png", b"3"],
    [b"strip", b"--metadata", b"--keep=tEXt,iTXt", b"-o", b"out.png", b"a.png"],
    [b"strip", b"--type", b"tEXt", b"--break-animation", b"-d", b"out", b"a", b"b"],
    [b"merge", b"--drop-idot", b"--in-place", b"--lang", b"ja", b"--", b"-x.png"],
    [b"repair", b"--force-crc", b"--dry-run", b"-q", b"a.png"],
)]


def write_all(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, content in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)


def main():
    output = sys.argv[1]
    samples = sys.argv[2] if len(sys.argv) > 2 else ""
    loads = built_files()
    if samples and os.path.isdir(samples):
        for name in sorted(os.listdir(samples)):
            if name.endswith(".png"):
                with open(os.path.join(samples, name), "rb") as f:
                    loads["sample_" + name] = f.read()
    write_all(os.path.join(output, "load"), loads)
    write_all(os.path.join(output, "check"), loads)
    write_all(os.path.join(output, "argument"), {"line%02d" % k: a for k, a in enumerate(ARGUMENTS)})
    write_all(os.path.join(output, "repair"), repair_seeds())
    write_all(os.path.join(output, "fields"), field_seeds(loads))
    write_all(os.path.join(output, "chunk_fields"), chunk_field_seeds())
    write_all(os.path.join(output, "cli_argument"), {"cli%02d" % k: a for k, a in enumerate(CLI_ARGUMENTS)})
    write_all(os.path.join(output, "rescue"), {name: b"\x00" + data for name, data in loads.items()})


if __name__ == "__main__":
    main()
