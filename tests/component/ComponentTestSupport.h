// The XML of dependency tables and configuration files for the tests of
// the component model.
#pragma once

#include <string>

// The test program as the tables must name it; its version record gives
// this file version.
inline constexpr char g_szTestModule[] = "component_tests.exe";
inline constexpr char g_szTestFileVersion[] = "6.22.89.7";
inline const std::string g_moduleAny = std::string("name=\"") + g_szTestModule + "\" version=\"*\"";

inline std::string Dependency(const std::string& name, const std::string& version, const std::string& progID = "",
                              const std::string& viProgID = "")
{
    std::string text = "<assemblyIdentity name=\"" + name + "\" version=\"" + version + "\"";
    if (!progID.empty())
        text += " progID=\"" + progID + "\"";
    if (!viProgID.empty())
        text += " versionIndependentProgID=\"" + viProgID + "\"";
    return text + "/>";
}

// A table with one feature, one context and one calling module, the feature
// and the module given by their attributes.
inline std::string TableXml(const std::string& dependencies, const std::string& module = g_moduleAny,
                            const std::string& context = "Ctx",
                            const std::string& feature = "name=\"F\" version=\"1.0\"")
{
    return "<?xml version=\"1.0\"?>\n<dependencyTable>\n<feature " + feature + ">\n<context name=\"" + context +
           "\">\n<assemblyIdentity " + module + ">\n<dependencies>\n" + dependencies +
           "\n</dependencies>\n</assemblyIdentity>\n</context>\n</feature>\n</dependencyTable>\n";
}

inline std::string Add(const std::string& key, const std::string& value)
{
    return "<add key=\"" + key + "\" value=\"" + value + "\"/>";
}

inline std::string Config(const std::string& settings)
{
    return "<?xml version=\"1.0\"?>\n<configuration>\n<appSettings>\n" + settings +
           "\n</appSettings>\n</configuration>\n";
}
