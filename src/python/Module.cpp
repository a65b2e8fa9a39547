// zelm._zelm: the engines and zelm-cli's commands for Python. The package zelm (zelm/__init__.py)
// builds its friendlier functions on these.
#include "Commands.h"
#include "Formats.h"
#include "TextCount.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <charconv>
#include <cerrno>
#include <set>
#include <cstring>
#include <algorithm>
#include <memory>
#include <thread>
#include <unordered_map>
#include <stdexcept>
#include <sys/mman.h>
#include <unistd.h>

namespace py = pybind11;
using namespace zelm;

namespace {

TLanguage Language(const std::string& lang) {
    if (lang == "ru") return TLanguage::lgRussian;
    if (lang == "uk") return TLanguage::lgUkrainian;
    throw py::value_error("lang must be \"ru\" or \"uk\", not \"" + lang + "\"");
}

TEvalScheme Scheme(const std::string& algo) {
    if (algo == "zhuravlev") return TEvalScheme::esZhuravlev;
    if (algo == "levitsky") return TEvalScheme::esLevitsky;
    throw py::value_error("algo must be \"zhuravlev\" or \"levitsky\", not \"" + algo + "\"");
}

TInputEncoding Encoding(const std::string& encoding) {
    if (encoding == "auto") return TInputEncoding::ieAuto;
    if (encoding == "utf-8") return TInputEncoding::ieUtf8;
    if (encoding == "cp1251") return TInputEncoding::ieCp1251;
    throw py::value_error("encoding must be \"auto\", \"utf-8\" or \"cp1251\", not \"" + encoding + "\"");
}

std::string EncodingName(TInputEncoding encoding) {
    return encoding == TInputEncoding::ieAuto ? "auto" : encoding == TInputEncoding::ieUtf8 ? "utf-8" : "cp1251";
}

// Bytes in memory as a file of their own, so that they are read exactly as a file is.
class TMemoryFile {
public:
    explicit TMemoryFile(std::string_view bytes) : Fd_(::memfd_create("zelm", MFD_CLOEXEC)) {
        if (Fd_ < 0) throw std::runtime_error(std::strerror(errno));
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(Fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw std::runtime_error(std::strerror(n < 0 ? errno : ENOSPC));
            done += std::size_t(n);
        }
    }
    ~TMemoryFile() { ::close(Fd_); }
    TMemoryFile(const TMemoryFile&) = delete;
    TMemoryFile& operator=(const TMemoryFile&) = delete;
    // A name that opens the bytes from their start.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(Fd_); }

private:
    int Fd_;
};

// Opens `path` for reading, or raises OSError with the path.
std::unique_ptr<TInputFile> OpenOrRaise(const std::string& path) {
    std::string error;
    errno = 0;
    auto file = TInputFile::Open(path, error);
    if (file) return file;
    const int code = errno ? errno : EIO;
    PyErr_SetObject(PyExc_OSError, py::make_tuple(code, error, path).ptr());
    throw py::error_already_set();
}

// One evaluation, with the evaluator that made it (for its explanation, made when asked for).
struct TPyEvaluation {
    TEvaluation Result;
    std::shared_ptr<TEvaluator> Evaluator;

    py::array Profile() const {
        if (Result.SinglePrecision) {
            py::array_t<float> values(py::ssize_t(Result.Profile.size()));
            auto view = values.mutable_unchecked<1>();
            for (std::size_t i = 0; i < Result.Profile.size(); ++i) view(py::ssize_t(i)) = float(Result.Profile[i]);
            return values;
        }
        return py::array_t<double>(py::ssize_t(Result.Profile.size()), Result.Profile.data());
    }
    std::string Json() const {
        std::string out;
        AppendJson(out, Result);
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
    std::string Svg() const {
        std::string out;
        AppendSvg(out, Result);
        return out;
    }
    std::string Explanation() const {
        std::string out;
        AppendExplanationJson(out, Result, Evaluator->ExplainLast(Result.IsWord));
        if (!out.empty() && out.back() == '\n') out.pop_back();
        return out;
    }
};

TPyEvaluation EvaluateWord(const std::string& word, const std::string& lang, const std::string& algo) {
    if (word.empty()) throw py::value_error("the word is empty");
    TPyEvaluation e;
    e.Evaluator = std::make_shared<TEvaluator>(Language(lang), Scheme(algo));
    e.Evaluator->EvaluateWord(ArgumentWord(word, TInputEncoding::ieUtf8), word, e.Result);
    return e;
}

TPyEvaluation EvaluateCounts(const TTextCounts& counts, const std::string& algo, const std::string& name) {
    TPyEvaluation e;
    e.Evaluator = std::make_shared<TEvaluator>(counts.Language, Scheme(algo));
    e.Evaluator->EvaluateTextCounts(counts.IsUtf8() ? counts.Utf8 : counts.Cp1251, name, e.Result);
    return e;
}

TTextCounts CountFile(const std::string& path, const std::string& lang, const std::string& encoding) {
    const TLanguage language = Language(lang);
    const TInputEncoding chosen = Encoding(encoding);
    OpenOrRaise(path);
    TTextCounts counts(language);
    std::string error;
    bool ok = false;
    {
        py::gil_scoped_release unlocked; // other threads run while a large file is counted, on every core
        ok = CountTextFile(path, language, chosen, 0, counts, error);
    }
    if (!ok) {
        PyErr_SetObject(PyExc_OSError, py::make_tuple(EIO, error, path).ptr());
        throw py::error_already_set();
    }
    return counts;
}

TTextCounts CountBytes(std::string_view bytes, const std::string& lang, const std::string& encoding) {
    const TMemoryFile memory(bytes);
    return CountFile(memory.Path(), lang, encoding);
}

// Runs a zelm-cli command with its arguments, on `input` bytes as its file where given (the
// argument "{input}" names them); its status and standard output. A usage error is a ValueError.
py::tuple Run(std::vector<std::string> args, std::optional<py::bytes> input) {
    std::unique_ptr<TMemoryFile> memory;
    if (input) {
        memory = std::make_unique<TMemoryFile>(std::string_view(*input));
        for (std::string& arg : args)
            if (arg == "{input}") arg = memory->Path();
    }
    std::string error;
    const std::optional<TCliOptions> options = ParseCommandLine(args, error);
    if (!options) throw py::value_error(error);
    if (NeedsQt(options->Command)) throw py::value_error("print and report need the desktop printing of zelm-cli");
    std::string captured;
    int status = 0;
    {
        py::gil_scoped_release unlocked;
        TOutput output;
        output.Capture = &captured;
        status = RunCommand(*options, output);
        output.Flush();
    }
    return py::make_tuple(status, py::bytes(captured));
}

// The rows of `zelm-cli batch --format csv` for words given one by one (each already as a line of
// the list would be: trimmed, with no line break), made on every core without writing the CSV:
// the inputs, the values (one row per word, float64 as the engine stores them) and the comments.
// A numpy array of Python objects, taking over the references in `items`.
py::array ObjectArray(std::vector<PyObject*>& items) {
    py::array result(py::dtype("O"), std::vector<py::ssize_t>{py::ssize_t(items.size())});
    auto** slots = static_cast<PyObject**>(result.mutable_data());
    for (std::size_t i = 0; i < items.size(); ++i) {
        Py_XDECREF(slots[i]);
        slots[i] = items[i];
    }
    items.clear();
    return result;
}

// zelm.words: a list of str checked (TypeError, ValueError with the word's place) and trimmed of
// codes 0 to 32 as batch trims its lines, each evaluated as batch evaluates a line of a UTF-8
// list, on all processors: (inputs, values, comments), the inputs and comments as object arrays.
py::tuple WordsTable(const py::list& list, const std::string& lang, const std::string& algo) {
    const TLanguage language = Language(lang);
    const TEvalScheme scheme = Scheme(algo);
    const std::size_t n = list.size(), scales = ScaleNamesOf(language).size();
    std::vector<std::string_view> words(n);
    for (std::size_t i = 0; i < n; ++i) {
        PyObject* item = PyList_GET_ITEM(list.ptr(), py::ssize_t(i));
        if (!PyUnicode_Check(item)) throw py::type_error("word " + std::to_string(i) + " is not a str");
        Py_ssize_t size = 0;
        const char* utf8 = PyUnicode_AsUTF8AndSize(item, &size);
        if (!utf8) throw py::error_already_set();
        std::string_view word(utf8, std::size_t(size));
        while (!word.empty() && static_cast<unsigned char>(word.front()) <= 32) word.remove_prefix(1);
        while (!word.empty() && static_cast<unsigned char>(word.back()) <= 32) word.remove_suffix(1);
        if (word.empty() || word.find_first_of("\r\n") != std::string_view::npos)
            throw py::value_error("word " + std::to_string(i) + " is empty or holds a line break: " +
                                  std::string(py::repr(item)));
        words[i] = word;
    }
    py::array_t<double> values({py::ssize_t(n), py::ssize_t(scales)});
    double* out = values.mutable_data();
    // Each thread's different words: a word given again is not evaluated again (the engine gives
    // it the same values and comment), and its input and comment are the same Python str.
    struct TPart {
        std::unordered_map<std::string_view, std::uint32_t> Known; // a word as given: its place below
        std::vector<std::size_t> First;                            // each different word's row
        std::vector<std::string> Pieces;                           // the texts, in blocks never moved
        std::vector<std::string_view> Texts;                       // each one's input, then comment
        std::vector<std::uint32_t> Of;                             // each word's different word
        void Keep(std::string_view text) {
            if (Pieces.empty() || Pieces.back().capacity() - Pieces.back().size() < text.size()) {
                Pieces.emplace_back();
                Pieces.back().reserve(std::max<std::size_t>(std::size_t(1) << 20, text.size()));
            }
            std::string& piece = Pieces.back();
            piece += text;
            Texts.push_back(std::string_view(piece).substr(piece.size() - text.size()));
        }
    };
    const std::size_t threads = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t chunk = std::max<std::size_t>(1, (n + threads - 1) / threads);
    std::vector<TPart> parts((n + chunk - 1) / chunk);
    {
        py::gil_scoped_release unlocked;
        std::vector<std::thread> workers;
        for (std::size_t from = 0, k = 0; from < n; from += chunk, ++k)
            workers.emplace_back([&, from, k] {
                TPart& part = parts[k];
                TEvaluator evaluator(language, scheme);
                evaluator.WordDetails = false; // as batch's CSV: no sounds or colours
                TUtf8ToCp1251 decoder(TAcuteAccent::amStressMark);
                std::string word, input;
                TEvaluation e;
                for (std::size_t i = from; i < std::min(n, from + chunk); ++i) {
                    const auto [known, added] = part.Known.try_emplace(words[i], std::uint32_t(part.First.size()));
                    part.Of.push_back(known->second);
                    if (!added) {
                        const double* row = out + part.First[known->second] * scales;
                        std::copy(row, row + scales, out + i * scales);
                        continue;
                    }
                    word.clear();
                    decoder.Decode(words[i], word);
                    decoder.Finish(word);
                    input.clear();
                    AppendValidUtf8(input, words[i]);
                    evaluator.EvaluateWord(word, input, e);
                    std::copy(e.Profile.begin(), e.Profile.end(), out + i * scales);
                    part.First.push_back(i);
                    part.Keep(input);
                    part.Keep(e.Comment);
                }
            });
        for (std::thread& worker : workers) worker.join();
    }
    std::vector<PyObject*> inputs, comments, made;
    inputs.reserve(n);
    comments.reserve(n);
    const auto str = [](std::string_view utf8) {
        PyObject* text = PyUnicode_DecodeUTF8(utf8.data(), py::ssize_t(utf8.size()), "surrogateescape");
        if (!text) throw py::error_already_set();
        return text;
    };
    for (TPart& part : parts) {
        made.clear();
        for (const std::string_view text : part.Texts) made.push_back(str(text));
        for (const std::uint32_t each : part.Of) {
            PyObject* input = made[2 * each];
            PyObject* comment = made[2 * each + 1];
            Py_INCREF(input);
            Py_INCREF(comment);
            inputs.push_back(input);
            comments.push_back(comment);
        }
        for (PyObject* object : made) Py_DECREF(object);
    }
    return py::make_tuple(ObjectArray(inputs), values, ObjectArray(comments));
}

// The columns of a CSV that zelm-cli wrote: `text` ones as lists of str, `integer` ones as int64
// arrays, the others as float64 arrays, each number read back exactly (from_chars).
py::dict CsvColumns(std::string_view csv, const std::set<std::string>& text, const std::set<std::string>& integer) {
    std::size_t at = 0;
    // The next field and whether it ended its record; RFC 4180 quoting, "" for a quote.
    std::string field;
    const auto next = [&](bool& last) {
        field.clear();
        if (at < csv.size() && csv[at] == '"') {
            for (++at; at < csv.size(); ++at) {
                if (csv[at] != '"') field.push_back(csv[at]);
                else if (at + 1 < csv.size() && csv[at + 1] == '"') field.push_back('"'), ++at;
                else break;
            }
            ++at;
        } else {
            const std::size_t end = csv.find_first_of(",\n", at);
            field.assign(csv.substr(at, end == std::string_view::npos ? csv.size() - at : end - at));
            at = end == std::string_view::npos ? csv.size() : end;
        }
        last = at >= csv.size() || csv[at] == '\n';
        ++at;
    };
    std::vector<std::string> names;
    for (bool last = false; !last && at < csv.size();) {
        next(last);
        names.push_back(field);
    }
    const std::size_t columns = names.size();
    std::vector<std::vector<std::string>> strings(columns);
    std::vector<std::vector<double>> numbers(columns);
    std::vector<std::vector<std::int64_t>> integers(columns);
    while (at < csv.size()) {
        for (std::size_t c = 0; c < columns; ++c) {
            bool last = false;
            next(last);
            if (last != (c + 1 == columns)) throw std::runtime_error("zelm-cli wrote a row of another width");
            const std::string& name = names[c];
            if (text.count(name)) {
                strings[c].push_back(field);
            } else if (integer.count(name)) {
                std::int64_t value = 0;
                std::from_chars(field.data(), field.data() + field.size(), value);
                integers[c].push_back(value);
            } else {
                double value = 0;
                std::from_chars(field.data(), field.data() + field.size(), value);
                numbers[c].push_back(value);
            }
        }
    }
    py::dict frame;
    for (std::size_t c = 0; c < columns; ++c) {
        const py::str key(names[c]);
        if (text.count(names[c])) frame[key] = py::cast(strings[c]);
        else if (integer.count(names[c])) frame[key] = py::array_t<std::int64_t>(py::ssize_t(integers[c].size()), integers[c].data());
        else frame[key] = py::array_t<double>(py::ssize_t(numbers[c].size()), numbers[c].data());
    }
    return frame;
}

} // namespace

PYBIND11_MODULE(_zelm, m) {
    m.doc() = "The engines of ZELM and the commands of zelm-cli (use the package zelm).";

    py::class_<TPyEvaluation>(m, "Evaluation", "One evaluation of a word or a text.")
        .def_property_readonly("profile", &TPyEvaluation::Profile,
                               "The values of the scales as the engine stores them (float64 for words, float32 for texts).")
        .def_property_readonly("is_word", [](const TPyEvaluation& e) { return e.Result.IsWord; })
        .def_property_readonly("lang", [](const TPyEvaluation& e) { return e.Result.Language == TLanguage::lgRussian ? "ru" : "uk"; })
        .def_property_readonly("algo", [](const TPyEvaluation& e) {
            return e.Result.Scheme == TEvalScheme::esZhuravlev ? "zhuravlev" : "levitsky";
        })
        .def_property_readonly("input", [](const TPyEvaluation& e) { return e.Result.Input; })
        .def_property_readonly("scales", [](const TPyEvaluation& e) {
            std::vector<std::pair<std::string, std::string>> scales;
            for (const TScaleNames& names : ScaleNamesOf(e.Result.Language)) scales.emplace_back(names.Left, names.Right);
            return scales;
        }, "The pole pairs (left, right) of the scales, in the order of the profile.")
        .def_property_readonly("comment", [](const TPyEvaluation& e) { return e.Result.Comment; }, "The verbal comment.")
        .def_property_readonly("colours", [](const TPyEvaluation& e) {
            py::list colours;
            for (const TColourMeasure& c : e.Result.Colours) {
                py::dict colour;
                colour["class"] = c.Class;
                colour["colour"] = c.Colour;
                colour["measure"] = c.Measure;
                colour["shown"] = c.Shown;
                colours.append(colour);
            }
            return colours;
        }, "The sound-colour classes: class, colour (0xBBGGRR), measure (a word's share, a text's z), shown.")
        .def_property_readonly("total", [](const TPyEvaluation& e) { return e.Result.Total; }, "A text's number of sounds.")
        .def("json", &TPyEvaluation::Json, "The line zelm-cli prints with --format json, without its line end.")
        .def("svg", &TPyEvaluation::Svg, "The chart of zelm-cli's --format svg.")
        .def("explanation_json", &TPyEvaluation::Explanation, "The line of zelm-cli explain --format json.");

    py::class_<TTextCounts>(m, "CountsCore")
        .def(py::init([](const std::string& lang) { return TTextCounts(Language(lang)); }), py::arg("lang") = "ru")
        .def_property_readonly("lang", [](const TTextCounts& c) { return c.Language == TLanguage::lgRussian ? "ru" : "uk"; })
        .def_property_readonly("encoding", [](const TTextCounts& c) { return c.Empty ? std::string() : EncodingName(c.Encoding); })
        .def_property_readonly("is_utf8", &TTextCounts::IsUtf8)
        .def_property_readonly("chosen", [](const TTextCounts& c) { return c.IsUtf8() ? c.Utf8 : c.Cp1251; })
        .def("add", [](const TTextCounts& a, const TTextCounts& b) {
            TTextCounts sum = a;
            try {
                sum += b;
            } catch (const std::invalid_argument& e) {
                throw py::value_error(e.what());
            }
            return sum;
        })
        .def("same", [](const TTextCounts& a, const TTextCounts& b) {
            return a.Language == b.Language && a.Empty == b.Empty && (a.Empty || a.Encoding == b.Encoding) &&
                   a.Cp1251 == b.Cp1251 && a.Utf8 == b.Utf8 && a.Evidence == b.Evidence && a.Utf16 == b.Utf16;
        })
        .def("state", [](const TTextCounts& c) {
            const TEncodingEvidence& x = c.Evidence;
            return py::make_tuple(c.Language == TLanguage::lgRussian ? "ru" : "uk", EncodingName(c.Encoding), c.Empty,
                                  c.Cp1251, c.Utf8, py::make_tuple(x.WellFormed, x.Plausible, x.NonAscii, x.Letters, x.Foreign),
                                  c.Utf16);
        })
        .def_static("from_state", [](py::tuple state) {
            if (state.size() != 7) throw py::value_error("not the state of zelm.Counts");
            TTextCounts c(Language(state[0].cast<std::string>()));
            c.Encoding = Encoding(state[1].cast<std::string>());
            c.Empty = state[2].cast<bool>();
            c.Cp1251 = state[3].cast<std::vector<std::int64_t>>();
            c.Utf8 = state[4].cast<std::vector<std::int64_t>>();
            const py::tuple x = state[5].cast<py::tuple>();
            c.Evidence = {x[0].cast<bool>(), x[1].cast<bool>(), x[2].cast<std::uint64_t>(), x[3].cast<std::uint64_t>(),
                          x[4].cast<std::uint64_t>()};
            c.Utf16 = state[6].cast<bool>();
            if (c.Cp1251.size() != TEvaluator::TextCountSize(c.Language) || c.Utf8.size() != c.Cp1251.size())
                throw py::value_error("not the state of zelm.Counts");
            return c;
        })
        .def("evaluate", &EvaluateCounts, py::arg("algo"), py::arg("name"));

    m.def("word", &EvaluateWord, py::arg("word"), py::arg("lang"), py::arg("algo"));
    m.def("count_file", &CountFile, py::arg("path"), py::arg("lang"), py::arg("encoding"));
    m.def("count_bytes", [](py::bytes bytes, const std::string& lang, const std::string& encoding) {
        return CountBytes(std::string_view(bytes), lang, encoding);
    }, py::arg("data"), py::arg("lang"), py::arg("encoding"));
    m.def("run", &Run, py::arg("args"), py::arg("input") = py::none());
    m.def("words_table", &WordsTable, py::arg("words"), py::arg("lang"), py::arg("algo"));
    m.def("scale_columns", [](const std::string& lang) {
        std::vector<std::string> columns;
        for (const TScaleNames& names : ScaleNamesOf(Language(lang))) columns.push_back(names.Left + "/" + names.Right);
        return columns;
    }, py::arg("lang"), "The CSV header's names of the scales: left/right.");
    m.def("csv_columns", [](py::bytes csv, const std::set<std::string>& text, const std::set<std::string>& integer) {
        return CsvColumns(std::string_view(csv), text, integer);
    }, py::arg("csv"), py::arg("text"), py::arg("integer"));
    m.def("check_readable", [](const std::string& path) { OpenOrRaise(path); }, py::arg("path"));
}
