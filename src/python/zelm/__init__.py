"""ZELM: the phonosemantic evaluation of Russian and Ukrainian words and texts.

The same exact engines as zelm-cli, for notebooks and scripts::

    import zelm
    e = zelm.word("мо*ре")              # a stress mark * (or U+0301) may follow a vowel
    e.profile, e.scales, e.comment      # numpy values, pole pairs, the verbal comment
    e                                   # a notebook draws its chart (_repr_svg_)
    zelm.words(["мама", "папа"])        # a pandas.DataFrame, the columns of `zelm-cli batch --format csv`
    zelm.rank(words, want=["Хороший"], top=10)
    c = zelm.count_file("war-and-peace.txt") + zelm.count_file("anna-karenina.txt")
    c.evaluate(name="Tolstoy").json()   # the line `zelm-cli text --format json` prints

Languages are ``lang="ru"`` or ``"uk"``; algorithms ``algo="zhuravlev"`` or ``"levitsky"``; text
encodings ``encoding="auto"`` (decided as zelm-cli decides), ``"utf-8"`` or ``"cp1251"``.
Bad arguments raise ValueError; files that cannot be read raise OSError with their path.
For corpora on several machines see zelm.dask.
"""

import json
import os

from . import _zelm

__all__ = ["Evaluation", "Counts", "word", "words", "rank", "count", "count_file", "text", "segments"]

Evaluation = _zelm.Evaluation


def _explain(self):
    """The terms of `zelm-cli explain`: every value taken apart into the contributions of its sounds
    (a dict: the evaluation's JSON object with "terms" and "clamped")."""
    return json.loads(self.explanation_json())


Evaluation.explain = _explain
Evaluation._repr_svg_ = lambda self: self.svg()
Evaluation.__repr__ = lambda self: "<zelm.Evaluation %s %s %s %r>" % (
    "word" if self.is_word else "text", self.lang, self.algo, self.input)


def word(word, lang="ru", algo="zhuravlev"):
    """Evaluates one word; returns an Evaluation (.profile, .scales, .comment, .colours, .json(),
    .explain(), .svg()). `word.json()` equals `zelm-cli word --format json -- WORD`."""
    if not isinstance(word, str):
        raise TypeError("word must be a str")
    return _zelm.word(word, lang, algo)


_BLANKS = "".join(map(chr, range(33)))  # what a word list's lines are trimmed of


def _checked_words(words):
    if isinstance(words, (str, bytes)):
        raise TypeError("words must be a list of str, not one str")
    words = list(words)
    for i, w in enumerate(words):
        if not isinstance(w, str):
            raise TypeError("word %d is not a str" % i)
        if "\n" in w or "\r" in w or not w.strip(_BLANKS):
            raise ValueError("word %d is empty or holds a line break: %r" % (i, w))
    return words


def _word_list(words):
    return ("\n".join(_checked_words(words)) + "\n").encode("utf-8", "surrogatepass")


def _frame(csv_bytes):
    """A DataFrame of zelm-cli's CSV: its header's columns, every number as read back exactly."""
    import pandas
    return pandas.DataFrame(_zelm.csv_columns(csv_bytes, {"word", "text", "comment"}, {"rank", "segment", "line"}))


def _run(args, data=None):
    status, out = _zelm.run(args, data)
    if status != 0:
        raise ValueError("zelm-cli %s failed (status %d)" % (args[0], status))
    return out


def words(words, lang="ru", algo="zhuravlev"):
    """Evaluates a list of words; returns a pandas.DataFrame with one row per word, in order, and
    exactly the columns and values of `zelm-cli batch --format csv` (word, one column per scale,
    comment). Words must be non-empty and hold no line break (ValueError)."""
    if isinstance(words, (str, bytes)):
        raise TypeError("words must be a list of str, not one str")
    words = list(words)
    try:
        longest = max(map(len, words), default=0)
    except TypeError:  # not a str: said by words_table
        longest = 0
    if longest >= 1 << 18:  # very long words: as batch writes them, in pieces
        return _frame(_run(["batch", "--lang", lang, "--algo", algo, "--encoding", "utf-8", "--format", "csv",
                            "{input}"], _word_list(words)))
    import pandas
    inputs, values, comments = _zelm.words_table(words, lang, algo)  # checks the words as _checked_words
    frame = pandas.DataFrame(values, columns=_zelm.scale_columns(lang), copy=False)
    frame.insert(0, "word", inputs)
    frame["comment"] = comments
    return frame


def rank(words, want, top=None, lang="ru", algo="zhuravlev"):
    """Ranks words against the wanted poles (pole names of the language's scales), best first, as
    `zelm-cli rank`: a pandas.DataFrame of its CSV (rank, score, word, the scales). With `top`,
    only the best `top` words."""
    if isinstance(want, str):
        want = [want]
    want = list(want)
    if not want:
        raise ValueError("want names no pole")
    args = ["rank", "--lang", lang, "--algo", algo, "--encoding", "utf-8", "--format", "csv",
            "--want", ",".join(want)]
    if top is not None:
        if int(top) < 1:
            raise ValueError("top must be at least 1")
        args += ["--top", str(int(top))]
    return _frame(_run(args + ["{input}"], _word_list(words)))


class Counts:
    """The sound counts of a text. Counts add (a + b, sum(parts, zelm.Counts("ru"))), pickle, and
    evaluate: counts.evaluate(algo=..., name=...) gives the Evaluation `zelm-cli text` gives for the
    whole text. A text cut at line ends and counted piece by piece adds up to exactly the counts
    of the whole, in every encoding; with encoding="auto" the encoding is decided on the sum, when
    it is evaluated. zelm.Counts(lang) counts nothing and adds to anything of its language; counts
    made in different encodings, or of different languages, do not add (ValueError). A UTF-16 text
    is counted whole (count_file, or count of bytes that start with a byte order mark); cutting
    UTF-16 into pieces is not supported."""

    __slots__ = ("_core",)

    def __init__(self, lang="ru"):
        self._core = _zelm.CountsCore(lang)

    @classmethod
    def _of(cls, core):
        counts = cls.__new__(cls)
        counts._core = core
        return counts

    lang = property(lambda self: self._core.lang, doc='"ru" or "uk".')
    encoding = property(lambda self: self._core.encoding or None,
                        doc='The encoding counted in ("auto", "utf-8", "cp1251"), or None when nothing was.')

    @property
    def is_utf8(self):
        """Whether the text is read as UTF-8 (with "auto": the detector's decision on the counts so far)."""
        return self._core.is_utf8

    @property
    def counts(self):
        """The counts of the reading chosen (Russian: per rating column; Ukrainian: per sound), numpy int64."""
        import numpy
        return numpy.array(self._core.chosen, dtype=numpy.int64)

    def __add__(self, other):
        if isinstance(other, Counts):
            return Counts._of(self._core.add(other._core))
        if other == 0:  # sum() without a start
            return self
        return NotImplemented

    __radd__ = __add__

    def __eq__(self, other):
        return isinstance(other, Counts) and self._core.same(other._core)

    def __getstate__(self):
        return self._core.state()

    def __setstate__(self, state):
        self._core = _zelm.CountsCore.from_state(tuple(state))

    def __reduce__(self):
        return (_restore_counts, (self._core.state(),))

    def evaluate(self, algo="zhuravlev", name=""):
        """The Evaluation of the counted text by `algo`; `name` is its input (the file name
        zelm-cli would print)."""
        return self._core.evaluate(algo, name)

    def __repr__(self):
        return "<zelm.Counts %s %s>" % (self.lang, self.encoding or "empty")


def _restore_counts(state):
    counts = Counts.__new__(Counts)
    counts._core = _zelm.CountsCore.from_state(tuple(state))
    return counts


def count(text, lang="ru", encoding="auto"):
    """The Counts of a text given as str or bytes. A str is counted as its characters (as
    `--encoding utf-8` counts their UTF-8 bytes; only "auto" or "utf-8" make sense for it); bytes
    are read as zelm-cli reads a file in `encoding`."""
    if isinstance(text, str):
        if encoding not in ("auto", "utf-8"):
            raise ValueError('a str is counted as UTF-8: encoding must be "auto" or "utf-8"')
        return Counts._of(_zelm.count_bytes(text.encode("utf-8", "surrogatepass"), lang, "utf-8"))
    if isinstance(text, (bytes, bytearray, memoryview)):
        return Counts._of(_zelm.count_bytes(bytes(text), lang, encoding))
    raise TypeError("text must be str or bytes")


def count_file(path, lang="ru", encoding="auto"):
    """The Counts of a text file (any size, read in pieces, never held whole). OSError with the path
    when it cannot be read. A module-level function, so that Dask can send it to its workers."""
    return Counts._of(_zelm.count_file(os.fspath(path), lang, encoding))


def text(path_or_str, lang="ru", algo="zhuravlev", encoding="auto", name=None):
    """Evaluates one text at once: a file (a path, or a str naming an existing file), bytes, or the
    text itself as str. The Evaluation equals `zelm-cli text` of it; `name` (the file's path by
    default) is its input."""
    if isinstance(path_or_str, os.PathLike) or (
            isinstance(path_or_str, str) and "\n" not in path_or_str and os.path.isfile(path_or_str)):
        path = os.fspath(path_or_str)
        return count_file(path, lang, encoding).evaluate(algo, path if name is None else name)
    return count(path_or_str, lang, encoding).evaluate(algo, "" if name is None else name)


def segments(path_or_str, by="line", lang="ru", algo="zhuravlev", encoding="auto"):
    """The profile of every line or paragraph of a text, as `zelm-cli text --by line|paragraph
    --format csv`: a pandas.DataFrame (segment, line, text, the scales, comment)."""
    if by not in ("line", "paragraph"):
        raise ValueError('by must be "line" or "paragraph"')
    args = ["text", "--by", by, "--lang", lang, "--algo", algo, "--encoding", encoding, "--format", "csv"]
    if isinstance(path_or_str, os.PathLike) or (
            isinstance(path_or_str, str) and "\n" not in path_or_str and os.path.isfile(path_or_str)):
        path = os.fspath(path_or_str)
        _zelm.check_readable(path)
        return _frame(_run(args + ["--", path]))
    data = path_or_str.encode("utf-8") if isinstance(path_or_str, str) else bytes(path_or_str)
    if isinstance(path_or_str, str):
        args[args.index("--encoding") + 1] = "utf-8"
    return _frame(_run(args + ["{input}"], data))
