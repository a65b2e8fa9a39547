# The Python module against zelm-cli: the same bytes for words, lists and texts; counts of pieces
# that add up to the whole in every encoding; pickling; a Dask cluster; the documented errors.
import glob
import gzip
import io
import json
import os
import pickle
import random
import subprocess

import pandas
import pytest

import zelm

CLI = os.environ["ZELM_CLI"]
ENV = dict(os.environ, LC_ALL="C.UTF-8")


def cli(*args):
    return subprocess.run([CLI, *args], check=True, capture_output=True, env=ENV).stdout


def dictionary(lang, n, seed):
    path = "/usr/share/hunspell/%s.dic" % ("ru_RU" if lang == "ru" else "uk_UA")
    with open(path, encoding="utf-8") as f:
        entries = [line.split("/")[0].strip() for line in f.readlines()[1:]]
    return random.Random(seed).sample([w for w in entries if w], n)


@pytest.fixture(scope="module")
def texts(tmp_path_factory):
    """Real texts of both languages, in Windows-1251 and UTF-8."""
    folder = tmp_path_factory.mktemp("texts")
    ru = [open(p, "rb").read() for p in sorted(glob.glob("/usr/share/games/fortunes/ru/*.u8"))[:4]]
    uk = [gzip.open(p).read() for p in sorted(glob.glob("/usr/share/man/uk/man1/*.1.gz"))[:4]]
    paths = {"ru": [], "uk": []}
    for lang, bodies in (("ru", ru), ("uk", uk)):
        for i, body in enumerate(bodies):
            for name, data in (("utf8", body), ("cp1251", body.decode("utf-8").encode("cp1251", "replace"))):
                path = folder / ("%s-%d-%s.txt" % (lang, i, name))
                path.write_bytes(data)
                paths[lang].append(path)
    return paths


@pytest.mark.parametrize("lang", ["ru", "uk"])
@pytest.mark.parametrize("algo", ["zhuravlev", "levitsky"])
def test_words_and_lists_are_zelm_clis(lang, algo):
    words = dictionary(lang, 80, seed=len(lang + algo)) + ["мо*ре", "мо\u0301ре", "ь"]
    expected = cli("word", "--lang", lang, "--algo", algo, "--format", "json", "--", *words).decode().splitlines()
    assert [zelm.word(w, lang=lang, algo=algo).json() for w in words] == expected
    e = zelm.word(words[0], lang=lang, algo=algo)
    assert list(e.profile) == json.loads(expected[0])["profile"]
    assert len(e.scales) == len(e.profile) == (24 if lang == "ru" else 7)
    assert e.explain() == json.loads(cli("explain", "--lang", lang, "--algo", algo, "--format", "json", "--", words[0]))
    assert e._repr_svg_() == cli("word", "--lang", lang, "--algo", algo, "--format", "svg", "--", words[0]).decode()

    listing = "\n".join(words).encode() + b"\n"
    batch = subprocess.run([CLI, "batch", "--lang", lang, "--algo", algo, "--format", "csv", "-"], input=listing,
                           check=True, capture_output=True, env=ENV).stdout
    frame = zelm.words(words, lang=lang, algo=algo)
    pandas.testing.assert_frame_equal(frame, pandas.read_csv(io.BytesIO(batch), float_precision="round_trip",
                                                             keep_default_na=False, dtype={"word": str}))
    assert list(frame["word"]) == words
    pole = e.scales[0][0]
    ranked = subprocess.run([CLI, "rank", "--lang", lang, "--algo", algo, "--want", pole, "--top", "5", "--format",
                             "csv", "-"], input=listing, check=True, capture_output=True, env=ENV).stdout
    pandas.testing.assert_frame_equal(zelm.rank(words, want=[pole], top=5, lang=lang, algo=algo),
                                      pandas.read_csv(io.BytesIO(ranked), float_precision="round_trip",
                                                      keep_default_na=False, dtype={"word": str}))


def test_texts_in_pieces_add_up_to_the_whole(texts):
    rng = random.Random(7)
    for lang, paths in texts.items():
        for path in paths:
            data = path.read_bytes()
            for algo in ("zhuravlev", "levitsky"):
                assert zelm.text(path, lang=lang, algo=algo).json() == cli(
                    "text", "--lang", lang, "--algo", algo, "--format", "json", str(path)).decode().rstrip("\n")
            lines = data.splitlines(keepends=True)
            for encoding in ("auto", "cp1251", "utf-8"):
                whole = zelm.count_file(path, lang=lang, encoding=encoding)
                cuts = sorted(rng.sample(range(1, len(lines)), min(12, len(lines) - 1)))
                pieces = [b"".join(lines[a:b]) for a, b in zip([0] + cuts, cuts + [len(lines)])]
                total = sum((zelm.count(p, lang=lang, encoding=encoding) for p in pieces), zelm.Counts(lang))
                assert total == whole and total.is_utf8 == whole.is_utf8, (path.name, encoding)
                assert total.evaluate(name=str(path)).json() == cli(
                    "text", "--lang", lang, "--encoding", encoding, "--format", "json", str(path)).decode().rstrip("\n")
                assert pickle.loads(pickle.dumps(total)) == total
    # A str counts its characters as --encoding utf-8 counts their bytes.
    text = texts["ru"][0].read_bytes().decode("utf-8")
    assert zelm.count(text) == zelm.count_file(texts["ru"][0], encoding="utf-8")
    assert zelm.Counts("ru") + zelm.count(text) == zelm.count(text) == sum([zelm.count(text)])


def test_segments_are_text_by_line(texts):
    path = texts["uk"][0]
    expected = cli("text", "--lang", "uk", "--by", "paragraph", "--format", "csv", str(path))
    pandas.testing.assert_frame_equal(zelm.segments(path, by="paragraph", lang="uk"),
                                      pandas.read_csv(io.BytesIO(expected), float_precision="round_trip",
                                                      keep_default_na=False, dtype={"text": str}))


def test_bad_input_raises_the_documented_errors(tmp_path):
    for call in (lambda: zelm.word("мама", lang="de"), lambda: zelm.word("мама", algo="x"),
                 lambda: zelm.word(""), lambda: zelm.words(["a\nb"]), lambda: zelm.words(["мама", ""]),
                 lambda: zelm.rank(["мама"], want=["Небывалый"]), lambda: zelm.count("мама", encoding="cp1251"),
                 lambda: zelm.count(b"x", encoding="koi8"), lambda: zelm.count(b"a", "ru") + zelm.count(b"a", "uk"),
                 lambda: zelm.count(b"a", encoding="auto") + zelm.count(b"a", encoding="cp1251")):
        with pytest.raises(ValueError):
            call()
    missing = str(tmp_path / "missing.txt")
    with pytest.raises(OSError) as error:
        zelm.count_file(missing)
    assert error.value.filename == missing
    with pytest.raises(OSError):
        zelm.count_file(tmp_path)  # a folder
    for words in ("мама", ["мама", 5], ["мама", b"x"]):
        with pytest.raises(TypeError):
            zelm.words(words)


def test_a_dask_cluster_counts_a_corpus_as_one_pass(tmp_path, texts):
    distributed = pytest.importorskip("dask.distributed")
    import zelm.dask
    paths = []
    sources = texts["ru"][::2]
    for i in range(50):
        path = tmp_path / ("%02d.txt" % i)
        data = sources[i % len(sources)].read_bytes()
        path.write_bytes(data if data.endswith(b"\n") else data + b"\n")
        paths.append(path)
    corpus = tmp_path / "corpus.txt"
    corpus.write_bytes(b"".join(p.read_bytes() for p in paths))
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        counts = zelm.dask.count_files(client, paths, lang="ru", batch=8)
    assert counts.evaluate(name=str(corpus)).json() == cli("text", "--format", "json", str(corpus)).decode().rstrip("\n")
