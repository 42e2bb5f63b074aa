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

// Whether the override value counts with this type and data.
bool OverrideSet(DWORD dwType, const std::string& data)
{
    CRegValues values(g_szCommonKey);
    values.Raw("IgnoreElevationCheck", dwType, data.data(), static_cast<DWORD>(data.size()));
    return CCElevation::IsIgnoreRegkeySet();
}

// Four bytes are read, any of them set counts; a longer value is no value.
TEST(Elevation, OverrideValueReadsFourBytes)
{
    EXPECT_TRUE(OverrideSet(REG_BINARY, std::string("\0\0\0\2", 4)));
    EXPECT_TRUE(OverrideSet(REG_SZ, std::string("1\0", 2)));
    EXPECT_FALSE(OverrideSet(REG_SZ, std::string("1234567\0", 8)));
    EXPECT_FALSE(OverrideSet(REG_DWORD, std::string(4, '\0')));
}

// A child started with the limited token: exit code, standard error, and
// whether the engine ran and anything reached standard output.
std::string LimitedRun(const char* szArguments)
{
    CTempFile script(".scn"), record(".rec");
    script.Write("call\nend\ncall\nout <eJobDone>7\\n\nstatus 1\nend\n");
    CKorlixStart start = ScriptedStart(szArguments, script.Path(), record.Path());
    start.fLimited = true;
    const CKorlixRun run = KorlixRun(start);
    return std::to_string(run.dwExitCode) + " [" + run.err + "]" + (record.Read().empty() ? "" : " engine") +
           (run.out.empty() ? "" : " out");
}

// Without elevation an engine command ends with 22 before the engine starts,
// quietly under /S, unless the override value is set. (CryptRunTest runs an
// answer of the program's own without elevation.)
TEST(Elevation, LimitedRuns)
{
    EXPECT_EQ(LimitedRun("/UPD"), "22 [\r\nExecuted without elevation\r\n]");
    EXPECT_EQ(LimitedRun("/UPD /S"), "22 []");
    CRegValues values(g_szCommonKey);
    values.Dword("IgnoreElevationCheck", 1);
    EXPECT_EQ(LimitedRun("/UPD"), "7 [] engine out");
}
}  // namespace
