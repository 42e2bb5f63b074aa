// The rules behind engine texts: case, containment, series and the code
// before. ConsoleRuns.txt sends each message text and action status as it
// stands.
#include "driver/ExitFlags.h"

#include <gtest/gtest.h>

namespace
{
struct CErrTextCase
{
    uint32_t nBefore;
    const char* szText;
    bool fKnown;
    uint32_t nAfter;
};

using ErrText2FlagTest = testing::TestWithParam<CErrTextCase>;

TEST_P(ErrText2FlagTest, MapsTheMessage)
{
    const CErrTextCase& c = GetParam();
    CExitFlags flags;
    flags.Set(c.nBefore);
    EXPECT_EQ(flags.ErrText2Flag(c.szText), c.fKnown);
    EXPECT_EQ(flags.Get(), c.nAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ErrText2FlagTest,
    testing::Values(
        // 1: exact, case matters
        CErrTextCase{1, "Creation of archive skipped, missing BupInfo.xml", true, 9},
        CErrTextCase{0, "Invalid or missing file(s)", false, 0},
        // 2 to 5: equal ignoring case
        CErrTextCase{0, "BIOS BACKUP NOT SUPPORTED", true, 2}, CErrTextCase{0, "insufficient disk space", true, 16},
        CErrTextCase{4, "Could not write to archive", true, 68}, CErrTextCase{0, "BIOS UPDATE FAILED", true, 2},
        CErrTextCase{0, "Invalid password", true, 2}, CErrTextCase{0, "Invalid password!", false, 0},
        // 6 to 9: contains, ORed
        CErrTextCase{1, "Error: Missing confirmation(s) for /W", true, 33},
        CErrTextCase{0, "xx Invalid command line yy", true, 4},
        // the texts of rule 8 and rule 16: the first matching rule wins
        CErrTextCase{0, "Invalid command line, Invalid file(s) for full update", true, 4},
        // 10, 11: contains, assigned
        CErrTextCase{7, "Ambrel setup awaits reboot", true, 301},
        CErrTextCase{7, "Korlix awaits reboot now", true, 301},
        CErrTextCase{3, "Unsupported Operating System", true, 305},
        // 12: the battery and access series
        CErrTextCase{2, "Flash: Access denied. Try later", true, 1037}, CErrTextCase{0, "access denied.", false, 0},
        CErrTextCase{1, "PC lock is installed", true, 3},
        CErrTextCase{1, "List content of BupInfo.xml is not supported", true, 255},
        CErrTextCase{3, "Invalid file(s) for full update", true, 1046},
        // 19, 20: the latter only when nothing was recorded yet
        CErrTextCase{0, "can't load bios file", true, 8}, CErrTextCase{0, "Flash device is write protected", true, 2},
        CErrTextCase{1, "Flash device is write protected", true, 1},
        CErrTextCase{0, "POST update action skipped", true, 401},
        // 24: accessor texts and "OK"
        CErrTextCase{0, "ok", true, 2}, CErrTextCase{1, "OK", true, 1},
        CErrTextCase{0, "Accessor EFDMI has wrong version", true, 2},
        // 25: unknown
        CErrTextCase{0, "Something odd happened", false, 0}, CErrTextCase{1, "", false, 1}));
}  // namespace
