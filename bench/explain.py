#!/usr/bin/env python3
"""Speed of `zelm-cli explain --text` on the 100 MiB text of throughput.py, against `text` on the
same file in the same run (target: at most 1.2 times its time: an explanation needs only the counts).

usage: explain.py ZELM_CLI [ru|uk ...]   (run throughput.py first: it makes bench/data/)"""
import os
import sys

from timing import best

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = sys.argv[1]
    ok = True
    for lang in sys.argv[2:] or ["ru", "uk"]:
        text = os.path.join(HERE, "data", f"{lang}.txt")
        if not os.path.exists(text):
            sys.exit(f"{text} is missing: run bench/throughput.py first")
        for algo in ("zhuravlev", "levitsky"):
            common = ["--lang", lang, "--algo", algo, "--format", "json"]
            plain = best([cli, "text", *common, text])
            explained = best([cli, "explain", *common, "--text", text])
            ratio = explained / plain
            ok = ok and ratio <= 1.2
            print(f"explain {lang} {algo}: text {plain:.3f} s  explain --text {explained:.3f} s  "
                  f"ratio {ratio:.2f} (target <= 1.2)")
    print("all targets met" if ok else "TARGETS MISSED")


main()
