#!/usr/bin/env python3
"""Peak memory of zelm-cli on inputs with one very long line, as a multiple of the line's length,
and the temporary disk a piped text needs.

- batch: a word list whose one line is SIZE bytes (default 100 MB), as a line of words ("кот
  мама ..."), as a single word, and as a single word in Windows-1251, in each output format;
  prints the peak resident size (GNU time) divided by the line's length (target: under 3) and,
  as the baseline of the same run, the peak of `cat` on the same file.
- text: SIZE bytes of zeros piped into `zelm-cli text`; prints the files the run creates (strace:
  opens with O_CREAT or O_TMPFILE; target: none) and its peak memory.

usage: long_lines.py ZELM_CLI [SIZE_MB]"""
import os
import subprocess
import sys
import tempfile


def peak(argv, stdin=None):
    """Peak resident size in bytes of one run (GNU time), and its exit status."""
    with tempfile.NamedTemporaryFile() as report:
        status = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", report.name] + argv, stdin=stdin,
                                 stdout=subprocess.DEVNULL)
        return int(open(report.name).read().split()[-1]) * 1024, status


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    cli = sys.argv[1]
    size = int(sys.argv[2] if len(sys.argv) > 2 else 100) * 1000 * 1000
    folder = tempfile.mkdtemp()
    lines = {
        "words, UTF-8": ("кот мама ".encode() * (size // 15 + 1))[:size],
        "one word, UTF-8": ("мама".encode() * (size // 8 + 1))[:size],
        "one word, Windows-1251": ("мама".encode("cp1251") * (size // 4 + 1))[:size],
    }
    for name, line in lines.items():
        path = os.path.join(folder, "list.txt")
        with open(path, "wb") as f:
            f.write(b"\xd0\xba\xd0\xbe\xd1\x82\n" if b"\xd0" in line[:2] else "кот\n".encode("cp1251"))
            f.write(line + b"\n")
        base, _ = peak(["cat", path])
        for fmt in ("table", "csv", "json"):
            used, status = peak([cli, "batch", "--format", fmt, path])
            print(f"batch {fmt:5} {name:24}: peak {used / 2**20:7.1f} MiB = {used / len(line):.2f} x the line"
                  f"  (cat: {base / 2**20:.1f} MiB){'' if status == 0 else '  FAILED'}")
        os.remove(path)
    os.rmdir(folder)

    trace = tempfile.NamedTemporaryFile(suffix=".strace")
    zeros = subprocess.Popen(["head", "-c", str(size * 10), "/dev/zero"], stdout=subprocess.PIPE)
    subprocess.call(["strace", "-f", "-qq", "-e", "trace=open,openat,creat,memfd_create", "-o", trace.name, cli,
                     "text", "--format", "json"], stdin=zeros.stdout, stdout=subprocess.DEVNULL)
    zeros.wait()
    created = [l.strip() for l in open(trace.name) if "O_CREAT" in l or "O_TMPFILE" in l or "creat(" in l]
    print(f"text from a pipe of {size * 10 / 1e9:.1f} GB: {len(created)} files created" +
          "".join("\n  " + c for c in created))
    zeros = subprocess.Popen(["head", "-c", str(size * 10), "/dev/zero"], stdout=subprocess.PIPE)
    used, _ = peak([cli, "text", "--format", "json"], stdin=zeros.stdout)
    zeros.wait()
    print(f"text from a pipe of {size * 10 / 1e9:.1f} GB: peak {used / 2**20:.1f} MiB")


main()
