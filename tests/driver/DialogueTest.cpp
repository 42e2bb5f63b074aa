// The dialogue with the engine, end to end: the installed program against
// scripted stand-in engines.
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace
{
class DialogueTest : public testing::Test
{
protected:
    CKorlixRun Run(const std::string& script, const std::string& arguments = "/UPD")
    {
        m_script.Write(script);
        return KorlixRun(arguments, m_script.Path(), m_record.Path());
    }

    // The first field of every record line.
    std::vector<std::string> Events() const
    {
        std::vector<std::string> events;
        std::istringstream lines(m_record.Read());
        for (std::string line; std::getline(lines, line);)
            events.push_back(line.substr(0, line.find('\t')));
        return events;
    }

    CTempFile m_script{".scn"};
    CTempFile m_record{".rec"};
};

using CEventList = std::vector<std::string>;

TEST_F(DialogueTest, SeveralContinueRoundsUntilJobDone)
{
    CKorlixRun run = Run("call\nend\n"
                         "call\nout <eInfo> one\\n\nend\n"
                         "call\nend\n"
                         "call\nout <eJobDone>1046\\n\nstatus 1\nend\n");
    EXPECT_EQ(run.dwExitCode, 1046u);
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "continue", "continue", "continue", "release"}));
}

TEST_F(DialogueTest, BlocksUsedUpEndThePolling)
{
    CKorlixRun run = Run("call\nout <eWarning> careful\\n\nend\n");
    EXPECT_EQ(run.dwExitCode, 1u);
    // The one Continue after the last block answers status 1.
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "continue", "release"}));
}

TEST_F(DialogueTest, EmptyPollsContinueUntilTheStatusChanges)
{
    CKorlixRun run = Run("call\nend\ncall\nend\ncall\nend\ncall\nend\ncall\nstatus 1\nend\n");
    EXPECT_EQ(run.dwExitCode, 0u);
    EXPECT_EQ(Events(),
              (CEventList{"create", "init", "execute", "continue", "continue", "continue", "continue", "release"}));
}

TEST_F(DialogueTest, FailedExecuteGivesGeneralErrorWithoutContinue)
{
    CKorlixRun run = Run("call\nhr 0x80004005\nout <eJobDone>7\\n\nend\ncall\nstatus 1\nend\n");
    EXPECT_EQ(run.dwExitCode, 2u);
    EXPECT_EQ(run.out, g_signOn);
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "release"}));
}

TEST_F(DialogueTest, UnreadableScriptFailsExecute)
{
    CKorlixRun run = Run("call\nbogus\nend\n");
    EXPECT_EQ(run.dwExitCode, 2u);
    EXPECT_EQ(m_record.Read().find("error\tline 2: unknown keyword 'bogus'\n"), m_record.Read().find("error"));
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "error", "release"}));
}

TEST_F(DialogueTest, FailedContinueEndsPollingAndKeepsTheFlags)
{
    CKorlixRun run = Run("call\nout <eWarning> low battery\\n\nend\n"
                         "call\nhr 0x8000FFFF\nend\n"
                         "call\nout <eJobDone>9\\n\nstatus 1\nend\n");
    EXPECT_EQ(run.dwExitCode, 1u);
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "continue", "release"}));
}

struct CStatusCase
{
    const char* szStatus;
    DWORD dwExitCode;
    const char* szStdErr;
};

class ExecuteStatusTest : public DialogueTest, public testing::WithParamInterface<CStatusCase>
{
};

TEST_P(ExecuteStatusTest, EndsTheDialogueWithTheMappedCode)
{
    const CStatusCase& c = GetParam();
    CKorlixRun run = Run(std::string("call\nstatus ") + c.szStatus + "\nend\ncall\nout <eJobDone>5\\n\nend\n");
    EXPECT_EQ(run.dwExitCode, c.dwExitCode);
    EXPECT_EQ(run.out, g_signOn);
    EXPECT_EQ(run.err, c.szStdErr);
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "release"}));
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ExecuteStatusTest,
    testing::Values(CStatusCase{"0x80040201", 301, ""}, CStatusCase{"0x80040203", 301, ""},
                    CStatusCase{"0x80040202", 307, ""}, CStatusCase{"0x80040204", 1039, ""},
                    CStatusCase{"0x80040205", 1040, "\r\nNo support module for this hardware found\r\n"},
                    CStatusCase{"0x8004F206", 1049, "\r\nSystem Firmware Rollback Forbidden\r\n"},
                    CStatusCase{"0x80040200", 2, ""}, CStatusCase{"0x8004FFFF", 2, ""}, CStatusCase{"1", 2, ""}));

TEST_F(DialogueTest, ExecuteStatusAddsToWhatTheOutputSet)
{
    // The output of Execute is rendered before the status is applied.
    CKorlixRun run = Run("call\nout <eWarning> w\\n\nstatus 0x8004FFFF\nend\n");
    EXPECT_EQ(run.dwExitCode, 3u);
}

// The program's own lines on standard output reach the pipe before a later
// error message on standard error, as a script capturing both sees them.
TEST_F(DialogueTest, StreamsKeepTheirOrderInOnePipe)
{
    m_script.Write("call\nout <eAction> one\\n\nend\ncall\nerr Invalid password\nstatus 1\nend\n");
    CKorlixStart start = ScriptedStart("/UPD", m_script.Path(), m_record.Path());
    start.fOneStream = true;
    CKorlixRun run = KorlixRun(start);
    EXPECT_EQ(run.dwExitCode, 2u);
    EXPECT_EQ(run.out, g_signOn + "\rAction...........one\r\nInvalid password");
}

TEST_F(DialogueTest, EngineWithoutScriptFinishesCleanly)
{
    CKorlixStart start;
    start.arguments = "/UPD";
    start.environment["DIDEREVE_SCRIPT"] = "";
    start.environment["DIDEREVE_RECORD"] = m_record.Path();
    EXPECT_EQ(KorlixRun(start).dwExitCode, 0u);
    EXPECT_EQ(Events(), (CEventList{"create", "init", "execute", "continue", "release"}));
}
}  // namespace
