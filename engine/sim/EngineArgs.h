// The engine's own reading of the normalised command line: switches with
// their optional values, in order, names in upper case.
#pragma once

#include <string>
#include <vector>

struct CEngineSwitch
{
    std::string csName;   // upper case, without the slash: "UPD", "O"
    std::string csValue;  // text after '=', quotes removed
    bool fHasValue = false;
};

class CEngineArgs
{
public:
    // False with a reason for a word that is no switch.
    bool Parse(const std::string& cmdLine, std::string& reason);
    bool Has(const char* szName) const;
    // Values of every occurrence of a switch, in order.
    std::vector<std::string> Values(const char* szName) const;
    // The first command switch of the command set, or empty.
    std::string Command() const;

private:
    std::vector<CEngineSwitch> m_switches;
};
