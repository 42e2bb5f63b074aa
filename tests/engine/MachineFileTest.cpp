// Reading and writing the simulated PC's XML files, and version order.
#include "MachineFile.h"
#include "FileSelect.h"
#include "SimPc.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace
{
std::string TempPath(const char* szName)
{
    char szDir[MAX_PATH];
    GetTempPathA(sizeof(szDir), szDir);
    return std::string(szDir) + szName;
}

TEST(MachineFileTest, WrittenMachineReadsBack)
{
    CCComApartment apartment(COINIT_MULTITHREADED);
    std::string path = TempPath("korlix-machine-roundtrip.xml");
    CValueMap machine = MachineFactory();
    machine["System.Model"] = "A & B <\"x\">";
    std::string reason;
    ASSERT_TRUE(XmlFileWrite(path, "Machine", machine, reason)) << reason;
    CValueMap read;
    ASSERT_TRUE(XmlFileRead(path, "Machine", read, reason)) << reason;
    EXPECT_EQ(machine, read);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((path + ".tmp").c_str()));
    DeleteFileA(path.c_str());
}

TEST(MachineFileTest, OtherRootIsRefused)
{
    CCComApartment apartment(COINIT_MULTITHREADED);
    std::string path = TempPath("korlix-machine-other.xml");
    std::ofstream(path) << "<BiosUpdate/>";
    CValueMap read;
    std::string reason;
    EXPECT_FALSE(XmlFileRead(path, "Machine", read, reason));
    EXPECT_EQ(path + " is no Machine file", reason);
    DeleteFileA(path.c_str());
}

TEST(MachineFileTest, BootCompletesPendingPostUpdate)
{
    CValueMap machine = MachineFactory();
    machine["Post.Action"] = "pending";
    machine["Post.PendingVersion"] = "1.30";
    machine["Security.KorlixAwaitsReboot"] = "1";
    MachineBoot(machine);
    EXPECT_EQ("1.30", machine["Bios.Version"]);
    EXPECT_EQ("succeeded", machine["Post.Status"]);
    EXPECT_EQ("0", machine["Security.KorlixAwaitsReboot"]);
}

TEST(MachineFileTest, Sha256OfAbc)
{
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
}

TEST(MachineFileTest, VersionOrder)
{
    EXPECT_EQ(0, VersionCompare("1.20", "1.20"));
    EXPECT_LT(VersionCompare("1.9", "1.10"), 0);
    EXPECT_GT(VersionCompare("2.00", "1.30"), 0);
    EXPECT_EQ(0, VersionCompare("1.2", "1.2.0"));
}
TEST(MachineFileTest, NamePatterns)
{
    struct
    {
        const char* szPattern;
        std::string name;
        bool fMatches;
    } const rgCases[] = {
        {"B7710*.BUP", "b7710-1.30.bup", true},
        {"B7710*.BUP", "B7710-1.30.bupx", false},
        {"1.1?", "1.10", true},
        {"1.1?", "1.1", false},
        {"*", "", true},
        {"*a*b", "aaab", true},
        {"a*", "b", false},
        {"*a*a*a*a*a*a*a*a*a*b", std::string(250, 'a'), false},
    };
    for (const auto& c : rgCases)
        EXPECT_EQ(c.fMatches, NameMatches(c.szPattern, c.name.c_str())) << c.szPattern << " " << c.name;
}
}  // namespace
