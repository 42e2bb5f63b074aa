// The component loader: which feature the running module belongs to, the
// components its dependency table lets it use, and their creation.
#pragma once

#include "component/AssemblyIdentity.h"
#include "platform/ScopedHandle.h"

#include <windows.h>
#include <objbase.h>

struct IXMLDOMNode;

class CCAssembly
{
public:
    CCAssembly();
    ~CCAssembly();
    CCAssembly(const CCAssembly&) = delete;
    CCAssembly& operator=(const CCAssembly&) = delete;

    // Module identity, table folder and the feature from the configuration
    // file beside the module; then the dependency table.
    bool Initialize();
    bool InitializeCommon();
    bool InitializeFileNames();
    bool InitializeFileVersion();
    bool InitializeDependencyTablesPath();
    bool InitializeFeature(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName);
    bool InitializeFeatureList();
    // The module that holds the component-model code.
    HMODULE GetModuleHandleRaw();

    // A ProgID of the COM map to the class of the version the table names.
    HRESULT CLSIDFromProgID(const char* szProgID, CLSID* pClsid);
    // Creates a listed component and hands it this module's feature.
    HRESULT CoCreateInstance(const char* szProgID, void** ppv, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid);
    const CCAssemblyIdentityMap& GetAssemblyIdentityMapCOM() const { return m_mapCOM; }
    const CCAssemblyIdentityMap& GetAssemblyIdentityMapWin32() const { return m_mapWin32; }

    // A host that loads this module passes the feature in, and lets go.
    bool DllInitialize(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName);
    bool DllUninitialize();
    bool CriticalEnter();
    void CriticalLeave();

    bool IsInitialized() const { return m_fInitialized; }
    const char* ModulePath() const { return m_szModulePath; }
    const char* ConfigFilePath() const { return m_szConfigFile; }
    const char* DependencyTablesFolder() const { return m_szDependencyTables; }
    const char* FeatureName() const { return m_szFeatureName; }
    const char* FeatureVersion() const { return m_szFeatureVersion; }
    const char* ContextName() const { return m_szContextName; }
    const char* ModuleFileName() const { return m_szModuleFileName; }
    const char* FileVersion() const { return m_szFileVersion; }
    const char* ComponentRoot() const { return m_szComponentRoot; }

private:
    // Holds the critical section for one initialisation step.
    class CLock
    {
    public:
        explicit CLock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
        ~CLock() { LeaveCriticalSection(&m_cs); }
        CLock(const CLock&) = delete;
        CLock& operator=(const CLock&) = delete;

    private:
        CRITICAL_SECTION& m_cs;
    };

    // Configuration file (AssemblyConfig.cpp).
    bool ConfigurationRead(char (&szFeatureName)[MAX_PATH], char (&szFeatureVersion)[MAX_PATH],
                           char (&szContextName)[MAX_PATH]);
    // Dependency table (FeatureList.cpp).
    bool FeatureListRead();
    void ComponentRootRead(IXMLDOMNode* pFeature);
    bool DependenciesRead(IXMLDOMNode* pModuleIdentity);
    HRESULT DependencyRead(IXMLDOMNode* pDependency, AssemblyIdentity& identity);
    void DependencyStore(const AssemblyIdentity& identity);
    // Creation (ComponentCreate.cpp).
    HRESULT ComponentCreate(const char* szProgID, void** ppv, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid);
    HRESULT ComponentInitialize(IUnknown* pComponent);

    bool m_fInitialized = false;
    char m_szModulePath[MAX_PATH] = "";
    char m_szConfigFile[MAX_PATH] = "";
    char m_szDependencyTables[MAX_PATH] = "";
    char m_szFeatureName[MAX_PATH] = "";
    char m_szFeatureVersion[MAX_PATH] = "";
    char m_szContextName[MAX_PATH] = "";
    char m_szModuleFileName[MAX_PATH] = "";
    char m_szFileVersion[MAX_PATH] = "";
    char m_szComponentRoot[MAX_PATH] = "";
    CCAssemblyIdentityMap m_mapWin32;
    CCAssemblyIdentityMap m_mapCOM;
    CRITICAL_SECTION m_cs;
    CCUniqueHandle m_hModuleMutex;
};

// The program's one component loader.
extern CCAssembly g_assembly;
