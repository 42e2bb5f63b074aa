// Seeded in-process fuzz run of the command-line classes, the engine
// command-line builder, the registry extension, the console formatter and
// the exit flags. Built with the toolchain's run-time checks (undefined
// behaviour and bounds trap, library assertions, stack protector), so a
// fault stops the run. CTest runs the default budget; a longer run:
//   cmake/wine-exec build/mingw/tests/korlix_fuzz.exe <seed> <inputs>
#include "cmdline/KorlixCmdLine.h"
#include "driver/CmdLineExt.h"
#include "driver/EngineCmdLine.h"
#include "driver/ExitFlags.h"
#include "driver/Formatter.h"
#include "driver/Program.h"
#include "support/RegValues.h"

#include <windows.h>

#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace
{
int g_nReportFd = 1;
constexpr char g_szExtKey[] = "SOFTWARE\\Tervane\\Ambrel\\Consumer\\Korlix.exe";

const char* const g_rgszWords[] = {"/UPD",           "/NVU",     "/NVRAM", "/PASSWORDS", "/BOOTORDER", "/BO",  "/ARC",
                                   "/MAKE",          "/BUPINFO", "/AST",   "/INFO",      "/CRYPT=",    "/?",   "/E",
                                   "/SYNTAX",        "/S",       "/O=",    "/O=x.bup",   "/O=a.nvux",  "/WD=", "/LF",
                                   "/LF=log.txt",    "/W",       "/IAC",   "/BPC=",      "/ARB",       "/NRB", "/FRB",
                                   "/PWD=",          "/PWC=",    "/OV",    "-upd",       "/",          "-",    "\"",
                                   "\"/O=a b.bup\"", "%TEMP%",   "%",      "/I",         "=",          ""};

// Item tokens: every one the formatter knows, an unknown one, "e" and the
// empty one.
const std::vector<std::string> g_tokens = [] {
    std::vector<std::string> tokens{""};
    std::istringstream words(
        "eAction eActionPart eInfo eUpdateArea eBiosCurrentVersion eBiosFlashedVersion eBiosFileVersion eSystem "
        "eSignOn eBiosInterfaceVersion eCpuId eSteppings eMicroCodeInfo eProgress eEmpty eError eWarning eJobDone "
        "eFileName eShutDown eListBupInfo eActionStatus eUnknown e");
    for (std::string word; words >> word;)
        tokens.push_back(word);
    return tokens;
}();

// Messages the exit flags recognise, and their neighbours.
const char* const g_rgszMessages[] = {"Invalid password",
                                      "Action status....",
                                      "Incorrect BIOS file",
                                      "Not enough disk space",
                                      "Downgrade",
                                      "Unsupported Operating System",
                                      "POST update action failed",
                                      "4294967295",
                                      "-1",
                                      "1046",
                                      "99999999999"};

class CFuzzer
{
public:
    explicit CFuzzer(unsigned nSeed) : m_random(nSeed) {}

    unsigned Below(unsigned n) { return n ? m_random() % n : 0; }
    template <size_t N>
    const char* Pick(const char* const (&rgsz)[N])
    {
        return rgsz[Below(N)];
    }

    // Random bytes: NUL, controls, quotes, tabs, bytes above 0x7F.
    std::string Bytes(unsigned nMax)
    {
        static const char s_szSpecial[] = "<>\t\n\r \"%/=-\\";
        std::string bytes(Below(nMax + 1), '\0');
        for (char& ch : bytes)
            ch = Below(3) ? s_szSpecial[Below(sizeof(s_szSpecial) - 1)] : static_cast<char>(Below(256));
        return bytes;
    }

    // A word or a piece of noise; now and then a very long one.
    std::string Word()
    {
        std::string word = Pick(g_rgszWords);
        switch (Below(6))
        {
        case 0: word += Bytes(16); break;
        case 1: word += std::string(Below(4) ? 300 : 70000, 'x'); break;
        case 2: word = Bytes(8); break;
        }
        return word;
    }

    std::string Mutate(std::string text)
    {
        for (unsigned n = Below(4); n-- && !text.empty();)
            text[Below(static_cast<unsigned>(text.size()))] = static_cast<char>(Below(256));
        return text;
    }

    // Engine output: items with texts, bodies with odd tabs and line ends.
    std::string EngineOutput()
    {
        std::string output;
        for (unsigned n = Below(12); n--;)
        {
            if (Below(10))
                output += std::string("<") + g_tokens[Below(static_cast<unsigned>(g_tokens.size()))] + ">";
            output += Below(2) ? " " : "";
            output += Below(3) ? std::string(Pick(g_rgszMessages)) : Bytes(40);
            for (unsigned nLine = Below(3) ? 0 : Below(20); nLine--;)
                output += Bytes(6) + (Below(2) ? "\t" : "") + Bytes(6) + (Below(4) ? "\n" : "\r");
            if (Below(4))
                output += "\n";
        }
        if (!Below(50))
            output += std::string(Below(2) ? 200000 : 3000, Below(2) ? '<' : 'a');
        return Mutate(output);
    }

private:
    std::mt19937 m_random;
};

// The documented exit codes: a whole code or what an eJobDone sent, with
// bits that later messages OR-ed in.
bool ExitCodeAllowed(uint32_t nCode, std::vector<uint32_t> wholes)
{
    const uint32_t nBits = 1 | 2 | 4 | 8 | 16 | 32 | 64 | 1024;
    wholes.insert(wholes.end(), {0, 22, 255, 301, 305, 307, 401, 402});
    for (uint32_t nWhole = 1025; nWhole <= 1049; ++nWhole)
        wholes.push_back(nWhole);
    for (uint32_t nWhole : wholes)
    {
        if ((nCode & nWhole) == nWhole && ((nCode & ~nWhole) & ~nBits) == 0)
            return true;
    }
    return false;
}

std::vector<uint32_t> JobDoneCodes(const std::string& output)
{
    std::vector<uint32_t> codes;
    for (size_t nPos = output.find("eJobDone>"); nPos != std::string::npos; nPos = output.find("eJobDone>", nPos + 1))
        codes.push_back(static_cast<uint32_t>(strtol(output.c_str() + nPos + 9, nullptr, 10)));
    return codes;
}

bool CommandLineRun(CFuzzer& fuzzer)
{
    std::vector<std::string> words{"Korlix.exe"};
    for (unsigned n = fuzzer.Below(8); n--;)
        words.push_back(fuzzer.Mutate(fuzzer.Word()));
    std::vector<char*> argv;
    std::string commandLine;
    for (std::string& word : words)
    {
        argv.push_back(&word[0]);
        commandLine += word + " ";
    }
    CKorlixCmdLine cmd;
    CmdInfoParseExt(cmd, static_cast<int>(argv.size()), argv.data());
    cmd.CheckParams();
    std::string cmdLineOri, cmdLine;
    EngineCmdLineBuild(commandLine, argv[0], cmd, "6.22.89.0", cmdLineOri, cmdLine);
    return true;
}

void ExtensionRun(CFuzzer& fuzzer, CRegValues& values)
{
    static const DWORD s_rgdwTypes[] = {REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_MULTI_SZ, REG_DWORD, REG_NONE};
    std::string data = fuzzer.Below(2) ? fuzzer.Word() : fuzzer.Bytes(fuzzer.Below(4) ? 40 : 5000);
    values.Raw("CommandLineExt", s_rgdwTypes[fuzzer.Below(6)], data.data(), static_cast<DWORD>(data.size()));
    char szBuffer[1024];
    DWORD dwSize = 1 + fuzzer.Below(sizeof(szBuffer));
    CmdLineExtensionFromRegistryGet(szBuffer, dwSize);
}

// False when the exit flags leave the documented set.
bool OutputRun(CFuzzer& fuzzer)
{
    std::string output = fuzzer.EngineOutput();
    std::string errorText = fuzzer.Below(3) ? std::string() : fuzzer.EngineOutput();
    std::vector<uint32_t> jobDone = JobDoneCodes(output);
    g_fQuiet = fuzzer.Below(4) == 0;
    g_exitFlags.Set(0);
    FormattedOutput(output, errorText);
    if (ExitCodeAllowed(g_exitFlags.Get(), jobDone))
        return true;
    char szWhy[64];
    int nLen = snprintf(szWhy, sizeof(szWhy), "exit flags %u outside the documented set\n", g_exitFlags.Get());
    _write(g_nReportFd, szWhy, nLen);
    return false;
}

}  // namespace

int main(int argc, char* argv[])
{
    unsigned nSeed = argc > 1 ? static_cast<unsigned>(strtoul(argv[1], nullptr, 10)) : 20261207;
    unsigned nInputs = argc > 2 ? static_cast<unsigned>(strtoul(argv[2], nullptr, 10)) : 40000;
    // What the formatter prints (standard output and, for engine errors,
    // standard error) is not looked at; reports go to the original output.
    g_nReportFd = _dup(1);
    freopen("NUL", "w", stdout);
    freopen("NUL", "w", stderr);
    // NUL is a character device, so the runtime would leave both unbuffered
    // and every line would cost a call into the system.
    setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
    setvbuf(stderr, nullptr, _IOFBF, 1 << 16);
    CFuzzer fuzzer(nSeed);
    unsigned nExtensions = 0;
    {
        CRegValues values(g_szExtKey);
        for (unsigned i = 0; i < nInputs; ++i)
        {
            if (!CommandLineRun(fuzzer) || !OutputRun(fuzzer))
                return 1;
            if (i % 20 == 0)
            {
                ExtensionRun(fuzzer, values);
                ++nExtensions;
            }
        }
    }
    char szSummary[160];
    int nLen =
        snprintf(szSummary, sizeof(szSummary), "seed %u: %u command lines, %u engine outputs, %u registry extensions\n",
                 nSeed, nInputs, nInputs, nExtensions);
    _write(g_nReportFd, szSummary, nLen);
    // What CTest takes as a pass: the run got here without a fault.
    static const char s_szComplete[] = "[ KORLIX   ] all tests completed\n";
    _write(g_nReportFd, s_szComplete, sizeof(s_szComplete) - 1);
    return 0;
}
