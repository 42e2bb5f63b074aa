#include "EngineArgs.h"

#include <cctype>

namespace
{
// Splits at blanks outside double quotes; quotes are dropped.
std::vector<std::string> WordsSplit(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool fQuoted = false;
    bool fInWord = false;
    for (char c : text)
    {
        if (c == '"')
        {
            fQuoted = !fQuoted;
            fInWord = true;
        }
        else if ((c == ' ' || c == '\t') && !fQuoted)
        {
            if (fInWord)
                words.push_back(word);
            word.clear();
            fInWord = false;
        }
        else
        {
            word += c;
            fInWord = true;
        }
    }
    if (fInWord)
        words.push_back(word);
    return words;
}

std::string UpperCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

const char* const g_rgszCommands[] = {"UPD", "NVU", "NVRAM", "PASSWORDS", "BOOTORDER", "BO", "ARC",
                                      "MAKE", "BUPINFO", "AST", "INFO"};
}  // namespace

bool CEngineArgs::Parse(const std::string& cmdLine, std::string& reason)
{
    std::vector<CEngineSwitch> switches;
    for (const std::string& word : WordsSplit(cmdLine))
    {
        if (word.size() < 2 || (word[0] != '/' && word[0] != '-'))
        {
            reason = "not a switch: " + word;
            return false;
        }
        CEngineSwitch entry;
        size_t nEqual = word.find('=');
        entry.csName = UpperCase(word.substr(1, nEqual == std::string::npos ? std::string::npos : nEqual - 1));
        if (nEqual != std::string::npos)
        {
            entry.csValue = word.substr(nEqual + 1);
            entry.fHasValue = true;
        }
        switches.push_back(entry);
    }
    m_switches = std::move(switches);
    return true;
}

bool CEngineArgs::Has(const char* szName) const
{
    for (const CEngineSwitch& entry : m_switches)
        if (entry.csName == szName)
            return true;
    return false;
}

std::vector<std::string> CEngineArgs::Values(const char* szName) const
{
    std::vector<std::string> values;
    for (const CEngineSwitch& entry : m_switches)
        if (entry.csName == szName && entry.fHasValue)
            values.push_back(entry.csValue);
    return values;
}

std::string CEngineArgs::Command() const
{
    for (const CEngineSwitch& entry : m_switches)
        for (const char* szCommand : g_rgszCommands)
            if (entry.csName == szCommand)
                return szCommand;
    return std::string();
}
