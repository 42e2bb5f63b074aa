// The dependency table of the feature: which components the running module
// may use, and the lookup of a ProgID through it.
#include "component/Assembly.h"

#include "component/AssemblyPaths.h"
#include "component/AssemblyText.h"
#include "component/AssemblyTrace.h"
#include "component/XmlDocument.h"
#include "platform/Msc.h"

#include <cstdio>
#include <new>

namespace
{
const char g_szInitializeFeatureList[] = "CCAssembly::InitializeFeatureList";
constexpr char g_szLegacyFolder[] = "%CommonProgramFiles%\\Tervane Morlund Computers\\DependencyTables";

std::string TablePathBuild(const char* szFolder, const char* szFeatureName, const char* szFeatureVersion)
{
    return std::string(szFolder) + "\\" + szFeatureName + "_" + szFeatureVersion + ".xml";
}

std::string Quoted(const char* szText)
{
    return std::string("\"") + szText + "\"";
}

// Copies a present attribute into a field; false when the DOM fails. A text
// that does not fit clears fFits.
bool AttributeCopy(IXMLDOMNode* pNode, const char* szName, char (&szField)[MAX_PATH], bool& fFits)
{
    std::string value;
    HRESULT hr = XmlAttributeGet(pNode, szName, value);
    if (hr == S_OK && !AssemblyTextCopy(szField, value.c_str()))
        fFits = false;
    return SUCCEEDED(hr);
}
}  // namespace

bool CCAssembly::InitializeFeatureList()
{
    CCMethodTrace trace(g_szInitializeFeatureList, "Method InitializeFeatureList has been called");
    try
    {
        return trace.Leave(FeatureListRead());
    }
    catch (const std::bad_alloc&)
    {
        AssemblyErrorTrace(g_szInitializeFeatureList, "Out of memory while reading the dependency table");
        return trace.Leave(false);
    }
}

bool CCAssembly::FeatureListRead()
{
    CCXmlDocument document;
    if (!document.Create(g_szInitializeFeatureList))
        return false;
    std::string tablePath = TablePathBuild(m_szDependencyTables, m_szFeatureName, m_szFeatureVersion);
    if (!document.Load(tablePath.c_str()))
    {
        document.ParseErrorTrace(eTrcWarning, g_szInitializeFeatureList,
                                 "Error loading dependency table, trying legacy TMC..", tablePath.c_str());
        // The folder of older installations; the switch is for good.
        AssemblyTextCopy(m_szDependencyTables, g_szLegacyFolder);
        AssemblyPathExpand(m_szDependencyTables);
        tablePath = TablePathBuild(m_szDependencyTables, m_szFeatureName, m_szFeatureVersion);
        if (!document.Load(tablePath.c_str()))
        {
            document.ParseErrorTrace(eTrcError, g_szInitializeFeatureList, "Error loading dependency table",
                                     tablePath.c_str());
            return false;
        }
    }
    CCComPtr<IXMLDOMNode> root, feature, moduleIdentity;
    if (document.RootGet(root) != S_OK)
        return false;
    std::string expression =
        "//feature[(@name = " + Quoted(m_szFeatureName) + ") and (@version= " + Quoted(m_szFeatureVersion) + ")]";
    if (XmlNodeSelect(root.get(), expression, feature) != S_OK)
        return false;
    ComponentRootRead(feature.get());

    expression = "context[@name = " + Quoted(m_szContextName) +
                 "]/assemblyIdentity[(@name = " + Quoted(m_szModuleFileName) +
                 ") and ((@version= " + Quoted(m_szFileVersion) + ") or (@version= \"*\"))]";
    HRESULT hr = XmlNodeSelect(feature.get(), expression, moduleIdentity);
    if (FAILED(hr))
        return false;
    if (hr == S_FALSE)
    {
        KRLX_TRACE(
            eTrcWarning, g_szInitializeFeatureList, "Internal", "AssemblyIdentity node not found for current assembly.",
            "ContextName: %s, AssemblyIdentity: %s, Version: %s", m_szContextName, m_szModuleFileName, m_szFileVersion);
        return true;
    }
    return DependenciesRead(moduleIdentity.get());
}

// The registry names the default root; the feature may name its own.
void CCAssembly::ComponentRootRead(IXMLDOMNode* pFeature)
{
    LONG lResult = AssemblyCommonPathGet("ComponentRoot", m_szComponentRoot);
    if (lResult != ERROR_SUCCESS)
        KRLX_TRACE(eTrcWarning, g_szInitializeFeatureList, "Internal", "Error accessing registry for getting GAC root",
                   "Error: %d", static_cast<int>(lResult));
    std::string rootFolder;
    if (XmlAttributeGet(pFeature, "rootFolder", rootFolder) != S_OK)
        return;
    AssemblyTextCopy(m_szComponentRoot, rootFolder.c_str());
    AssemblyPathExpand(m_szComponentRoot);
    size_t nLen = strlen(m_szComponentRoot);
    if (nLen && m_szComponentRoot[nLen - 1] == '\\')
        m_szComponentRoot[nLen - 1] = '\0';
}

bool CCAssembly::DependenciesRead(IXMLDOMNode* pModuleIdentity)
{
    CCComPtr<IXMLDOMNodeList> dependencies;
    HRESULT hr = XmlNodesSelect(pModuleIdentity, "dependencies/assemblyIdentity", dependencies);
    if (hr != S_OK)
        return SUCCEEDED(hr);
    long nCount = 0;
    dependencies->get_length(&nCount);
    for (long i = 0; i < nCount; ++i)
    {
        CCComPtr<IXMLDOMNode> item;
        if (dependencies->get_item(i, item.put()) != S_OK || !item)
            continue;
        AssemblyIdentity identity;
        hr = DependencyRead(item.get(), identity);
        if (FAILED(hr))
            return false;
        if (hr == S_OK)
            DependencyStore(identity);
    }
    return true;
}

// One dependency with its path: S_OK, or S_FALSE when a text does not fit
// and the entry is left out; a failure code when the DOM fails.
HRESULT CCAssembly::DependencyRead(IXMLDOMNode* pDependency, AssemblyIdentity& identity)
{
    bool fFits = true;
    if (!AttributeCopy(pDependency, "name", identity.m_szName, fFits) ||
        !AttributeCopy(pDependency, "version", identity.m_szVersion, fFits) ||
        !AttributeCopy(pDependency, "progID", identity.m_szProgID, fFits) ||
        !AttributeCopy(pDependency, "versionIndependentProgID", identity.m_szVersionIndependentProgID, fFits))
        return E_FAIL;
    int nLen = snprintf(identity.m_szPath, sizeof(identity.m_szPath), "%s\\%s\\%s\\%s", m_szComponentRoot,
                        identity.m_szName, identity.m_szVersion, identity.m_szName);
    if (fFits && nLen >= 0 && static_cast<size_t>(nLen) < sizeof(identity.m_szPath))
        return S_OK;
    KRLX_TRACE(eTrcWarning, g_szInitializeFeatureList, "Internal", "Dependency left out, a text is too long",
               "caller %s V%s: name %s, version %s", m_szModuleFileName, m_szFileVersion, identity.m_szName,
               identity.m_szVersion);
    return S_FALSE;
}

void CCAssembly::DependencyStore(const AssemblyIdentity& identity)
{
    if (!identity.m_szProgID[0] || !identity.m_szVersionIndependentProgID[0])
    {
        KRLX_TRACE(eTrcVerboseCC, g_szInitializeFeatureList, "Internal", "Win32 dll entry found",
                   "caller %s V%s: name %s, version %s", m_szModuleFileName, m_szFileVersion, identity.m_szName,
                   identity.m_szVersion);
        m_mapWin32.insert_or_assign(identity.m_szName, identity);
        return;
    }
    KRLX_TRACE(eTrcVerboseCC, g_szInitializeFeatureList, "Internal", "Com entry found",
               "caller %s V%s: name %s, version %s, progId %s, viProgId %s", m_szModuleFileName, m_szFileVersion,
               identity.m_szName, identity.m_szVersion, identity.m_szProgID, identity.m_szVersionIndependentProgID);
    m_mapCOM.insert_or_assign(identity.m_szVersionIndependentProgID, identity);
}

HRESULT CCAssembly::CLSIDFromProgID(const char* szProgID, CLSID* pClsid)
{
    static const char s_szFunction[] = "CCAssembly::CLSIDFromProgID";
    CCMethodTrace trace(s_szFunction, "Method CLSIDFromProgID has been called", "szProgID: %s", szProgID);
    HRESULT hr = E_FAIL;
    if (m_fInitialized)
    {
        auto found = m_mapCOM.find(szProgID ? szProgID : "");
        if (found == m_mapCOM.end())
        {
            AssemblyErrorTrace(s_szFunction, "ProgId not found in dep table");
            hr = CLASS_E_CLASSNOTAVAILABLE;
        }
        else
        {
            // The version the table names, not whatever the system calls current.
            CCBstr progID(MscBstrFromText(found->second.m_szProgID));
            hr = progID.get() ? ::CLSIDFromProgID(progID.get(), pClsid) : E_OUTOFMEMORY;
        }
    }
    trace.LeaveWith("hReturn: 0x%08X", static_cast<unsigned>(hr));
    return hr;
}
