// The program's own texts: name and version, copyright, description and file
// version from its version record, the help and exit-code texts, the
// installed suite version, the key prompt and the dump of the dependency
// tables.
#pragma once

#include <string>

class CCAssembly;

struct CProgramInfo
{
    std::string csNameAndVersion;
    std::string csCopyright;
    std::string csDescription;
    std::string csFileVersion;
};

// Filled by main before anything is printed.
extern CProgramInfo g_programInfo;

bool ProgramInfoExtract(std::string& csNameAndVersion, std::string& csCopyright, std::string& csDescription,
                        std::string& csFileVersion, bool fInstant);

// Header plus resource text, ready to print; `text` stays as it is when the
// resource is missing.
bool HelpTextLoad(std::string& text, bool fInstant);
bool ErrorLevelTextLoad(std::string& text, bool fInstant);

// Waits for a key, but only when standard output is a console.
void PressAnyKey();

// The installed suite version as the registry states it.
class CCAmbrelProductVersion
{
public:
    static bool RegistryVersionGet(std::string& version);
    static bool RegistryInstantVersionGet(std::string& version);
};

// Writes the component model's identity maps into the trace (only when
// tracing is on).
void TrcOutDependencyTables(CCAssembly& assembly);
