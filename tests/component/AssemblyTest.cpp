// The component loader in process: what it knows about its module, the
// configuration file beside it, the dependency tables and the ProgID lookup.
#include "component/ComponentTestSupport.h"

namespace
{
std::string Expanded(const std::string& text)
{
    char szExpanded[MAX_PATH];
    ExpandEnvironmentStringsA(text.c_str(), szExpanded, MAX_PATH);
    return szExpanded;
}

std::string ModulePath()
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    return szPath;
}

// "key:Name,Version,ProgID,VersionIndependentProgID,Path;" per entry.
std::string MapText(const CCAssemblyIdentityMap& map)
{
    std::string text;
    for (const auto& [key, identity] : map)
        text += key + ":" + identity.m_szName + "," + identity.m_szVersion + "," + identity.m_szProgID + "," +
                identity.m_szVersionIndependentProgID + "," + identity.m_szPath + ";";
    return text;
}

using AssemblyTest = ComponentModelTest;

TEST_F(AssemblyTest, InitializeCommonKnowsTheModuleAndTheTableFolder)
{
    CCAssembly assembly;
    ASSERT_TRUE(assembly.InitializeCommon());
    EXPECT_EQ(assembly.ModulePath(), ModulePath());
    EXPECT_EQ(assembly.ConfigFilePath(), ModulePath() + ".config.xml");
    EXPECT_STREQ(assembly.ModuleFileName(), g_szTestModule);
    // From the first translation's block, not from 040904b0.
    EXPECT_STREQ(assembly.FileVersion(), g_szTestFileVersion);
    EXPECT_EQ(assembly.DependencyTablesFolder(), m_tables.Path());
    EXPECT_FALSE(assembly.IsInitialized());
}

TEST_F(AssemblyTest, TableFolderValue)
{
    const DWORD dwNumber = 7;
    const struct
    {
        const char* szValue;
        DWORD dwType;
        bool fOk;
        std::string folder;
    } rgCases[] = {
        {"%CommonProgramFiles%\\Tables", REG_EXPAND_SZ, true, Expanded("%CommonProgramFiles%") + "\\Tables"},
        {"C:\\Plain\\Tables", REG_SZ, true, "C:\\Plain\\Tables"},
        {"", REG_DWORD, false, ""},
        {"", REG_SZ, true, ""},
    };
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szValue);
        if (c.dwType == REG_DWORD)
            m_common.Raw("DependencyTables", REG_DWORD, &dwNumber, sizeof(dwNumber));
        else
            m_common.String("DependencyTables", c.szValue, c.dwType);
        CCAssembly assembly;
        EXPECT_EQ(assembly.InitializeDependencyTablesPath(), c.fOk);
        EXPECT_EQ(assembly.InitializeCommon(), c.fOk);
        if (c.fOk)
        {
            EXPECT_EQ(assembly.DependencyTablesFolder(), c.folder);
        }
    }
}

std::string Setting(const char* szKey, const std::string& value)
{
    return std::string("<add key=\"") + szKey + "\" value=\"" + value + "\"/>";
}

std::string Config(const std::string& settings)
{
    return "<?xml version=\"1.0\"?>\n<configuration>\n<appSettings>\n" + settings +
           "\n</appSettings>\n</configuration>\n";
}

TEST_F(AssemblyTest, InitializeReadsTheConfigurationFile)
{
    const std::string all =
        Setting("FeatureName", "F") + Setting("FeatureVersion", "1.0") + Setting("ContextName", "Ctx");
    const std::string longContext(300, 'c');
    const struct
    {
        const char* szName;
        std::string config;
        bool fOk;
        std::string settings;  // name|version|context afterwards
    } rgCases[] = {
        {"all three", Config(all), true, "F|1.0|Ctx"},
        {"first match counts", Config(all + Setting("FeatureName", "G")), true, "F|1.0|Ctx"},
        {"other elements ignored", Config("<set key=\"FeatureName\" value=\"G\"/>" + all), true, "F|1.0|Ctx"},
        {"context cut to 259",
         Config(Setting("FeatureName", "F") + Setting("FeatureVersion", "1.0") + Setting("ContextName", longContext)),
         true, "F|1.0|" + longContext.substr(0, 259)},
        {"context missing", Config(Setting("FeatureName", "F") + Setting("FeatureVersion", "1.0")), false, "||"},
        {"empty version",
         Config(Setting("FeatureName", "F") + Setting("FeatureVersion", "") + Setting("ContextName", "Ctx")), false,
         "||"},
        {"value missing",
         Config("<add key=\"FeatureName\"/>" + Setting("FeatureVersion", "1.0") + Setting("ContextName", "Ctx")), false,
         "||"},
    };
    TableWrite(TableXml(Dependency("X.dll", "2.1", "X.1", "X")));
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szName);
        COwnedFile config(ModulePath() + ".config.xml", c.config);
        CCAssembly assembly;
        EXPECT_EQ(assembly.Initialize(), c.fOk);
        EXPECT_EQ(assembly.IsInitialized(), c.fOk);
        EXPECT_EQ(std::string(assembly.FeatureName()) + "|" + assembly.FeatureVersion() + "|" + assembly.ContextName(),
                  c.settings);
    }
}

TEST_F(AssemblyTest, DependencyTableFillsTheMaps)
{
    const std::string com = Dependency("X.dll", "2.1", "X.1", "X");
    const std::string comEntry = "X:X.dll,2.1,X.1,X,C:\\Comp\\X.dll\\2.1\\X.dll;";
    const std::string other = std::string("name=\"") + g_szTestModule + "\" version=\"6.22.89.0\"";
    const struct
    {
        const char* szName;
        std::string table;
        bool fOk;
        std::string comMap;
        std::string win32Map;
    } rgCases[] = {
        {"any version", TableXml(com), true, comEntry, ""},
        {"other version", TableXml(com, other), true, "", ""},
        {"name in other case", TableXml(com, "name=\"Component_Tests.exe\" version=\"*\""), true, "", ""},
        {"other context", TableXml(com, g_moduleAny, "Other"), true, "", ""},
        {"other feature version", TableXml(com, g_moduleAny, "Ctx", "name=\"F\" version=\"1.1\""), false, "", ""},
        {"malformed table", "<dependencyTable><feature name=\"F\" version=\"1.0\">", false, "", ""},
        {"no dependencies", TableXml(""), true, "", ""},
        {"ProgID without independent one", TableXml(Dependency("X.dll", "2.1", "X.1")), true, "",
         "X.dll:X.dll,2.1,X.1,,C:\\Comp\\X.dll\\2.1\\X.dll;"},
        {"both kinds", TableXml(Dependency("L.dll", "1") + com), true, comEntry,
         "L.dll:L.dll,1,,,C:\\Comp\\L.dll\\1\\L.dll;"},
        {"later entry wins", TableXml(com + Dependency("Y.dll", "3.0", "Y.1", "x")), true,
         "X:Y.dll,3.0,Y.1,x,C:\\Comp\\Y.dll\\3.0\\Y.dll;", ""},
        {"too long a name", TableXml(Dependency(std::string(300, 'n'), "1") + com), true, comEntry, ""},
    };
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szName);
        TableWrite(c.table);
        CCAssembly assembly;
        ASSERT_TRUE(assembly.InitializeCommon());
        EXPECT_EQ(assembly.InitializeFeature("F", "1.0", "Ctx"), c.fOk);
        EXPECT_EQ(assembly.IsInitialized(), c.fOk);
        EXPECT_EQ(MapText(assembly.GetAssemblyIdentityMapCOM()), c.comMap);
        EXPECT_EQ(MapText(assembly.GetAssemblyIdentityMapWin32()), c.win32Map);
    }
}

TEST_F(AssemblyTest, SecondFeatureAddsToTheMaps)
{
    TableWrite(TableXml(Dependency("X.dll", "2.1", "X.1", "X")));
    TableWrite(TableXml(Dependency("Z.dll", "1", "Z.1", "Z"), g_moduleAny, "Ctx", "name=\"G\" version=\"2\""),
               "G_2.xml");
    CCAssembly assembly;
    ASSERT_TRUE(assembly.InitializeCommon());
    ASSERT_TRUE(assembly.InitializeFeature("F", "1.0", "Ctx"));
    ASSERT_TRUE(assembly.InitializeFeature("G", "2", "Ctx"));
    EXPECT_EQ(MapText(assembly.GetAssemblyIdentityMapCOM()),
              "X:X.dll,2.1,X.1,X,C:\\Comp\\X.dll\\2.1\\X.dll;Z:Z.dll,1,Z.1,Z,C:\\Comp\\Z.dll\\1\\Z.dll;");
    EXPECT_STREQ(assembly.FeatureName(), "G");
}

// The legacy folder and its parent, made for the test where missing and
// removed with it.
struct CLegacyFolder
{
    explicit CLegacyFolder(const std::string& path)
        : m_path(path), m_parent(path.substr(0, path.rfind('\\'))),
          m_fParentMade(CreateDirectoryA(m_parent.c_str(), nullptr)), m_fMade(CreateDirectoryA(path.c_str(), nullptr))
    {
    }
    ~CLegacyFolder()
    {
        if (m_fMade)
            RemoveDirectoryA(m_path.c_str());
        if (m_fParentMade)
            RemoveDirectoryA(m_parent.c_str());
    }
    std::string m_path, m_parent;
    bool m_fParentMade, m_fMade;
};

TEST_F(AssemblyTest, LegacyFolderWhenTheConfiguredOneHasNoTable)
{
    const std::string legacy = Expanded("%CommonProgramFiles%\\Tervane Morlund Computers\\DependencyTables");
    CLegacyFolder folder(legacy);
    COwnedFile table(legacy + "\\F_1.0.xml", TableXml(Dependency("X.dll", "2.1", "X.1", "X")));
    CCAssembly assembly;
    ASSERT_TRUE(assembly.InitializeCommon());
    EXPECT_TRUE(assembly.InitializeFeature("F", "1.0", "Ctx"));
    EXPECT_EQ(assembly.DependencyTablesFolder(), legacy);
    EXPECT_EQ(assembly.GetAssemblyIdentityMapCOM().size(), 1u);
}

TEST_F(AssemblyTest, ProgIDsResolveToTheVersionTheTableNames)
{
    const CLSID clsidVersioned = {0x6a1c0d52, 0x2f0e, 0x4c61, {0x9b, 0x1e, 0x50, 0x7d, 0x12, 0x33, 0x44, 0x01}};
    CRegValues versioned("Software\\Classes\\Korlix.ComponentTest.1\\CLSID");
    versioned.String("", "{6A1C0D52-2F0E-4C61-9B1E-507D12334401}");
    CRegValues current("Software\\Classes\\Korlix.ComponentTest\\CLSID");
    current.String("", "{6A1C0D52-2F0E-4C61-9B1E-507D12334402}");
    TableWrite(TableXml(Dependency("T.dll", "1", "Korlix.ComponentTest.1", "Korlix.ComponentTest") +
                        Dependency("U.dll", "1", "Korlix.Unregistered.1", "Korlix.Unregistered")));
    CCAssembly assembly;
    CLSID clsid = GUID_NULL;
    EXPECT_EQ(assembly.CLSIDFromProgID("Korlix.ComponentTest", &clsid), E_FAIL);
    ASSERT_TRUE(assembly.InitializeCommon());
    ASSERT_TRUE(assembly.InitializeFeature("F", "1.0", "Ctx"));

    const struct
    {
        const char* szProgID;
        HRESULT hr;
    } rgCases[] = {
        {"Korlix.ComponentTest", S_OK},
        {"korlix.componenttest", S_OK},
        {"Korlix.ComponentTest.1", CLASS_E_CLASSNOTAVAILABLE},
        {"Korlix.Other", CLASS_E_CLASSNOTAVAILABLE},
        {"Korlix.Unregistered", CO_E_CLASSSTRING},
    };
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szProgID);
        clsid = GUID_NULL;
        EXPECT_EQ(assembly.CLSIDFromProgID(c.szProgID, &clsid), c.hr);
        if (c.hr == S_OK)
        {
            EXPECT_TRUE(IsEqualCLSID(clsid, clsidVersioned));
        }
    }
}
}  // namespace
