// Creating components through the dependency table: a class of this test
// program stands in for a component, registered under a ProgID for the test.
#include "component/ComponentInterfaces.h"
#include "component/ComponentTestSupport.h"
#include "platform/Msc.h"

#include <vector>

namespace
{
// {6A1C0D52-2F0E-4C61-9B1E-507D12334403}
const CLSID g_clsidFake = {0x6a1c0d52, 0x2f0e, 0x4c61, {0x9b, 0x1e, 0x50, 0x7d, 0x12, 0x33, 0x44, 0x03}};

struct CFakeBehaviour
{
    HRESULT hrCreate = S_OK;
    bool fComponentInit = true;
    HRESULT hrInitialize = S_OK;
    VARIANT_BOOL vbSuccess = VARIANT_TRUE;
};

// The class factory and the component it hands out in one object, which
// lives on the test's stack for the whole registration and logs what it saw.
class CFake final : public IClassFactory, public IComponentInit
{
public:
    CFakeBehaviour m_behaviour;
    int m_nCreated = 0;
    std::vector<std::string> m_inits;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory))
            *ppv = static_cast<IClassFactory*>(this);
        else if (m_behaviour.fComponentInit && IsEqualIID(riid, IID_IComponentInit))
            *ppv = static_cast<IComponentInit*>(this);
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (FAILED(m_behaviour.hrCreate))
            return m_behaviour.hrCreate;
        ++m_nCreated;
        return QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName,
                                         VARIANT_BOOL* success) override
    {
        m_inits.push_back(MscTextFromBstr(featureName) + "|" + MscTextFromBstr(featureVersion) + "|" +
                          MscTextFromBstr(contextName));
        *success = m_behaviour.vbSuccess;
        return m_behaviour.hrInitialize;
    }
};

class ComponentCreateTest : public ComponentModelTest
{
protected:
    ComponentCreateTest()
    {
        m_progID.String("", "{6A1C0D52-2F0E-4C61-9B1E-507D12334403}");
        CoRegisterClassObject(g_clsidFake, static_cast<IClassFactory*>(&m_factory), CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &m_dwCookie);
        TableWrite(TableXml(Dependency("Fake.dll", "1.2", "Korlix.Fake.1", "Korlix.Fake")));
    }
    ~ComponentCreateTest() override { CoRevokeClassObject(m_dwCookie); }

    CRegValues m_progID{"Software\\Classes\\Korlix.Fake.1\\CLSID"};
    CFake m_factory;
    DWORD m_dwCookie = 0;
};

TEST_F(ComponentCreateTest, NothingIsCreatedBeforeInitialisation)
{
    CCAssembly assembly;
    CCComPtr<IUnknown> component;
    EXPECT_EQ(assembly.CoCreateInstance("Korlix.Fake", component.put_void(), nullptr, 0x17, IID_IUnknown), E_FAIL);
    EXPECT_EQ(m_factory.m_nCreated, 0);
}

TEST_F(ComponentCreateTest, CreationAndInitialisation)
{
    const struct
    {
        const char* szName;
        const char* szProgID;
        IID iid;
        CFakeBehaviour behaviour;
        HRESULT hr;
        int nCreated;
        size_t nInits;
        bool fInterface;  // the caller holds a reference afterwards
    } rgCases[] = {
        {"initialised", "Korlix.Fake", IID_IUnknown, {}, S_OK, 1, 1, true},
        {"ProgID in other case", "korlix.FAKE", IID_IComponentInit, {}, S_OK, 1, 1, true},
        {"success without flag",
         "Korlix.Fake",
         IID_IUnknown,
         {S_OK, true, S_OK, VARIANT_FALSE},
         E_UNEXPECTED,
         1,
         1,
         true},
        {"failure without flag",
         "Korlix.Fake",
         IID_IUnknown,
         {S_OK, true, E_ACCESSDENIED, VARIANT_FALSE},
         E_ACCESSDENIED,
         1,
         1,
         true},
        {"failure with flag",
         "Korlix.Fake",
         IID_IUnknown,
         {S_OK, true, E_ACCESSDENIED, VARIANT_TRUE},
         E_ACCESSDENIED,
         1,
         1,
         true},
        {"no IComponentInit", "Korlix.Fake", IID_IUnknown, {S_OK, false}, E_NOINTERFACE, 1, 0, true},
        {"interface not supported", "Korlix.Fake", IID_IDispatch, {}, E_NOINTERFACE, 1, 0, false},
        {"creation fails", "Korlix.Fake", IID_IUnknown, {E_OUTOFMEMORY}, E_OUTOFMEMORY, 0, 0, false},
        {"not in the table", "Korlix.Other", IID_IUnknown, {}, CLASS_E_CLASSNOTAVAILABLE, 0, 0, false},
    };
    CCAssembly assembly;
    ASSERT_TRUE(assembly.InitializeCommon());
    ASSERT_TRUE(assembly.InitializeFeature("F", "1.0", "Ctx"));
    for (const auto& c : rgCases)
    {
        SCOPED_TRACE(c.szName);
        m_factory.m_behaviour = c.behaviour;
        m_factory.m_nCreated = 0;
        m_factory.m_inits.clear();
        CCComPtr<IUnknown> component;
        EXPECT_EQ(assembly.CoCreateInstance(c.szProgID, component.put_void(), nullptr, 0x17, c.iid), c.hr);
        EXPECT_EQ(m_factory.m_nCreated, c.nCreated);
        EXPECT_EQ(m_factory.m_inits, std::vector<std::string>(c.nInits, "F|1.0|Ctx"));
        EXPECT_EQ(static_cast<bool>(component), c.fInterface);
    }
}
}  // namespace
