#!/usr/bin/env python3
"""Printing one very long line: time per character and page counts.

Usage: python3 bench/long_line_print.py build/release/src/cli/zelm-cli [SIZES...]

For each size (default 10^5, 10^6 and 10^7 characters) it prints, with `zelm-cli print`, a file of
one line of that many characters (no blank in it, so every break falls at the width), and as the
baseline of the same run the same characters already cut into lines of the printed width. It
reports the time per character of both, the ratio of the long line to its baseline, the ratio of
the time per character to that of the smallest size (target: within 2x, i.e. linear time), and
the page counts of both PDFs (pdfinfo), which must be equal.
"""
import os
import subprocess
import sys
import tempfile
import time

def printed_width(cli, folder):
    """The characters a printed line holds: the first line of a long word, as pdftotext reads it."""
    text, pdf = os.path.join(folder, "probe.txt"), os.path.join(folder, "probe.pdf")
    with open(text, "wb") as f:
        f.write(b"x" * 1000)
    print_file(cli, text, pdf)
    lines = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True, check=True).stdout
    return len(lines.splitlines()[0].strip())


def pages(pdf):
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    for line in info.splitlines():
        if line.startswith("Pages:"):
            return int(line.split()[1])
    return 0


def print_file(cli, text_file, pdf):
    start = time.perf_counter()
    subprocess.run([cli, "print", "--encoding", "cp1251", text_file, "--pdf", pdf], check=True,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    return time.perf_counter() - start


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = sys.argv[1]
    sizes = [int(float(s)) for s in sys.argv[2:]] or [10**5, 10**6, 10**7]
    first = None
    ok = True
    with tempfile.TemporaryDirectory() as folder:
        per_line = printed_width(cli, folder)
        print(f"a printed line holds {per_line} characters")
        print(f"{'characters':>12} {'line µs/char':>13} {'cut µs/char':>12} {'line/cut':>9} "
              f"{'vs smallest':>12} {'pages':>7} {'cut pages':>10}")
        for size in sizes:
            line = os.path.join(folder, "line.txt")
            cut = os.path.join(folder, "cut.txt")
            with open(line, "wb") as f:
                f.write(b"x" * size)
            with open(cut, "wb") as f:
                for at in range(0, size, per_line):
                    f.write(b"x" * min(per_line, size - at) + b"\n")
            line_pdf, cut_pdf = os.path.join(folder, "line.pdf"), os.path.join(folder, "cut.pdf")
            line_time = print_file(cli, line, line_pdf)
            cut_time = print_file(cli, cut, cut_pdf)
            per_char = line_time / size * 1e6
            first = first or per_char
            line_pages, cut_pages = pages(line_pdf), pages(cut_pdf)
            ok = ok and line_pages == cut_pages and per_char / first <= 2
            print(f"{size:>12} {per_char:>13.3f} {cut_time / size * 1e6:>12.3f} {line_time / cut_time:>9.2f} "
                  f"{per_char / first:>12.2f} {line_pages:>7} {cut_pages:>10}")
    print("targets met" if ok else "TARGETS MISSED")
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
