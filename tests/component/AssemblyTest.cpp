// The component loader in process: the configuration file beside the
// module, the maps the dependency tables fill, the legacy table folder,
// creating components, and the exported host entry points with the module
// mutex they hold. A class of this test program stands in for a component,
// registered under a ProgID for the test.
#include "component/Assembly.h"
#include "component/ComponentInterfaces.h"
#include "component/ComponentTestSupport.h"
#include "component/ModuleEntry.h"
#include "platform/Msc.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/QuillTrace.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace
{
const std::string g_com = Dependency("X.dll", "2.1", "X.1", "X");
const std::string g_entry = "X:X.dll,2.1,X.1,X,C:\\Comp\\X.dll\\2.1\\X.dll;", g_comMap = "COM{" + g_entry + "} ";
// {6A1C0D52-2F0E-4C61-9B1E-507D12334403}
const CLSID g_clsidFake = {0x6a1c0d52, 0x2f0e, 0x4c61, {0x9b, 0x1e, 0x50, 0x7d, 0x12, 0x33, 0x44, 0x03}};

// "failed " for a false result, whether the initialised flag disagrees, and
// both maps with "key:Name,Version,ProgID,VersionIndependentProgID,Path;"
// per entry.
std::string Maps(bool fOk, const CCAssembly& assembly)
{
    std::string text = std::string(fOk ? "" : "failed ") + (assembly.IsInitialized() == fOk ? "" : "flag wrong ");
    for (const auto* pMap : {&assembly.GetAssemblyIdentityMapCOM(), &assembly.GetAssemblyIdentityMapWin32()})
    {
        text += pMap == &assembly.GetAssemblyIdentityMapCOM() ? "COM{" : "} Win32{";
        for (const auto& [key, id] : *pMap)
            text += key + ":" + id.m_szName + "," + id.m_szVersion + "," + id.m_szProgID + "," +
                    id.m_szVersionIndependentProgID + "," + id.m_szPath + ";";
    }
    return text + "}";
}

struct CFakeBehaviour
{
    HRESULT hrInitialize = S_OK;
    VARIANT_BOOL vbSuccess = VARIANT_TRUE;
    bool fComponentInit = true;
    HRESULT hrCreate = S_OK;
};

// The class factory and the component it hands out in one object, which
// lives in the fixture for the whole registration and logs what it saw.
class CFake final : public IClassFactory, public IComponentInit
{
public:
    CFakeBehaviour m_behaviour;
    std::string m_log;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
            *ppv = static_cast<IClassFactory*>(this);
        else if (m_behaviour.fComponentInit && IsEqualIID(riid, IID_IComponentInit))
            *ppv = static_cast<IComponentInit*>(this);
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (FAILED(m_behaviour.hrCreate))
            return m_behaviour.hrCreate;
        m_log += "created ";
        return QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName,
                                         VARIANT_BOOL* success) override
    {
        m_log += MscTextFromBstr(featureName) + "|" + MscTextFromBstr(featureVersion) + "|" +
                 MscTextFromBstr(contextName) + " ";
        *success = m_behaviour.vbSuccess;
        return m_behaviour.hrInitialize;
    }
};

// Dependency tables in a folder of their own, which the registry names for
// the test, and the fake's class registered.
class AssemblyTest : public testing::Test
{
protected:
    AssemblyTest()
    {
        m_common.String("DependencyTables", m_tables.Path());
        m_common.String("ComponentRoot", "C:\\Comp");
        m_progID.String("", "{6A1C0D52-2F0E-4C61-9B1E-507D12334403}");
        CoRegisterClassObject(g_clsidFake, static_cast<IClassFactory*>(&m_fake), CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &m_dwCookie);
    }
    ~AssemblyTest() override { CoRevokeClassObject(m_dwCookie); }
    // The table of feature F, version 1.0.
    void TableWrite(const std::string& xml, const std::string& name = "F_1.0.xml") const
    {
        FileWrite(m_tables.File(name), xml);
    }
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
    // The result of creating the component of this ProgID, what the fake
    // saw, and whether the caller holds an interface afterwards.
    std::string Create(const char* szProgID, REFIID riid = IID_IUnknown, CFakeBehaviour behaviour = {})
    {
        m_fake.m_behaviour = behaviour;
        m_fake.m_log.clear();
        CCComPtr<IUnknown> component;
        const HRESULT hr = m_assembly.CoCreateInstance(szProgID, component.put_void(), nullptr, 0x17, riid);
        char szResult[16];
        snprintf(szResult, sizeof(szResult), "%08lX ", static_cast<unsigned long>(hr));
        return szResult + m_fake.m_log + (component ? "held" : "none");
    }

    CCComApartment m_apartment{COINIT_MULTITHREADED};
    CTempDir m_tables;
    CRegValues m_common{"SOFTWARE\\Tervane\\Common"};
    CRegValues m_progID{"Software\\Classes\\Korlix.Fake.1\\CLSID"};
    CFake m_fake;
    DWORD m_dwCookie = 0;
    CCAssembly m_assembly;
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

// The folder of older installations, made for the test where missing.
TEST_F(AssemblyTest, LegacyFolderWhenTheConfiguredOneHasNoTable)
{
    const std::string parent = "C:\\Program Files\\Common Files\\Tervane Morlund Computers";
    const std::string folder = parent + "\\DependencyTables";
    const bool fMade = CreateDirectoryA(parent.c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    {
        COwnedFile table(folder + "\\F_1.0.xml", TableXml(g_com));
        CCAssembly assembly;
        EXPECT_TRUE(assembly.InitializeCommon());
        const bool fOk = assembly.InitializeFeature("F", "1.0", "Ctx");
        EXPECT_EQ(Maps(fOk, assembly), g_comMap + "Win32{}");
        EXPECT_EQ(assembly.DependencyTablesFolder(), folder);
    }
    if (fMade)
        TreeRemove(parent);
}

// The versioned ProgID the table names gives the class, looked up by the
// version-independent one in any case. The caller keeps the interface it
// asked for when the component's initialisation fails; success without the
// flag is E_UNEXPECTED.
TEST_F(AssemblyTest, CreationAndInitialisation)
{
    TableWrite(TableXml(Dependency("Fake.dll", "1.2", "Korlix.Fake.1", "Korlix.Fake") +
                        Dependency("U.dll", "1", "Korlix.Unregistered.1", "Korlix.Unregistered")));
    EXPECT_EQ(Create("Korlix.Fake"), "80004005 none");  // E_FAIL before the loader is initialised
    ASSERT_TRUE(m_assembly.InitializeCommon());
    ASSERT_TRUE(m_assembly.InitializeFeature("F", "1.0", "Ctx"));
    EXPECT_EQ(Create("Korlix.Fake"), "00000000 created F|1.0|Ctx held");
    EXPECT_EQ(Create("korlix.FAKE", IID_IComponentInit), "00000000 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_FALSE}), "8000FFFF created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {E_ACCESSDENIED}), "80070005 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {E_ACCESSDENIED, VARIANT_FALSE}), "80070005 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_TRUE, false}), "80004002 created held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IDispatch), "80004002 created none");  // E_NOINTERFACE
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_TRUE, true, E_OUTOFMEMORY}), "8007000E none");
    EXPECT_EQ(Create("Korlix.Other"), "80040111 none");  // CLASS_E_CLASSNOTAVAILABLE
    EXPECT_EQ(Create("Korlix.Fake.1"), "80040111 none");
    EXPECT_EQ(Create("Korlix.Unregistered"), "800401F3 none");  // CO_E_CLASSSTRING
}

// The result of a host's call and whether another thread could take the
// module mutex after it.
std::string HostCall(bool fResult)
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
    return (fResult ? "ok/" : "failed/") + state + " ";
}

// The program's own loader: DllInitialize holds the mutex until
// DllUninitialize, nested calls included, and leaves the feature's name; a
// second feature adds to the maps, a failed call keeps them. The trace shows
// what the host passed and what failed.
TEST_F(AssemblyTest, HostEntryPointsHoldTheModuleMutex)
{
    CRegValues tracing("Software\\Tervane\\Common\\TracingTest\\Host");
    tracing.Dword("Trace", 1);
    tracing.Dword("TraceLevel", 5);
    tracing.String("TraceFile", m_tables.File("Host.trc"));
    g_trace.Configure("Host", 0, "Software\\Tervane\\Common\\TracingTest\\");
    TableWrite(TableXml(g_com));
    TableWrite(TableXml(Dependency("Z.dll", "1", "Z.1", "Z"), g_moduleAny, "Ctx", "name=\"G\" version=\"1.0\""),
               "G_1.0.xml");
    EXPECT_NE(HostCall(DllUninitialize()), "ok/held ");
    std::string calls;
    for (const char* szFeature : {"F", "G", "Unknown"})
    {
        calls += HostCall(DllInitialize(szFeature, "1.0", "Ctx"));
        calls += g_assembly.FeatureName() + std::string(" ");
        calls += HostCall(DllUninitialize());
    }
    EXPECT_EQ(calls, "ok/held F ok/free ok/held G ok/free failed/held Unknown ok/free ");
    EXPECT_EQ(Maps(true, g_assembly), "COM{" + g_entry + "Z:Z.dll,1,Z.1,Z,C:\\Comp\\Z.dll\\1\\Z.dll;} Win32{}");
    calls = HostCall(DllInitialize("F", "1.0", "Ctx"));
    calls += HostCall(DllInitialize("F", "1.0", "Ctx"));
    calls += HostCall(DllUninitialize());
    calls += HostCall(DllUninitialize());
    EXPECT_EQ(calls, "ok/held ok/held ok/held ok/free ");
    const std::string text = TraceFileRead(m_tables.File("Host.trc")).text;
    for (const char* szRecord : {"Enter\tMethod DllInitialize has been called\tszFeatureName: G szFeatureVersion: 1.0 "
                                 "szContextName: Ctx\r\n",
                                 "Internal\tInitialize Feature failed\t\r\n"})
        EXPECT_NE(text.find(std::string("\tCCAssembly\tDllInitialize\t") + szRecord), std::string::npos) << szRecord;
}
}  // namespace
