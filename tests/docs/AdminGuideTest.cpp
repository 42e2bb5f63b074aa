// The administrator's guide against the installed program's own texts: its
// exit-code table holds exactly the codes and meanings of the exit-code text
// that /E prints, and its command table has an example of every command of
// the help text, and it names every alias of the help, so that neither can
// drift from the program.
#include "docs/GuideText.h"
#include "platform/Msc.h"
#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace
{
using CRows = std::vector<std::pair<std::string, std::string>>;

// A text resource of the installed Korlix.exe.
std::string InstalledBigText(const char* szName)
{
    CCUniqueModule program(
        LoadLibraryExA(g_szInstalledKorlix, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    std::unique_ptr<char[]> data;
    size_t n = program ? MscCustomResourceToMem(program.get(), "BIGTEXT", szName, data) : 0;
    return n ? std::string(data.get(), n) : std::string();
}

// The exit-code text as code and meaning: a line is a code, a tab and a
// text; a line without a code continues the meaning above it.
CRows ExitCodesOfTheProgram()
{
    CRows rows;
    for (const std::string& line : Lines(InstalledBigText("FLASH_ELEVELS.TXT")))
    {
        size_t nTab = line.find('\t');
        std::string code = Trimmed(line.substr(0, nTab));
        std::string text = nTab == std::string::npos ? std::string() : Trimmed(line.substr(nTab + 1));
        if (!code.empty())
            rows.emplace_back(code, text);
        else if (!rows.empty())
            rows.back().second += " " + text;
    }
    return rows;
}

TEST(AdminGuide, ExitCodeTableIsTheProgramsOwn)
{
    CRows program = ExitCodesOfTheProgram();
    ASSERT_EQ(program.size(), 43u) << "the installed program's exit-code text";
    CRows guide;
    for (const CRow& cells : GuideTable({"Code", "Meaning"}))
    {
        ASSERT_EQ(cells.size(), 4u) << "code, meaning, typical cause, what a script should do: " << cells[0];
        EXPECT_FALSE(cells[2].empty()) << "no typical cause for " << cells[0];
        EXPECT_NE(cells[3].find("**"), std::string::npos) << "no action for " << cells[0];
        guide.emplace_back(cells[0], cells[1]);
    }
    ASSERT_EQ(guide.size(), program.size()) << "rows of the guide's exit-code table";
    for (size_t i = 0; i < program.size(); ++i)
        EXPECT_EQ(guide[i], program[i]) << "row " << i + 1;
}

TEST(AdminGuide, EveryCommandOfTheHelpHasAnExample)
{
    std::set<std::string> commands;
    for (const std::string& line : Lines(InstalledBigText("FLASH_CMDOPT.TXT")))
    {
        if (line.rfind("Korlix /", 0) != 0)
            continue;
        size_t nEnd = line.find_first_of(" =[", 8);
        commands.insert(line.substr(7, nEnd == std::string::npos ? std::string::npos : nEnd - 7));
    }
    ASSERT_EQ(commands, (std::set<std::string>{"/UPD", "/NVU", "/NVRAM", "/PASSWORDS", "/BOOTORDER", "/ARC", "/MAKE",
                                               "/BUPINFO", "/CRYPT", "/AST", "/INFO", "/?", "/E"}));
    std::set<std::string> documented;
    for (const CRow& cells : GuideTable({"Command", "What it does", "Example"}))
    {
        ASSERT_EQ(cells.size(), 4u) << "command, what it does, example, exit code";
        std::string command = cells[0].substr(1, cells[0].size() - 2);  // without the backquotes
        EXPECT_EQ(cells[2].rfind("`Korlix " + command, 0), 0u) << "example of " << command << ": " << cells[2];
        documented.insert(command);
    }
    for (const std::string& command : commands)
        EXPECT_EQ(documented.count(command), 1u) << command << " is not in the guide";
}
TEST(AdminGuide, EveryAliasOfTheHelpIsNamed)
{
    std::vector<std::string> lines = Lines(InstalledBigText("FLASH_CMDOPT.TXT"));
    auto it = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find("aliases are supported") != std::string::npos;
    });
    ASSERT_NE(lines.end(), it) << "the help's alias list";
    const std::string guide = GuideText();
    int nAliases = 0;
    for (++it; it != lines.end(); ++it)
    {
        std::istringstream words(*it);
        std::string word;
        words >> word;  // the switch itself
        for (; words >> word; ++nAliases)
        {
            if (word.back() == ',')
                word.pop_back();
            EXPECT_NE(std::string::npos, guide.find("`" + word)) << word << " is not in the guide";
        }
    }
    EXPECT_EQ(15, nAliases);
}
}  // namespace
