// The exported host entry points on the test program's own component
// loader, and the module mutex they hold.
#include "component/ComponentTestSupport.h"
#include "component/ModuleEntry.h"

#include <cstdio>
#include <thread>

namespace
{
std::string MutexName()
{
    char szName[MAX_PATH];
    snprintf(szName, sizeof(szName), "CCAssembly_PID_%08lx_%s_%s", GetCurrentProcessId(), g_szTestModule,
             g_szTestFileVersion);
    return szName;
}

// Whether another thread could take the module mutex now: WAIT_OBJECT_0
// when it is free, WAIT_TIMEOUT while a thread owns it, 0xFFFFFFFF when it
// does not exist.
DWORD MutexStateElsewhere()
{
    DWORD dwState = 0xFFFFFFFF;
    std::thread([&dwState] {
        CCUniqueHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, MutexName().c_str()));
        if (!mutex)
            return;
        dwState = WaitForSingleObject(mutex.get(), 0);
        if (dwState == WAIT_OBJECT_0)
            ReleaseMutex(mutex.get());
    }).join();
    return dwState;
}

class ModuleEntryTest : public ComponentModelTest
{
protected:
    ModuleEntryTest() { TableWrite(TableXml(Dependency("X.dll", "2.1", "X.1", "X"))); }
};

TEST_F(ModuleEntryTest, UninitializeWithoutInitializeDoesNoHarm)
{
    EXPECT_TRUE(DllUninitialize());
    EXPECT_NE(MutexStateElsewhere(), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(ModuleEntryTest, InitializeHoldsTheMutexUntilUninitialize)
{
    const struct
    {
        const char* szFeature;
        BOOL fResult;
    } rgCases[] = {{"F", TRUE}, {"Unknown", FALSE}};
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szFeature);
        EXPECT_EQ(DllInitialize(c.szFeature, "1.0", "Ctx"), c.fResult);
        EXPECT_STREQ(g_assembly.FeatureName(), c.szFeature);
        EXPECT_EQ(MutexStateElsewhere(), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_TRUE(DllUninitialize());
        EXPECT_EQ(MutexStateElsewhere(), static_cast<DWORD>(WAIT_OBJECT_0));
    }
    // The settings and the maps of the successful call stay.
    EXPECT_TRUE(g_assembly.IsInitialized());
    EXPECT_EQ(g_assembly.GetAssemblyIdentityMapCOM().count("x"), 1u);
}

TEST_F(ModuleEntryTest, NestedCallsOnOneThreadPair)
{
    ASSERT_TRUE(DllInitialize("F", "1.0", "Ctx"));
    ASSERT_TRUE(DllInitialize("F", "1.0", "Ctx"));
    EXPECT_TRUE(DllUninitialize());
    EXPECT_EQ(MutexStateElsewhere(), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(DllUninitialize());
    EXPECT_EQ(MutexStateElsewhere(), static_cast<DWORD>(WAIT_OBJECT_0));
}
}  // namespace
