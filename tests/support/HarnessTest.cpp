// A test process that is killed leaves its registry changes and files
// behind; the start of the next run undoes them.
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

namespace
{
std::string ProbePath()
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path = szPath;
    return path.substr(0, path.rfind('\\') + 1) + "harness_probe.exe";
}

std::string ExtensionGet()
{
    char szValue[256] = "";
    DWORD dwSize = sizeof(szValue);
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe", "CommandLineExt",
                     RRF_RT_REG_SZ, nullptr, szValue, &dwSize) != ERROR_SUCCESS)
        return "<none>";
    return szValue;
}

int LeftoversCount()
{
    WIN32_FIND_DATAA found;
    CCUniqueFind search(FindFirstFileA((TempDirGet() + "krlx_*").c_str(), &found));
    int nCount = 0;
    for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
        ++nCount;
    return nCount;
}

DWORD SyntaxCheck()
{
    CKorlixStart start;
    start.arguments = "/SYNTAX /UPD";
    return KorlixRun(start).dwExitCode;
}
}  // namespace

TEST(Harness, KilledTestIsUndoneAtTheNextStart)
{
    std::string before = ExtensionGet();
    int nBefore = LeftoversCount();
    CKorlixStart probe;
    probe.program = ProbePath();
    probe.programText = "\"" + probe.program + "\"";
    probe.arguments = "--gtest_also_run_disabled_tests --gtest_filter=Probe.DISABLED_Killed";
    ASSERT_EQ(KorlixRun(probe).dwExitCode, 9u);

    // Left behind: the program now refuses every command line.
    EXPECT_EQ(ExtensionGet(), "/BOGUS");
    EXPECT_EQ(LeftoversCount(), nBefore + 2);  // the journal and the folder
    EXPECT_EQ(SyntaxCheck(), 4u);

    EXPECT_EQ(TestLeftoversUndo(), 1);
    EXPECT_EQ(ExtensionGet(), before);
    EXPECT_EQ(LeftoversCount(), nBefore);
    EXPECT_EQ(SyntaxCheck(), 0u);
}
