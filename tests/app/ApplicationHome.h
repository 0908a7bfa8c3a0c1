#ifndef QUENCHBOX_TESTS_APP_APPLICATIONHOME_H
#define QUENCHBOX_TESTS_APP_APPLICATIONHOME_H

// What the application's tests from outside share: files in the build
// tree named for the test process, and a home of the test's own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace quenchbox::apptest {

inline std::string scratchPath(const std::string& name)
{
    return std::string(QUENCHBOX_TEST_OUTPUT_DIR) + "/" + name + "-" + std::to_string(getpid());
}

// Each test's application reads and writes its settings and presets in a
// folder of the test's own, never the user's.
class ApplicationHome : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = scratchPath("app-home") + "-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        home = pattern;
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", home.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove_all(home); }

    std::string home;
};

}  // namespace quenchbox::apptest

#endif
