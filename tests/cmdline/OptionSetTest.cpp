#include "cmdline/DfOption.h"

#include "CmdLineTestSupport.h"

#include <gtest/gtest.h>

namespace
{
TEST(OptionSetText, ListsNamesInValueOrder)
{
    EXPECT_EQ(OptionsText(COptionSet{eUpdate, eObjectFile, eLogfile, eUpdate}), "eObjectFile eUpdate eLogfile");
    EXPECT_EQ(OptionsText(COptionSet{eArchive, eUpdate}), "eUpdate <unknown>");
    EXPECT_EQ(OptionsText(COptionSet{}), "");
    EXPECT_STREQ(DfOptionName(static_cast<DfOption>(50)), "<unknown>");

    std::string text = "Opt:";
    EXPECT_EQ(COptionSet({eCrypt, eError}).ToText(text), "Opt: eError eCrypt");
    EXPECT_EQ(COptionSet().ToText(text), "Opt: eError eCrypt");
}

TEST(OptionSet, ExtractsWhatIsNotAllowed)
{
    COptionSet outside{eMake};  // emptied first
    EXPECT_EQ(COptionSet().ExtractOptionsOutside({eUpdate}, outside), 0);
    EXPECT_EQ(OptionsText(outside), "");
    EXPECT_EQ(COptionSet({eUpdate, eLogfile}).ExtractOptionsOutside({eUpdate, eLogfile, eSilent}, outside), 0);
    EXPECT_EQ(COptionSet({eArchive, eError, eUpdate, eLogfile}).ExtractOptionsOutside({eUpdate, eLogfile}, outside), 2);
    EXPECT_EQ(OptionsText(outside), "eError <unknown>");
}

TEST(OptionSet, CountsMembersOfAGroup)
{
    const COptionSet reboot{eAllowReboot, eForceReboot, eNoReboot};
    EXPECT_EQ(COptionSet({eAllowReboot, eNoReboot}).CountOptionsInside(reboot), 2);
    EXPECT_EQ(COptionSet({eUpdate, eForceReboot}).CountOptionsInside(reboot), 1);
    EXPECT_EQ(COptionSet({eUpdate}).CountOptionsInside(reboot), 0);
}
}  // namespace
