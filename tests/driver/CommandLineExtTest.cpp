// The extension of every command line from the registry, end to end: the
// command line the engine receives with it.
#include "support/RegValues.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace
{
const std::string g_version = " /krlxver=6.22.89.0";
constexpr char g_szConsumerKey[] = "SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe";
const std::string g_name(251, 'x');  // with "/LF=" 255 characters, the most that is read
const std::string g_longest = "/LF=" + g_name, g_longestLine = "/UPD /WD=C:\\w /lf=\"C:\\w\\" + g_name + "\"";

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
    CTempFile script(".scn"), record(".rec");
    script.Write("call\nend\n");
    CKorlixStart start = ScriptedStart(c.szArguments, script.Path(), record.Path());
    start.workingDirectory = "C:\\windows\\temp";
    EXPECT_EQ(KorlixRun(start).dwExitCode, c.dwExitCode);
    // CmdLineOri holds the extension as it was read.
    const std::string lines = EngineCommandLines(record.Read());
    EXPECT_EQ(lines.substr(0, lines.find('\t')), c.szCmdLine ? c.szCmdLine + g_version : "");
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, ExtensionRunTest,
    testing::Values(CExtensionCase{"QuietSwitch", "/S", "/UPD", 0, "/UPD /S"},
                    CExtensionCase{"TwoSwitches", "/W /OV", "/UPD", 0, "/UPD /W /OV"},
                    CExtensionCase{"Longest", g_longest.c_str(), "/UPD /WD=C:\\w", 0, g_longestLine.c_str()},
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
