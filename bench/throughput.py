#!/usr/bin/env python3
"""Throughput of zelm-cli against a baseline measured in the same run.

- text: `zelm-cli text --format json` on a >= 100 MB Windows-1251 text, against `LC_ALL=C wc -w` on
  the same file; prints the wall-time ratio (target: at most 0.25) and the peak memory (target:
  under 32 MB).
- batch: `zelm-cli batch --format csv` over a 150,000-word list; prints words per second (target:
  at least 1,000,000) and, as a baseline of the same run, the rate of `wc -l` on the list.
- dictionary: the same over the words of the system's hunspell dictionary, once and ten times
  over, where it is installed (Debian's hunspell-ru and hunspell-uk): real words, each different
  (target for Russian: at least 2,000,000 words/s on two cores).

usage: throughput.py ZELM_CLI [ru|uk ...]   (the corpora are made under bench/data/ when missing)"""
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "data")
RUNS = 7


def run(argv, env=None):
    """Best wall time over RUNS runs, and the largest peak resident size (bytes)."""
    best, peak = float("inf"), 0
    for _ in range(RUNS):
        start = time.perf_counter()
        child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, env=env)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit(f"{' '.join(argv)} failed")
        best = min(best, elapsed)
        peak = max(peak, usage.ru_maxrss * 1024)
    return best, peak


def peak_memory(argv):
    """Peak resident size (bytes) of one run, from GNU time where it is installed (package
    'time'); otherwise the child's own count, which also holds the pages of this script that the
    child had before it started the program, and so is an upper bound."""
    if os.path.exists("/usr/bin/time"):
        result = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE, text=True, check=True)
        return int(result.stderr.strip().splitlines()[-1]) * 1024
    return run(argv)[1]


def corpus(lang):
    text = os.path.join(DATA, f"{lang}.txt")
    words = os.path.join(DATA, f"{lang}_words.txt")
    if not (os.path.exists(text) and os.path.exists(words)):
        os.makedirs(DATA, exist_ok=True)
        subprocess.check_call([sys.executable, os.path.join(HERE, "make_corpus.py"), lang, text, "100", words, "150000"])
    return text, words


def dictionary(lang):
    """The hunspell dictionary's words (flags cut off), once and ten times over; None without it."""
    dic = f"/usr/share/hunspell/{'ru_RU' if lang == 'ru' else 'uk_UA'}.dic"
    if not os.path.exists(dic):
        return None
    once, tenfold = (os.path.join(DATA, f"{lang}_dictionary{n}.txt") for n in ("", "10"))
    if not (os.path.exists(once) and os.path.exists(tenfold)):
        os.makedirs(DATA, exist_ok=True)
        with open(dic, "rb") as source:
            words = b"".join(line.split(b"/")[0].rstrip(b"\r\n") + b"\n" for line in list(source)[1:])
        with open(once, "wb") as out:
            out.write(words)
        with open(tenfold, "wb") as out:
            out.write(words * 10)
    return once, tenfold


def main():
    cli = sys.argv[1]
    langs = sys.argv[2:] or ["ru", "uk"]
    c_env = dict(os.environ, LC_ALL="C")
    ok = True
    for lang in langs:
        text, words = corpus(lang)
        size = os.path.getsize(text) / 2**20
        wc, _ = run(["wc", "-w", text], env=c_env)
        zelm, _ = run([cli, "text", "--lang", lang, "--format", "json", text])
        peak = peak_memory([cli, "text", "--lang", lang, "--format", "json", text])
        ratio = zelm / wc
        print(f"text  {lang}: {size:.0f} MiB  wc -w {wc:.3f} s  zelm-cli {zelm:.3f} s  "
              f"ratio {ratio:.3f} (target <= 0.25)  peak memory {peak / 2**20:.1f} MiB (target < 32)")
        count = sum(1 for line in open(words, "rb") if line.strip())
        wcl, _ = run(["wc", "-l", words], env=c_env)
        batch, _ = run([cli, "batch", "--lang", lang, "--format", "csv", words])
        rate = count / batch
        print(f"batch {lang}: {count} words  zelm-cli {batch:.3f} s = {rate:,.0f} words/s (target >= 1,000,000)  "
              f"wc -l {wcl:.4f} s (ratio {batch / wcl:.1f})")
        ok = ok and ratio <= 0.25 and peak < 32 * 2**20 and rate >= 1e6
        for path in dictionary(lang) or ():
            count = sum(1 for line in open(path, "rb") if line.strip())
            seconds, _ = run([cli, "batch", "--lang", lang, "--format", "csv", path])
            target = " (target >= 2,000,000 on two cores)" if lang == "ru" else ""
            print(f"dictionary {lang}: {count} words  zelm-cli {seconds:.3f} s = {count / seconds:,.0f} words/s{target}")
    print("all targets met" if ok else "some targets missed")


if __name__ == "__main__":
    main()
