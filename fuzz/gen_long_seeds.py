#!/usr/bin/env python3
"""Writes the long and deeply nested seeds of the XML target's corpus.

Mutations keep an input about as long as the one they start from, so the
fuzzer reaches deep nesting and long files from these in seconds instead of
growing short inputs for hours. Run again after changing it; the output is
the same every time.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "xml_fuzz")

RECORD = ("<Flag>1</Flag><Count>12</Count><Scale>0.25</Scale><Label>deep</Label>"
          "<Count2>-4</Count2><Scale2>3e5</Scale2><Label2>two</Label2>")


def deep_lines(depth):
    # One tag a line, as the writer lays a tree out, with the record's keys
    # at the bottom.
    opens = [" " * (i % 4) + "<Node%d>" % (i % 10) for i in range(depth)]
    closes = [" " * (i % 4) + "</Node%d>" % (i % 10) for i in reversed(range(depth))]
    return "<Root>\n" + "\n".join(opens) + "\n" + RECORD + "\n" + "\n".join(closes) + "\n</Root>\n"


def deep_one_line(depth):
    # Every tag on one line, attributes on each, some elements closed early.
    parts = ["<?xml version=\"1.0\"?><Root>"]
    for i in range(depth):
        parts.append("<e%d id=\"%d\" x=%d>" % (i % 7, i, i * 3))
        if i % 50 == 0:
            parts.append("<Count>%d</Count><Empty/>" % i)
    parts.append("text &amp; &lt;more&gt;")
    parts.append("</e>" * depth)
    parts.append(RECORD + "</Root>")
    return "".join(parts)


def long_values(count):
    # Few elements, long text: values full of entities, blanks and numbers
    # at the limits of the fields' types.
    entity_run = "&lt;&gt;&amp;&apos;&quot;" * 200
    numbers = ["99999999999999999999", "1e309", "-1e39", "nan", "2147483648", "1234567", "0x10", "1e-46"]
    lines = ["<Root>"]
    for i in range(count):
        lines.append("  <Label>%s</Label>" % (entity_run if i % 2 else "word " * 300))
        lines.append("  <Count>%s</Count>" % numbers[i % len(numbers)])
        lines.append("  <Scale>   %s   </Scale>" % numbers[(i + 3) % len(numbers)])
        lines.append("  <!-- %s -->" % ("-" * 500))
    lines.append("</Root>")
    return "\n".join(lines) + "\n"


def many_attributes(count):
    attributes = " ".join("a%d=\"%s\"" % (i, "v" * (i % 13)) for i in range(count))
    return "<Root %s>\n<Flag kind=\"x\" id=1>0</Flag>\n%s\n</Root>\n" % (attributes, RECORD)


def many_siblings(count):
    # A wide tree: the binder's search for a key runs over every child.
    children = "\n".join("<Key%d>%d</Key%d>" % (i % 97, i, i % 97) for i in range(count))
    return "<Root>\n" + children + "\n" + RECORD + "\n</Root>\n"


SEEDS = {
    "long_deep_lines.xml": deep_lines(1000),
    "long_deep_one_line.xml": deep_one_line(900),
    "long_values.xml": long_values(5),
    "long_many_attributes.xml": many_attributes(1000),
    "long_many_siblings.xml": many_siblings(1000),
}


def main():
    for name, text in SEEDS.items():
        with open(os.path.join(OUT, name), "w", newline="\n") as f:
            f.write(text)
        print("%s: %d bytes" % (name, len(text)))


if __name__ == "__main__":
    main()
