#!/usr/bin/env python3
"""Copies a UTF-8 source file with every non-ASCII character written as the octal
escapes of its code page 932 bytes.

clang accepts no execution character set but UTF-8, while the program's texts
are code page 932 (the other builds say -fexec-charset=CP932). Escaping the
characters keeps the fuzzed texts byte for byte what the program shows: text
lengths and cuts depend on them. Octal escapes take exactly three digits, so
no following character can extend one; 0x5C as a second byte becomes \\134 and
is no escape character. Characters outside string literals only occur in
comments, where the escapes are harmless. A character that code page 932 lacks
is left as it is (it can only be in a comment, or the other builds would fail).

Usage: cp932_escape.py INPUT OUTPUT
"""
import sys


def escape(text):
    out = []
    for ch in text:
        if ord(ch) < 0x80:
            out.append(ch)
            continue
        try:
            encoded = ch.encode("cp932")
        except UnicodeEncodeError:
            out.append(ch)
            continue
        out.append("".join("\\%03o" % b for b in encoded))
    return "".join(out)


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding="utf-8") as f:
        f.write(escape(text))


if __name__ == "__main__":
    main()
