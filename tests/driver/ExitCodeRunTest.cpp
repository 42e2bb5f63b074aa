// The exit codes of engine error texts and closing items, from a scripted
// engine session of the installed program, with its console bytes; the codes
// of Execute statuses are in DialogueTest.
#include "support/KorlixProcess.h"
#include "support/KorlixTexts.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace
{
struct CCodeCase
{
    DWORD dwExitCode;
    std::string script;
    std::string out;  // after the sign-on
    std::string err;
};

// The engine reports a message as its error text.
CCodeCase ErrorText(DWORD dwExitCode, const std::string& text)
{
    return CCodeCase{dwExitCode, "call\nerr " + text + "\nend\n", "", text};
}

// The engine's closing item carries the code.
CCodeCase JobDone(DWORD dwExitCode)
{
    return CCodeCase{dwExitCode,
                     "call\nend\ncall\nout <eJobDone>" + std::to_string(dwExitCode) + "\\n\nstatus 1\nend\n", "\r\n",
                     ""};
}

using ExitCodeRunTest = testing::TestWithParam<CCodeCase>;

TEST_P(ExitCodeRunTest, CodeAndConsole)
{
    const CCodeCase& c = GetParam();
    CTempFile script(".scn"), record(".rec");
    script.Write(c.script);
    CKorlixRun run = KorlixRun("/UPD", script.Path(), record.Path());
    EXPECT_EQ(run.dwExitCode, c.dwExitCode);
    EXPECT_EQ(run.out, g_signOn + c.out);
    EXPECT_EQ(run.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ExitCodeRunTest,
    testing::Values(
        JobDone(0), ErrorText(2, "BIOS update failed"), ErrorText(4, "Engine says: Invalid command line"),
        ErrorText(8, "invalid or missing file(s)"), ErrorText(16, "Insufficient disk space"),
        ErrorText(32, "Missing confirmation(s)"), JobDone(33), ErrorText(64, "Administrator privileges missing"),
        ErrorText(255, "List content of BupInfo.xml is not supported"), ErrorText(301, "Korlix awaits reboot"),
        ErrorText(305, "Unsupported Operating System"), JobDone(400), ErrorText(401, "POST update action failed"),
        ErrorText(402, "POST update action pending"),
        ErrorText(1024, "No update action possible with Bitlocker protected drives"),
        ErrorText(1025,
                  "The remaining battery capacity is too low. Please charge the battery or do not use /W parameter."),
        ErrorText(1026, "The battery capacity couldn't be recognized. Please do not use /W parameter."),
        ErrorText(1027, "The battery is not attached. Please plug in charged battery or do not use /W parameter."),
        ErrorText(1028, "The remaining battery capacity is too low. Please charge the battery and try again."),
        ErrorText(1029,
                  "Could not recognize battery capacity on the notebook system. Please contact support helpdesk."),
        ErrorText(1030, "The battery is not attached. Please plug in charged battery and try again."),
        ErrorText(1031, "AC adapter is not connected on the notebook system. Please plug in AC adapter cable."),
        ErrorText(1032, "Could not recognize AC adapter on the notebook system. Please contact support helpdesk."),
        ErrorText(
            1033,
            "The battery capacity couldn't be recognized. Please connect AC adapter and do not use /W parameter."),
        ErrorText(1034, "/IGNOREAC parameter is not supported on this system."),
        ErrorText(1035, "Downgrading to this BIOS version is prohibited."),
        ErrorText(1036, "The BIOS version in the file is not update compatible with the version installed."),
        ErrorText(1037, "Access denied."),
        ErrorText(1038, "No update action possible with TXT processor extension enabled"),
        ErrorText(1041, "The Korlix version is not compatible with the requirement in the update file."),
        ErrorText(1042, "Update to a Korlix compatible BIOS version is required. Please update the BIOS using the "
                        "appropriate XKJ version, e.g. 2.08XKJ."),
        ErrorText(1043, "BIOS access was blocked after previous operation"),
        ErrorText(1044, "BIOS access is blocked until next reboot"),
        ErrorText(1045, "Checking BIOS access state failed"), ErrorText(1046, "Invalid file(s) for full update"),
        ErrorText(1047, "Overwriting the same version is not possiblie with this BIOS"),
        ErrorText(1048, "Display last action status information is not supported"),
        ErrorText(1049, "System Firmware Rollback Forbidden")));
}  // namespace
