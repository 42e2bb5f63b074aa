// Command lines end to end: exit code, console bytes and, for runs that
// reach the engine, the command line the engine receives.
#include "support/RegValues.h"
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

namespace
{
const std::string g_version = " /krlxver=6.22.89.0";
const std::string g_invalid = "\r\nInvalid command line\r\n";
const std::string g_deprecated =
    "\r\nThe archive command is deprecated on this hardware platform. Please check out the /ARC command "
    "instead.\r\n";
const std::string g_badExtension = "\r\nInvalid file extension, use .bup or .nvux!\r\n";
constexpr char g_szWorkDir[] = "C:\\windows\\temp";
constexpr char g_szConsumerKey[] = "SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe";

// One record field, unescaped enough for these tests (backslashes only).
std::string FieldUnescape(const std::string& field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i)
    {
        if (field[i] == '\\' && i + 1 < field.size() && field[i + 1] == '\\')
            ++i;
        out += field[i];
    }
    return out;
}

class CommandLineRun
{
public:
    CKorlixRun Run(const std::string& arguments)
    {
        m_script.Write("call\nend\n");
        CKorlixStart start;
        start.arguments = arguments;
        start.environment["DIDEREVE_SCRIPT"] = m_script.Path();
        start.environment["DIDEREVE_RECORD"] = m_record.Path();
        start.workingDirectory = g_szWorkDir;
        return KorlixRun(start);
    }

    // The engine's CmdLine and CmdLineOri; false when the engine never ran.
    bool EngineCommandLines(std::string& cmdLine, std::string& cmdLineOri) const
    {
        std::string record = m_record.Read();
        size_t nPos = record.find("execute\t");
        if (nPos == std::string::npos)
            return false;
        size_t nEnd = record.find('\n', nPos);
        std::string line = record.substr(nPos + 8, nEnd - nPos - 8);
        size_t nTab = line.find('\t');
        cmdLine = FieldUnescape(line.substr(0, nTab));
        cmdLineOri = FieldUnescape(line.substr(nTab + 1));
        return true;
    }

private:
    CTempFile m_script{".scn"};
    CTempFile m_record{".rec"};
};

struct CLineCase
{
    const char* szArguments;
    DWORD dwExitCode;
    std::string out;
    std::string err;
    const char* szCmdLine;  // null: the engine is not reached
};

using CommandLineTableTest = testing::TestWithParam<CLineCase>;

TEST_P(CommandLineTableTest, ExitCodeConsoleAndEngineCommandLine)
{
    const CLineCase& c = GetParam();
    CommandLineRun run;
    CKorlixRun result = run.Run(c.szArguments);
    EXPECT_EQ(result.dwExitCode, c.dwExitCode);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    std::string cmdLine, cmdLineOri;
    bool fEngine = run.EngineCommandLines(cmdLine, cmdLineOri);
    EXPECT_EQ(fEngine, c.szCmdLine != nullptr);
    if (fEngine && c.szCmdLine)
    {
        EXPECT_EQ(cmdLine, c.szCmdLine + g_version);
        EXPECT_EQ(cmdLineOri, c.szArguments);
    }
}

CLineCase Engine(const char* szArguments, const char* szCmdLine, bool fQuiet = false)
{
    return CLineCase{szArguments, 0, fQuiet ? "" : g_signOn, "", szCmdLine};
}

CLineCase Syntax(const char* szArguments, bool fMessage = true)
{
    return CLineCase{szArguments, 4, "", fMessage ? g_invalid : "", nullptr};
}

INSTANTIATE_TEST_SUITE_P(
    ReachTheEngine, CommandLineTableTest,
    testing::Values(
        Engine("/UPD", "/UPD"), Engine("-upd", "-upd"), Engine("/Update", "/Update"),
        Engine("/UPD /S", "/UPD /S", true), Engine("/upd -s", "/upd -s", true),
        Engine("/UPD /instant", "/UPD"), Engine("/instant /UPD", "/UPD"),
        Engine("/UPD /INSTANT /S", "/UPD /S", true), Engine("/UPD /O=B7710.BUP", "/UPD /O=B7710.BUP"),
        Engine("/UPD /O=b7710.bup", "/UPD /O=b7710.bup"), Engine("/NVU /O=c.nvux", "/NVU /O=c.nvux"),
        Engine("/NVRAM /O=c.nvux", "/NVRAM /O=c.nvux"),
        Engine("/PASSWORDS /O=c.nvux", "/PASSWORDS /O=c.nvux"),
        Engine("/BOOTORDER /O=c.nvux", "/BOOTORDER /O=c.nvux")));

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandLineTableTest,
    testing::Values(
        Engine("/ARC", "/ARC"), Engine("/ARC /O=arc.nvux /OV", "/ARC /O=arc.nvux /OV"),
        Engine("/MAKE /CINP=a.nvux /BINP=b.bup /O=c.bup", "/MAKE /CINP=a.nvux /BINP=b.bup /O=c.bup"),
        Engine("/BUPINFO /O=x.bup", "/BUPINFO /O=x.bup"), Engine("/AST", "/AST"), Engine("/INFO", "/INFO"),
        Engine("/UPDATELOGO /O=logo.bmp", "/UPDATELOGO /O=logo.bmp"),
        Engine("/UPDATELOGO /O=logo.JPG", "/UPDATELOGO /O=logo.JPG"),
        Engine("/UPD /O=C:\\bios\\x.bup", "/UPD /O=C:\\bios\\x.bup"),
        Engine("/UPD /WD=C:\\work /O=x.bup", "/UPD /WD=C:\\work /O=x.bup"),
        Engine("/UPD /PWD=secret", "/UPD /PWD=secret"), Engine("/NVU /PWC=abc", "/NVU /PWC=abc"),
        Engine("/UPD /BPC=20", "/UPD /BPC=20"), Engine("/UPD /BPC=HighRisk", "/UPD /BPC=HighRisk"),
        Engine("/UPD /LC=auto", "/UPD /LC=auto"), Engine("/UPD /NRB /W /OV /IAC", "/UPD /NRB /W /OV /IAC"),
        Engine("/UPD /BO", "/UPD /BO"), Engine("/UPD /silent", "/UPD /silent"),
        Engine("/AST /OV", "/AST /OV"), Engine("/UPD /LF", "/UPD /LF"),
        Engine("/UPD /LF=flash.log", "/UPD /lf=\"C:\\windows\\temp\\flash.log\""),
        Engine("/UPD /LF=flash.log /WD=C:\\work", "/UPD /lf=\"C:\\work\\flash.log\" /WD=C:\\work"),
        Engine("/UPD \"/LF=my log.txt\" /WD=C:\\work", "/UPD /lf=\"C:\\work\\my log.txt\" /WD=C:\\work"),
        Engine("/UPD /LF=\"C:\\logs\\a b.log\" /S", "/UPD /lf=\"C:\\logs\\a b.log\" /S", true),
        Engine("/UPD /WHE /QHE", "/UPD /WHE /QHE")));

INSTANTIATE_TEST_SUITE_P(
    SyntaxErrors, CommandLineTableTest,
    testing::Values(Syntax("/updat"), Syntax("x.bup"), Syntax("/UPD x.bup"), Syntax("/UPD /NVU"),
                    Syntax("/UPD /NRB /FRB"), Syntax("/ARC /FRB"), Syntax("/BUPINFO /LC=ON"),
                    Syntax("/BUPINFO /silent"), Syntax("/MAKE /PWD=x"), Syntax("/CRYPT=abc /WD=C:\\x"),
                    Syntax("/UPD /BPC=19"), Syntax("/UPD /BPC=101"), Syntax("/UPD /BPC=-5"),
                    Syntax("/UPD /BPC="), Syntax("/UPD /lc=maybe"), Syntax("/UPD /pwd"),
                    Syntax("/UPD /warningoff"), Syntax("/UPD /warn=off"), Syntax("/UPD /cml=5"),
                    Syntax("/UPD /exareamode"), Syntax("/UPD /chkex"), Syntax("/UPD /lang=de"),
                    Syntax("/UPD /dfxrf=a"), Syntax("/"), Syntax("/UPD /BUPINFO"),
                    Syntax("/UPD /NVU /S", false), Syntax("/UPD /NVU /syntax", false),
                    Syntax("/syntax /bogus", false)));

INSTANTIATE_TEST_SUITE_P(
    OwnAnswers, CommandLineTableTest,
    testing::Values(CLineCase{"/syntax /UPD", 0, "", "", nullptr},
                    CLineCase{"/SYNTAX", 0, "", "", nullptr},
                    CLineCase{"/UPD /O=x.bup /syntax /S", 0, "", "", nullptr},
                    CLineCase{"/AR", 4, "", g_deprecated, nullptr},
                    CLineCase{"/ARCHIVE /S", 4, "", g_deprecated, nullptr},
                    CLineCase{"/UPD /O=x.jpg", 8, "", g_badExtension, nullptr},
                    CLineCase{"/UPD /O=x.txt /S", 8, "", g_badExtension, nullptr},
                    CLineCase{"/ARC /O=#system#_#date#", 8, "", g_badExtension, nullptr},
                    CLineCase{"/NVU /O=x.nvu", 8, "", g_badExtension, nullptr}));

// Help and exit-code texts: header, then the resource text, whose CR LF line
// ends reach the pipe as CR CR LF through the text-mode output.
std::string TextModeBytes(const std::string& text)
{
    std::string out;
    for (char ch : text)
        out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    return out;
}

std::string ResourceText(const char* szName)
{
    HRSRC hInfo = FindResourceA(nullptr, szName, "BIGTEXT");
    HGLOBAL hRes = LoadResource(nullptr, hInfo);
    return std::string(static_cast<const char*>(LockResource(hRes)), SizeofResource(nullptr, hInfo));
}

std::string BigTextOutput(const char* szName)
{
    return TextModeBytes(
        "Korlix Version 6.81\nCopyright (C) 2026 Tervane. All rights reserved.\n\nBIOS Management (Update & "
        "Archive)\nAmbrel tool to update and archive BIOS and BIOS settings (64 bit)\n\n" +
        ResourceText(szName) + "\n");
}

struct CTextCase
{
    const char* szArguments;
    const char* szResource;
};

using BigTextRunTest = testing::TestWithParam<CTextCase>;

TEST_P(BigTextRunTest, HeaderAndTextWithoutWaiting)
{
    CommandLineRun run;
    CKorlixRun result = run.Run(GetParam().szArguments);
    EXPECT_EQ(result.dwExitCode, 0u);
    EXPECT_EQ(result.out, BigTextOutput(GetParam().szResource));
    EXPECT_EQ(result.err, "");
    std::string cmdLine, cmdLineOri;
    EXPECT_FALSE(run.EngineCommandLines(cmdLine, cmdLineOri));
}

INSTANTIATE_TEST_SUITE_P(Texts, BigTextRunTest,
                         testing::Values(CTextCase{"/?", "FLASH_CMDOPT.TXT"}, CTextCase{"/h", "FLASH_CMDOPT.TXT"},
                                         CTextCase{"-HELP", "FLASH_CMDOPT.TXT"},
                                         CTextCase{"/? /UPD /NVU", "FLASH_CMDOPT.TXT"},
                                         CTextCase{"/? /instant", "FLASH_CMDOPTX.TXT"},
                                         CTextCase{"/E", "FLASH_ELEVELS.TXT"},
                                         CTextCase{"/e /S", "FLASH_ELEVELS.TXT"},
                                         CTextCase{"/instant /E", "FLASH_ELEVELSX.TXT"}));

TEST(CommandLineRun, OnlyTheProgramName)
{
    CommandLineRun run;
    CKorlixRun result = run.Run("");
    EXPECT_EQ(result.dwExitCode, 0u);
    EXPECT_EQ(result.out, g_signOn);
    std::string cmdLine, cmdLineOri;
    ASSERT_TRUE(run.EngineCommandLines(cmdLine, cmdLineOri));
    EXPECT_EQ(cmdLine, g_version);
    EXPECT_EQ(cmdLineOri, "");
}

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
    std::string cmdLine, cmdLineOri;
    EXPECT_EQ(run.EngineCommandLines(cmdLine, cmdLineOri), c.szCmdLine != nullptr);
    if (c.szCmdLine)
    {
        EXPECT_EQ(cmdLine, c.szCmdLine + g_version);
    }
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
