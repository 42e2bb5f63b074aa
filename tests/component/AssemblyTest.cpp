// The component loader in process: the configuration file beside the
// module, the maps the dependency tables fill, the legacy table folder, and
// the exported host entry points with the module mutex they hold.
#include "component/ComponentTestSupport.h"
#include "component/ModuleEntry.h"

#include <cstdio>
#include <thread>

namespace
{
const std::string g_com = Dependency("X.dll", "2.1", "X.1", "X");
const std::string g_entry = "X:X.dll,2.1,X.1,X,C:\\Comp\\X.dll\\2.1\\X.dll;", g_comMap = "COM{" + g_entry + "} ";

// "key:Name,Version,ProgID,VersionIndependentProgID,Path;" per entry.
std::string MapText(const CCAssemblyIdentityMap& map)
{
    std::string text;
    for (const auto& [key, id] : map)
        text += key + ":" + id.m_szName + "," + id.m_szVersion + "," + id.m_szProgID + "," +
                id.m_szVersionIndependentProgID + "," + id.m_szPath + ";";
    return text;
}

// "failed " for a false result, whether the initialised flag disagrees, and
// both maps.
std::string Maps(bool fOk, const CCAssembly& assembly)
{
    return std::string(fOk ? "" : "failed ") + (assembly.IsInitialized() == fOk ? "" : "flag wrong ") + "COM{" +
           MapText(assembly.GetAssemblyIdentityMapCOM()) + "} Win32{" +
           MapText(assembly.GetAssemblyIdentityMapWin32()) + "}";
}

class AssemblyTest : public ComponentModelTest
{
protected:
    // Initialize with these settings in the configuration file beside the
    // module: the outcome and the feature's name, version and context.
    std::string Configured(const std::string& settings)
    {
        char szModule[MAX_PATH];
        GetModuleFileNameA(nullptr, szModule, MAX_PATH);
        COwnedFile config(szModule + std::string(".config.xml"), Config(settings));
        CCAssembly assembly;
        const bool fOk = assembly.Initialize();
        return std::string(fOk ? "" : "failed ") + (assembly.IsInitialized() == fOk ? "" : "flag wrong ") +
               assembly.FeatureName() + "|" + assembly.FeatureVersion() + "|" + assembly.ContextName();
    }
    // Feature F 1.0 in context Ctx with this table: the outcome and the maps.
    std::string Loaded(const std::string& table)
    {
        TableWrite(table);
        CCAssembly assembly;
        EXPECT_TRUE(assembly.InitializeCommon());
        const bool fOk = assembly.InitializeFeature("F", "1.0", "Ctx");
        return Maps(fOk, assembly);
    }
};

// The first add element of each key counts; the context is cut to 259
// characters; an empty or missing value fails.
TEST_F(AssemblyTest, InitializeReadsTheConfigurationFile)
{
    TableWrite(TableXml(g_com));
    const std::string fv = Add("FeatureName", "F") + Add("FeatureVersion", "1.0"), context = Add("ContextName", "Ctx");
    EXPECT_EQ(Configured(fv + context), "F|1.0|Ctx");
    EXPECT_EQ(Configured(fv + context + Add("FeatureName", "G")), "F|1.0|Ctx");
    EXPECT_EQ(Configured("<set key=\"FeatureName\" value=\"G\"/>" + fv + context), "F|1.0|Ctx");
    EXPECT_EQ(Configured(fv + Add("ContextName", std::string(300, 'c'))), "F|1.0|" + std::string(259, 'c'));
    EXPECT_EQ(Configured(Add("FeatureName", "F") + Add("FeatureVersion", "") + context), "failed ||");
    EXPECT_EQ(Configured("<add key=\"FeatureName\"/>" + Add("FeatureVersion", "1.0") + context), "failed ||");
}

// The calling module matches by name in the file system's spelling and by
// its file version (from the first translation's block, not from 040904b0)
// or "*"; a dependency with both ProgIDs goes to the COM map, any other to
// the Win32 one; a later entry replaces an earlier one; one whose path does
// not fit is left out. The table folder's registry value must be a text.
TEST_F(AssemblyTest, DependencyTableFillsTheMaps)
{
    const std::string module = std::string("name=\"") + g_szTestModule + "\" version=\"";
    EXPECT_EQ(Loaded(TableXml(g_com, module + g_szTestFileVersion + "\"")), g_comMap + "Win32{}");
    EXPECT_EQ(Loaded(TableXml(g_com, module + "6.22.89.0\"")), "COM{} Win32{}");
    EXPECT_EQ(Loaded(TableXml(g_com, "name=\"Component_Tests.exe\" version=\"*\"")), "COM{} Win32{}");
    EXPECT_EQ(Loaded(TableXml(g_com, g_moduleAny, "Ctx", "name=\"F\" version=\"1.1\"")), "failed COM{} Win32{}");
    EXPECT_EQ(Loaded(TableXml("")), "COM{} Win32{}");
    EXPECT_EQ(Loaded(TableXml(Dependency("X.dll", "2.1", "X.1"))),
              "COM{} Win32{X.dll:X.dll,2.1,X.1,,C:\\Comp\\X.dll\\2.1\\X.dll;}");
    EXPECT_EQ(Loaded(TableXml(Dependency("L.dll", "1") + g_com)),
              g_comMap + "Win32{L.dll:L.dll,1,,,C:\\Comp\\L.dll\\1\\L.dll;}");
    EXPECT_EQ(Loaded(TableXml(g_com + Dependency("Y.dll", "3.0", "Y.1", "x"))),
              "COM{X:Y.dll,3.0,Y.1,x,C:\\Comp\\Y.dll\\3.0\\Y.dll;} Win32{}");
    EXPECT_EQ(Loaded(TableXml(Dependency(std::string(300, 'n'), "1") + g_com)), g_comMap + "Win32{}");
    const DWORD dwNumber = 7;
    m_common.Raw("DependencyTables", REG_DWORD, &dwNumber, sizeof(dwNumber));
    EXPECT_FALSE(CCAssembly().InitializeCommon());
}

// The legacy folder and its parent, made for the test where missing and
// removed with it.
struct CLegacyFolder
{
    std::string m_path = "C:\\Program Files\\Common Files\\Tervane Morlund Computers\\DependencyTables";
    std::string m_parent = m_path.substr(0, m_path.rfind('\\'));
    bool m_fParentMade = CreateDirectoryA(m_parent.c_str(), nullptr);
    bool m_fMade = CreateDirectoryA(m_path.c_str(), nullptr);
    ~CLegacyFolder()
    {
        if (m_fMade)
            RemoveDirectoryA(m_path.c_str());
        if (m_fParentMade)
            RemoveDirectoryA(m_parent.c_str());
    }
};

TEST_F(AssemblyTest, LegacyFolderWhenTheConfiguredOneHasNoTable)
{
    CLegacyFolder folder;
    COwnedFile table(folder.m_path + "\\F_1.0.xml", TableXml(g_com));
    CCAssembly assembly;
    ASSERT_TRUE(assembly.InitializeCommon());
    const bool fOk = assembly.InitializeFeature("F", "1.0", "Ctx");
    EXPECT_EQ(Maps(fOk, assembly), g_comMap + "Win32{}");
    EXPECT_EQ(assembly.DependencyTablesFolder(), folder.m_path);
}

// Whether another thread could take the module mutex now.
std::string MutexElsewhere()
{
    char szName[MAX_PATH];
    snprintf(szName, sizeof(szName), "CCAssembly_PID_%08lx_%s_%s", GetCurrentProcessId(), g_szTestModule,
             g_szTestFileVersion);
    std::string state;
    std::thread([&] {
        CCUniqueHandle mutex(OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, szName));
        const DWORD dwWait = mutex ? WaitForSingleObject(mutex.get(), 0) : WAIT_FAILED;
        if (dwWait == WAIT_OBJECT_0)
            ReleaseMutex(mutex.get());
        state = !mutex ? "missing" : dwWait == WAIT_OBJECT_0 ? "free" : dwWait == WAIT_TIMEOUT ? "held" : "abandoned";
    }).join();
    return state;
}

// The program's own loader: DllInitialize holds the mutex until
// DllUninitialize, nested calls included; a second feature adds to the
// maps, a failed call keeps them.
TEST_F(AssemblyTest, HostEntryPointsHoldTheModuleMutex)
{
    TableWrite(TableXml(g_com));
    TableWrite(TableXml(Dependency("Z.dll", "1", "Z.1", "Z"), g_moduleAny, "Ctx", "name=\"G\" version=\"1.0\""),
               "G_1.0.xml");
    EXPECT_TRUE(DllUninitialize());
    EXPECT_NE(MutexElsewhere(), "held");
    for (const char* szFeature : {"F", "G", "Unknown"})
    {
        EXPECT_EQ(DllInitialize(szFeature, "1.0", "Ctx"), *szFeature != 'U') << szFeature;
        EXPECT_STREQ(g_assembly.FeatureName(), szFeature);
        EXPECT_EQ(MutexElsewhere(), "held");
        EXPECT_TRUE(DllUninitialize());
        EXPECT_EQ(MutexElsewhere(), "free");
    }
    EXPECT_EQ(Maps(true, g_assembly), "COM{" + g_entry + "Z:Z.dll,1,Z.1,Z,C:\\Comp\\Z.dll\\1\\Z.dll;} Win32{}");
    ASSERT_TRUE(DllInitialize("F", "1.0", "Ctx"));
    ASSERT_TRUE(DllInitialize("F", "1.0", "Ctx"));
    EXPECT_TRUE(DllUninitialize());
    EXPECT_EQ(MutexElsewhere(), "held");
    EXPECT_TRUE(DllUninitialize());
    EXPECT_EQ(MutexElsewhere(), "free");
}
}  // namespace
