// The file-system faults of Faults.cpp, seen from a test program that links them.
#pragma once

#include <cstdlib>
#include <string>

extern "C" int ZelmFaultsLoaded();

namespace zelm::test {

// Breaks `ops` ("write", "fsync", "close", "rename", comma-separated) for paths matching
// `pattern` while it lives; writes fail once `after` bytes are written; after `times` failed
// calls (0: never) the fault clears.
class TFaults {
public:
    TFaults(const std::string& ops, const std::string& pattern, const std::string& error = "ENOSPC", long long after = 0,
            long long times = 0) {
        ZelmFaultsLoaded();
        ::setenv("ZELM_FAULT_TIMES", std::to_string(times).c_str(), 1);
        ::setenv("ZELM_FAULT_PATH", pattern.c_str(), 1);
        ::setenv("ZELM_FAULT_ERRNO", error.c_str(), 1);
        ::setenv("ZELM_FAULT_AFTER", std::to_string(after).c_str(), 1);
        ::setenv("ZELM_FAULT_OPS", ops.c_str(), 1);
    }
    ~TFaults() {
        ::unsetenv("ZELM_FAULT_OPS");
        ::unsetenv("ZELM_FAULT_PATH");
        ::unsetenv("ZELM_FAULT_ERRNO");
        ::unsetenv("ZELM_FAULT_AFTER");
        ::unsetenv("ZELM_FAULT_TIMES");
    }
    TFaults(const TFaults&) = delete;
    TFaults& operator=(const TFaults&) = delete;
};

} // namespace zelm::test
