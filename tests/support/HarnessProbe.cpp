// Test programs that go wrong on purpose, run only by the harness's own
// checks (the tests are disabled in an ordinary run): one crashes after a
// test that ran two threads, one is killed in the middle of a test that has
// changed the registry and written a file.
#include "support/RegValues.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

TEST(Probe, DISABLED_Threads)
{
    std::atomic<int> nRuns{0};
    std::thread other([&] { ++nRuns; });
    ++nRuns;
    other.join();
    EXPECT_EQ(nRuns, 2);
}

TEST(Probe, DISABLED_Crash)
{
    volatile int* pNothing = nullptr;
    *pNothing = 1;
}

TEST(Probe, DISABLED_Killed)
{
    CRegValues extension("SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe");
    extension.String("CommandLineExt", "/BOGUS");
    CTempDir dir;
    FileWrite(dir.File("left.txt"), "left behind");
    TerminateProcess(GetCurrentProcess(), 9);
}
