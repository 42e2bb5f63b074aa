// Trace objects of the test program itself, configured from a test key of
// their own: record layout, levels, buffer, lock, hand-over between
// objects, configuration rules, file names and the switch to new files.
#include "platform/ScopedHandle.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"
#include "trace/QuillTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <ctime>
#include <map>
#include <memory>
#include <regex>

namespace
{
using CLines = std::vector<std::string>;
constexpr char g_szTestBase[] = "Software\\Tervane\\Common\\TracingTest\\";
constexpr char g_szNoKey[] = "NoSuchKey";
const std::string g_bom = "\xFF\xFE";
// An existing trace file of one line, larger than the size limits below.
const std::string g_old(300, 'o');
const std::wstring g_oldUnits = L"\xFEFF" + std::wstring(g_old.begin(), g_old.end()) + L"\r\n";
const std::string g_oldFile(reinterpret_cast<const char*>(g_oldUnits.data()), 2 * g_oldUnits.size());

std::string Fmt(const char* szFormat, ...)
{
    char szText[512];
    va_list args;
    va_start(args, szFormat);
    vsnprintf(szText, sizeof(szText), szFormat, args);
    va_end(args);
    return szText;
}

// A registry value of any type and size, as the configuration finds it.
struct CValue
{
    const char* szName;
    DWORD dwType;
    std::string bytes;
};

CValue Dw(const char* szName, DWORD dwValue)
{
    return {szName, REG_DWORD, std::string(reinterpret_cast<const char*>(&dwValue), sizeof(dwValue))};
}

CValue Sz(const char* szName, const std::string& text, DWORD dwType = REG_SZ)
{
    return {szName, dwType, text + '\0'};
}

// Tracing on, into this file.
std::vector<CValue> File(const std::string& value)
{
    return {Dw("Trace", 1), Sz("TraceFile", value)};
}

// The settings that are not zero, and the file name.
std::string SettingsText(const CCQuillTrace& t)
{
    const unsigned rgnValues[] = {t.m_fEnabled,      t.m_fClear,        t.m_nLevel,
                                  t.m_fModuleColumn, t.m_fKeepFileOpen, t.m_fKeepHistory,
                                  t.m_nLimitSize,    t.m_nLimitTime,    t.m_fInfoShown};
    std::string text;
    for (size_t i = 0; i < std::size(rgnValues); ++i)
        text += rgnValues[i] ? Fmt("%c%u ", "eclmohsti"[i], rgnValues[i]) : "";
    return text + Fmt("%ls", t.m_pszFileName);
}

// An error record of main's, as Records() shows it.
std::string ErrorRecord(const std::string& text, const std::string& detail = "")
{
    return "Error\t<global>\tmain\tInternal\t" + text + "\t" + detail;
}

class QuillTraceTest : public testing::Test
{
protected:
    using CTracePtr = std::unique_ptr<CCQuillTrace, void (*)(CCQuillTrace*)>;

    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, m_szOldDir);
        SetCurrentDirectoryA(m_dir.Path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryA(m_szOldDir); }

    // 0x24: the program's own flags. An object publishes itself through
    // gg_ptrc; when it goes, the test program's own object takes its place.
    static CTracePtr Create(const char* szTemplate = "Case", unsigned nFlags = 0x24)
    {
        return CTracePtr(new CCQuillTrace(szTemplate, nFlags, "CCQuillTrace_PID_", g_szTestBase), [](CCQuillTrace* p) {
            gg_ptrc = gg_ptrc == p ? &g_trace : gg_ptrc;
            delete p;
        });
    }
    void Enable(DWORD dwLevel)
    {
        m_values.Dword("Trace", 1);
        m_values.Dword("TraceLevel", dwLevel);
    }
    CLines Lines(const std::string& name = "Trace.trc") const { return TraceLines(TraceFileRead(name).text); }
    // The lines without their time and id columns, if they have them.
    CLines Records(const std::string& name = "Trace.trc") const
    {
        CLines records;
        const std::string ids = Fmt("\t%04lu\t%04lu\t", GetCurrentProcessId(), GetCurrentThreadId());
        for (const std::string& line : Lines(name))
            records.push_back(AfterTime(line).rfind(ids, 0) == 0 ? AfterTime(line).substr(ids.size()) : line);
        return records;
    }

    CTempDir m_dir;
    CRegValues m_values{std::string(g_szTestBase) + "Case"};
    char m_szOldDir[MAX_PATH] = "";
};

// "Class::Method" splits at its first separator; the module column is empty
// while the object looks the module's name up.
TEST_F(QuillTraceTest, RecordLayout)
{
    Enable(6);
    m_values.Dword("TraceGlobalEnable", 1);
    auto trace = Create();
    trace->Trace(eTrcInfoCC, "CCElevation::IsElevated", "Enter", "Method IsElevated has been entered.", "");
    trace->Trace(eTrcInfo, "CCRegKey::Open", "Leave", "", "bReturn: %d, %s, %S, %p", 1, "narrow", L"wide",
                 reinterpret_cast<void*>(0xABCDEF12));
    for (const char* szFunction : {"main", "Alpha::Beta::Gamma", "::Free", "Alpha::"})
        trace->Trace(eTrcError, szFunction, "Internal", "", "");
    trace->TraceBuildInfo(eTrcVerbose, "main", "Internal");
    CLines records = Records();
    ASSERT_EQ(records.size(), 9u);
    const std::string build = R"(Verbose\ttrace_tests\.exe\t<global>\tmain\tInternal\tBUILD INFORMATION\t)"
                              R"(RELEASE \(amd64\); TIME=[A-Z][a-z]{2} [ 1-3]\d \d{4}, \d\d:\d\d:\d\d, this=0x)";
    const auto nThis = static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(trace.get()));
    EXPECT_TRUE(std::regex_match(records.back(), std::regex(build + Fmt("%016llX", nThis)))) << records.back();
    records.pop_back();
    const auto nModule = static_cast<unsigned>(reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr)));
    EXPECT_EQ(
        records,
        (CLines{"InfoCC\t\tCCQuillTrace\tGetModuleHandleRaw\tEnter\t\t",
                "InfoCC\t\tCCQuillTrace\tGetModuleHandleRaw\tLeave\t\thReturn: " + Fmt("0x%08X", nModule),
                "InfoCC\ttrace_tests.exe\tCCElevation\tIsElevated\tEnter\tMethod IsElevated has been entered.\t",
                "Info\ttrace_tests.exe\tCCRegKey\tOpen\tLeave\t\tbReturn: 1, narrow, wide, 00000000ABCDEF12",
                "Error\ttrace_tests.exe\t<global>\tmain\tInternal\t\t",
                "Error\ttrace_tests.exe\tAlpha\tBeta::Gamma\tInternal\t\t",
                "Error\ttrace_tests.exe\t\tFree\tInternal\t\t", "Error\ttrace_tests.exe\tAlpha\t\tInternal\t\t"}));
}

// Levels 1 to 6 up to the configured one, 0 and 7 never; no record, no file.
TEST_F(QuillTraceTest, RecordsUpToTheConfiguredLevelAreWritten)
{
    const char* const rgszLevels[] = {"Error", "Warning", "Info", "Verbose", "InfoCC", "VerboseCC"};
    for (DWORD dwConfigured = 0; dwConfigured <= 7; ++dwConfigured)
    {
        Enable(dwConfigured);
        DeleteFileA("Trace.trc");
        auto trace = Create();
        for (unsigned nLevel = 0; nLevel <= 7; ++nLevel)
            trace->Trace(nLevel, "main", "Internal", "", "%u", nLevel);
        CLines expected;
        for (DWORD i = 1; i <= std::min(dwConfigured, 6ul); ++i)
            expected.push_back(Fmt("%s\t<global>\tmain\tInternal\t\t%lu", rgszLevels[i - 1], i));
        EXPECT_EQ(Records(), expected) << dwConfigured;
        EXPECT_EQ(GetFileAttributesA("Trace.trc") != INVALID_FILE_ATTRIBUTES, dwConfigured != 0);
    }
}

// 4096 bytes: a record that leaves fewer than two free has no room for its
// line end. A long detail doubles the buffer as often as needed.
TEST_F(QuillTraceTest, RecordBuffer)
{
    Enable(1);
    auto trace = Create();
    trace->Trace(eTrcError, "main", "Internal", "", "");
    const std::string header = Lines().at(0);
    for (size_t nLeft : {0, 1, 2})
    {
        DeleteFileA("Trace.trc");
        std::string detail(4096 - header.size() - nLeft, 'y');
        trace->Trace(eTrcError, "main", "Internal", "", "%s", detail.c_str());
        std::string text = TraceFileRead("Trace.trc").text;
        EXPECT_EQ(nLeft < 2 ? text : AfterTime(text),
                  nLeft < 2 ? "No space for end marker left in buffer" : AfterTime(header) + detail + "\r\n");
        EXPECT_EQ(trace->m_nBufferSize, 4096u);
    }
    DeleteFileA("Trace.trc");
    const std::string detail(10000, 'x');
    trace->Trace(eTrcError, "main", "Internal", "", "%s", detail.c_str());
    EXPECT_EQ(trace->m_nBufferSize, 16384u);
    EXPECT_EQ(Records(), CLines{ErrorRecord("", detail)});
}

// Another module's object (here: one without a key) adopts the settings of
// the executable's object only when that one traces with the module column.
TEST_F(QuillTraceTest, HandOverToOtherObjects)
{
    const std::string fileName = m_dir.File("shared.trc");
    m_values.String("TraceFile", fileName);
    m_values.Dword("TraceLevel", 4);
    for (DWORD dwTrace : {0, 1})
    {
        m_values.Dword("Trace", dwTrace);
        m_values.Dword("TraceGlobalEnable", !dwTrace);
        auto host = Create();
        EXPECT_EQ(gg_ptrc, host.get());
        auto other = Create(g_szNoKey);
        EXPECT_EQ(other->m_fEnabled, 0);
        EXPECT_EQ(gg_ptrc, other.get());
    }
    for (const char* szName : {"Trace", "TraceGlobalEnable", "TraceClear", "TraceKeepHistory"})
        m_values.Dword(szName, 1);
    m_values.Dword("TraceLimitSize", 123456);
    m_values.Dword("TraceLimitTime", 600);
    auto host = Create();
    host->Trace(eTrcError, "Host::Run", "Internal", "host", "");
    auto guest = Create(g_szNoKey);
    EXPECT_EQ(gg_ptrc, host.get());
    EXPECT_EQ(SettingsText(*guest), SettingsText(*host));
    EXPECT_EQ(guest->m_nFileSize, host->m_nFileSize);
    EXPECT_EQ(guest->m_tNextSwitch, host->m_tNextSwitch);
    EXPECT_NE(guest->m_hLock, nullptr);
    EXPECT_NE(guest->m_hLock, host->m_hLock);
    guest->Trace(eTrcWarning, "Guest::Run", "Internal", "guest", "");
    host->Trace(eTrcInfo, "Host::Run", "Internal", "host again", "");
    EXPECT_EQ(Records("shared.trc"), (CLines{"Error\ttrace_tests.exe\tHost\tRun\tInternal\thost\t",
                                             "Warning\ttrace_tests.exe\tGuest\tRun\tInternal\tguest\t",
                                             "Info\ttrace_tests.exe\tHost\tRun\tInternal\thost again\t"}));
    // Configured is configured.
    const std::string settings = SettingsText(*host);
    host->Configure(g_szNoKey, 0, g_szTestBase);
    EXPECT_EQ(SettingsText(*host), settings);
    // The lock's name: process and file, without path characters.
    std::string lockName = Fmt("CCQuillTrace_PID_%8.8lx_", GetCurrentProcessId());
    std::copy_if(fileName.begin(), fileName.end(), std::back_inserter(lockName),
                 [](char ch) { return !strchr("<>:\"/\\|", ch); });
    EXPECT_TRUE(CCUniqueHandle(OpenSemaphoreA(SYNCHRONIZE, FALSE, lockName.c_str()))) << lockName;
}

// The information boxes, caught before they reach the screen.
std::string g_boxes;

int WINAPI MessageBoxCatch(HWND, LPCSTR szText, LPCSTR szCaption, UINT uType)
{
    g_boxes += Fmt(" %s|%s|%u", szText, szCaption, uType);
    return IDOK;
}

// Points the test program's import of a function at another one.
bool ImportSwap(const void* pOld, void* pNew)
{
    auto pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& iat = pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
    void** ppFirst = reinterpret_cast<void**>(pBase + iat.VirtualAddress);
    void** ppEnd = ppFirst + iat.Size / sizeof(void*);
    void** ppSlot = std::find(ppFirst, ppEnd, pOld);
    DWORD dwOld = 0;
    if (ppSlot == ppEnd || !VirtualProtect(ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld))
        return false;
    *ppSlot = pNew;
    return VirtualProtect(ppSlot, sizeof(void*), dwOld, &dwOld);
}

// A missing value, or one of the wrong type or size, leaves its default,
// which the construction flags set. The file name expands variables, then
// the first %PID% and %TID%, and must fit MAX_PATH.
TEST_F(QuillTraceTest, SettingsFromTheValues)
{
    SetEnvironmentVariableA("KRLX_TRACE_TEST", "C:\\krlx");
    SetEnvironmentVariableA("KRLX_TRACE_LONG", std::string(300, 'z').c_str());
    const std::string pid = Fmt("%04lu", GetCurrentProcessId());
    const std::string tid = Fmt("%04lu", GetCurrentThreadId());
    auto pBox = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxA"));
    auto pCatch = reinterpret_cast<void*>(&MessageBoxCatch);
    ASSERT_TRUE(ImportSwap(pBox, pCatch));
    const CValue shortTrace{"Trace", REG_DWORD, std::string("\1\0", 2)};
    const CValue unterminated{"TraceFile", REG_SZ, "all.trc"};
    const unsigned nAll = 0x01 | 0x02 | 0x10 | 0x40;
    // Without values, without key.
    const struct
    {
        unsigned nFlags;
        std::vector<CValue> values;
        std::string settings;
    } rgCases[] = {
        {0x24, {Dw("Trace", 2)}, "e1 Trace.trc"},
        {0x24, {shortTrace, Dw("TraceLevel", 3)}, "l3 Trace.trc"},
        {0x24, {Dw("Trace", 1), Sz("TraceLevel", "333")}, "e1 Trace.trc"},
        {0x24, {Dw("Trace", 1), Sz("TraceFile", "x.trc", REG_EXPAND_SZ)}, "e1 Trace.trc"},
        {0x24, File(""), "e1 Trace.trc"},
        {0x24, File("run_%PID%.trace.txt"), "e1 run_" + pid + ".trace.txt"},
        {0x24, File("a_%PID%_%PID%_%TID%_%TID%.trc"), "e1 a_" + pid + "_%PID%_" + tid + "_%TID%.trc"},
        {0x24, File("%pid%_%tid%.trc"), "e1 %pid%_%tid%.trc"},
        {0x24, File("%KRLX_TRACE_TEST%\\t_%TID%.trc"), "e1 C:\\krlx\\t_" + tid + ".trc"},
        {0x24, File(std::string(300, 'y')), "e1 " + std::string(259, 'y')},
        {0x24, File("%KRLX_TRACE_LONG%"), "e1 Trace.trc"},
        // The file name stored without its zero.
        {0x24,
         {Dw("Trace", 1), Dw("TraceClear", 1), unterminated, Dw("TraceLevel", 6), Dw("TraceGlobalEnable", 1),
          Dw("TraceKeepFileOpen", 1), Dw("TraceKeepHistory", 1), Dw("TraceLimitSize", 10000), Dw("TraceLimitTime", 60),
          Dw("TraceInfo", 1)},
         "e1 c1 l6 m1 o1 h1 s10000 t60 i1 all.trc Enable_By_RegKey: TRACE ENABLED:\r\nFile='all.trc'|CCQuillTrace|0"},
        // Tracing off reads no clear and no file.
        {0x24,
         {Dw("Trace", 0), Dw("TraceClear", 1), Sz("TraceFile", "off.trc"), Dw("TraceLevel", 5),
          Dw("TraceGlobalEnable", 1), Dw("TraceLimitSize", 100), Dw("TraceLimitTime", 2), Dw("TraceInfo", 2)},
         "l5 m1 s100 t2 i1 Trace.trc Enable_By_RegKey: trace disabled|CCQuillTrace|0"},
        {nAll, {}, "c1 m1 o1 h1 Trace.trc"},
        // Absent values keep the flags; TraceGlobalEnable does not.
        {nAll, {Dw("Trace", 1)}, "e1 c1 o1 h1 Trace.trc"},
        {nAll,
         {Dw("Trace", 1), Dw("TraceClear", 0), Dw("TraceKeepFileOpen", 0), Dw("TraceKeepHistory", 0),
          Dw("TraceInfo", 0)},
         "e1 Trace.trc"},
    };
    for (const auto& c : rgCases)
    {
        g_boxes.clear();
        CRegValues values(std::string(g_szTestBase) + "Case");
        for (const CValue& value : c.values)
            values.Raw(value.szName, value.dwType, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
        EXPECT_EQ(SettingsText(*Create(c.values.empty() ? g_szNoKey : "Case", c.nFlags)) + g_boxes, c.settings);
    }
    EXPECT_TRUE(ImportSwap(pCatch, pBox));
    SetEnvironmentVariableA("KRLX_TRACE_TEST", nullptr);
    SetEnvironmentVariableA("KRLX_TRACE_LONG", nullptr);
}

TEST_F(QuillTraceTest, KeyTemplateNames)
{
    const char* const rgCases[][2] = {{"%ModuleName%\\%ModuleVersion%", "trace_tests.exe\\6.22"},
                                      {"%%ModuleName%%", "%ModuleName%"},
                                      {"Case%Unknown%X", "CaseX"},
                                      {"Case%ModuleName", "Case"},
                                      {"A%%%ModuleVersion%", "A%6.22"}};
    for (const auto& c : rgCases)
    {
        CRegValues values(g_szTestBase + std::string(c[1]));
        values.Dword("Trace", 1);
        EXPECT_EQ(Create(c[0])->m_fEnabled, 1) << c[0];
    }
}

// One record: a fresh file of two bytes is over a size limit of one, not of
// two; an existing one is past any time limit, a fresh one starts the time.
// Without history the number is always 000; with it the first free one.
TEST_F(QuillTraceTest, SwitchNames)
{
    const struct
    {
        DWORD dwSize;
        DWORD dwTime;
        const char* szFile;
        DWORD dwHistory;
        CLines present;  // holding "old"
        const char* szSwitched;
    } rgCases[] = {{1, 0, "Trace.trc", 0, {}, "Trace_000.trc"},
                   {1, 0, "run.TRACE.TXT", 0, {}, "run_000.trace.txt"},
                   {1, 0, ".trace.txt", 0, {}, "_000.trace.txt"},
                   {1, 0, "noext", 0, {}, "noext_000"},
                   {1, 0, ".hidden", 0, {}, ".hidden_000"},
                   {1, 0, "a.b.c", 0, {}, "a.b_000.c"},
                   {1, 0, "Trace.trc", 0, {"Trace_000.trc"}, "Trace_000.trc"},
                   {1, 0, "Trace.trc", 1, {"Trace_000.trc", "Trace_001.trc"}, "Trace_002.trc"},
                   {1, 0, "Trace.trc", 1, {"Trace_001.trc"}, "Trace_000.trc"},
                   {2, 0, "Trace.trc", 0, {}, nullptr},
                   {0, 5, "Trace.trc", 0, {}, nullptr},
                   {0, 5, "Trace.trc", 0, {"Trace.trc"}, "Trace_000.trc"},
                   {0, 5, "Trace.trc", 1, {"Trace.trc", "Trace_000.trc"}, "Trace_001.trc"}};
    Enable(1);
    for (const auto& c : rgCases)
    {
        CTempDir dir;
        SetCurrentDirectoryA(dir.Path().c_str());
        m_values.String("TraceFile", c.szFile);
        m_values.Dword("TraceKeepHistory", c.dwHistory);
        m_values.Dword("TraceLimitSize", c.dwSize);
        m_values.Dword("TraceLimitTime", c.dwTime);
        std::map<std::string, std::string> expected;
        for (const std::string& name : c.present)
            FileWrite(name, expected[name] = "old");
        auto trace = Create();
        trace->Trace(eTrcError, "main", "Internal", "", "");
        if (c.szSwitched)
            expected[c.szSwitched] = expected.count(c.szFile) ? "old" : g_bom;
        expected[c.szFile] = "one record";
        std::map<std::string, std::string> found;
        WIN32_FIND_DATAA entry;
        CCUniqueFind search(FindFirstFileA("*", &entry));
        for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &entry))
        {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                found[entry.cFileName] = FileBytes(entry.cFileName);
        }
        const CTraceFile current = TraceFileRead(c.szFile);
        if (current.fBom && TraceLines(current.text).size() == 1)
            found[c.szFile] = "one record";
        EXPECT_EQ(found, expected) << c.szFile << " " << (c.szSwitched ? c.szSwitched : "stays");
        const int64_t nTimeLeft = trace->m_tNextSwitch - _time64(nullptr);
        EXPECT_NEAR(static_cast<double>(c.dwTime ? nTimeLeft : 0), 60.0 * c.dwTime, 2.0);
        SetCurrentDirectoryA(m_dir.Path().c_str());
    }
}

// With history, the last of a thousand numbers, then "_aaa" and the long
// extension.
TEST_F(QuillTraceTest, HistoryRunsOut)
{
    Enable(1);
    m_values.Dword("TraceKeepHistory", 1);
    m_values.Dword("TraceLimitSize", 1);
    for (unsigned i = 0; i < 999; ++i)
        FileWrite(Fmt("Trace_%03u.trc", i), "old");
    auto trace = Create();
    trace->Trace(eTrcError, "main", "Internal", "", "");
    EXPECT_EQ(FileBytes("Trace_999.trc"), g_bom);
    trace->Trace(eTrcError, "main", "Internal", "", "");
    EXPECT_EQ(Lines("Trace_aaa.trace.txt").size(), 1u);
    EXPECT_EQ(FileBytes("Trace_998.trc"), "old");
}

// Appended unless cleared; its size is known after the first write only.
TEST_F(QuillTraceTest, ExistingFile)
{
    Enable(1);
    m_values.Dword("TraceLimitSize", 500);
    for (DWORD dwClear : {0, 1})
    {
        m_values.Dword("TraceClear", dwClear);
        FileWrite(m_dir.File("Trace.trc"), g_oldFile);
        DeleteFileA("Trace_000.trc");
        auto trace = Create();
        for (const char* szText : {"first", "second"})
            trace->Trace(eTrcError, "main", "Internal", szText, "");
        EXPECT_EQ(Records("Trace_000.trc"), dwClear ? CLines{} : (CLines{g_old, ErrorRecord("first")}));
        EXPECT_EQ(Records(),
                  dwClear ? (CLines{ErrorRecord("first"), ErrorRecord("second")}) : CLines{ErrorRecord("second")});
    }
}

// The current file stays in use: a time switch waits for its next turn, a
// size switch tries again at every record.
TEST_F(QuillTraceTest, FailedSwitchWritesFallbackRecords)
{
    const std::string fallback = "31.12.2030 23:59:59.999\t9999\t9999\t";
    const auto warning = [&](DWORD dwError) {
        return fallback + "warning\tCCQuillTrace\tFileSwitch\tInternal\tMoveFileExW returned last error " +
               Fmt("0x%8.8lx, ", dwError) + CCQuillTrace::ErrorText(dwError);
    };
    const std::string error =
        fallback + "error\tCCQuillTrace\tFileSwitch\tException\tMoveFileExW could not create file 'Trace_000.trc'";
    Enable(1);
    m_values.Dword("TraceKeepFileOpen", 1);
    m_values.Dword("TraceLimitSize", 1000);
    // The stream kept open holds the file.
    const std::string detail(600, 'd');
    auto trace = Create();
    for (const char* szText : {"one", "two", "three"})
        trace->Trace(eTrcError, "main", "Internal", szText, "%s", detail.c_str());
    trace.reset();
    const std::string held = warning(ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Records(), (CLines{ErrorRecord("one", detail), ErrorRecord("two", detail), held, error,
                                 ErrorRecord("three", detail), held, error}));
    // A folder in the way.
    m_values.Dword("TraceKeepFileOpen", 0);
    m_values.Dword("TraceLimitSize", 0);
    m_values.Dword("TraceLimitTime", 60);
    FileWrite(m_dir.File("Trace.trc"), g_oldFile);
    CreateDirectoryA("Trace_000.trc", nullptr);
    trace = Create();
    for (const char* szText : {"one", "two"})
        trace->Trace(eTrcError, "main", "Internal", szText, "");
    EXPECT_EQ(Records(), (CLines{g_old, ErrorRecord("one"), warning(ERROR_ACCESS_DENIED), ErrorRecord("two")}));
}
}  // namespace
