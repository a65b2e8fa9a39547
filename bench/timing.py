"""The best wall time of a command over several runs, for the benchmark scripts."""
import subprocess
import time


def best(argv, runs=7):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(argv, stdout=subprocess.DEVNULL, check=True)
        times.append(time.perf_counter() - start)
    return min(times)
