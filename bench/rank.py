#!/usr/bin/env python3
"""Speed of `zelm-cli rank --top 100` on the 150,000-word list of throughput.py, against `batch`
on the same list in the same run (target: at least 1,000,000 words per second).

usage: rank.py ZELM_CLI [ru|uk ...]   (run throughput.py first: it makes bench/data/)"""
import os
import sys

from timing import best

HERE = os.path.dirname(os.path.abspath(__file__))
WANT = {"ru": "Хороший,светлый,Нежный", "uk": "Большой,Мягкий"}


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = sys.argv[1]
    for lang in sys.argv[2:] or ["ru", "uk"]:
        words = os.path.join(HERE, "data", f"{lang}_words.txt")
        if not os.path.exists(words):
            sys.exit(f"{words} is missing: run bench/throughput.py first")
        count = sum(1 for line in open(words, "rb") if line.strip())
        rank = best([cli, "rank", "--lang", lang, "--want", WANT[lang], "--top", "100", "--format", "csv", words])
        batch = best([cli, "batch", "--lang", lang, "--format", "csv", words])
        print(f"rank {lang}: {count} words  rank --top 100 {rank:.3f} s = {count / rank:,.0f} words/s "
              f"(target >= 1,000,000)  batch {batch:.3f} s  ratio rank/batch {rank / batch:.2f}")


main()
