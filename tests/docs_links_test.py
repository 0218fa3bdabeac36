#!/usr/bin/python3
"""Every relative link and picture of README.md and docs/*.md resolves: the
file exists, and a #anchor names a heading of that page (as the usual
Markdown renderers make anchors from headings). Pictures must be PNG files
of at most 200 KB, so that the pages stay light.

    docs_links_test.py --root DIR"""

import argparse
import re
import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
ROOT = None
MAX_PICTURE_BYTES = 200_000

LINK = re.compile(r"!?\[(?:[^\]\[]|\[[^\]]*\])*\]\(([^)\s]+)(?:\s+\"[^\"]*\")?\)")
IMG = re.compile(r"<img\s[^>]*src=\"([^\"]+)\"")
FENCE = re.compile(r"^(```|~~~)")


def anchor(heading):
    """The anchor of a heading: lower case, inline code marks and punctuation
    dropped (hyphens and underscores kept), each blank a hyphen."""
    text = heading.strip().lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def prose_lines(text):
    """The lines outside fenced code blocks."""
    inside = False
    for line in text.splitlines():
        if FENCE.match(line.strip()):
            inside = not inside
            continue
        if not inside:
            yield line


def anchors_of(path):
    seen, names = {}, set()
    for line in prose_lines(path.read_text(encoding="utf-8")):
        m = re.match(r"^#{1,6}\s+(.*?)\s*#*\s*$", line)
        if not m:
            continue
        base = anchor(m.group(1))
        n = seen.get(base, 0)
        names.add(base if n == 0 else f"{base}-{n}")
        seen[base] = n + 1
    return names


def links_of(path):
    for number, line in enumerate(prose_lines(path.read_text(encoding="utf-8")), 1):
        stripped = re.sub(r"`[^`]*`", "", line)  # code spans hold no links
        for m in LINK.finditer(stripped):
            yield number, m.group(1), m.group(0).startswith("!")
        for m in IMG.finditer(stripped):
            yield number, m.group(1), True


def problems(pages):
    found = []
    for page in pages:
        for number, target, picture in links_of(page):
            if re.match(r"^[a-z]+:", target):  # http:, mailto: ...
                continue
            file_part, _, fragment = target.partition("#")
            dest = (page.parent / file_part).resolve() if file_part else page
            where = f"{page.relative_to(ROOT)}: link {target!r}"
            if not dest.exists():
                found.append(f"{where}: no file {dest}")
                continue
            if fragment and dest.suffix == ".md" and fragment not in anchors_of(dest):
                found.append(f"{where}: no heading with anchor #{fragment} in {dest.name}")
            if picture:
                if dest.suffix != ".png":
                    found.append(f"{where}: a picture that is not PNG")
                elif dest.stat().st_size > MAX_PICTURE_BYTES:
                    found.append(f"{where}: {dest.stat().st_size} bytes, over {MAX_PICTURE_BYTES}")
    return found


class Anchors(unittest.TestCase):
    def test_anchors_follow_the_headings(self):
        self.assertEqual(anchor("orvik: the window"), "orvik-the-window")
        self.assertEqual(anchor("--block NAME|NUMBER"), "--block-namenumber")
        self.assertEqual(anchor("Orvik Central (`in/station.plan`)"), "orvik-central-instationplan")
        self.assertEqual(anchor("Plans of up to 1,000,000 cells"), "plans-of-up-to-1000000-cells")


class Links(unittest.TestCase):
    def test_every_link_of_the_readme_and_docs_resolves(self):
        pages = [ROOT / "README.md", *sorted((ROOT / "docs").glob("*.md"))]
        self.assertGreater(len(pages), 5)
        found = problems(pages)
        self.assertEqual(found, [], "\n" + "\n".join(found))

    def test_a_broken_link_and_anchor_are_found(self):
        scratch = Path(ARGS.scratch)
        scratch.mkdir(parents=True, exist_ok=True)
        page = scratch / "page.md"
        page.write_text("# A page\n\n[ok](#a-page) [gone](missing.md) [bad](#nowhere)\n"
                        "```\n[in code](missing-too.md)\n```\n")
        global ROOT
        root, ROOT = ROOT, scratch
        try:
            found = problems([page])
        finally:
            ROOT = root
        self.assertEqual(len(found), 2, found)
        self.assertIn("missing.md", found[0])
        self.assertIn("#nowhere", found[1])


def main():
    global ROOT, ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--scratch", required=True)
    ARGS, rest = parser.parse_known_args()
    ROOT = Path(ARGS.root).resolve()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)


if __name__ == "__main__":
    main()
