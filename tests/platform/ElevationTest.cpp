// Elevation: the override value in-process, the check end to end for a child
// started with the limited linked token (other tests run elevated children).
#include "platform/Elevation.h"
#include "support/RegValues.h"
#include "support/KorlixProcess.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace
{
constexpr char g_szCommonKey[] = "SOFTWARE\\Tervane\\Common";

struct CIgnoreCase
{
    const char* szName;
    DWORD dwType;
    std::string data;
    bool fSet;
};

using IgnoreRegkeyTest = testing::TestWithParam<CIgnoreCase>;

TEST_P(IgnoreRegkeyTest, ReadsFourBytes)
{
    const CIgnoreCase& c = GetParam();
    CRegValues values(g_szCommonKey);
    values.Raw("IgnoreElevationCheck", c.dwType, c.data.data(), static_cast<DWORD>(c.data.size()));
    EXPECT_EQ(CCElevation::IsIgnoreRegkeySet(), c.fSet);
}

INSTANTIATE_TEST_SUITE_P(Values, IgnoreRegkeyTest,
                         testing::Values(CIgnoreCase{"BinaryNonZero", REG_BINARY, std::string("\0\0\0\2", 4), true},
                                         CIgnoreCase{"ShortString", REG_SZ, std::string("1\0", 2), true},
                                         CIgnoreCase{"LongString", REG_SZ, std::string("1234567\0", 8), false}),
                         [](const testing::TestParamInfo<CIgnoreCase>& info) {
                             return std::string(info.param.szName);
                         });

class LimitedRunTest : public testing::Test
{
protected:
    CKorlixRun RunLimited(const std::string& arguments)
    {
        m_script.Write("call\nend\ncall\nout <eJobDone>7\\n\nstatus 1\nend\n");
        CKorlixStart start = ScriptedStart(arguments, m_script.Path(), m_record.Path());
        start.fLimited = true;
        return KorlixRun(start);
    }

    CTempFile m_script{".scn"};
    CTempFile m_record{".rec"};
};

TEST_F(LimitedRunTest, NotElevatedExits22WithoutTheEngine)
{
    CKorlixRun run = RunLimited("/UPD");
    EXPECT_EQ(run.dwExitCode, 22u);
    EXPECT_EQ(run.err, "\r\nExecuted without elevation\r\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(m_record.Read(), "");
    run = RunLimited("/UPD /S");  // quiet: no message
    EXPECT_EQ(run.dwExitCode, 22u);
    EXPECT_EQ(run.err + run.out, "");
}

TEST_F(LimitedRunTest, OwnAnswersNeedNoElevation)
{
    EXPECT_EQ(RunLimited("/UPD /NVU").dwExitCode, 4u);
    EXPECT_EQ(RunLimited("/SYNTAX /UPD").dwExitCode, 0u);
    EXPECT_EQ(RunLimited("/E").dwExitCode, 0u);
}

TEST_F(LimitedRunTest, OverrideValueLetsItRun)
{
    CRegValues values(g_szCommonKey);
    values.Dword("IgnoreElevationCheck", 1);
    CKorlixRun run = RunLimited("/UPD");
    EXPECT_EQ(run.dwExitCode, 7u);
    EXPECT_EQ(run.err, "");
}

TEST_F(LimitedRunTest, OverrideValueZeroKeepsTheCheck)
{
    CRegValues values(g_szCommonKey);
    values.Dword("IgnoreElevationCheck", 0);
    EXPECT_EQ(RunLimited("/UPD").dwExitCode, 22u);
}
}  // namespace
