// The main of every test program. Under Wine a process that crashes after
// it has run a second thread may still exit with status 0, so the exit
// status alone cannot tell a pass: CTest passes a program only when it
// prints the completion line below, which it does only when every test ran
// and passed.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int nResult = RUN_ALL_TESTS();
    if (nResult == 0)
    {
        fputs("[ KORLIX   ] all tests completed\n", stdout);
        fflush(stdout);
    }
    return nResult;
}
