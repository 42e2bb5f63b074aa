#include "SimCodes.h"

namespace
{
enum EEffect
{
    eOr,        // a bit added to the others
    eAssign,    // a whole code that replaces everything before it
    eOrIfNone,  // the general error bit, only when nothing was recorded yet
};

struct CTextCode
{
    const char* szText;
    EEffect eEffect;
    uint32_t nCode;
};

// Every error text the simulated PC answers, with what the program makes
// of it.
const CTextCode g_rgTextCodes[] = {
    {"invalid or missing file(s)", eOr, 8},
    {"Can't load BIOS file", eOr, 8},
    {"Can't load CMOS image file", eOr, 8},
    {"invalid directory", eOr, 2},
    {"Invalid password", eOr, 2},
    {"NVRAM update not supported", eOr, 2},
    {"Invalid command line", eOr, 4},
    {"Insufficient disk space", eOr, 16},
    {"Missing confirmation(s)", eOr, 32},
    {"Could not write to archive", eOr, 64},
    {"No update action possible with Bitlocker protected drives", eOr, 1024},
    {"Flash device is write protected", eOrIfNone, 2},
    {"List content of BupInfo.xml is not supported", eAssign, 255},
    {"Ambrel setup awaits reboot", eAssign, 301},
    {"Korlix awaits reboot", eAssign, 301},
    {"Unsupported Operating System", eAssign, 305},
    {"The remaining battery capacity is too low. Please charge the battery or do not use /W parameter.", eAssign, 1025},
    {"The battery capacity couldn't be recognized. Please do not use /W parameter.", eAssign, 1026},
    {"The battery is not attached. Please plug in charged battery or do not use /W parameter.", eAssign, 1027},
    {"The remaining battery capacity is too low. Please charge the battery and try again.", eAssign, 1028},
    {"Could not recognize battery capacity on the notebook system. Please contact support helpdesk.", eAssign, 1029},
    {"The battery is not attached. Please plug in charged battery and try again.", eAssign, 1030},
    {"AC adapter is not connected on the notebook system. Please plug in AC adapter cable.", eAssign, 1031},
    {"Could not recognize AC adapter on the notebook system. Please contact support helpdesk.", eAssign, 1032},
    {"The battery capacity couldn't be recognized. Please connect AC adapter and do not use /W parameter.", eAssign,
     1033},
    {"/IGNOREAC parameter is not supported on this system.", eAssign, 1034},
    {"Downgrading to this BIOS version is prohibited.", eAssign, 1035},
    {"The BIOS version in the file is not update compatible with the version installed.", eAssign, 1036},
    {"Access denied.", eAssign, 1037},
    {"No update action possible with TXT processor extension enabled", eAssign, 1038},
    {"The Korlix version is not compatible with the requirement in the update file.", eAssign, 1041},
    {"Update to a Korlix compatible BIOS version is required. Please update the BIOS using the appropriate XKJ "
     "version, e.g. 2.08XKJ.",
     eAssign, 1042},
    {"BIOS access was blocked after previous operation", eAssign, 1043},
    {"BIOS access is blocked until next reboot", eAssign, 1044},
    {"Checking BIOS access state failed", eAssign, 1045},
    {"Invalid file(s) for full update", eAssign, 1046},
    {"Overwriting the same version is not possiblie with this BIOS", eAssign, 1047},
    {"Display last action status information is not supported", eAssign, 1048},
};
}  // namespace

void CExitCode::Error(const std::string& text)
{
    for (const CTextCode& entry : g_rgTextCodes)
    {
        if (text != entry.szText)
            continue;
        if (entry.eEffect == eAssign)
            m_nValue = entry.nCode;
        else if (entry.eEffect == eOr || m_nValue == 0)
            m_nValue |= entry.nCode;
        return;
    }
    m_nValue |= 2;
}

void CExitCode::Status(ULONG ulStatus)
{
    switch (ulStatus)
    {
    case 0x80040201:
    case 0x80040203: m_nValue = 301; break;
    case 0x80040202: m_nValue = 307; break;
    case 0x80040204: m_nValue = 1039; break;
    case 0x80040205: m_nValue = 1040; break;
    case 0x8004F206: m_nValue = 1049; break;
    default: m_nValue |= 2;
    }
}

void CExitCode::JobDone(int nCode)
{
    if (nCode != 0)
        m_nValue = static_cast<uint32_t>(nCode);
}

void CExitCode::ActionStatus(const std::string& text)
{
    if (text == "POST update action succeeded")
        m_nValue = 0;
    else if (text == "POST update action pending")
        m_nValue = 402;
    else if (text == "POST update action failed" || text == "POST update action skipped")
        m_nValue = 401;
}
