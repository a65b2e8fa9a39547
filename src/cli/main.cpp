// zelm-cli: the phonosemantic engines from the terminal.
#include "CliOptions.h"
#include "Commands.h"
#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <string>
#include <vector>

using namespace zelm;

namespace {

// Runs the command in zelm-cli-qt: installed in ../libexec/zelm from this program's folder, or
// beside it in a build folder.
int RunCompanion(char** argv) {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string exe = length > 0 ? std::string(self, std::size_t(length)) : std::string(argv[0]);
    const std::string folder = exe.substr(0, exe.rfind('/') + 1);
    const std::string places[] = {folder + "../libexec/zelm/zelm-cli-qt", folder + "zelm-cli-qt"};
    std::string tried;
    for (const std::string& path : places) {
        if (::access(path.c_str(), X_OK) == 0) {
            argv[0] = const_cast<char*>(path.c_str());
            ::execv(path.c_str(), argv);
        }
        tried += (tried.empty() ? "'" : ", '") + path + "' (" + std::strerror(errno) + ")";
    }
    Complain("cannot start the companion program zelm-cli-qt, looked for at " + tried);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCommandLine(args, error);
    if (!options) {
        Complain(error);
        std::fprintf(stderr, "\n%s", UsageText);
        return 2;
    }
    if (NeedsQt(options->Command)) return RunCompanion(argv);
    TOutput output;
    const int status = RunCommand(*options, output);
    output.Flush();
    if (output.Failed) {
        Complain(std::string("cannot write to standard output: ") + std::strerror(output.Error));
        return 1;
    }
    return status;
}
