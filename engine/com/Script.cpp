#include "Script.h"

#include <cerrno>
#include <cstdlib>

namespace
{
int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// Decimal or 0x-hexadecimal, 32 bits.
bool NumberParse(const std::string& text, ULONG& value)
{
    bool fHex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* szDigits = text.c_str() + (fHex ? 2 : 0);
    if (HexDigit(*szDigits) < 0)
        return false;
    char* pEnd = nullptr;
    errno = 0;
    unsigned long long n = strtoull(szDigits, &pEnd, fHex ? 16 : 10);
    if (errno || *pEnd || n > 0xFFFFFFFFull)
        return false;
    value = static_cast<ULONG>(n);
    return true;
}

// One line inside a block: keyword, one blank, argument; a bad line leaves
// its reason.
void BlockLineApply(const std::string& line, CScriptBlock& block, std::string& reason)
{
    size_t nBlank = line.find(' ');
    std::string keyword = line.substr(0, nBlank);
    std::string argument = nBlank == std::string::npos ? std::string() : line.substr(nBlank + 1);
    if (keyword == "out" || keyword == "err")
    {
        std::string text;
        if (!TextUnescape(argument, text, reason))
            return;
        (keyword == "out" ? block.output : block.errorText) += text;
        return;
    }
    ULONG value = 0;
    if (keyword != "hr" && keyword != "status" && keyword != "sleep")
    {
        reason = "unknown keyword '" + keyword + "'";
        return;
    }
    if (!NumberParse(argument, value))
    {
        reason = "bad number '" + argument + "' for " + keyword;
        return;
    }
    if (keyword == "hr")
        block.hr = static_cast<HRESULT>(value);
    else if (keyword == "status")
        block.ulStatus = value;
    else
        block.dwSleepMs = value;
}
}  // namespace

bool TextUnescape(const std::string& text, std::string& result, std::string& reason)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != '\\')
        {
            out += text[i];
            continue;
        }
        char ch = i + 1 < text.size() ? text[++i] : '\0';
        switch (ch)
        {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case '\\': out += '\\'; break;
        case 'x': {
            int nHigh = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
            int nLow = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
            if (nHigh < 0 || nLow < 0)
            {
                reason = "\\x needs two hexadecimal digits";
                return false;
            }
            out += static_cast<char>(nHigh * 16 + nLow);
            i += 2;
            break;
        }
        default: reason = ch ? std::string("unknown escape \\") + ch : "text ends in a backslash"; return false;
        }
    }
    result = std::move(out);
    return true;
}

std::string TextEscape(const std::string& text)
{
    static const char s_szHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char ch : text)
    {
        switch (ch)
        {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
            if (ch < 0x20)
            {
                out += "\\x";
                out += s_szHex[ch >> 4];
                out += s_szHex[ch & 15];
            }
            else
                out += static_cast<char>(ch);
        }
    }
    return out;
}

bool ScriptParse(const std::string& text, std::vector<CScriptBlock>& blocks, std::string& reason)
{
    std::vector<CScriptBlock> parsed;
    bool fInBlock = false;
    size_t nLineNo = 0;
    size_t nPos = 0;
    while (nPos < text.size())
    {
        size_t nEnd = text.find('\n', nPos);
        std::string line = text.substr(nPos, nEnd == std::string::npos ? std::string::npos : nEnd - nPos);
        nPos = nEnd == std::string::npos ? text.size() : nEnd + 1;
        ++nLineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();

        std::string error;
        if (!fInBlock)
        {
            if (line.empty() || line[0] == '#')
                continue;
            if (line != "call")
                error = "'call' expected";
            else
            {
                parsed.emplace_back();
                fInBlock = true;
            }
        }
        else if (line == "end")
            fInBlock = false;
        else if (line == "call")
            error = "'call' inside a block";
        else
            BlockLineApply(line, parsed.back(), error);

        if (!error.empty())
        {
            reason = "line " + std::to_string(nLineNo) + ": " + error;
            return false;
        }
    }
    if (fInBlock)
    {
        reason = "line " + std::to_string(nLineNo) + ": block without 'end'";
        return false;
    }
    if (parsed.empty())
    {
        reason = "no 'call' block";
        return false;
    }
    blocks = std::move(parsed);
    return true;
}
