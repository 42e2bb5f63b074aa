// The name and version under registered suite versions; the help runs of
// CommandLineRunTest check the texts of the version record.
#include "driver/ProgramInfo.h"
#include "support/RegValues.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr char g_szAmbrelKey[] = "SOFTWARE\\Tervane\\Ambrel";
constexpr char g_szAmbrelKeyOld[] = "SOFTWARE\\Tervane Morlund Computers\\Ambrel";

std::string NameAndVersion(bool fInstant)
{
    std::string name, copyright, description, fileVersion;
    EXPECT_TRUE(ProgramInfoExtract(name, copyright, description, fileVersion, fInstant));
    return name;
}

TEST(ProgramInfo, SuiteVersionFromTheRegistryIsShownUnchanged)
{
    CRegValues values(g_szAmbrelKey);
    values.String("AmbrelVersion", "7.10 (build 12)");
    EXPECT_EQ(NameAndVersion(false), "Korlix Version 7.10 (build 12)");
    EXPECT_EQ(NameAndVersion(true), "Korlix Version 6.81");
}

TEST(ProgramInfo, InstantVariantReadsItsOwnValue)
{
    CRegValues values(g_szAmbrelKey);
    values.String("AmbrelInstantVersion", "2.3");
    EXPECT_EQ(NameAndVersion(true), "Korlix Version 2.3");
    EXPECT_EQ(NameAndVersion(false), "Korlix Version 6.81");
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
    EXPECT_EQ(NameAndVersion(false), "Korlix Version 5.0");
    CRegValues other(g_szAmbrelKey);
    other.String("Other", "x");
    EXPECT_EQ(NameAndVersion(false), "Korlix Version 6.81");
}

}  // namespace
