// Command lines end to end that a row of ConsoleRuns.txt cannot hold: the
// help and exit-code texts from the program's resources, and the extension
// of every command line from the registry.
#include "support/RegValues.h"
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace
{
const std::string g_version = " /krlxver=6.22.89.0";
constexpr char g_szWorkDir[] = "C:\\windows\\temp";
constexpr char g_szConsumerKey[] = "SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe";

class CommandLineRun
{
public:
    CKorlixRun Run(const std::string& arguments)
    {
        m_script.Write("call\nend\n");
        CKorlixStart start = ScriptedStart(arguments, m_script.Path(), m_record.Path());
        start.workingDirectory = g_szWorkDir;
        return KorlixRun(start);
    }

    std::string EngineCommandLines() const { return ::EngineCommandLines(m_record.Read()); }

private:
    CTempFile m_script{".scn"};
    CTempFile m_record{".rec"};
};

struct CLineCase
{
    const char* szArguments;
    std::string out;
};

using CommandLineTextTest = testing::TestWithParam<CLineCase>;

// Help and exit-code texts need no engine; the other command lines are rows
// of ConsoleRuns.txt.
TEST_P(CommandLineTextTest, ResourceTextAfterTheHeader)
{
    CommandLineRun run;
    CKorlixRun result = run.Run(GetParam().szArguments);
    EXPECT_EQ(result.dwExitCode, 0u);
    EXPECT_EQ(result.out, GetParam().out);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(run.EngineCommandLines(), "");
}

// Help and exit-code texts: header, then the resource text, whose CR LF line
// ends reach the pipe as CR CR LF through the text-mode output.
CLineCase BigText(const char* szArguments, const char* szResource)
{
    HRSRC hInfo = FindResourceA(nullptr, szResource, "BIGTEXT");
    const char* pText = static_cast<const char*>(LockResource(LoadResource(nullptr, hInfo)));
    std::string text = "Korlix Version 6.81\nCopyright (C) 2026 Tervane. All rights reserved.\n\nBIOS Management "
                       "(Update & Archive)\nAmbrel tool to update and archive BIOS and BIOS settings (64 bit)\n\n" +
                       std::string(pText, SizeofResource(nullptr, hInfo)) + "\n";
    std::string out;
    for (char ch : text)
        out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return CLineCase{szArguments, out};
}

INSTANTIATE_TEST_SUITE_P(Texts, CommandLineTextTest,
                         testing::Values(BigText("/?", "FLASH_CMDOPT.TXT"), BigText("/h", "FLASH_CMDOPT.TXT"),
                                         BigText("-HELP", "FLASH_CMDOPT.TXT"),
                                         BigText("/? /UPD /NVU", "FLASH_CMDOPT.TXT"),
                                         BigText("/? /instant", "FLASH_CMDOPTX.TXT"),
                                         BigText("/E", "FLASH_ELEVELS.TXT"), BigText("/e /S", "FLASH_ELEVELS.TXT"),
                                         BigText("/instant /E", "FLASH_ELEVELSX.TXT")));

struct CExtensionCase
{
    const char* szName;
    const char* szExtension;
    const char* szArguments;
    DWORD dwExitCode;
    const char* szCmdLine;  // null: the engine is not reached
    DWORD dwType = REG_SZ;
};

using ExtensionRunTest = testing::TestWithParam<CExtensionCase>;

TEST_P(ExtensionRunTest, AppendedToEveryRun)
{
    const CExtensionCase& c = GetParam();
    CRegValues values(g_szConsumerKey);
    values.String("CommandLineExt", c.szExtension, c.dwType);
    CommandLineRun run;
    CKorlixRun result = run.Run(c.szArguments);
    EXPECT_EQ(result.dwExitCode, c.dwExitCode);
    // CmdLineOri holds the extension as it was read.
    const std::string lines = run.EngineCommandLines();
    EXPECT_EQ(lines.substr(0, lines.find('\t')), c.szCmdLine ? c.szCmdLine + g_version : "");
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, ExtensionRunTest,
    testing::Values(CExtensionCase{"QuietSwitch", "/S", "/UPD", 0, "/UPD /S"},
                    CExtensionCase{"TwoSwitches", "/W /OV", "/UPD", 0, "/UPD /W /OV"},
                    CExtensionCase{"QuotedBlank", "/LF=\"my log.txt\"", "/UPD /WD=C:\\work", 0,
                                   "/UPD /WD=C:\\work /lf=\"C:\\work\\my log.txt\""},
                    // A leading blank is taken as it is; the empty first word is a plain parameter.
                    CExtensionCase{"LeadingBlank", " /S", "/UPD", 4, nullptr},
                    CExtensionCase{"TwoBlanks", "/S  /W", "/UPD", 4, nullptr},
                    CExtensionCase{"InvalidCombination", "/NVU", "/UPD", 4, nullptr},
                    // Bytes read from a value that is no string still extend the command line.
                    CExtensionCase{"BinaryValue", "/S", "/UPD", 0, "/UPD /S", REG_BINARY},
                    CExtensionCase{"MultiString", "/W", "/UPD", 0, "/UPD /W", REG_MULTI_SZ}),
    [](const testing::TestParamInfo<CExtensionCase>& info) { return std::string(info.param.szName); });
}  // namespace
