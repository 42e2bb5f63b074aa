// Trace files of the installed program: its tracing key, the default file in
// the working directory, and the records that must hide or show the user's
// input.
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

namespace
{
class KorlixTraceTest : public testing::Test
{
protected:
    // Runs the program in the test folder, where the default "Trace.trc"
    // lands, and returns that file's text.
    std::string Run(const std::string& arguments, DWORD dwExitCode, const std::string& script = "")
    {
        CKorlixStart start;
        start.arguments = arguments;
        start.workingDirectory = m_dir.Path();
        CTempFile scriptFile(".scn");
        scriptFile.Write(script);
        if (!script.empty())
            start.environment["DIDEREVE_SCRIPT"] = scriptFile.Path();
        EXPECT_EQ(KorlixRun(start).dwExitCode, dwExitCode) << arguments;
        return TraceFileRead(m_dir.File("Trace.trc")).text;
    }

    CTempDir m_dir;
    CRegValues m_values{"Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22"};
};

// Every run records the build information; /CRYPT records its input at the
// finest level only.
TEST_F(KorlixTraceTest, BuildInformationAndTheCryptInput)
{
    m_values.Dword("Trace", 1);
    m_values.Dword("TraceClear", 1);
    for (DWORD dwLevel : {5, 6})
    {
        m_values.Dword("TraceLevel", dwLevel);
        const std::string text = Run("/CRYPT=abc", 0);
        EXPECT_NE(text.find("\tInfo\t<global>\tmain\tInternal\tBUILD INFORMATION\tRELEASE (amd64); TIME="),
                  std::string::npos);
        EXPECT_EQ(text.find("\tVerboseCC\tCXXCrypt\tEncrypt\tEnter\t\tcrypt: abc\r\n") != std::string::npos,
                  dwLevel == 6);
    }
}

// Every record that may hold a command line is masked first, including the
// registry extension and the engine's command lines.
TEST_F(KorlixTraceTest, PasswordsNeverReachTheTrace)
{
    m_values.Dword("Trace", 1);
    m_values.Dword("TraceLevel", 6);
    CRegValues extension("SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe");
    extension.String("CommandLineExt", "/W");
    // An engine error gives records of levels 1 to 4.
    const std::string text = Run("/UPD \"/PWD=topsecret\" /pwc=hush%s", 2, "call\nout <eError> boom\\n\nend\n");
    for (const char* szClear : {"secret", "hush"})
    {
        size_t nPos = text.find(szClear);
        EXPECT_EQ(nPos, std::string::npos) << text.substr(nPos < 200 ? 0 : nPos - 200, 300);
    }
    EXPECT_NE(text.find("argv[2] = '/PWD=****'"), std::string::npos);
    EXPECT_NE(text.find("CmdLine='/UPD \"/PWD=****\" /pwc= /W /krlxver=6.22.89.0'"), std::string::npos);
}
}  // namespace
