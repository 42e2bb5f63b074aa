// The component model of the installed program, end to end: the engine is
// created through the dependency table, and every broken piece of the
// installation ends the run with exit code 2. The runs are of a copy of the
// program in a test folder, beside its own configuration file; registry
// values are restored when the test ends.
#include "component/ComponentTestSupport.h"
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
const std::string g_engine = KORLIX_ENGINE_VERSION;
const std::string g_tables = "C:\\Program Files\\Common Files\\Tervane\\DependencyTables";
constexpr char g_szInitFailed[] = "\tg_assembly.Initialize failed\t";
const std::string g_noTable = "\tError loading dependency table, trying legacy TMC..\tpath='";
const std::string g_notListed = "\tBusiness logic library not initialized\tInstance of DiDEreve.DiDEreveObj "
                                "missing, hr=0x80040111 '";
const std::string g_engineDependency =
    Dependency("DiDEreve.dll", g_engine, "DiDEreve.DiDEreveObj.1", "DiDEreve.DiDEreveObj");

// The table of the test feature KorlixTest 9.9, context Test.
std::string Table(const std::string& dependencies, const std::string& version = "*", const std::string& more = "")
{
    return TableXml(dependencies, "name=\"Korlix.exe\" version=\"" + version + "\"", "Test",
                    "name=\"KorlixTest\" version=\"9.9\"" + more);
}

// The configuration of the test feature with this context setting.
std::string TestConfig(const std::string& context = Add("ContextName", "Test"))
{
    return Config(Add("FeatureName", "KorlixTest") + Add("FeatureVersion", "9.9") + context);
}

class ComponentRunTest : public testing::Test
{
protected:
    ComponentRunTest()
    {
        m_tracing.Dword("Trace", 1);
        m_tracing.Dword("TraceLevel", 6);
        m_tracing.Dword("TraceGlobalEnable", 1);
        m_tracing.String("TraceFile", m_dir.File("Trace.trc"));
        CopyFileA(g_szInstalledKorlix, m_dir.File("Korlix.exe").c_str(), FALSE);
    }
    // Runs a copy of the program with this configuration file (none when
    // empty) and a table of the test feature (none when empty), after a
    // change of a value of the common key (deleted when the data is empty).
    // Checks the exit code, the sign-on (missing when the component model
    // cannot be initialised), the engine's record of a run that succeeds,
    // and the texts the trace holds.
    testing::AssertionResult Run(const std::string& config, const std::string& table, DWORD dwExitCode,
                                 const std::vector<std::string>& traced, const char* szValue = nullptr,
                                 const std::string& data = "")
    {
        CRegValues values("SOFTWARE\\Tervane\\Common");
        if (szValue && data.empty())
            values.Delete(szValue);
        else if (szValue)
            values.String(szValue, data, REG_EXPAND_SZ);
        std::unique_ptr<COwnedFile> tableFile;
        if (!table.empty())
            tableFile = std::make_unique<COwnedFile>(g_tables + "\\KorlixTest_9.9.xml", table);
        DeleteFileA(m_config.c_str());
        if (!config.empty())
            FileWrite(m_config, config);
        DeleteFileA(m_dir.File("Trace.trc").c_str());
        DeleteFileA(m_record.Path().c_str());
        CKorlixStart start = ScriptedStart("/UPD", "", m_record.Path());
        start.program = m_dir.File("Korlix.exe");
        start.programText = "\"" + start.program + "\"";
        const CKorlixRun run = KorlixRun(start);

        const bool fSignOn = std::count(traced.begin(), traced.end(), g_szInitFailed) == 0;
        std::string wrong;
        if (run.dwExitCode != dwExitCode || (run.out.rfind("Korlix Version 6.81\r\n", 0) == 0) != fSignOn)
            wrong += "exit code " + std::to_string(run.dwExitCode) + ", output\n" + run.out;
        // The engine's record of a whole run with the feature it was handed.
        const std::string record = std::string("create\ninit\t") +
                                   (config == m_installed ? "BiosManagement\t6.22\tKorlix" : "KorlixTest\t9.9\tTest") +
                                   "\nexecute\t/UPD /krlxver=6.22.89.0\t/UPD\ncontinue\nrelease\n";
        if (m_record.Read() != (dwExitCode ? "" : record))
            wrong += "\nengine record\n" + m_record.Read();
        const std::string text = TraceFileRead(m_dir.File("Trace.trc")).text;
        for (const std::string& part : traced)
            wrong += text.find(part) == std::string::npos ? "\nnot traced: " + part : "";
        return wrong.empty() ? testing::AssertionSuccess() : testing::AssertionFailure() << wrong;
    }

    CTempDir m_dir;
    const std::string m_config = m_dir.File("Korlix.exe.config.xml");
    const std::string m_installed = FileBytes(g_szInstalledKorlix + std::string(".config.xml"));
    CTempFile m_record{".rec"};
    CRegValues m_tracing{"Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22"};
};

TEST_F(ComponentRunTest, ProgramExportsTheHostEntryPoints)
{
    CCUniqueModule program(LoadLibraryExA(g_szInstalledKorlix, nullptr, DONT_RESOLVE_DLL_REFERENCES));
    ASSERT_TRUE(program);
    EXPECT_NE(GetProcAddress(program.get(), "DllInitialize"), nullptr);
    EXPECT_NE(GetProcAddress(program.get(), "DllUninitialize"), nullptr);
}

// The installed configuration, with values of the common key deleted or changed.
TEST_F(ComponentRunTest, RegistryValues)
{
    EXPECT_TRUE(Run(m_installed, "", 0,
                    {"DEPENDENCY TABLE\t\r\nName='DiDEreve.dll', Version='" + g_engine +
                         "', ProgID='DiDEreve.DiDEreveObj', Path='C:\\Program Files\\Common "
                         "Files\\Tervane\\Components\\DiDEreve.dll\\" +
                         g_engine + "\\DiDEreve.dll'",
                     "\tCoCreateInstance\tLeave\tMethod CoCreateInstance has been called\thr: 0x00000000, '"}));
    EXPECT_TRUE(Run(m_installed, "", 2,
                    {"\tError accessing registry for getting deptables path\tError: 2",
                     "\tInitializeDependencyTablesPath failed\t", "\tInitializeCommon failed\t", g_szInitFailed},
                    "DependencyTables"));
    CTempDir emptyTables;
    EXPECT_TRUE(Run(m_installed, "", 2,
                    {g_noTable + emptyTables.File("BiosManagement_6.22.xml"),
                     "\tError loading dependency table\tpath='C:\\Program Files\\Common Files\\Tervane Morlund "
                     "Computers\\DependencyTables\\BiosManagement_6.22.xml'",
                     g_szInitFailed},
                    "DependencyTables", emptyTables.Path()));
    EXPECT_TRUE(Run(m_installed, "", 0,
                    {"\tError accessing registry for getting GAC root\tError: 2", "', Path='\\DiDEreve.dll\\"},
                    "ComponentRoot"));
}

TEST_F(ComponentRunTest, ConfigurationAndTable)
{
    const std::string loadFailed = "\txmlDoc->load failed\tpath='" + m_config + "', Line=";
    EXPECT_TRUE(Run("", Table(g_engineDependency), 2, {loadFailed, g_szInitFailed}));
    EXPECT_TRUE(Run("<configuration>\n<appSettings>\n", Table(g_engineDependency), 2, {loadFailed, g_szInitFailed}));
    EXPECT_TRUE(Run(
        TestConfig(""), Table(g_engineDependency), 2,
        {"\tError accessing config xml file, one or more values empty.\tfile: " + m_config + "\r\n", g_szInitFailed}));
    EXPECT_TRUE(Run(TestConfig(), "", 2, {g_noTable + g_tables + "\\KorlixTest_9.9.xml'", g_szInitFailed}));
    EXPECT_TRUE(Run(TestConfig(Add("ContextName", "Elsewhere")), Table(g_engineDependency), 2,
                    {"\tAssemblyIdentity node not found for current assembly.\tContextName: Elsewhere, "
                     "AssemblyIdentity: Korlix.exe, Version: 6.22.89.0",
                     "\tDEPENDENCY TABLE is empty!\t", "\tProgId not found in dep table\t\r\n",
                     "\tCLSIDFromProgId returned an error!\thr: 0x80040111, '", g_notListed}));
    EXPECT_TRUE(Run(
        TestConfig(), Table(Dependency("Helper.dll", "1.0")), 2,
        {"DEPENDENCY TABLE\t\r\nName='Helper.dll', Version='1.0', VersionIndependentProgID='', Path='", g_notListed}));
    EXPECT_TRUE(Run(TestConfig(), Table(g_engineDependency, "*", " rootFolder=\"%ProgramFiles%\\Elsewhere\\\""), 0,
                    {"', Path='C:\\Program Files\\Elsewhere\\DiDEreve.dll\\" + g_engine + "\\DiDEreve.dll'"}));
}
}  // namespace
