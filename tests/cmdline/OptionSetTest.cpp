#include "cmdline/DfOption.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
TEST(OptionSetText, ListsNamesInValueOrder)
{
    EXPECT_EQ(OptionsText(COptionSet{eUpdate, eObjectFile, eLogfile}), "eObjectFile eUpdate eLogfile");
    EXPECT_EQ(OptionsText(COptionSet{}), "");
}

TEST(OptionSetText, ArchiveHasNoName)
{
    EXPECT_EQ(OptionsText(COptionSet{eArchive, eUpdate}), "eUpdate <unknown>");
    EXPECT_STREQ(DfOptionName(static_cast<DfOption>(50)), "<unknown>");
    EXPECT_STREQ(DfOptionName(static_cast<DfOption>(-1)), "<unknown>");
}

TEST(OptionSetText, AppendsBehindExistingText)
{
    std::string text = "Opt:";
    EXPECT_EQ(COptionSet({eCrypt, eError}).ToText(text), "Opt: eError eCrypt");
    std::string unchanged = "Opt:";
    EXPECT_EQ(COptionSet().ToText(unchanged), "Opt:");
}

TEST(OptionSetText, EveryTokenHasItsTraceName)
{
    COptionSet all;
    for (int n = eInvalidOption; n <= eExplicitAreaMode; ++n)
        all.Add(static_cast<DfOption>(n));
    EXPECT_EQ(OptionsText(all),
              "eInvalidOption eObjectFile eError eNvramUpdate eUpdateLogo eUpdate eEventlogOff "
              "<unknown> eOverwrite eLogfile eCheckUpdateFile eCheckUpdateFileEx eAllowReboot "
              "eForceReboot eNoReboot eWarningOff eSilent eExe eIgnoreAc eOverrideAcChecks "
              "eBatPercent eBatPercentHighRisk eWaitHandlerEnd eQuickHandlerEnd eGetDetailInfo "
              "eListBupInfo eExtendedStatus eActionStatus eForceCapsuleOnDisk eForceRuntime "
              "eArchiveConfiguration eMake eCrypt ePwd ePwc eBinp eCinp eWorkingDirectory "
              "eDfxResponseFile eKorlixVersion eLocalCache eClientMessageLevel eBiosCodeArea "
              "eDebugCodeArea eLogoArea eSystemDataArea eNvRamArea ePasswordArea "
              "eBootOrderVariablesArea eExplicitAreaMode");
}

TEST(OptionSet, AddingTwiceKeepsOne)
{
    COptionSet options{eUpdate};
    options.Add(eUpdate);
    EXPECT_EQ(OptionsText(options), "eUpdate");
    options.Clear();
    EXPECT_FALSE(options.OptionExists(eUpdate));
}

struct COutsideCase
{
    COptionSet options;
    COptionSet allowed;
    int nOutside;
    const char* szOutside;
};

class ExtractOptionsOutsideTest : public testing::TestWithParam<COutsideCase>
{
};

TEST_P(ExtractOptionsOutsideTest, CollectsWhatIsNotAllowed)
{
    const COutsideCase& c = GetParam();
    COptionSet outside{eMake};  // emptied first
    EXPECT_EQ(c.options.ExtractOptionsOutside(c.allowed, outside), c.nOutside);
    EXPECT_EQ(OptionsText(outside), c.szOutside);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractOptionsOutsideTest,
    testing::Values(COutsideCase{{}, {eUpdate}, 0, ""},
                    COutsideCase{{eUpdate, eLogfile}, {eUpdate, eLogfile, eSilent}, 0, ""},
                    COutsideCase{{eUpdate, eNvramUpdate, eLogfile}, {eUpdate, eLogfile}, 1, "eNvramUpdate"},
                    COutsideCase{{eArchive, eError, eUpdate}, {eUpdate}, 2, "eError <unknown>"},
                    COutsideCase{{eUpdate}, {}, 1, "eUpdate"}));

TEST(OptionSet, CountsMembersOfAGroup)
{
    const COptionSet reboot{eAllowReboot, eForceReboot, eNoReboot};
    EXPECT_EQ(COptionSet({eAllowReboot, eNoReboot}).CountOptionsInside(reboot), 2);
    EXPECT_EQ(COptionSet({eUpdate, eForceReboot}).CountOptionsInside(reboot), 1);
    EXPECT_EQ(COptionSet({eUpdate}).CountOptionsInside(reboot), 0);
    EXPECT_EQ(COptionSet({eUpdate}).CountOptionsInside(COptionSet{}), 0);
}
}  // namespace
