#include "WinTest.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

namespace wintest {

namespace {

struct Case {
    const char* name;
    CaseFunction function;
};

std::vector<Case>& registeredCases()
{
    static std::vector<Case> cases;
    return cases;
}

int failuresInCurrentCase = 0;

}  // namespace

Registrar::Registrar(const char* name, CaseFunction function) { registeredCases().push_back({name, function}); }

void recordFailure(const char* file, int line, const std::string& message)
{
    ++failuresInCurrentCase;
    std::printf("    %s:%d: %s\n", file, line, message.c_str());
}

int runAll(int argc, char** argv)
{
    const char* filter = argc > 1 ? argv[1] : "";
    int passed = 0;
    int failed = 0;
    for (const Case& testCase : registeredCases()) {
        if (std::strstr(testCase.name, filter) == nullptr)
            continue;
        failuresInCurrentCase = 0;
        const auto start = std::chrono::steady_clock::now();
        testCase.function();
        const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const bool ok = failuresInCurrentCase == 0;
        std::printf("[%s] %s (%.2f s)\n", ok ? "  OK  " : " FAIL ", testCase.name, elapsed);
        std::fflush(stdout);
        (ok ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace wintest

int main(int argc, char** argv) { return wintest::runAll(argc, argv); }
