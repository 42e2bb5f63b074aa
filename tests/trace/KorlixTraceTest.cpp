// Trace files of the installed program: its tracing key, file layout,
// appending, clearing, switching by size and time and failed switches.
#include "platform/ScopedHandle.h"
#include "support/KorlixProcess.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace
{
constexpr char g_szKorlixKey[] = "Software\\Tervane\\Common\\Tracing\\Korlix.exe\\6.22";
// An engine error gives records of levels 1 to 4.
constexpr char g_szErrorScript[] = "call\nout <eError> boom\\n\nend\n";
constexpr char g_szOldFile[] = "\xFF\xFEo\0l\0d\0\r\0\n\0";

class KorlixTraceTest : public testing::Test
{
protected:
    // The program runs in the test folder, so that the default "Trace.trc"
    // lands there.
    CKorlixRun Run(const std::string& script = "", const std::string& arguments = "/UPD")
    {
        CKorlixStart start;
        start.arguments = arguments;
        start.workingDirectory = m_dir.Path();
        start.environment["KRLX_TRACE_DIR"] = m_dir.Path();
        if (!script.empty())
        {
            m_script.Write(script);
            start.environment["DIDEREVE_SCRIPT"] = m_script.Path();
        }
        return KorlixRun(start);
    }
    void Enable(DWORD dwLevel)
    {
        m_values.Dword("Trace", 1);
        m_values.Dword("TraceLevel", dwLevel);
    }
    std::string Path(const std::string& name = "Trace.trc") const { return m_dir.File(name); }
    std::vector<std::string> Records(const std::string& name = "Trace.trc") const
    {
        return RecordLines(TraceFileRead(Path(name)).text);
    }
    // Once without and once with history, each in a fresh folder.
    template <typename Check>
    void ForBothHistories(Check check)
    {
        for (DWORD dwHistory : {0, 1})
        {
            SCOPED_TRACE(dwHistory);
            CTempDir dir;
            m_values.String("TraceFile", dir.File("Trace.trc"));
            m_values.Dword("TraceKeepHistory", dwHistory);
            check(dir, dwHistory);
        }
    }

    CTempDir m_dir;
    CRegValues m_values{g_szKorlixKey};
    CTempFile m_script{".scn"};
};

// Class, method, label, text and detail of a record without module column.
std::string Tail(const std::string& record)
{
    std::vector<std::string> columns = Columns(record);
    std::string tail;
    for (size_t i = 4; i < columns.size(); ++i)
        tail += (i > 4 ? "|" : "") + columns[i];
    return tail;
}

constexpr char g_szLeaveTail[] = "<global>|main|Leave||ERRORLEVEL=0";

TEST_F(KorlixTraceTest, DefaultFileInTheWorkingDirectory)
{
    Enable(3);
    ASSERT_EQ(Run().dwExitCode, 0u);
    std::vector<std::string> records = Records();
    ASSERT_GE(records.size(), 2u);
    std::regex ids(R"(\t\d{4,}\t\d{4,}\t(Error|Warning|Info)\t.*)");
    std::string pid = Columns(records[0])[1];
    for (const std::string& record : records)
    {
        EXPECT_TRUE(std::regex_match(AfterTime(record), ids)) << record;
        EXPECT_EQ(Columns(record)[1], pid);
        EXPECT_EQ(std::count(record.begin(), record.end(), '\t'), 8) << record;
    }
    const std::string buildInfo = "<global>|main|Internal|BUILD INFORMATION|RELEASE (amd64); TIME=";
    EXPECT_EQ(Tail(records.front()).substr(0, buildInfo.size()), buildInfo);
    EXPECT_EQ(Tail(records.back()), g_szLeaveTail);
}

TEST_F(KorlixTraceTest, ModuleColumnNamesTheExecutable)
{
    Enable(5);
    m_values.Dword("TraceGlobalEnable", 1);
    Run();
    std::vector<std::string> records = Records();
    ASSERT_GE(records.size(), 3u);
    // The module column is filled right after these two records.
    for (size_t i = 0; i < 2; ++i)
    {
        std::vector<std::string> columns = Columns(records[i]);
        EXPECT_EQ(columns[3] + "|" + columns[4] + "|" + columns[5] + "|" + columns[6] + "|" + columns[7],
                  std::string("InfoCC||CCQuillTrace|GetModuleHandleRaw|") + (i ? "Leave" : "Enter"));
    }
    EXPECT_TRUE(std::regex_match(Columns(records[1])[9], std::regex("hReturn: 0x[0-9A-F]{8}")));
    for (size_t i = 2; i < records.size(); ++i)
    {
        EXPECT_EQ(Columns(records[i])[4], "Korlix.exe") << records[i];
        EXPECT_EQ(std::count(records[i].begin(), records[i].end(), '\t'), 9) << records[i];
    }
}

TEST_F(KorlixTraceTest, RunsAppendUnlessCleared)
{
    for (DWORD dwClear : {0, 1})
    {
        SCOPED_TRACE(dwClear);
        DeleteFileA(Path().c_str());
        Enable(3);
        m_values.Dword("TraceClear", dwClear);
        Run();
        size_t nOneRun = Records().size();
        Run();
        std::vector<std::string> records = Records();
        EXPECT_EQ(records.size(), dwClear ? nOneRun : 2 * nOneRun);
        EXPECT_EQ(Tail(records[nOneRun - 1]), g_szLeaveTail);
        std::string bytes = FileBytes(Path());
        EXPECT_EQ(bytes.find("\xFF\xFE"), 0u);
        EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos);
    }
}

// Every record is larger than 100 bytes: each write after the first
// switches, so every file holds one record.
TEST_F(KorlixTraceTest, SizeLimitSwitchesFiles)
{
    Enable(3);
    m_values.Dword("TraceLimitSize", 100);
    ForBothHistories([&](const CTempDir& dir, DWORD dwHistory) {
        FileWrite(dir.File("Trace_000.trc"), "old");
        FileWrite(dir.File("Trace_001.trc"), "old");
        Run();
        std::vector<std::string> names = DirNames(dir.Path());
        std::vector<std::string> last = RecordLines(TraceFileRead(dir.File("Trace.trc")).text);
        ASSERT_EQ(last.size(), 1u);
        EXPECT_EQ(Tail(last[0]), g_szLeaveTail);
        // Without history Trace_000.trc is replaced each time; with history
        // the old files stay and the run's files follow them.
        EXPECT_EQ(FileBytes(dir.File("Trace_000.trc")) == "old", dwHistory == 1);
        EXPECT_EQ(FileBytes(dir.File("Trace_001.trc")), "old");
        const char* szFirst = dwHistory ? "Trace_002.trc" : "Trace_000.trc";
        std::vector<std::string> first = RecordLines(TraceFileRead(dir.File(szFirst)).text);
        ASSERT_EQ(first.size(), 1u);
        EXPECT_NE(Tail(first[0]), g_szLeaveTail);
        if (!dwHistory)
        {
            EXPECT_EQ(names, (std::vector<std::string>{"Trace.trc", "Trace_000.trc", "Trace_001.trc"}));
            return;
        }
        EXPECT_EQ(Tail(first[0]).find("<global>|main|Internal|BUILD INFORMATION"), 0u);
        for (size_t i = 3; i < names.size(); ++i)
            EXPECT_EQ(RecordLines(TraceFileRead(dir.File(names[i])).text).size(), 1u) << names[i];
    });
}

// An existing file is older than any time limit at the first record.
TEST_F(KorlixTraceTest, TimeLimitStartsEachRunWithANewFile)
{
    Enable(3);
    m_values.Dword("TraceLimitTime", 60);
    ForBothHistories([&](const CTempDir& dir, DWORD dwHistory) {
        std::string old(g_szOldFile, sizeof(g_szOldFile) - 1);
        FileWrite(dir.File("Trace.trc"), old);
        FileWrite(dir.File("Trace_000.trc"), "older");
        Run();
        std::vector<std::string> names = DirNames(dir.Path());
        std::vector<std::string> expected = {"Trace.trc", "Trace_000.trc"};
        if (dwHistory)
            expected.push_back("Trace_001.trc");
        EXPECT_EQ(names, expected);
        EXPECT_EQ(FileBytes(dir.File(names.back())), old);
        CTraceFile current = TraceFileRead(dir.File("Trace.trc"));
        EXPECT_TRUE(current.fBom);
        std::vector<std::string> records = RecordLines(current.text);
        ASSERT_FALSE(records.empty());
        EXPECT_EQ(Tail(records.front()).find("<global>|main|Internal|BUILD INFORMATION"), 0u);
        EXPECT_EQ(Tail(records.back()), g_szLeaveTail);
    });
}

// The first record of the run tries the time switch; the move fails, and
// the record and its fallback records follow the old contents exactly once.
TEST_F(KorlixTraceTest, FailedSwitchWritesFallbackRecords)
{
    const struct
    {
        const char* szWhat;
        bool fDirectory;
        DWORD dwError;
    } rgCases[] = {{"directory in the way", true, ERROR_ACCESS_DENIED},
                   {"file held without delete sharing", false, ERROR_SHARING_VIOLATION}};
    Enable(3);
    m_values.Dword("TraceLimitTime", 60);
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szWhat);
        DeleteFileA(Path().c_str());
        RemoveDirectoryA(Path("Trace_000.trc").c_str());
        FileWrite(Path(), std::string(g_szOldFile, sizeof(g_szOldFile) - 1));
        CCUniqueFile held;
        if (c.fDirectory)
            CreateDirectoryA(Path("Trace_000.trc").c_str(), nullptr);
        else
            held.reset(CreateFileA(Path().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
        Run();
        held.reset();
        std::vector<std::string> expected = {"old", "BUILD INFORMATION", FallbackWarning(c.dwError)};
        if (!c.fDirectory)
            expected.push_back(FallbackError("Trace_000.trc"));
        expected.push_back("Command line parameters");
        std::string text = TraceFileRead(Path()).text;
        std::vector<std::string> lines = TraceLines(text);
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), lines.size());
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [](const std::string& line) { return line.find("\tFileSwitch\t") != line.npos; }),
                  c.fDirectory ? 1 : 2);
        ASSERT_GE(lines.size(), expected.size());
        lines.resize(expected.size());
        for (size_t i = 0; i < lines.size(); ++i)
        {
            if (HasTimeColumn(expected[i]) || !HasTimeColumn(lines[i]))
                EXPECT_EQ(lines[i], expected[i]);
            else
                EXPECT_EQ(Columns(lines[i])[7], expected[i]);
        }
    }
}

// Every record that may hold a command line is masked first, including the
// registry extension and the engine's command lines.
TEST_F(KorlixTraceTest, PasswordsNeverReachTheTrace)
{
    Enable(6);
    CRegValues extension("SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe");
    extension.String("CommandLineExt", "/W");
    ASSERT_EQ(Run(g_szErrorScript, "/UPD \"/PWD=topsecret\" /pwc=hush%s").dwExitCode, 2u);
    std::string text = TraceFileRead(Path()).text;
    for (const char* szClear : {"secret", "hush"})
    {
        size_t nPos = text.find(szClear);
        EXPECT_EQ(nPos, std::string::npos) << text.substr(nPos < 200 ? 0 : nPos - 200, 300);
    }
    EXPECT_NE(text.find("argv[2] = '/PWD=****'"), std::string::npos);
    EXPECT_NE(text.find("CmdLine='/UPD \"/PWD=****\" /pwc= /W /krlxver=6.22.89.0'"), std::string::npos);
}

// /CRYPT records its input at the finest level only.
TEST_F(KorlixTraceTest, CryptRecordsItsInputAtLevelSix)
{
    const std::string record = "CXXCrypt|Encrypt|Enter||crypt: abc";
    for (DWORD dwLevel : {5, 6})
    {
        SCOPED_TRACE(dwLevel);
        Enable(dwLevel);
        ASSERT_EQ(Run("", "/CRYPT=abc").dwExitCode, 0u);
        std::vector<std::string> records = Records();
        const size_t nFound = std::count_if(records.begin(), records.end(),
                                            [&](const std::string& line) { return Tail(line) == record; });
        EXPECT_EQ(nFound, dwLevel == 6 ? 1u : 0u);
        DeleteFileA(Path().c_str());
    }
}
}  // namespace
