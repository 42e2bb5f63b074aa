// The program's own initialisation: the feature settings come from the
// configuration file beside the module.
#include "component/Assembly.h"

#include "component/AssemblyText.h"
#include "component/AssemblyTrace.h"
#include "component/XmlDocument.h"

namespace
{
const char g_szInitialize[] = "CCAssembly::Initialize";

// The "value" of the first add element with this key; empty when there is
// none. False only when the DOM fails.
bool SettingGet(IXMLDOMNode* pRoot, const char* szKey, char (&szValue)[MAX_PATH])
{
    szValue[0] = '\0';
    std::string expression = std::string("//configuration/appSettings/add[@key = \"") + szKey + "\"]";
    CCComPtr<IXMLDOMNode> add;
    HRESULT hr = XmlNodeSelect(pRoot, expression, add);
    if (hr != S_OK)
        return SUCCEEDED(hr);
    std::string value;
    hr = XmlAttributeGet(add.get(), "value", value);
    if (hr == S_OK)
        AssemblyTextCopy(szValue, value.c_str());
    return SUCCEEDED(hr);
}
}  // namespace

bool CCAssembly::Initialize()
{
    CCMethodTrace trace(g_szInitialize, "Method Initialize has been called");
    CLock lock(m_cs);
    if (!InitializeCommon())
    {
        AssemblyErrorTrace(g_szInitialize, "InitializeCommon failed");
        return trace.Leave(false);
    }
    char szFeatureName[MAX_PATH], szFeatureVersion[MAX_PATH], szContextName[MAX_PATH];
    if (!ConfigurationRead(szFeatureName, szFeatureVersion, szContextName))
        return trace.Leave(false);
    KRLX_TRACE(eTrcVerboseCC, g_szInitialize, "Internal", "Initialization from configuration file",
               "szFeatureName: %s szFeatureVersion: %s szContextName: %s", szFeatureName, szFeatureVersion,
               szContextName);
    if (!szFeatureName[0] || !szFeatureVersion[0] || !szContextName[0])
    {
        AssemblyErrorTrace(g_szInitialize, "Error accessing config xml file, one or more values empty.", "file: %s",
                           m_szConfigFile);
        return trace.Leave(false);
    }
    return trace.Leave(InitializeFeature(szFeatureName, szFeatureVersion, szContextName));
}

// The three settings of the configuration file; false when the file cannot
// be loaded or the DOM fails.
bool CCAssembly::ConfigurationRead(char (&szFeatureName)[MAX_PATH], char (&szFeatureVersion)[MAX_PATH],
                                   char (&szContextName)[MAX_PATH])
{
    CCXmlDocument document;
    if (!document.Create(g_szInitialize))
        return false;
    if (!document.Load(m_szConfigFile))
    {
        document.ParseErrorTrace(eTrcError, g_szInitialize, "xmlDoc->load failed", m_szConfigFile);
        return false;
    }
    CCComPtr<IXMLDOMNode> root;
    if (document.RootGet(root) != S_OK)
        return false;
    return SettingGet(root.get(), "FeatureName", szFeatureName) &&
           SettingGet(root.get(), "FeatureVersion", szFeatureVersion) &&
           SettingGet(root.get(), "ContextName", szContextName);
}
