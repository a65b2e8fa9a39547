// The fixture of the command-line tests: runs the real zelm-cli and keeps what it prints.
#pragma once

#include "Cp1251.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace clitest {

struct TRun {
    int Status = -1;
    std::string Out, Err;
};

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir_ = fs::temp_directory_path() / ("zelm-cli-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Dir_);
    }
    void TearDown() override { fs::remove_all(Dir_); }

    std::string File(const std::string& name, const std::string& bytes) {
        const fs::path path = Dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    static std::string Slurp(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // Runs zelm-cli with shell-quoted arguments, feeding `input` to its standard input; `prefix`
    // comes before the command (variables, or a command and "|" whose output it reads instead).
    TRun Run(const std::string& arguments, const std::string& input = "", const std::string& prefix = "",
             const std::string& out = "") {
        const std::string in = File("stdin", input);
        const std::string target = out.empty() ? (Dir_ / "out").string() : out;
        const bool piped = !prefix.empty() && prefix.back() == '|'; // the prefix feeds standard input
        const std::string command = prefix + " NO_COLOR=1 '" + ZELM_CLI + "' " + arguments +
                                    (piped ? "" : " <'" + in + "'") + " >'" + target + "' 2>'" +
                                    (Dir_ / "err").string() + "'";
        TRun run;
        const int raw = std::system(command.c_str());
        run.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.Out = out.empty() ? Slurp(Dir_ / "out") : "";
        run.Err = Slurp(Dir_ / "err");
        return run;
    }

    // The environment that preloads the file-system faults (see tests/faults).
    static std::string Faults(const std::string& ops, const std::string& pattern, long long after = 0,
                              const std::string& error = "ENOSPC") {
        return "ASAN_OPTIONS=\"$ASAN_OPTIONS:verify_asan_link_order=0\" LD_PRELOAD='" + std::string(ZELM_FAULTS) +
               "' ZELM_FAULT_OPS=" + ops + " ZELM_FAULT_PATH='" + pattern + "' ZELM_FAULT_AFTER=" +
               std::to_string(after) + " ZELM_FAULT_ERRNO=" + error;
    }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(Dir_)) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path Dir_;
};

inline bool IsUtf8(const std::string& text) { return zelm::IsValidUtf8(text); }

inline std::string Lines(const std::string& text, std::size_t from, std::size_t count) {
    std::istringstream in(text);
    std::string line, out;
    for (std::size_t i = 0; std::getline(in, line); ++i)
        if (i >= from && i < from + count) out += line + "\n";
    return out;
}

// A CSV line without its first field.
inline std::string AfterFirstField(const std::string& line) { return line.substr(line.find(',') + 1); }

} // namespace clitest

using namespace clitest;
