// The component model of the installed program, end to end: the engine is
// created through the dependency table, and every broken piece of the
// installation ends the run with exit code 2. A broken configuration file
// belongs to a copy of the program in a test folder; registry values are
// restored when the test ends.
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
const std::string g_engineVersion = KORLIX_ENGINE_VERSION;
const std::string g_tables = "C:\\Program Files\\Common Files\\Tervane\\DependencyTables";
const std::string g_engineTableLine = "DEPENDENCY TABLE\t\r\nName='DiDEreve.dll', Version='" + g_engineVersion +
                                      "', ProgID='DiDEreve.DiDEreveObj', Path='C:\\Program Files\\Common "
                                      "Files\\Tervane\\Components\\DiDEreve.dll\\" +
                                      g_engineVersion + "\\DiDEreve.dll'";
// The engine's record of a whole run with the feature it was handed.
std::string EngineRecord(const std::string& feature)
{
    return "create\ninit\t" + feature + "\nexecute\t/UPD /krlxver=6.22.89.0\t/UPD\ncontinue\nrelease\n";
}
const std::string g_installedRecord = EngineRecord("BiosManagement\t6.22\tKorlix");
constexpr char g_szInitFailed[] = "\tg_assembly.Initialize failed\t";
constexpr char g_szLoadFailed[] = "\txmlDoc->load failed\tpath='<config>', Line=";

std::string Engine()
{
    return "<assemblyIdentity name=\"DiDEreve.dll\" version=\"" + g_engineVersion +
           "\" progID=\"DiDEreve.DiDEreveObj.1\" versionIndependentProgID=\"DiDEreve.DiDEreveObj\"/>";
}

// A table for the test feature KorlixTest 9.9, context Test.
std::string Table(const std::string& dependencies, const std::string& moduleVersion = "*",
                  const std::string& rootFolder = "")
{
    return "<dependencyTable><feature name=\"KorlixTest\" version=\"9.9\"" +
           (rootFolder.empty() ? "" : " rootFolder=\"" + rootFolder + "\"") +
           "><context name=\"Test\"><assemblyIdentity name=\"Korlix.exe\" version=\"" + moduleVersion +
           "\"><dependencies>" + dependencies +
           "</dependencies></assemblyIdentity></context></feature>"
           "</dependencyTable>";
}

std::string Config(const std::string& contextName = "Test")
{
    std::string text = "<configuration><appSettings><add key=\"FeatureName\" value=\"KorlixTest\"/>"
                       "<add key=\"FeatureVersion\" value=\"9.9\"/>";
    if (!contextName.empty())
        text += "<add key=\"ContextName\" value=\"" + contextName + "\"/>";
    return text + "</appSettings></configuration>";
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
    }
    CKorlixRun Run(const std::string& program = g_szInstalledKorlix)
    {
        DeleteFileA(m_dir.File("Trace.trc").c_str());
        DeleteFileA(m_record.Path().c_str());
        CKorlixStart start;
        start.arguments = "/UPD";
        start.program = program;
        start.programText = "\"" + program + "\"";
        start.environment["DIDEREVE_SCRIPT"] = "";
        start.environment["DIDEREVE_RECORD"] = m_record.Path();
        return KorlixRun(start);
    }
    // Runs a copy of the program with its own configuration file (none when
    // empty).
    CKorlixRun CopyRun(const std::string& config)
    {
        CTempDir copyDir;
        m_copyConfig = copyDir.File("Korlix.exe.config.xml");
        if (!CopyFileA(g_szInstalledKorlix, copyDir.File("Korlix.exe").c_str(), FALSE))
            ADD_FAILURE() << "cannot copy the program";
        if (!config.empty())
            FileWrite(m_copyConfig, config);
        return Run(copyDir.File("Korlix.exe"));
    }
    // A run whose component model cannot be initialised ends before the
    // sign-on; one whose engine cannot be created shows it.
    static void ExpectSignOn(const CKorlixRun& run, const std::vector<std::string>& traced)
    {
        bool fInitFailed = std::find(traced.begin(), traced.end(), g_szInitFailed) != traced.end();
        EXPECT_EQ(run.out.rfind("Korlix Version 6.81\r\n", 0) == 0, !fInitFailed) << run.out;
    }
    // Every part is in the trace; "<config>" stands for the copy's
    // configuration file.
    void ExpectTraced(const std::vector<std::string>& parts) const
    {
        std::string text = TraceFileRead(m_dir.File("Trace.trc")).text;
        for (std::string part : parts)
        {
            size_t nConfig = part.find("<config>");
            if (nConfig != std::string::npos)
                part.replace(nConfig, 8, m_copyConfig);
            EXPECT_NE(text.find(part), std::string::npos) << part;
        }
    }

    CTempDir m_dir;
    CTempFile m_record{".rec"};
    CRegValues m_tracing{"Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22"};
    std::string m_copyConfig;
};

TEST_F(ComponentRunTest, ProgramExportsTheHostEntryPoints)
{
    CCUniqueModule program(LoadLibraryExA(g_szInstalledKorlix, nullptr, DONT_RESOLVE_DLL_REFERENCES));
    ASSERT_TRUE(program);
    EXPECT_NE(GetProcAddress(program.get(), "DllInitialize"), nullptr);
    EXPECT_NE(GetProcAddress(program.get(), "DllUninitialize"), nullptr);
}

TEST_F(ComponentRunTest, InstalledProgramAndRegistryValues)
{
    CTempDir emptyTables;
    const struct
    {
        const char* szName;
        const char* szValue;  // null: the installed values
        std::string data;     // empty: the value is deleted
        DWORD dwExitCode;
        std::vector<std::string> traced;
    } rgCases[] = {
        {"installed",
         nullptr,
         "",
         0,
         {g_engineTableLine, "\tCoCreateInstance\tLeave\tMethod CoCreateInstance has been called\thr: 0x00000000, '"}},
        {"no table folder",
         "DependencyTables",
         "",
         2,
         {"\tError accessing registry for getting deptables path\tError: 2",
          "\tInitializeDependencyTablesPath failed\t", "\tInitializeCommon failed\t", g_szInitFailed}},
        {"table folder without the table",
         "DependencyTables",
         emptyTables.Path(),
         2,
         {"\tError loading dependency table, trying legacy TMC..\tpath='" + emptyTables.File("BiosManagement_6.22.xml"),
          "\tError loading dependency table\tpath='C:\\Program Files\\Common Files\\Tervane Morlund "
          "Computers\\DependencyTables\\BiosManagement_6.22.xml'",
          g_szInitFailed}},
        {"no component root",
         "ComponentRoot",
         "",
         0,
         {"\tError accessing registry for getting GAC root\tError: 2", "', Path='\\DiDEreve.dll\\"}},
    };
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szName);
        CRegValues values("SOFTWARE\\Tervane\\Common");
        if (c.szValue && c.data.empty())
            values.Delete(c.szValue);
        else if (c.szValue)
            values.String(c.szValue, c.data, REG_EXPAND_SZ);
        CKorlixRun run = Run();
        EXPECT_EQ(run.dwExitCode, c.dwExitCode);
        ExpectSignOn(run, c.traced);
        EXPECT_EQ(m_record.Read(), c.dwExitCode ? "" : g_installedRecord);
        ExpectTraced(c.traced);
    }
}

TEST_F(ComponentRunTest, ConfigurationAndTableOfACopy)
{
    const std::string notListed = "\tBusiness logic library not initialized\tInstance of DiDEreve.DiDEreveObj "
                                  "missing, hr=0x80040111 '";
    const struct
    {
        const char* szName;
        std::string config;  // empty: no configuration file
        std::string table;   // empty: no table for the test feature
        DWORD dwExitCode;
        std::vector<std::string> traced;
    } rgCases[] = {
        {"no configuration file", "", Table(Engine()), 2, {g_szLoadFailed, g_szInitFailed}},
        {"malformed configuration",
         "<configuration>\n<appSettings>\n",
         Table(Engine()),
         2,
         {g_szLoadFailed, g_szInitFailed}},
        {"context name missing",
         Config(""),
         Table(Engine()),
         2,
         {"\tError accessing config xml file, one or more values empty.\tfile: <config>\r\n", g_szInitFailed}},
        {"no table",
         Config(),
         "",
         2,
         {"\tError loading dependency table, trying legacy TMC..\tpath='" + g_tables + "\\KorlixTest_9.9.xml'",
          g_szInitFailed}},
        {"other context",
         Config("Elsewhere"),
         Table(Engine()),
         2,
         {"\tAssemblyIdentity node not found for current assembly.\tContextName: Elsewhere, AssemblyIdentity: "
          "Korlix.exe, Version: 6.22.89.0",
          "\tDEPENDENCY TABLE is empty!\t", "\tProgId not found in dep table\t\r\n",
          "\tCLSIDFromProgId returned an error!\thr: 0x80040111, '", notListed}},
        {"engine not listed",
         Config(),
         Table("<assemblyIdentity name=\"Helper.dll\" version=\"1.0\"/>"),
         2,
         {"DEPENDENCY TABLE\t\r\nName='Helper.dll', Version='1.0', VersionIndependentProgID='', Path='", notListed}},
        {"exact program version", Config(), Table(Engine(), "6.22.89.0"), 0, {}},
        {"root folder of the feature",
         Config(),
         Table(Engine(), "*", "%ProgramFiles%\\Elsewhere\\"),
         0,
         {"', Path='C:\\Program Files\\Elsewhere\\DiDEreve.dll\\" + g_engineVersion + "\\DiDEreve.dll'"}},
    };
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szName);
        std::unique_ptr<COwnedFile> table;
        if (!c.table.empty())
            table = std::make_unique<COwnedFile>(g_tables + "\\KorlixTest_9.9.xml", c.table);
        CKorlixRun run = CopyRun(c.config);
        EXPECT_EQ(run.dwExitCode, c.dwExitCode);
        ExpectSignOn(run, c.traced);
        EXPECT_EQ(m_record.Read(), c.dwExitCode ? "" : EngineRecord("KorlixTest\t9.9\tTest"));
        ExpectTraced(c.traced);
    }
}
}  // namespace
