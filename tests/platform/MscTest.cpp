#include "platform/Msc.h"
#include "platform/ScopedHandle.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
struct CHideCase
{
    const char* szText;
    const char* szKeyword;
    const char* szExpected;
};

using HidePasswordTest = testing::TestWithParam<CHideCase>;

TEST_P(HidePasswordTest, MasksValues)
{
    EXPECT_STREQ(MscHidePassword(GetParam().szText, GetParam().szKeyword), GetParam().szExpected);
}

INSTANTIATE_TEST_SUITE_P(Cases, HidePasswordTest,
                         testing::Values(CHideCase{"/UPD /pw=secret /e", nullptr, "/UPD /pw=**** /e"},
                                         CHideCase{"/PWC=abc", nullptr, "/PWC=***"},
                                         CHideCase{"/PWD=ab /S", nullptr, "/PWD=** /S"},
                                         CHideCase{"/pw=abcdef /pwc=xyz", nullptr, "/pw=**** /pwc="},
                                         CHideCase{"/pw=ab /pwd=xyz", nullptr, "/pw=** /pwd=**"},
                                         CHideCase{"/PWD=\"my secret\"", nullptr, "/PWD=\"my secret\""},
                                         CHideCase{"/ppw=abc", nullptr, "/ppw=abc"},
                                         CHideCase{"/UPD /O=x.bup", nullptr, "/UPD /O=x.bup"},
                                         CHideCase{"PWD=secret", "pw", "PWD=****"}, CHideCase{"/pwd", nullptr, "/pwd"},
                                         CHideCase{"", nullptr, ""}));

TEST(HidePassword, RingOfThreeSlots)
{
    const char* szFirst = MscHidePassword("a", nullptr);
    MscHidePassword("b", nullptr);
    MscHidePassword("c", nullptr);
    EXPECT_EQ(MscHidePassword("d", nullptr), szFirst);
    EXPECT_STREQ(szFirst, "d");
}

TEST(HidePassword, LongTextIsCut)
{
    std::string text(400, 'x');
    EXPECT_EQ(std::string(MscHidePassword(text.c_str(), nullptr)), std::string(259, 'x'));
}

TEST(LoadStringResource, EleventhCallReusesTheFirstSlot)
{
    const char* szFirst = MscLoadStringResource(5700);
    for (int i = 0; i < 9; ++i)
        EXPECT_NE(MscLoadStringResource(5701), szFirst);
    EXPECT_EQ(MscLoadStringResource(5704), szFirst);
    EXPECT_STREQ(szFirst, "Error");
}

// Two threads that meet in the lock must still exclude each other: the
// counter below is not atomic, so a lost hand-over shows as a lost count.
TEST(CritSect, ContendedThreadsExcludeEachOther)
{
    struct CShared
    {
        CMscCritSect lock;
        unsigned nCount = 0;
        bool fAllEntered = true;
    } shared;
    constexpr unsigned nRounds = 20000;
    auto run = [](void* pv) -> DWORD {
        CShared& s = *static_cast<CShared*>(pv);
        for (unsigned i = 0; i < nRounds; ++i)
        {
            s.fAllEntered = s.lock.Enter() && s.fAllEntered;
            unsigned nSeen = s.nCount;
            if (i % 64 == 0)
                Sleep(0);  // invites the other thread into the lock
            s.nCount = nSeen + 1;
            s.lock.Leave();
        }
        return 0;
    };
    CCUniqueHandle threads[2];
    for (CCUniqueHandle& thread : threads)
        thread.reset(CreateThread(nullptr, 0, run, &shared, 0, nullptr));
    HANDLE rghThreads[] = {threads[0].get(), threads[1].get()};
    ASSERT_EQ(WaitForMultipleObjects(2, rghThreads, TRUE, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(shared.nCount, 2 * nRounds);
    EXPECT_TRUE(shared.fAllEntered);
}

TEST(CustomResourceToMem, MissingResourceGivesZero)
{
    std::unique_ptr<char[]> data;
    EXPECT_EQ(MscCustomResourceToMem(GetModuleHandleW(nullptr), "BIGTEXT", "NO_SUCH.TXT", data), 0u);
    EXPECT_EQ(data, nullptr);
}

struct CSplitCase
{
    const char* szPath;
    const char* szDrive;
    const char* szDir;
    const char* szFname;
    const char* szExt;
};

using SplitPathTest = testing::TestWithParam<CSplitCase>;

TEST_P(SplitPathTest, Parts)
{
    std::string drive, dir, fname, ext;
    MscSplitPath(GetParam().szPath, &drive, &dir, &fname, &ext);
    EXPECT_EQ(drive, GetParam().szDrive);
    EXPECT_EQ(dir, GetParam().szDir);
    EXPECT_EQ(fname, GetParam().szFname);
    EXPECT_EQ(ext, GetParam().szExt);
}

INSTANTIATE_TEST_SUITE_P(Paths, SplitPathTest,
                         testing::Values(CSplitCase{"C:\\dir\\a.b.c", "C:", "\\dir\\", "a.b", ".c"},
                                         CSplitCase{"B7710.BUP", "", "", "B7710", ".BUP"},
                                         CSplitCase{"sub\\x.nvux", "", "sub\\", "x", ".nvux"},
                                         CSplitCase{"D:name", "D:", "", "name", ""},
                                         CSplitCase{"a.b\\c", "", "a.b\\", "c", ""},
                                         CSplitCase{"x/y.z", "", "x/", "y", ".z"},
                                         // No share answers here: a network path falls back to the standard split.
                                         CSplitCase{"\\\\nosuchserver\\share\\dir\\a.b.c", "",
                                                    "\\\\nosuchserver\\share\\dir\\", "a.b", ".c"}));

TEST(SplitPath, AbsentOutputsAreSkipped)
{
    std::string ext = "unchanged";
    MscSplitPath("C:\\x\\file.bup", nullptr, nullptr, nullptr, &ext);
    EXPECT_EQ(ext, ".bup");
}

// Names far beyond the runtime's buffer sizes split whole instead of
// overrunning anything.
TEST(SplitPath, LongNamesSplitWhole)
{
    const std::string name(70000, 'x');
    std::string drive, dir, fname, ext;
    MscSplitPath(("C:\\" + name + "\\" + name + ".bup").c_str(), &drive, &dir, &fname, &ext);
    EXPECT_EQ(drive, "C:");
    EXPECT_EQ(dir, "\\" + name + "\\");
    EXPECT_EQ(fname, name);
    EXPECT_EQ(ext, ".bup");
}

TEST(MakePath, JoinsParts)
{
    std::string path;
    MscMakePath(path, "C:", "\\dir\\", "a", ".bup");
    EXPECT_EQ(path, "C:\\dir\\a.bup");
    MscMakePath(path, "\\\\srv\\share", "\\dir\\", "a", ".bup");
    EXPECT_EQ(path, "\\\\srv\\share\\dir\\a.bup");
    MscMakePath(path, "C:", "\\dir", nullptr, nullptr);
    EXPECT_EQ(path, "C:\\dir\\");
    MscMakePath(path, "C:", "", "a", "bup");
    EXPECT_EQ(path, "C:a.bup");
    const std::string longDir(70000, 'd');
    MscMakePath(path, "C:", longDir.c_str(), "a", ".bup");
    EXPECT_EQ(path, "C:" + longDir + "\\a.bup");
}

TEST(MakeRealPath, ExpandsAndMakesAbsolute)
{
    SetEnvironmentVariableA("KRLX_TEST_DIR", "C:\\krlx test");
    std::string path = "%KRLX_TEST_DIR%\\sub\\..\\log.txt";
    EXPECT_TRUE(MscMakeRealPath(path));
    EXPECT_EQ(path, "C:\\krlx test\\log.txt");

    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    std::string relative = "flash.log";
    EXPECT_TRUE(MscMakeRealPath(relative));
    std::string expected = szCwd;
    if (expected.back() != '\\')
        expected += '\\';
    EXPECT_EQ(relative, expected + "flash.log");
}

TEST(MakeRealPath, LeavesTooLongTextAsItIs)
{
    for (size_t nLen : {300u, 40000u, 70000u})
    {
        const std::string text(nLen, 'x');
        std::string path = text;
        EXPECT_TRUE(MscMakeRealPath(path));
        EXPECT_EQ(path, text) << nLen;
    }
}

TEST(VersionInfoGet, ReadsTheProgramsRecord)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CMscVersionInfo info;
    ASSERT_TRUE(MscVersionInfoGet(szPath, info));
    EXPECT_EQ(info.fixed.dwFileVersionMS, (6u << 16) | 22u);
    EXPECT_EQ(info.fixed.dwProductVersionMS, (6u << 16) | 81u);
    EXPECT_EQ(info.fixed.dwProductVersionLS, 89u << 16);
    EXPECT_EQ(info.csOriginalFilename, "Korlix.exe");
    EXPECT_EQ(info.csFeatureName, "BIOS Management (Update & Archive)");
    EXPECT_EQ(info.csPrivateBuild, "");
}

TEST(VersionInfoGet, NamedLanguageMustExist)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    CMscVersionInfo info;
    EXPECT_FALSE(MscVersionInfoGet(szPath, info, {"040704B0"}));
    EXPECT_EQ(info.fixed.dwFileVersionMS, (6u << 16) | 22u) << "the fixed part is read first";
    EXPECT_TRUE(MscVersionInfoGet(szPath, info, {"040704B0", "040904B0"}));
}

TEST(VersionInfoGet, FileWithoutRecord)
{
    CTempFile file(".txt");
    file.Write("no version here");
    CMscVersionInfo info;
    EXPECT_FALSE(MscVersionInfoGet(file.Path().c_str(), info));
}
}  // namespace
