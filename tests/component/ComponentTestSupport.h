// Shared by the tests of the component model: the XML of dependency tables
// and configuration files, and for the in-process tests a folder of tables
// of their own, which the registry names for the test.
#pragma once

#include "component/Assembly.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"

#include <gtest/gtest.h>

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

class ComponentModelTest : public testing::Test
{
protected:
    ComponentModelTest()
    {
        m_common.String("DependencyTables", m_tables.Path());
        m_common.String("ComponentRoot", "C:\\Comp");
    }
    // The table of feature F, version 1.0.
    void TableWrite(const std::string& xml, const std::string& name = "F_1.0.xml") const
    {
        FileWrite(m_tables.File(name), xml);
    }

    CCComApartment m_apartment{COINIT_MULTITHREADED};
    CTempDir m_tables;
    CRegValues m_common{"SOFTWARE\\Tervane\\Common"};
};
