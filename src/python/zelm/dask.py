"""Counting a corpus on a Dask cluster: every file counted by a worker, the counts added.

    from dask.distributed import Client, LocalCluster
    client = Client(LocalCluster(n_workers=4))          # or Client("tcp://scheduler:8786")
    counts = zelm.dask.count_files(client, paths, lang="ru")
    counts.evaluate(name="corpus").json()

The result is exactly what counting the files' concatenation gives (each file should end with a
line end, as files usually do). The workers need the module too, and the files under the same paths.
"""

import functools

from . import Counts, count_file


def _add(parts, lang):
    return functools.reduce(lambda a, b: a + b, parts, Counts(lang))


def count_files(client, paths, lang="ru", encoding="auto", batch=64):
    """Maps zelm.count_file over `paths` on the client's workers and adds the counts there, in
    groups of `batch`, so that only a few Counts travel back; returns the sum (zelm.Counts)."""
    paths = [str(p) for p in paths]
    if not paths:
        return Counts(lang)
    futures = client.map(count_file, paths, lang=lang, encoding=encoding, pure=False)
    while len(futures) > 1:
        futures = [client.submit(_add, futures[i:i + batch], lang, pure=False)
                   for i in range(0, len(futures), batch)]
    return futures[0].result()
