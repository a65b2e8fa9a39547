"""The Python module against zelm-cli in the same run: zelm.words on the benchmark's 150,000-word
list against `zelm-cli batch --format csv` of it (goal: at least as many words per second), and
zelm.count_file on the 100 MiB text against `zelm-cli text` (best of 5 each).

    python3 bench/python_module.py build/release [ru|uk]
"""
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from throughput import corpus  # noqa: E402
from timing import best  # noqa: E402


def best_call(call, runs=5):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    build = sys.argv[1]
    sys.path.insert(0, os.path.join(build, "python"))
    import zelm
    cli = os.path.join(build, "src", "cli", "zelm-cli")
    for lang in sys.argv[2:] or ["ru", "uk"]:
        text, words_file = corpus(lang)
        words = [line.rstrip("\n") for line in open(words_file, encoding="cp1251") if line.strip()]
        batch = best([cli, "batch", "--lang", lang, "--format", "csv", words_file], runs=5)
        module = best_call(lambda: zelm.words(words, lang=lang))
        print(f"words {lang}: {len(words)} words  zelm.words {len(words) / module:,.0f} words/s  "
              f"zelm-cli batch {len(words) / batch:,.0f} words/s  ratio {batch / module:.2f} (goal >= 1)")
        cli_text = best([cli, "text", "--lang", lang, "--format", "json", text], runs=5)
        module_text = best_call(lambda: zelm.count_file(text, lang=lang).evaluate(name=text))
        print(f"text {lang}: zelm.count_file {module_text:.3f} s  zelm-cli text {cli_text:.3f} s  "
              f"ratio {module_text / cli_text:.2f}")


if __name__ == "__main__":
    main()
