// Trace objects of the test program itself, configured from a test key of
// their own: record layout, levels, buffer, lock, hand-over between
// objects, configuration rules and file names.
#include "platform/ScopedHandle.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/TraceFiles.h"
#include "trace/QuillTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <regex>

namespace
{
constexpr char g_szTestBase[] = "Software\\Tervane\\Common\\TracingTest\\";
constexpr char g_szCaseKey[] = "Case";
constexpr char g_szNoKey[] = "NoSuchKey";
constexpr unsigned g_nProcessFlags = 0x24;
const char* const g_rgszLevels[] = {"Error", "Warning", "Info", "Verbose", "InfoCC", "VerboseCC"};

// A registry value of any type, as the configuration finds it.
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

void ValuesSet(CRegValues& values, const std::vector<CValue>& list)
{
    for (const CValue& value : list)
        values.Raw(value.szName, value.dwType, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
}

std::string Narrow(const wchar_t* szText)
{
    std::string text;
    for (; szText && *szText; ++szText)
        text += static_cast<char>(*szText);
    return text;
}

// The settings fields as one comparable text.
std::string SettingsText(const CCQuillTrace& trace)
{
    char szText[512];
    snprintf(szText, sizeof(szText),
             "enabled=%u clear=%u level=%u module=%u open=%u history=%u size=%u time=%u file=%s", trace.m_fEnabled,
             trace.m_fClear, trace.m_nLevel, trace.m_fModuleColumn, trace.m_fKeepFileOpen, trace.m_fKeepHistory,
             trace.m_nLimitSize, trace.m_nLimitTime, Narrow(trace.m_pszFileName).c_str());
    return szText;
}

// Objects made by the tests publish themselves through gg_ptrc; when one
// goes, the test program's own trace object takes its place again.
struct CTraceDelete
{
    void operator()(CCQuillTrace* pTrace) const
    {
        if (gg_ptrc == pTrace)
            gg_ptrc = &g_trace;
        delete pTrace;
    }
};
using CTracePtr = std::unique_ptr<CCQuillTrace, CTraceDelete>;

class QuillTraceTest : public testing::Test
{
protected:
    // Relative trace file names land in the test folder.
    void SetUp() override
    {
        GetCurrentDirectoryA(MAX_PATH, m_szOldDir);
        SetCurrentDirectoryA(m_dir.Path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryA(m_szOldDir); }

    static CTracePtr Create(const char* szTemplate = g_szCaseKey, unsigned nFlags = g_nProcessFlags)
    {
        return CTracePtr(new CCQuillTrace(szTemplate, nFlags, "CCQuillTrace_PID_", g_szTestBase));
    }
    void Enable(DWORD dwLevel)
    {
        m_values.Dword("Trace", 1);
        m_values.Dword("TraceLevel", dwLevel);
    }
    CTraceFile Read(const std::string& name = "Trace.trc") const { return TraceFileRead(m_dir.File(name)); }
    std::vector<std::string> Lines(const std::string& name = "Trace.trc") const { return TraceLines(Read(name).text); }

    CTempDir m_dir;
    CRegValues m_values{std::string(g_szTestBase) + g_szCaseKey};
    char m_szOldDir[MAX_PATH] = "";
};

std::string IdsText()
{
    return "\t" + IdText(GetCurrentProcessId()) + "\t" + IdText(GetCurrentThreadId());
}

TEST_F(QuillTraceTest, RecordLayout)
{
    Enable(6);
    auto trace = Create();
    trace->Trace(eTrcInfoCC, "CCElevation::IsElevated", "Enter", "Method IsElevated has been entered.", "");
    trace->Trace(eTrcInfo, "CCRegKey::Open", "Leave", "", "bReturn: %d, %s, %S, %p", 1, "narrow", L"wide",
                 reinterpret_cast<void*>(0xABCDEF12));
    trace.reset();
    CTraceFile file = Read();
    EXPECT_TRUE(file.fBom);
    std::vector<std::string> lines = TraceLines(file.text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(file.text.substr(file.text.size() - 2), "\r\n");
    EXPECT_TRUE(HasTimeColumn(lines[0]));
    EXPECT_EQ(AfterTime(lines[0]),
              IdsText() + "\tInfoCC\tCCElevation\tIsElevated\tEnter\tMethod IsElevated has been entered.\t");
    EXPECT_EQ(AfterTime(lines[1]),
              IdsText() + "\tInfo\tCCRegKey\tOpen\tLeave\t\tbReturn: 1, narrow, wide, 00000000ABCDEF12");
}

TEST_F(QuillTraceTest, FunctionNameSplitsAtTheFirstSeparator)
{
    const struct
    {
        const char* szFunction;
        const char* szClass;
        const char* szMethod;
    } rgCases[] = {{"main", "<global>", "main"},
                   {"Alpha::Beta::Gamma", "Alpha", "Beta::Gamma"},
                   {"CCRegKey::Open", "CCRegKey", "Open"},
                   {"::Free", "", "Free"},
                   {"Alpha::", "Alpha", ""}};
    Enable(1);
    auto trace = Create();
    for (const auto& c : rgCases)
        trace->Trace(eTrcError, c.szFunction, "Internal", "", "");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), std::size(rgCases));
    for (size_t i = 0; i < lines.size(); ++i)
    {
        std::vector<std::string> columns = Columns(lines[i]);
        EXPECT_EQ(columns[4], rgCases[i].szClass) << rgCases[i].szFunction;
        EXPECT_EQ(columns[5], rgCases[i].szMethod) << rgCases[i].szFunction;
    }
}

TEST_F(QuillTraceTest, RecordsUpToTheConfiguredLevelAreWritten)
{
    for (DWORD dwConfigured = 0; dwConfigured <= 6; ++dwConfigured)
    {
        SCOPED_TRACE(dwConfigured);
        Enable(dwConfigured);
        DeleteFileA(m_dir.File("Trace.trc").c_str());
        auto trace = Create();
        for (unsigned nLevel = 0; nLevel <= 7; ++nLevel)
            trace->Trace(nLevel, "main", "Internal", "", "%u", nLevel);
        trace.reset();
        std::vector<std::string> written;
        for (const std::string& line : Lines())
            written.push_back(Columns(line)[3] + "=" + Columns(line)[8]);
        std::vector<std::string> expected;
        for (DWORD i = 1; i <= dwConfigured; ++i)
            expected.push_back(std::string(g_rgszLevels[i - 1]) + "=" + std::to_string(i));
        EXPECT_EQ(written, expected);
        EXPECT_EQ(FileExists(m_dir.File("Trace.trc")), dwConfigured != 0);
    }
}

TEST_F(QuillTraceTest, LockIsTakenOnlyForWrittenRecords)
{
    Enable(4);
    std::string fileName = m_dir.File("lock.trc");
    m_values.String("TraceFile", fileName);
    auto trace = Create();
    trace->Trace(eTrcInfoCC, "main", "Enter", "", "");
    EXPECT_EQ(trace->m_hLock, nullptr);
    EXPECT_FALSE(FileExists(fileName));
    trace->Trace(eTrcError, "main", "Internal", "", "");
    EXPECT_NE(trace->m_hLock, nullptr);

    // Named after the process and the file, without path characters.
    char szName[MAX_PATH];
    snprintf(szName, sizeof(szName), "CCQuillTrace_PID_%8.8lx_", GetCurrentProcessId());
    std::string lockName = szName;
    for (char ch : fileName)
    {
        if (!strchr("<>:\"/\\|", ch))
            lockName += ch;
    }
    CCUniqueHandle lock(OpenSemaphoreA(SYNCHRONIZE, FALSE, lockName.c_str()));
    EXPECT_TRUE(lock) << lockName;
}

TEST_F(QuillTraceTest, BufferDoublesForALongDetailAndNeverShrinks)
{
    Enable(1);
    auto trace = Create();
    EXPECT_EQ(trace->m_nBufferSize, 4096u);
    std::string detail(10000, 'x');
    trace->Trace(eTrcError, "main", "Internal", "", "%s", detail.c_str());
    EXPECT_EQ(trace->m_nBufferSize, 16384u);
    trace->Trace(eTrcError, "main", "Internal", "", "short");
    EXPECT_EQ(trace->m_nBufferSize, 16384u);
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Columns(lines[0])[8], detail);
    EXPECT_EQ(Columns(lines[1])[8], "short");
}

TEST_F(QuillTraceTest, EndMarkerNeedsTwoFreeBytes)
{
    Enable(1);
    auto trace = Create();
    trace->Trace(eTrcError, "main", "Internal", "", "");
    std::string header = Lines().at(0);
    size_t nFree = 4096 - header.size();
    const char szNoSpace[] = "No space for end marker left in buffer";
    // Free bytes left after the detail, and what reaches the file.
    const struct
    {
        size_t nLeft;
        bool fWhole;
    } rgCases[] = {{0, false}, {1, false}, {2, true}};
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.nLeft);
        DeleteFileA(m_dir.File("Trace.trc").c_str());
        std::string detail(nFree - c.nLeft, 'y');
        trace->Trace(eTrcError, "main", "Internal", "", "%s", detail.c_str());
        std::string text = Read().text;
        if (c.fWhole)
            EXPECT_EQ(AfterTime(text), AfterTime(header) + detail + "\r\n");
        else
            EXPECT_EQ(text, szNoSpace);
        EXPECT_EQ(trace->m_nBufferSize, 4096u);
    }
}

TEST_F(QuillTraceTest, BuildInformationRecord)
{
    Enable(3);
    auto trace = Create();
    trace->TraceBuildInfo(eTrcInfo, "main", "Internal");
    char szThis[32];
    snprintf(szThis, sizeof(szThis), "%016llX",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(trace.get())));
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 1u);
    std::string columns = AfterTime(lines[0]);
    std::string fixed = IdsText() + "\tInfo\t<global>\tmain\tInternal\tBUILD INFORMATION\t";
    ASSERT_EQ(columns.substr(0, fixed.size()), fixed);
    std::regex detail(std::string(R"(RELEASE \(amd64\); TIME=[A-Z][a-z]{2} [ 1-3]\d \d{4}, )"
                                  R"(\d\d:\d\d:\d\d, this=0x)") +
                      szThis);
    EXPECT_TRUE(std::regex_match(columns.substr(fixed.size()), detail)) << columns;
}

TEST_F(QuillTraceTest, ModuleHandleWithItsRecords)
{
    Enable(5);
    auto trace = Create();
    HMODULE hModule = trace->GetModuleHandleRaw();
    EXPECT_EQ(hModule, GetModuleHandleA(nullptr));
    char szLeave[64];
    snprintf(szLeave, sizeof(szLeave), "\tLeave\t\thReturn: 0x%08X",
             static_cast<unsigned>(reinterpret_cast<uintptr_t>(hModule)));
    std::string prefix = IdsText() + "\tInfoCC\tCCQuillTrace\tGetModuleHandleRaw";
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(AfterTime(lines[0]), prefix + "\tEnter\t\t");
    EXPECT_EQ(AfterTime(lines[1]), prefix + szLeave);
}

TEST_F(QuillTraceTest, ComponentObjectAdoptsTheExecutablesSettingsOnlyWithModuleColumn)
{
    Enable(4);
    m_values.String("TraceFile", "shared.trc");
    {
        auto host = Create();
        EXPECT_EQ(gg_ptrc, host.get());
        auto other = Create(g_szNoKey);
        EXPECT_EQ(other->m_fEnabled, 0);
        EXPECT_EQ(gg_ptrc, other.get());
    }
    m_values.Dword("TraceGlobalEnable", 1);
    m_values.Dword("TraceLimitSize", 123456);
    auto host = Create();
    EXPECT_EQ(gg_ptrc, host.get());
    host->Trace(eTrcError, "Host::Run", "Internal", "host", "");
    // The component's own key holds nothing: everything comes from the host.
    auto guest = Create(g_szNoKey);
    EXPECT_EQ(gg_ptrc, host.get());
    EXPECT_EQ(SettingsText(*guest), SettingsText(*host));
    EXPECT_NE(guest->m_hLock, nullptr);
    EXPECT_NE(guest->m_hLock, host->m_hLock);
    guest->Trace(eTrcWarning, "Guest::Run", "Internal", "guest", "");
    host->Trace(eTrcInfo, "Host::Run", "Internal", "host again", "");
    std::vector<std::string> lines = Lines("shared.trc");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(AfterTime(lines[1]), IdsText() + "\tWarning\ttrace_tests.exe\tGuest\tRun\tInternal\tguest\t");
    EXPECT_EQ(Columns(lines[2])[8], "host again");
}

TEST_F(QuillTraceTest, SettingsFollowTheValueTypes)
{
    std::string qword(8, '\0');
    qword[0] = 1;
    const struct
    {
        const char* szWhat;
        const char* szTemplate;
        unsigned nFlags;
        std::vector<CValue> values;
        const char* szSettings;
    } rgCases[] = {
        {"any non-zero switches on",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 2)},
         "enabled=1 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"Trace as text",
         g_szCaseKey,
         g_nProcessFlags,
         {Sz("Trace", "1"), Dw("TraceLevel", 3)},
         "enabled=0 clear=0 level=3 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"Trace of eight bytes",
         g_szCaseKey,
         g_nProcessFlags,
         {{"Trace", REG_DWORD, qword}},
         "enabled=0 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"Trace as QWORD",
         g_szCaseKey,
         g_nProcessFlags,
         {{"Trace", REG_QWORD, qword}},
         "enabled=0 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"TraceLevel as text",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 1), Sz("TraceLevel", "3")},
         "enabled=1 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"TraceFile as REG_EXPAND_SZ",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 1), Sz("TraceFile", "x.trc", REG_EXPAND_SZ)},
         "enabled=1 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"empty TraceFile",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 1), Sz("TraceFile", "")},
         "enabled=1 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
        {"all switches",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 1), Dw("TraceClear", 1), Sz("TraceFile", "all.trc"), Dw("TraceLevel", 6),
          Dw("TraceGlobalEnable", 1), Dw("TraceKeepFileOpen", 1), Dw("TraceKeepHistory", 1),
          Dw("TraceLimitSize", 10000), Dw("TraceLimitTime", 60)},
         "enabled=1 clear=1 level=6 module=1 open=1 history=1 size=10000 time=60 file=all.trc"},
        {"tracing off reads no clear and no file",
         g_szCaseKey,
         g_nProcessFlags,
         {Dw("Trace", 0), Dw("TraceClear", 1), Sz("TraceFile", "off.trc"), Dw("TraceLevel", 5),
          Dw("TraceGlobalEnable", 1), Dw("TraceLimitSize", 100), Dw("TraceLimitTime", 2)},
         "enabled=0 clear=0 level=5 module=1 open=0 history=0 size=100 time=2 file=Trace.trc"},
        {"flags without a key",
         g_szNoKey,
         0x01 | 0x02 | 0x10 | 0x40,
         {},
         "enabled=0 clear=1 level=0 module=1 open=1 history=1 size=0 time=0 file=Trace.trc"},
        {"absent values keep the flags, TraceGlobalEnable does not",
         g_szCaseKey,
         0x01 | 0x02 | 0x10 | 0x40,
         {Dw("Trace", 1)},
         "enabled=1 clear=1 level=0 module=0 open=1 history=1 size=0 time=0 file=Trace.trc"},
        {"values override the flags",
         g_szCaseKey,
         0x02 | 0x10 | 0x40,
         {Dw("Trace", 1), Dw("TraceClear", 0), Dw("TraceKeepFileOpen", 0), Dw("TraceKeepHistory", 0)},
         "enabled=1 clear=0 level=0 module=0 open=0 history=0 size=0 time=0 file=Trace.trc"},
    };
    for (const auto& c : rgCases)
    {
        CRegValues values(std::string(g_szTestBase) + g_szCaseKey);
        ValuesSet(values, c.values);
        EXPECT_EQ(SettingsText(*Create(c.szTemplate, c.nFlags)), c.szSettings) << c.szWhat;
    }
}

TEST_F(QuillTraceTest, KeyTemplateNames)
{
    const struct
    {
        const char* szTemplate;
        const char* szKey;
    } rgCases[] = {{"%ModuleName%\\%ModuleVersion%", "trace_tests.exe\\6.22"},
                   {"%%ModuleName%%", "%ModuleName%"},
                   {"Case%Unknown%X", "CaseX"},
                   {"Case%ModuleName", "Case"},
                   {"100%%", "100%"},
                   {"A%%%ModuleVersion%", "A%6.22"}};
    for (const auto& c : rgCases)
    {
        CRegValues values(std::string(g_szTestBase) + c.szKey);
        values.Dword("Trace", 1);
        EXPECT_EQ(Create(c.szTemplate)->m_fEnabled, 1) << c.szTemplate;
    }
}

TEST_F(QuillTraceTest, FileNameExpansion)
{
    SetEnvironmentVariableA("KRLX_TRACE_TEST", "C:\\krlx");
    std::string pid = IdText(GetCurrentProcessId());
    std::string tid = IdText(GetCurrentThreadId());
    const struct
    {
        std::string value;
        std::string fileName;
    } rgCases[] = {{"run_%PID%.trace.txt", "run_" + pid + ".trace.txt"},
                   {"a_%PID%_%PID%_%TID%_%TID%.trc", "a_" + pid + "_%PID%_" + tid + "_%TID%.trc"},
                   {"%pid%_%tid%.trc", "%pid%_%tid%.trc"},
                   {"%KRLX_TRACE_TEST%\\t_%TID%.trc", "C:\\krlx\\t_" + tid + ".trc"},
                   {std::string(300, 'y'), std::string(259, 'y')}};
    Enable(1);
    for (const auto& c : rgCases)
    {
        m_values.String("TraceFile", c.value);
        EXPECT_EQ(Narrow(Create()->m_pszFileName), c.fileName) << c.value;
    }
    SetEnvironmentVariableA("KRLX_TRACE_TEST", nullptr);
}

// Points the test program's import of MessageBoxA at a catcher for the
// owner's lifetime, so that no box waits for a user.
class CMessageBoxPatch
{
public:
    explicit CMessageBoxPatch(void* pReplacement) : m_ppSlot(SlotFind())
    {
        if (m_ppSlot)
            m_pOriginal = SlotWrite(pReplacement);
    }
    ~CMessageBoxPatch()
    {
        if (m_ppSlot)
            SlotWrite(m_pOriginal);
    }
    bool Active() const { return m_ppSlot != nullptr; }

private:
    static void** SlotFind()
    {
        auto pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        auto pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
        auto pDescriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
            pBase + pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
        for (; pDescriptor->Name; ++pDescriptor)
        {
            if (_stricmp(reinterpret_cast<const char*>(pBase + pDescriptor->Name), "USER32.dll") != 0)
                continue;
            auto pNames = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->OriginalFirstThunk);
            auto pSlots = reinterpret_cast<IMAGE_THUNK_DATA*>(pBase + pDescriptor->FirstThunk);
            for (; pNames->u1.AddressOfData; ++pNames, ++pSlots)
            {
                if (IMAGE_SNAP_BY_ORDINAL(pNames->u1.Ordinal))
                    continue;
                auto pName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(pBase + pNames->u1.AddressOfData);
                if (strcmp(reinterpret_cast<const char*>(pName->Name), "MessageBoxA") == 0)
                    return reinterpret_cast<void**>(&pSlots->u1.Function);
            }
        }
        return nullptr;
    }
    // Returns the slot's old value.
    void* SlotWrite(void* pValue)
    {
        DWORD dwOld = 0;
        VirtualProtect(m_ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
        void* pOld = *m_ppSlot;
        *m_ppSlot = pValue;
        VirtualProtect(m_ppSlot, sizeof(void*), dwOld, &dwOld);
        return pOld;
    }

    void** m_ppSlot;
    void* m_pOriginal = nullptr;
};

// The information box, caught before it reaches the screen.
struct CBoxSeen
{
    int nCalls = 0;
    std::string text;
    std::string caption;
    UINT uType = 0;
};
CBoxSeen g_boxSeen;

int WINAPI MessageBoxCatch(HWND, LPCSTR szText, LPCSTR szCaption, UINT uType)
{
    g_boxSeen = {g_boxSeen.nCalls + 1, szText, szCaption, uType};
    return IDOK;
}

TEST_F(QuillTraceTest, InformationBox)
{
    CMessageBoxPatch patch(reinterpret_cast<void*>(&MessageBoxCatch));
    ASSERT_TRUE(patch.Active());
    const struct
    {
        std::vector<CValue> values;
        const char* szText;
    } rgCases[] = {{{Dw("Trace", 0), Dw("TraceInfo", 1)}, "Enable_By_RegKey: trace disabled"},
                   {{Dw("Trace", 1), Dw("TraceInfo", 1), Sz("TraceFile", "C:\\Temp\\run.trace.txt")},
                    "Enable_By_RegKey: TRACE ENABLED:\r\nFile='C:\\Temp\\run.trace.txt'"},
                   {{Dw("Trace", 1), Dw("TraceInfo", 0)}, nullptr}};
    for (const auto& c : rgCases)
    {
        g_boxSeen = CBoxSeen();
        CRegValues values(std::string(g_szTestBase) + g_szCaseKey);
        ValuesSet(values, c.values);
        EXPECT_EQ(Create()->m_fInfoShown, c.szText ? 1 : 0);
        EXPECT_EQ(g_boxSeen.nCalls, c.szText ? 1 : 0);
        if (!c.szText)
            continue;
        EXPECT_EQ(g_boxSeen.text, c.szText);
        EXPECT_EQ(g_boxSeen.caption, "CCQuillTrace");
        EXPECT_EQ(g_boxSeen.uType, static_cast<UINT>(MB_OK));
    }
}

// With a one-byte limit the fresh file is already too large at the first
// record, so that one record shows the switch name.
TEST_F(QuillTraceTest, SwitchNames)
{
    const struct
    {
        const char* szFile;
        const char* szSwitched;
    } rgCases[] = {{"Trace.trc", "Trace_000.trc"},
                   {"run.TRACE.TXT", "run_000.trace.txt"},
                   {"noext", "noext_000"},
                   {".hidden", ".hidden_000"},
                   {"a.b.c", "a.b_000.c"}};
    Enable(1);
    m_values.Dword("TraceLimitSize", 1);
    for (const auto& c : rgCases)
    {
        m_values.String("TraceFile", c.szFile);
        Create()->Trace(eTrcError, "main", "Internal", "", "");
        std::vector<std::string> expected{c.szFile, c.szSwitched};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(DirNames(m_dir.Path()), expected);
        EXPECT_EQ(Read(c.szSwitched).text, "");
        EXPECT_EQ(RecordLines(Read(c.szFile).text).size(), 1u);
        DeleteFileA(m_dir.File(c.szFile).c_str());
        DeleteFileA(m_dir.File(c.szSwitched).c_str());
    }
}

TEST_F(QuillTraceTest, HistoryNumbers)
{
    std::vector<std::string> all;
    for (unsigned i = 0; i < 1000; ++i)
    {
        char szName[32];
        snprintf(szName, sizeof(szName), "Trace_%3.3u.trc", i);
        all.push_back(szName);
    }
    const struct
    {
        DWORD dwHistory;
        std::vector<std::string> present;
        const char* szSwitched;
    } rgCases[] = {{0, {"Trace_000.trc"}, "Trace_000.trc"},
                   {1, {"Trace_000.trc", "Trace_001.trc"}, "Trace_002.trc"},
                   {1, {"Trace_001.trc"}, "Trace_000.trc"},
                   {1, all, "Trace_aaa.trace.txt"}};
    Enable(1);
    m_values.Dword("TraceLimitSize", 1);
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szSwitched);
        CTempDir dir;
        m_values.String("TraceFile", dir.File("Trace.trc"));
        m_values.Dword("TraceKeepHistory", c.dwHistory);
        for (const std::string& name : c.present)
            FileWrite(dir.File(name), "old");
        Create()->Trace(eTrcError, "main", "Internal", "", "");
        for (const std::string& name : DirNames(dir.Path()))
        {
            std::string bytes = FileBytes(dir.File(name));
            if (name == c.szSwitched)
            {
                EXPECT_EQ(bytes, "\xFF\xFE");
            }
            else if (name != "Trace.trc")
            {
                EXPECT_EQ(bytes, "old") << name;
            }
        }
        EXPECT_TRUE(FileExists(dir.File(c.szSwitched)));
    }
}

// A fresh file holds its two-byte mark: at a limit of two it is exactly at
// the limit, not over it, and the first record stays in it.
TEST_F(QuillTraceTest, FileExactlyAtTheLimitIsNotSwitched)
{
    Enable(1);
    m_values.Dword("TraceLimitSize", 2);
    Create()->Trace(eTrcError, "main", "Internal", "", "");
    EXPECT_EQ(DirNames(m_dir.Path()), (std::vector<std::string>{"Trace.trc"}));
}

// The size of an existing file is known only after the first write.
TEST_F(QuillTraceTest, ExistingFileOverTheLimitSwitchesAtTheSecondRecord)
{
    Enable(1);
    m_values.Dword("TraceLimitSize", 10);
    const std::string old("\xFF\xFEo\0l\0d\0\r\0\n\0", 12);
    FileWrite(m_dir.File("Trace.trc"), old);
    auto trace = Create();
    trace->Trace(eTrcError, "main", "Internal", "first", "");
    EXPECT_EQ(DirNames(m_dir.Path()), (std::vector<std::string>{"Trace.trc"}));
    trace->Trace(eTrcError, "main", "Internal", "second", "");
    EXPECT_EQ(DirNames(m_dir.Path()), (std::vector<std::string>{"Trace.trc", "Trace_000.trc"}));
    std::vector<std::string> switched = Lines("Trace_000.trc");
    ASSERT_EQ(switched.size(), 2u);
    EXPECT_EQ(switched[0], "old");
    EXPECT_EQ(Columns(switched[1])[7], "first");
    std::vector<std::string> current = Lines();
    ASSERT_EQ(current.size(), 1u);
    EXPECT_EQ(Columns(current[0])[7], "second");
}

// A kept-open stream holds the file, so the move fails: the record, the
// warning and (no switch file yet) the error record go into the current file
// at every record past the limit.
TEST_F(QuillTraceTest, KeptOpenFileCannotBeMovedAside)
{
    Enable(1);
    m_values.Dword("TraceKeepFileOpen", 1);
    m_values.Dword("TraceLimitSize", 1000);
    auto trace = Create();
    std::string detail(600, 'd');
    for (const char* szText : {"one", "two", "three"})
        trace->Trace(eTrcError, "main", "Internal", szText, "%s", detail.c_str());
    EXPECT_NE(trace->m_pFile, nullptr);
    trace.reset();
    std::string warning = FallbackWarning(ERROR_SHARING_VIOLATION);
    std::string error = FallbackError("Trace_000.trc");
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(Columns(lines[0])[7], "one");
    EXPECT_EQ(Columns(lines[1])[7], "two");
    EXPECT_EQ(lines[2], warning);
    EXPECT_EQ(lines[3], error);
    EXPECT_EQ(Columns(lines[4])[7], "three");
    EXPECT_EQ(lines[5], warning);
    EXPECT_EQ(lines[6], error);
}
}  // namespace
