#include "platform/Msc.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

namespace
{
// A string-table entry, read straight from the resource section.
std::string StringLoad(unsigned id)
{
    char szText[1024];
    int n = LoadStringA(GetModuleHandleW(nullptr), id, szText, sizeof(szText));
    return std::string(szText, n > 0 ? n : 0);
}

std::string BigTextLoad(const char* szName)
{
    std::unique_ptr<char[]> data;
    size_t n = MscCustomResourceToMem(GetModuleHandleW(nullptr), "BIGTEXT", szName, data);
    return n ? std::string(data.get(), n) : std::string();
}

// The whole table as one fingerprint: 196 entries, and any change to a
// number or a text shows. The engine's texts are recognised by these
// entries and scripts read them on the console, so a change is never
// harmless; when one is meant, the new figures go here.
TEST(StringTable, EntriesAreUnchanged)
{
    unsigned long long nHash = 14695981039346656037ull;  // 64-bit FNV-1a
    int nEntries = 0;
    for (unsigned id = 5000; id < 7000; ++id)
    {
        std::string text = StringLoad(id);
        if (text.empty())
            continue;
        ++nEntries;
        for (char ch : std::to_string(id) + '\t' + text + '\n')
            nHash = (nHash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;
    }
    EXPECT_EQ(nEntries, 196);
    EXPECT_EQ(nHash, 11009109322466749252ull);
}

TEST(StringTable, LineFeedsAreRealLineFeeds)
{
    EXPECT_EQ(StringLoad(5514), "Updating system NVRAM settings\n");
    std::string text = StringLoad(5184);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

TEST(BigText, HelpTextLayout)
{
    std::string help = BigTextLoad("FLASH_CMDOPT.TXT");
    ASSERT_FALSE(help.empty());
    EXPECT_EQ(help.rfind("Korlix /UPD [/O=<combined.bup> | <original_bios.bup>] [/WD=<dir>] \r\n", 0), 0u);
    EXPECT_EQ(help.size() - help.rfind("          /BO     /bootorder\r\n\r\n\r\n"),
              std::string("          /BO     /bootorder\r\n\r\n\r\n").size());
    EXPECT_NE(help.find("\r\n          /UPD    /update\t\r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n   \r\n          /?      /help, /h\r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n          /W      /warningoff             \r\n"), std::string::npos);
    EXPECT_NE(help.find("\r\n  /PASSWORDS  \r\n            : Restore the passwords"), std::string::npos);
    // Every line feed belongs to a CR LF pair.
    for (size_t i = help.find('\n'); i != std::string::npos; i = help.find('\n', i + 1))
        ASSERT_EQ(help[i - 1], '\r') << "at " << i;
    // 112 lines, the last followed by three line ends.
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 114);
}

TEST(BigText, InstantHelpIsTheSameText)
{
    // Resource names compare without case; the program asks for ".txt".
    EXPECT_EQ(BigTextLoad("FLASH_CMDOPTX.txt"), BigTextLoad("FLASH_CMDOPT.TXT"));
}

TEST(BigText, ExitCodeText)
{
    std::string text = BigTextLoad("FLASH_ELEVELS.TXT");
    EXPECT_EQ(text.rfind("    0\tSuccess\r\n    1\tWarning\r\n", 0), 0u);
    const std::string last = " 1049\tRollback is forbidden. See Setup Settings to allow system firmware rollback.";
    EXPECT_EQ(text.size() - text.rfind(last), last.size()) << "no line end after the last line";
    EXPECT_NE(text.find("\r\n  305\tUnsupported operating system.  \r\n"), std::string::npos);
    EXPECT_NE(
        text.find(
            "\r\n 1026\tThe battery capacity couldn't be recognized. Please do not \r\n     \tuse /W parameter.\r\n"),
        std::string::npos);
    // 55 lines.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 54);
}

// The instant variant: the base text with its listed additions.
std::string InstantExitCodeTextExpected(std::string text)
{
    auto insertAfterLine = [&text](const std::string& lineStart, const std::string& lines) {
        size_t nPos = text.find(lineStart);
        size_t nEnd = text.find("\r\n", nPos) + 2;
        text.insert(nEnd, lines);
    };
    insertAfterLine("  255\t", "  300\tAmbrel Client is installed. Add the /useinstalled parameter \r\n"
                               "     \tto use the installed version. \r\n");
    insertAfterLine("  301\t", "  302\tAn instance of 'Ambrel Instant' is already running. Try again later.\r\n"
                               "  303\tAn incompatible application is currently running. Try again later.\r\n"
                               "  304\tKorlix cannot run on a computer with Ambrel 5 installed.\r\n");
    size_t n305 = text.find("  305\tUnsupported operating system.  \r\n");
    text.replace(n305, 39, "  305\tUnsupported operating system.\r\n  306\tInsufficient privileges.\r\n");
    insertAfterLine("  307\t", "  310\tInternal error\r\n");
    return text;
}

TEST(BigText, InstantExitCodeText)
{
    EXPECT_EQ(BigTextLoad("FLASH_ELEVELSX.TXT"), InstantExitCodeTextExpected(BigTextLoad("FLASH_ELEVELS.TXT")));
}

TEST(VersionRecord, NumbersAndTexts)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    DWORD dwHandle = 0;
    DWORD dwSize = GetFileVersionInfoSizeA(szPath, &dwHandle);
    ASSERT_GT(dwSize, 0u);
    std::string block(dwSize, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(szPath, 0, dwSize, &block[0]));
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT uLen = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&pFixed), &uLen));
    EXPECT_EQ(pFixed->dwFileVersionMS, (6u << 16) | 22u);
    EXPECT_EQ(pFixed->dwFileVersionLS, 89u << 16);
    EXPECT_EQ(pFixed->dwProductVersionMS, (6u << 16) | 81u);
    EXPECT_EQ(pFixed->dwProductVersionLS, 89u << 16);
    auto value = [&block](const char* szName) {
        char* p = nullptr;
        UINT n = 0;
        std::string query = std::string("\\StringFileInfo\\040904B0\\") + szName;
        return VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&p), &n) && p ? std::string(p)
                                                                                                  : std::string();
    };
    EXPECT_EQ(value("OriginalFilename"), "Korlix.exe");
    EXPECT_EQ(value("FeatureName"), "BIOS Management (Update & Archive)");
    EXPECT_EQ(value("FileDescription"), "Ambrel tool to update and archive BIOS and BIOS settings (64 bit)");
    EXPECT_FALSE(value("LegalCopyright").empty());
}
}  // namespace
