#include "driver/ProgramInfo.h"
#include "support/RegValues.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr char g_szAmbrelKey[] = "SOFTWARE\\Tervane\\Ambrel";
constexpr char g_szAmbrelKeyOld[] = "SOFTWARE\\Tervane Morlund Computers\\Ambrel";

struct CInfo
{
    std::string nameAndVersion, copyright, description, fileVersion;
};

CInfo Extract(bool fInstant)
{
    CInfo info;
    EXPECT_TRUE(ProgramInfoExtract(info.nameAndVersion, info.copyright, info.description, info.fileVersion,
                                   fInstant));
    return info;
}

TEST(ProgramInfo, TextsFromTheVersionRecord)
{
    CInfo info = Extract(false);
    EXPECT_EQ(info.nameAndVersion, "Korlix Version 6.81");
    EXPECT_EQ(info.copyright, "Copyright (C) 2026 Tervane. All rights reserved.");
    EXPECT_EQ(info.description,
              "BIOS Management (Update & Archive)\nAmbrel tool to update and archive BIOS and BIOS settings (64 bit)");
    EXPECT_EQ(info.fileVersion, "6.22.89.0");
}

TEST(ProgramInfo, SuiteVersionFromTheRegistryIsShownUnchanged)
{
    CRegValues values(g_szAmbrelKey);
    values.String("AmbrelVersion", "7.10 (build 12)");
    EXPECT_EQ(Extract(false).nameAndVersion, "Korlix Version 7.10 (build 12)");
    EXPECT_EQ(Extract(true).nameAndVersion, "Korlix Version 6.81");
}

TEST(ProgramInfo, InstantVariantReadsItsOwnValue)
{
    CRegValues values(g_szAmbrelKey);
    values.String("AmbrelInstantVersion", "2.3");
    EXPECT_EQ(Extract(true).nameAndVersion, "Korlix Version 2.3");
    EXPECT_EQ(Extract(false).nameAndVersion, "Korlix Version 6.81");
}

TEST(ProgramInfo, OldKeyOnlyWhenTheNewOneIsMissing)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, g_szAmbrelKey, 0, KEY_READ, &hKey) == ERROR_SUCCESS)
    {
        RegCloseKey(hKey);
        GTEST_SKIP() << "the suite key is installed on this machine";
    }
    CRegValues old(g_szAmbrelKeyOld);
    old.String("AmbrelVersion", "5.0");
    EXPECT_EQ(Extract(false).nameAndVersion, "Korlix Version 5.0");
    CRegValues other(g_szAmbrelKey);
    other.String("Other", "x");
    EXPECT_EQ(Extract(false).nameAndVersion, "Korlix Version 6.81");
}

TEST(ProgramInfo, HelpTextHasTheHeader)
{
    ASSERT_TRUE(ProgramInfoExtract(g_programInfo.csNameAndVersion, g_programInfo.csCopyright,
                                   g_programInfo.csDescription, g_programInfo.csFileVersion, false));
    std::string text;
    EXPECT_TRUE(HelpTextLoad(text, false));
    EXPECT_EQ(text.rfind("Korlix Version 6.81\nCopyright (C) 2026 Tervane. All rights reserved.\n\nBIOS Management",
                         0),
              0u);
    EXPECT_EQ(text.substr(text.size() - 7), "\r\n\r\n\r\n\n");
}
}  // namespace
