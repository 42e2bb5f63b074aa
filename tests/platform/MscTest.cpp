// The free helpers: password masking, the lock, paths and error texts. The
// runs of CommandLineRunTest show a relative log file made absolute and the
// version record's texts; CheckParams joins the parts of a split path.
#include "platform/Msc.h"
#include "platform/MscWmiErrors.h"
#include "platform/ScopedHandle.h"
#include "trace/QuillTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace
{
TEST(HidePassword, MasksFourCharactersPerCall)
{
    const char* rgszCases[][2] = {
        {"/UPD /pw=secret /e", "/UPD /pw=**** /e"},
        {"/PWC=abc", "/PWC=***"},
        {"/PWD=ab /S", "/PWD=** /S"},
        {"/pw=abcdef /pwc=xyz", "/pw=**** /pwc="},
        {"/pw=ab /pwd=xyz", "/pw=** /pwd=**"},
        {"/PWD=\"my secret\"", "/PWD=\"my secret\""},
        {"/ppw=abc", "/ppw=abc"},
        {"/UPD /O=x.bup", "/UPD /O=x.bup"},
        {"/pwd", "/pwd"},
        {"", ""},
    };
    for (const auto& c : rgszCases)
        EXPECT_STREQ(MscHidePassword(c[0]), c[1]) << c[0];
    EXPECT_EQ(MscHidePassword(std::string(400, 'x').c_str()), std::string(259, 'x'));
}

// Two threads that meet in the lock must still exclude each other: the
// counter below is not atomic, so a lost hand-over shows as a lost count.
TEST(CritSect, ContendedThreadsExcludeEachOther)
{
    static CMscCritSect s_lock;
    static unsigned s_nCount = 0;
    static bool s_fAllEntered = true;
    auto run = [](void*) -> DWORD {
        for (unsigned i = 0; i < 20000; ++i)
        {
            s_fAllEntered = s_lock.Enter() && s_fAllEntered;
            unsigned nSeen = s_nCount;
            if (i % 64 == 0)
                Sleep(0);  // invites the other thread into the lock
            s_nCount = nSeen + 1;
            s_lock.Leave();
        }
        return 0;
    };
    CCUniqueHandle threads[] = {CCUniqueHandle(CreateThread(nullptr, 0, run, nullptr, 0, nullptr)),
                                CCUniqueHandle(CreateThread(nullptr, 0, run, nullptr, 0, nullptr))};
    HANDLE rghThreads[] = {threads[0].get(), threads[1].get()};
    ASSERT_EQ(WaitForMultipleObjects(2, rghThreads, TRUE, 60000), WAIT_OBJECT_0);
    EXPECT_EQ(s_nCount, 40000u);
    EXPECT_TRUE(s_fAllEntered);
}

// Drive, folder, name and extension; network roots are the first prefix that
// answers a free-space query (a device path does here, no server does).
// Names far beyond the runtime's buffers split whole.
TEST(SplitPath, Parts)
{
    const std::string n(70000, 'x');
    const std::string rgCases[][5] = {
        {"C:\\dir\\a.b.c", "C:", "\\dir\\", "a.b", ".c"},
        {"B7710.BUP", "", "", "B7710", ".BUP"},
        {"sub\\x.nvux", "", "sub\\", "x", ".nvux"},
        {"D:name", "D:", "", "name", ""},
        {"a.b\\c", "", "a.b\\", "c", ""},
        {"x/y.z", "", "x/", "y", ".z"},
        {"\\\\.\\C:\\dir\\a.b.c", "\\\\.\\C:", "\\dir\\", "a", ".b.c"},
        {"\\\\nosuchserver\\share\\dir\\a.b.c", "", "\\\\nosuchserver\\share\\dir\\", "a.b", ".c"},
        {"C:\\" + n + "\\" + n + ".bup", "C:", "\\" + n + "\\", n, ".bup"},
    };
    for (const auto& c : rgCases)
    {
        std::string parts[4];
        MscSplitPath(c[0].c_str(), &parts[0], &parts[1], &parts[2], &parts[3]);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(parts[i], c[i + 1]) << c[0].substr(0, 40) << " part " << i;
    }
}

// Environment strings expanded, made absolute; text that does not fit in
// MAX_PATH once expanded stays as it is.
TEST(MakeRealPath, ExpandsAndResolves)
{
    SetEnvironmentVariableA("KRLX_TEST_DIR", "C:\\krlx test");
    const std::string x(246, 'x');  // after "C:\krlx test\" 259 characters
    const std::pair<std::string, std::string> rgCases[] = {
        {"%KRLX_TEST_DIR%\\sub\\..\\log.txt", "C:\\krlx test\\log.txt"},
        {"%KRLX_TEST_DIR%\\" + x, "C:\\krlx test\\" + x},
        {"%KRLX_TEST_DIR%\\x" + x, "%KRLX_TEST_DIR%\\x" + x},
    };
    for (auto [path, expected] : rgCases)
    {
        EXPECT_TRUE(MscMakeRealPath(path));
        EXPECT_EQ(path, expected);
    }
    SetEnvironmentVariableA("KRLX_TEST_DIR", nullptr);
}

// Error texts: the system's without its line end, for an HRESULT of the
// Windows facility that of its low word; then the table of WMI texts, in the
// program's lookup and the trace's alike; "unknown" at last.
std::string SystemText(DWORD dwCode)
{
    char* szMessage = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, dwCode, 0x400,
                   reinterpret_cast<char*>(&szMessage), 0, nullptr);
    std::string text = szMessage ? szMessage : "";
    LocalFree(szMessage);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

TEST(ErrorText, SystemTexts)
{
    ASSERT_FALSE(SystemText(ERROR_FILE_NOT_FOUND).empty());
    EXPECT_EQ(MscErrorTextGet(ERROR_FILE_NOT_FOUND), SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(MscErrorTextGet(0x80080005), SystemText(5));
    EXPECT_EQ(MscErrorTextGet(0x80070005), SystemText(0x80070005));
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(MscLastErrorText(), "err=2, '" + SystemText(2) + "'");
    char szBuffer[20] = "xxxxxxxxxxxxxxxxxxx";
    MscErrorText(0x80041001, szBuffer, 16);  // "The call failed." has 16 characters
    EXPECT_STREQ(szBuffer, "The call failed");
}

// Every code of the table with its text, as one fingerprint: 130 rows, the
// first of a code counts.
TEST(ErrorText, WmiTableIsTheFallback)
{
    unsigned long long nHash = 14695981039346656037ull;  // 64-bit FNV-1a
    int nRows = 0;
    for (const CMscWmiError* pRow = g_rgMscWmiErrors; pRow->dwCode; ++pRow, ++nRows)
    {
        const std::string text = MscErrorTextGet(pRow->dwCode);
        EXPECT_EQ(text, CCQuillTrace::ErrorText(pRow->dwCode));
        for (char ch : std::to_string(pRow->dwCode) + '\t' + text + '\n')
            nHash = (nHash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    }
    EXPECT_EQ(nRows, 130);
    EXPECT_EQ(nHash, 15975574603326252999ull);
    EXPECT_STREQ(MscErrorTextGet(0x20001234), "unknown");
    EXPECT_STREQ(CCQuillTrace::ErrorText(0x20001234), "unknown");
}
}  // namespace
