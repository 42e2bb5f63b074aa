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

const char* const g_rgszCommands[] = {"UPD", "NVU",  "NVRAM",   "PASSWORDS", "BO",
                                      "ARC", "MAKE", "BUPINFO", "AST",       "INFO"};

// The long spellings, under the short name the engine works with.
const std::pair<const char*, const char*> g_aAliases[] = {
    {"UPDATE", "UPD"},
    {"ARCHIVECONFIGURATION", "ARC"},
    {"NVRAMUPDATE", "NVU"},
    {"BOOTORDER", "BO"},
    {"ALLOWREBOOT", "ARB"},
    {"FORCEREBOOT", "FRB"},
    {"NOREBOOT", "NRB"},
    {"OVERWRITE", "OV"},
    {"LOGFILE", "LF"},
    {"IGNOREAC", "IAC"},
    {"SILENT", "S"},
    {"WORKINGDIRECTORY", "WD"},
    {"BATTPERCENT", "BPC"},
    {"LOCALCACHE", "LC"},
    {"KORLIXVERSION", "KRLXVER"},
    {"ACTIONSTATUS", "AST"},
    {"WAITHANDLEREND", "WHE"},
    {"QUICKHANDLEREND", "QHE"},
    {"EXTENDEDSTATUS", "ESTAT"},
};

// Every switch the engine takes; a command line with any other is refused.
const char* const g_rgszKnown[] = {
    "UPD",
    "NVU",
    "NVRAM",
    "PASSWORDS",
    "BO",
    "ARC",
    "MAKE",
    "BUPINFO",
    "AST",
    "INFO",
    "O",
    "WD",
    "PWD",
    "PWC",
    "CINP",
    "BINP",
    "LF",
    "S",
    "W",
    "WARN",
    "ARB",
    "FRB",
    "NRB",
    "OV",
    "IAC",
    "OVERRIDEACCHECKS",
    "BPC",
    "LC",
    "KRLXVER",
    "WHE",
    "QHE",
    "ESTAT",
    "CML",
    "FORCECAPSULEONDISK",
    "FORCERUNTIME",
};

std::string CanonicalName(const std::string& name)
{
    for (const auto& alias : g_aAliases)
        if (name == alias.first)
            return alias.second;
    return name;
}

bool NameKnown(const std::string& name)
{
    for (const char* szKnown : g_rgszKnown)
        if (name == szKnown)
            return true;
    return false;
}
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
        entry.csName =
            CanonicalName(UpperCase(word.substr(1, nEqual == std::string::npos ? std::string::npos : nEqual - 1)));
        if (!NameKnown(entry.csName))
        {
            reason = "unknown switch: " + word.substr(0, nEqual);
            return false;
        }
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
