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
UTF-8 literals (u8"...") are the other builds' UTF-8 too, so they are copied as
they stand.

Usage: cp932_escape.py INPUT OUTPUT
"""
import sys


def utf8_literal_spans(text):
    """Yields (start, end) of the contents of every u8"..." literal."""
    k = 0
    while True:
        k = text.find('u8"', k)
        if k < 0:
            return
        if k > 0 and (text[k - 1].isalnum() or text[k - 1] == "_"):
            k += 3
            continue
        start = end = k + 3
        while end < len(text) and text[end] not in '"\n':
            end += 2 if text[end] == "\\" else 1
        yield start, end
        k = end + 1


def escape(text):
    kept = set()
    for start, end in utf8_literal_spans(text):
        kept.update(range(start, end))
    out = []
    for k, ch in enumerate(text):
        if ord(ch) < 0x80 or k in kept:
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
