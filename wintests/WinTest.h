#ifndef QUENCHBOX_WINTESTS_WINTEST_H
#define QUENCHBOX_WINTESTS_WINTEST_H

// A small test runner for the programs that run under wine: named cases,
// checks that record a failure and go on, and the closing line
// "N passed, M failed" with a non-zero exit status when any case failed.

#include <sstream>
#include <string>

namespace wintest {

using CaseFunction = void (*)();

struct Registrar {
    Registrar(const char* name, CaseFunction function);
};

void recordFailure(const char* file, int line, const std::string& message);

// Runs every case, or those whose name contains the first argument.
int runAll(int argc, char** argv);

template <typename A, typename B>
std::string describeMismatch(const char* expression, const A& actual, const B& expected)
{
    std::ostringstream text;
    text << expression << ": got " << actual << ", expected " << expected;
    return text.str();
}

}  // namespace wintest

#define WINTEST(name)                                                \
    static void name();                                              \
    static const wintest::Registrar name##Registrar(#name, &name);   \
    static void name()

#define CHECK(condition)                                            \
    do {                                                            \
        if (!(condition))                                           \
            wintest::recordFailure(__FILE__, __LINE__, #condition); \
    } while (0)

#define CHECK_EQ(actual, expected)                                                                      \
    do {                                                                                                \
        const auto& checkActual = (actual);                                                             \
        const auto& checkExpected = (expected);                                                         \
        if (!(checkActual == checkExpected))                                                            \
            wintest::recordFailure(__FILE__, __LINE__,                                                  \
                                   wintest::describeMismatch(#actual, checkActual, checkExpected));     \
    } while (0)

// Stops the current case when a precondition for its remaining checks fails.
#define REQUIRE(condition)                                          \
    do {                                                            \
        if (!(condition)) {                                         \
            wintest::recordFailure(__FILE__, __LINE__, #condition); \
            return;                                                 \
        }                                                           \
    } while (0)

#endif
