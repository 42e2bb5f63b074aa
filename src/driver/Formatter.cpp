#include "driver/Formatter.h"

#include "driver/ExitFlags.h"
#include "driver/Program.h"
#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
constexpr char g_szFunction[] = "FormattedOutput";
constexpr unsigned g_idDots = 5707;
constexpr unsigned g_idWarning = 5711;
constexpr unsigned g_idShuttingDown = 5709;

// Length of the last text the line writer wrote, for the whole process.
size_t g_nLastTextLen = 0;

enum ELineEnd
{
    eLineFeed,
    eNoLineEnd,
};

struct CTokenLabel
{
    const char* szToken;
    unsigned idLabel;
    ELineEnd eEnd;
};

// Tokens that print one labelled line and need nothing else.
const CTokenLabel g_rgLabelled[] = {
    {"eAction", 5700, eLineFeed},
    {"eActionPart", 5708, eNoLineEnd},
    {"eInfo", 5706, eLineFeed},
    {"eUpdateArea", 5719, eLineFeed},
    {"eBiosCurrentVersion", 5701, eLineFeed},
    {"eBiosFlashedVersion", 5703, eLineFeed},
    {"eBiosFileVersion", 5702, eLineFeed},
    {"eSystem", 5710, eLineFeed},
    {"eSignOn", 5712, eLineFeed},
    {"eBiosInterfaceVersion", 5713, eLineFeed},
    {"eCpuId", 5714, eLineFeed},
    {"eSteppings", 5715, eLineFeed},
    {"eMicroCodeInfo", 5716, eLineFeed},
};

// The label padded on the right with the tail of the dot string.
std::string PaddedLabel(const std::string& label, const std::string& dots)
{
    return label.size() < dots.size() ? label + dots.substr(label.size()) : label;
}

std::string LabelLoad(unsigned id, const std::string& dots)
{
    std::string label = MscLoadStringResource(id);
    if (label.empty())
        KRLX_TRACE(eTrcError, g_szFunction, "Internal", "LoadString failed", "ID='%d'", id);
    return PaddedLabel(label, dots);
}

void LabelledLinePrint(unsigned idLabel, ELineEnd eEnd, const std::string& text, const std::string& dots)
{
    PrintLine('\r', eEnd == eLineFeed ? '\n' : 0, LabelLoad(idLabel, dots).c_str(), text.c_str());
}

// Walks "name TAB value LF" pairs of an eListBupInfo/eActionStatus body.
void ItemListPrint(const std::string& body, const std::string& dots)
{
    size_t nPos = 0;
    while (nPos < body.size())
    {
        size_t nTab = body.find('\t', nPos);
        if (nTab == std::string::npos || nTab == 0)
            return;
        size_t nEnd = body.find('\n', nTab + 1);
        if (nEnd == std::string::npos)
            return;
        std::string name = PaddedLabel(body.substr(nPos, nTab - nPos), dots);
        std::string value = body.substr(nTab + 1, nEnd - nTab - 1);
        KRLX_TRACE(eTrcVerbose, g_szFunction, "Internal", "", "csItem='%s', csText='%s'", name.c_str(), value.c_str());
        if (name == "Action status....")
            g_exitFlags.ActionStatus2Flag(value.c_str());
        PrintLine('\r', '\n', name.c_str(), value.c_str());
        nPos = nEnd + 1;
    }
}

void ErrorTokenHandle(const std::string& text)
{
    KRLX_TRACE(eTrcError, g_szFunction, "Internal", "Got token 'eError'", "csText='%s'", text.c_str());
    if (!g_exitFlags.ErrText2Flag(text.c_str()))
    {
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal", "Uninterpreted error message", "txt='%s'", text.c_str());
        g_exitFlags.Or(CExitFlags::eGeneralError);
    }
}

void JobDoneHandle(const std::string& text)
{
    if (!g_fQuiet)
        fputs("\n", stdout);
    long nCode = strtol(text.c_str(), nullptr, 10);
    KRLX_TRACE(eTrcVerbose, g_szFunction, "Internal", "eJobDone received", "");
    if (nCode != 0)
        g_exitFlags.Set(static_cast<uint32_t>(nCode));
}

// One item: token, its text up to the line end, and for item lists the body
// up to the next item.
void ItemDispatch(const std::string& token, const std::string& text, const std::string& body, const std::string& dots)
{
    for (const CTokenLabel& entry : g_rgLabelled)
    {
        if (token == entry.szToken)
        {
            LabelledLinePrint(entry.idLabel, entry.eEnd, text, dots);
            return;
        }
    }
    if (token == "eProgress" || token == "eEmpty")
        return;
    if (token == "eError")
    {
        ErrorTokenHandle(text);
        LabelledLinePrint(5704, eLineFeed, text, dots);
    }
    else if (token == "eWarning")
    {
        g_exitFlags.Or(CExitFlags::eWarningBit);
        LabelledLinePrint(g_idWarning, eLineFeed, text, dots);
    }
    else if (token == "eJobDone")
        JobDoneHandle(text);
    else if (token == "eFileName")
    {
        PrintLine('\r', '\n', "", "");
        LabelledLinePrint(5705, eLineFeed, text, dots);
    }
    else if (token == "eShutDown")
    {
        std::string shuttingDown = MscLoadStringResource(g_idShuttingDown);
        LabelledLinePrint(g_idWarning, eLineFeed, shuttingDown, dots);
    }
    else if (token == "eListBupInfo" || token == "eActionStatus")
        ItemListPrint(body, dots);
    else
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal", "", "Unknown token: '%s'", token.c_str());
}

void ErrorTextHandle(std::string& errorText)
{
    if (errorText.empty())
        return;
    if (!g_fQuiet)
        fprintf(stderr, "%s", errorText.c_str());
    while (!errorText.empty() && errorText.back() == '\n')
        errorText.pop_back();
    if (!g_exitFlags.ErrText2Flag(errorText.c_str()))
    {
        KRLX_TRACE(eTrcWarning, g_szFunction, "Internal", "Uninterpreted error message", "err='%s'", errorText.c_str());
        if (g_exitFlags.Get() == 0)
            g_exitFlags.Or(CExitFlags::eGeneralError);
    }
}

void ItemsPrint(const std::string& output)
{
    std::string dots = MscLoadStringResource(g_idDots);
    size_t nLt = output.find('<');
    size_t nGt = nLt == std::string::npos ? std::string::npos : output.find('>', nLt + 1);
    if (nLt != 0 || nGt == std::string::npos)
    {
        if (g_fQuiet)
            printf("%s", output.c_str());
        return;
    }
    while (nLt != std::string::npos && nGt != std::string::npos)
    {
        std::string token = output.substr(nLt + 1, nGt - nLt - 1);
        KRLX_TRACE(eTrcVerbose, g_szFunction, "Internal", "", "csToken='%s'", token.c_str());
        size_t nText = output.find_first_not_of(' ', nGt + 1);
        if (nText == std::string::npos)
            nText = output.size();
        size_t nLineEnd = output.find('\n', nText);
        std::string text = output.substr(nText, nLineEnd == std::string::npos ? std::string::npos : nLineEnd - nText);
        nLt = output.find('<', nGt + 1);
        size_t nNextGt = nLt == std::string::npos ? std::string::npos : output.find('>', nLt + 1);
        size_t nBodyEnd = nNextGt == std::string::npos ? output.size() : nLt;
        ItemDispatch(token, text, output.substr(nGt + 1, nBodyEnd - nGt - 1), dots);
        nGt = nNextGt;
    }
}
}  // namespace

void PrintLine(char chPrefix, char chSuffix, const char* szLabel, const char* szText)
{
    if (g_fQuiet)
        return;
    // The line goes out in one write: a stream call costs more than the
    // bytes of a typical item.
    static std::string s_line;
    size_t nLen = strlen(szText);
    s_line.clear();
    if (chPrefix)
        s_line += chPrefix;
    s_line += szLabel;
    s_line.append(szText, nLen);
    if (nLen < g_nLastTextLen)
        s_line.append(g_nLastTextLen - nLen, ' ');
    if (chSuffix)
        s_line += chSuffix;
    fwrite(s_line.data(), 1, s_line.size(), stdout);
    g_nLastTextLen = nLen;
}

void FormattedOutput(std::string& output, std::string& errorText)
{
    KRLX_TRACE(eTrcInfo, g_szFunction, "Enter", "", "");
    ErrorTextHandle(errorText);
    ItemsPrint(output);
    fflush(stdout);
    KRLX_TRACE(eTrcInfo, g_szFunction, "Leave", "", "");
}
