// The manual page (docs/quenchbox-rz.1) is written by hand; the program's own
// usage text is the list of options. Every option the usage names must be
// described in the manual, with the same argument, in the same order, and
// the manual must describe none the program lacks.

#include "app/AppOptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quenchbox;

namespace {

// "--rate HZ" from "  --rate HZ            sample rate: ...": an option line
// starts with a dash and its text follows after two blanks or more.
std::vector<std::string> usageOptions(const std::string& usage)
{
    std::vector<std::string> options;
    std::istringstream lines(usage);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line[start] != '-')
            continue;
        options.push_back(line.substr(start, line.find("  ", start) - start));
    }
    return options;
}

// The text a reader sees of a roff line: no font changes, "\-" as "-", and
// ".B" setting the whole line bold.
std::string shownText(std::string line)
{
    if (line.rfind(".B ", 0) == 0)
        line.erase(0, 3);
    std::string shown;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == 'f')
            i += 2;  // \fB, \fI, \fR
        else if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '-')
            shown += line[++i];
        else
            shown += line[i];
    }
    return shown;
}

// The tags of the OPTIONS section: the line after each ".TP".
std::vector<std::string> manualOptions(std::istream& manual)
{
    std::vector<std::string> options;
    bool inOptions = false;
    bool tagFollows = false;
    for (std::string line; std::getline(manual, line);) {
        if (line.rfind(".SH", 0) == 0) {
            inOptions = line == ".SH OPTIONS";
            continue;
        }
        if (inOptions && tagFollows)
            options.push_back(shownText(line));
        tagFollows = line == ".TP";
    }
    return options;
}

}  // namespace

TEST(ManualPage, DescribesExactlyTheOptionsOfTheUsageText)
{
    std::ifstream manual(QUENCHBOX_APP_MANUAL_PAGE);
    ASSERT_TRUE(manual) << "cannot read " << QUENCHBOX_APP_MANUAL_PAGE;
    const std::vector<std::string> fromUsage = usageOptions(app::kAppUsage);
    ASSERT_GE(fromUsage.size(), 10u) << "the usage text's option lines were not found";
    EXPECT_EQ(manualOptions(manual), fromUsage);
}

TEST(ManualPage, ReadsTheTextsAUserSees)
{
    EXPECT_EQ(shownText(R"(\fB\-\-input\fR \fB1\fR|\fB2\fR|\fBstereo\fR)"), "--input 1|2|stereo");
    EXPECT_EQ(shownText(R"(.B \-\-no\-gui)"), "--no-gui");
    EXPECT_EQ(usageOptions("usage: x\n  -h, --help           this text\n"), std::vector<std::string>{"-h, --help"});
}
