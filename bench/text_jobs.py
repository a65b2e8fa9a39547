"""zelm-cli text on the benchmark's 100 MiB text: --jobs 1 against the default (every core).

    python3 bench/text_jobs.py build/release/src/cli/zelm-cli [ru|uk]
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from throughput import corpus  # noqa: E402
from timing import best  # noqa: E402


def main():
    cli = sys.argv[1]
    for lang in sys.argv[2:] or ["ru", "uk"]:
        text, _ = corpus(lang)
        one = best([cli, "text", "--lang", lang, "--format", "json", "--jobs", "1", text], runs=5)
        every = best([cli, "text", "--lang", lang, "--format", "json", text], runs=5)
        print(f"text {lang}: --jobs 1 {one:.3f} s  default ({os.cpu_count()} cores) {every:.3f} s  "
              f"speed-up {one / every:.2f} (goal >= 1.7 on 2 cores)")


if __name__ == "__main__":
    main()
