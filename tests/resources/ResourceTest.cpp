// The program's resources as fingerprints: every entry of the string table,
// the help and exit-code texts with their variants, and the version record.
// Scripts read these texts on the console and the engine's texts are
// recognised by the string table's, so a change is never harmless; when one
// is meant, the new figures go here. CommandLineRunTest shows the texts
// through the program, AdminGuideTest holds them against the guide.
#include "platform/Msc.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

namespace
{
unsigned long long Fingerprint(const std::string& text, unsigned long long nHash = 14695981039346656037ull)
{
    for (char ch : text)
        nHash = (nHash ^ static_cast<unsigned char>(ch)) * 1099511628211ull;  // 64-bit FNV-1a
    return nHash;
}

TEST(StringTable, EntriesAreUnchanged)
{
    unsigned long long nHash = Fingerprint("");
    int nEntries = 0;
    for (unsigned id = 5000; id < 7000; ++id)
    {
        char szText[1024];
        const int n = LoadStringA(GetModuleHandleW(nullptr), id, szText, sizeof(szText));
        if (n <= 0)
            continue;
        nHash = Fingerprint(std::to_string(id) + '\t' + std::string(szText, n) + '\n', nHash);
        ++nEntries;
    }
    EXPECT_EQ(nEntries, 196);
    EXPECT_EQ(nHash, 11009109322466749252ull);
}

// Size and fingerprint of a custom resource.
std::string Resource(const char* szType, const char* szName)
{
    std::unique_ptr<char[]> data;
    const size_t n = MscCustomResourceToMem(GetModuleHandleW(nullptr), szType, szName, data);
    return std::to_string(n) + " " + std::to_string(Fingerprint(n ? std::string(data.get(), n) : ""));
}

// Names compare without case (the program asks for one ".txt"); a missing
// resource reads as nothing.
TEST(CustomResources, AreUnchanged)
{
    EXPECT_EQ(Resource("BIGTEXT", "FLASH_CMDOPT.TXT"), "5382 5348103302115325102");
    EXPECT_EQ(Resource("BIGTEXT", "FLASH_CMDOPTX.txt"), "5382 5348103302115325102");
    EXPECT_EQ(Resource("BIGTEXT", "FLASH_ELEVELS.TXT"), "2680 16300658105281519103");
    EXPECT_EQ(Resource("BIGTEXT", "FLASH_ELEVELSX.TXT"), "3052 5637793188017263078");
    EXPECT_EQ(Resource(MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1)), "948 11451068557783387683");  // version record
    EXPECT_EQ(Resource("BIGTEXT", "NO_SUCH.TXT"), "0 " + std::to_string(Fingerprint("")));
}
}  // namespace
