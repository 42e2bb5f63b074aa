// Command lines end to end: exit code, console bytes and, for runs that
// reach the engine, the command line the engine receives.
#include "support/RegValues.h"
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

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

    // The engine's CmdLine and CmdLineOri, tab-separated, with the record's
    // backslash escapes undone; empty when the engine never ran.
    std::string EngineCommandLines() const
    {
        std::string record = m_record.Read(), lines;
        size_t nPos = record.find("execute\t");
        for (size_t i = nPos + 8; nPos != std::string::npos && i < record.size() && record[i] != '\n'; ++i)
            lines += record[i] == '\\' ? record[++i] : record[i];
        return lines;
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
    EXPECT_EQ(run.EngineCommandLines(), c.szCmdLine ? c.szCmdLine + g_version + "\t" + c.szArguments : "");
}

// The engine receives the arguments unchanged unless szCmdLine says otherwise.
CLineCase Engine(const char* szArguments, const char* szCmdLine = nullptr, bool fQuiet = false)
{
    return CLineCase{szArguments, 0, fQuiet ? "" : g_signOn, "", szCmdLine ? szCmdLine : szArguments};
}

CLineCase Quiet(const char* szArguments, const char* szCmdLine = nullptr)
{
    return Engine(szArguments, szCmdLine, true);
}

CLineCase Syntax(const char* szArguments, bool fMessage = true)
{
    return CLineCase{szArguments, 4, "", fMessage ? g_invalid : "", nullptr};
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
    return CLineCase{szArguments, 0, out, "", nullptr};
}

INSTANTIATE_TEST_SUITE_P(ReachTheEngine, CommandLineTableTest,
                         testing::Values(Engine(""), Engine("/UPD"), Engine("-upd"), Engine("/Update"),
                                         Quiet("/UPD /S"), Quiet("/upd -s"), Engine("/UPD /instant", "/UPD"),
                                         Engine("/instant /UPD", "/UPD"), Quiet("/UPD /INSTANT /S", "/UPD /S"),
                                         Engine("/UPD /O=B7710.BUP"), Engine("/UPD /O=b7710.bup"),
                                         Engine("/NVU /O=c.nvux"), Engine("/NVRAM /O=c.nvux"),
                                         Engine("/PASSWORDS /O=c.nvux"), Engine("/BOOTORDER /O=c.nvux")));

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandLineTableTest,
    testing::Values(Engine("/ARC"), Engine("/ARC /O=arc.nvux /OV"), Engine("/MAKE /CINP=a.nvux /BINP=b.bup /O=c.bup"),
                    Engine("/BUPINFO /O=x.bup"), Engine("/AST"), Engine("/INFO"), Engine("/UPDATELOGO /O=logo.bmp"),
                    Engine("/UPDATELOGO /O=logo.JPG"), Engine("/UPD /O=C:\\bios\\x.bup"),
                    Engine("/UPD /WD=C:\\work /O=x.bup"), Engine("/UPD /PWD=secret"), Engine("/NVU /PWC=abc"),
                    Engine("/UPD /BPC=20"), Engine("/UPD /BPC=HighRisk"), Engine("/UPD /LC=auto"),
                    Engine("/UPD /NRB /W /OV /IAC"), Engine("/UPD /BO"), Engine("/UPD /silent"), Engine("/AST /OV"),
                    Engine("/UPD /LF"), Engine("/UPD /LF=flash.log", "/UPD /lf=\"C:\\windows\\temp\\flash.log\""),
                    Engine("/UPD /LF=flash.log /WD=C:\\work", "/UPD /lf=\"C:\\work\\flash.log\" /WD=C:\\work"),
                    Engine("/UPD \"/LF=my log.txt\" /WD=C:\\work", "/UPD /lf=\"C:\\work\\my log.txt\" /WD=C:\\work"),
                    Quiet("/UPD /LF=\"C:\\logs\\a b.log\" /S", "/UPD /lf=\"C:\\logs\\a b.log\" /S"),
                    Engine("/UPD /WHE /QHE")));

INSTANTIATE_TEST_SUITE_P(SyntaxErrors, CommandLineTableTest,
                         testing::Values(Syntax("/updat"), Syntax("x.bup"), Syntax("/UPD x.bup"), Syntax("/UPD /NVU"),
                                         Syntax("/UPD /NRB /FRB"), Syntax("/ARC /FRB"), Syntax("/BUPINFO /LC=ON"),
                                         Syntax("/BUPINFO /silent"), Syntax("/MAKE /PWD=x"),
                                         Syntax("/CRYPT=abc /WD=C:\\x"), Syntax("/UPD /BPC=19"),
                                         Syntax("/UPD /BPC=101"), Syntax("/UPD /BPC=-5"), Syntax("/UPD /BPC="),
                                         Syntax("/UPD /lc=maybe"), Syntax("/UPD /pwd"), Syntax("/UPD /warningoff"),
                                         Syntax("/UPD /warn=off"), Syntax("/UPD /cml=5"), Syntax("/UPD /exareamode"),
                                         Syntax("/UPD /chkex"), Syntax("/UPD /lang=de"), Syntax("/UPD /dfxrf=a"),
                                         Syntax("/"), Syntax("/UPD /BUPINFO"), Syntax("/UPD /NVU /S", false),
                                         Syntax("/UPD /NVU /syntax", false), Syntax("/syntax /bogus", false)));

INSTANTIATE_TEST_SUITE_P(OwnAnswers, CommandLineTableTest,
                         testing::Values(CLineCase{"/syntax /UPD", 0, "", "", nullptr},
                                         CLineCase{"/SYNTAX", 0, "", "", nullptr},
                                         CLineCase{"/UPD /O=x.bup /syntax /S", 0, "", "", nullptr},
                                         CLineCase{"/AR", 4, "", g_deprecated, nullptr},
                                         CLineCase{"/ARCHIVE /S", 4, "", g_deprecated, nullptr},
                                         CLineCase{"/UPD /O=x.jpg", 8, "", g_badExtension, nullptr},
                                         CLineCase{"/UPD /O=x.txt /S", 8, "", g_badExtension, nullptr},
                                         CLineCase{"/ARC /O=#system#_#date#", 8, "", g_badExtension, nullptr},
                                         CLineCase{"/NVU /O=x.nvu", 8, "", g_badExtension, nullptr}));

INSTANTIATE_TEST_SUITE_P(Texts, CommandLineTableTest,
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
