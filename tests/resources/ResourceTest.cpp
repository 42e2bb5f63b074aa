#include "platform/Msc.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace
{
// A string-table entry, read straight from the resource section.
std::string StringLoad(unsigned id)
{
    char szText[1024];
    int n = LoadStringA(GetModuleHandleW(nullptr), id, szText, sizeof(szText));
    return std::string(szText, n > 0 ? n : 0);
}

std::string BigTextLoad(const char* szName)
{
    std::unique_ptr<char[]> data;
    size_t n = MscCustomResourceToMem(GetModuleHandleW(nullptr), "BIGTEXT", szName, data);
    return n ? std::string(data.get(), n) : std::string();
}

// The string-table entries the program compares engine texts with; the
// labels and messages it prints are checked byte for byte by the console tests.
struct CExpectedString
{
    unsigned id;
    const char* szText;
};

const CExpectedString g_rgExpectedStrings[] = {
    {5108, "BIOS backup not supported"},
    {5109, "BIOS archiving failed"},
    {5112, "BIOS update not supported"},
    {5113, "BIOS update failed"},
    {5120, "Missing confirmation(s)"},
    {5121, "PC lock is installed"},
    {5150, "Could not create directory"},
    {5151, "Creation of archive skipped, missing BupInfo.xml"},
    {5155, "Error trying to disable AOL watchdog."},
    {5156, "Error trying to disable ASF watchdog."},
    {5157, "Error trying to reenable AOL watchdog. Please reenable it using Sentrow."},
    {5158, "Error trying to reenable ASF watchdog. Please reenable it using Sentrow."},
    {5171, "Insufficient disk space"},
    {5177, "invalid directory"},
    {5179, "invalid or missing file(s)"},
    {5180, "Administrator privileges missing"},
    {5182, "Ambrel setup awaits reboot"},
    {5183, "Could not write to archive"},
    {5190, "No update action possible with Bitlocker protected drives"},
    {5192, "Unsupported Operating System"},
    {5193, "Korlix awaits reboot"},
    {5198, "List content of BupInfo.xml is not supported"},
    {5201, "Invalid file(s) for full update"},
    {5202, "Overwriting the same version is not possiblie with this BIOS"},
    {5203, "Display last action status information is not supported"},
    {5205, "POST update action succeeded"},
    {5206, "POST update action failed"},
    {5207, "POST update action pending"},
    {5209, "POST update action skipped"},
    {5213, "Invalid password"},
    {5215, "System Firmware Rollback Forbidden"},
    {5216, "Can't pass image to EFI partition"},
    {5315, "The remaining battery capacity is too low. Please charge the battery or do not use /W parameter."},
    {5316, "The battery capacity couldn't be recognized. Please do not use /W parameter."},
    {5317, "The battery is not attached. Please plug in charged battery or do not use /W parameter."},
    {5318, "The remaining battery capacity is too low. Please charge the battery and try again."},
    {5319, "Could not recognize battery capacity on the notebook system. Please contact support helpdesk."},
    {5320, "The battery is not attached. Please plug in charged battery and try again."},
    {5321, "AC adapter is not connected on the notebook system. Please plug in AC adapter cable."},
    {5322, "Could not recognize AC adapter on the notebook system. Please contact support helpdesk."},
    {5323, "The battery capacity couldn't be recognized. Please connect AC adapter and do not use /W parameter."},
    {5324, "/IGNOREAC parameter is not supported on this system."},
    {5325, "Downgrading to this BIOS version is prohibited."},
    {5326, "The BIOS version in the file is not update compatible with the version installed."},
    {5327, "Access denied."},
    {5328, "No update action possible with TXT processor extension enabled"},
    {5331, "The Korlix version is not compatible with the requirement in the update file."},
    {5332, "Update to a Korlix compatible BIOS version is required. Please update the BIOS using the appropriate XKJ version, e.g. 2.08XKJ."},
    {5333, "BIOS access was blocked after previous operation"},
    {5334, "BIOS access is blocked until next reboot"},
    {5335, "Checking BIOS access state failed"},
    {5507, "NVRAM update not supported"},
    {5508, "Configuration data update failed"},
    {5524, "Update logo failed"},
    {5900, "Can't load BIOS file"},
    {5903, "Can't load CMOS image file"},
    {5904, "Can not read BIOS image from flash device"},
    {5905, "Can not read CMOS image from NVRAM"},
    {5906, "Can't save BIOS archive"},
    {5907, "Can not write BIOS image to flash device"},
    {5908, "Can not write CMOS image to NVRAM"},
    {5909, "The BIOS versions are not compatible"},
    {5910, "Error while transferring bios modules"},
    {5911, "No file found for micro code update"},
    {5912, "Micro code couldn't be updated"},
    {5913, "Accessor BAPI not found"},
    {5914, "Accessor BAPI not ready"},
    {5915, "Accessor BAPI has wrong version"},
    {5916, "Accessor CMOS not found"},
    {5917, "Accessor CMOS not ready"},
    {5918, "Accessor CMOS has wrong version"},
    {5919, "Accessor CPUID not found"},
    {5920, "Accessor CPUID not ready"},
    {5921, "Accessor CPUID has wrong version"},
    {5922, "Accessor EFDMI not found"},
    {5923, "Accessor EFDMI not ready"},
    {5924, "Accessor EFDMI has wrong version"},
    {5925, "OK"},
    {5926, "Flash device is write protected"},
};

TEST(StringTable, EntriesTheProgramReads)
{
    for (const CExpectedString& entry : g_rgExpectedStrings)
        EXPECT_EQ(StringLoad(entry.id), entry.szText) << "string " << entry.id;
}

TEST(BigText, HelpTextLayout)
{
    std::string help = BigTextLoad("FLASH_CMDOPT.TXT");
    ASSERT_FALSE(help.empty());
    EXPECT_EQ(help.rfind("Korlix /UPD [/O=<combined.bup> | <original_bios.bup>] [/WD=<dir>] \r\n", 0), 0u);
    EXPECT_EQ(help.size() - help.rfind("          /BO     /bootorder\r\n\r\n\r\n"),
              std::string("          /BO     /bootorder\r\n\r\n\r\n").size());
    EXPECT_NE(help.find("\r\n          /UPD    /update\t\r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n   \r\n          /?      /help, /h\r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n          /W      /warningoff             \r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n  /PASSWORDS  \r\n            : Restore the passwords"), std::string::npos);
    // Every line feed belongs to a CR LF pair.
    for (size_t i = help.find('\n'); i != std::string::npos; i = help.find('\n', i + 1))
        ASSERT_EQ(help[i - 1], '\r') << "at " << i;
    // 112 lines, the last followed by three line ends.
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 114);
}

TEST(BigText, InstantHelpIsTheSameText)
{
    // Resource names compare without case; the program asks for ".txt".
    EXPECT_EQ(BigTextLoad("FLASH_CMDOPTX.txt"), BigTextLoad("FLASH_CMDOPT.TXT"));
}

TEST(BigText, ExitCodeText)
{
    std::string text = BigTextLoad("FLASH_ELEVELS.TXT");
    EXPECT_EQ(text.rfind("    0\tSuccess\r\n    1\tWarning\r\n", 0), 0u);
    const std::string last = " 1049\tRollback is forbidden. See Setup Settings to allow system firmware rollback.";
    EXPECT_EQ(text.size() - text.rfind(last), last.size()) << "no line end after the last line";
    EXPECT_NE(text.find("\r\n  305\tUnsupported operating system.  \r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n 1026\tThe battery capacity couldn't be recognized. Please do not \r\n     \tuse /W parameter.\r\n"),
              std::string::npos);
    // 55 lines.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 54);
}

// The instant variant: the base text with its listed additions.
std::string InstantExitCodeTextExpected(std::string text)
{
    auto insertAfterLine = [&text](const std::string& lineStart, const std::string& lines) {
        size_t nPos = text.find(lineStart);
        size_t nEnd = text.find("\r\n", nPos) + 2;
        text.insert(nEnd, lines);
    };
    insertAfterLine("  255\t", "  300\tAmbrel Client is installed. Add the /useinstalled parameter \r\n"
                               "     \tto use the installed version. \r\n");
    insertAfterLine("  301\t", "  302\tAn instance of 'Ambrel Instant' is already running. Try again later.\r\n"
                               "  303\tAn incompatible application is currently running. Try again later.\r\n"
                               "  304\tKorlix cannot run on a computer with Ambrel 5 installed.\r\n");
    size_t n305 = text.find("  305\tUnsupported operating system.  \r\n");
    text.replace(n305, 39, "  305\tUnsupported operating system.\r\n  306\tInsufficient privileges.\r\n");
    insertAfterLine("  307\t", "  310\tInternal error\r\n");
    return text;
}

TEST(BigText, InstantExitCodeText)
{
    EXPECT_EQ(BigTextLoad("FLASH_ELEVELSX.TXT"), InstantExitCodeTextExpected(BigTextLoad("FLASH_ELEVELS.TXT")));
}

}  // namespace
