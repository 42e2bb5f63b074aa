// Creating components through the dependency table: a class of this test
// program stands in for a component, registered under a ProgID for the test.
#include "component/ComponentInterfaces.h"
#include "component/ComponentTestSupport.h"
#include "platform/Msc.h"

#include <cstdio>

namespace
{
// {6A1C0D52-2F0E-4C61-9B1E-507D12334403}
const CLSID g_clsidFake = {0x6a1c0d52, 0x2f0e, 0x4c61, {0x9b, 0x1e, 0x50, 0x7d, 0x12, 0x33, 0x44, 0x03}};

struct CFakeBehaviour
{
    HRESULT hrInitialize = S_OK;
    VARIANT_BOOL vbSuccess = VARIANT_TRUE;
    bool fComponentInit = true;
    HRESULT hrCreate = S_OK;
};

// The class factory and the component it hands out in one object, which
// lives on the test's stack for the whole registration and logs what it saw.
class CFake final : public IClassFactory, public IComponentInit
{
public:
    CFakeBehaviour m_behaviour;
    std::string m_log;

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
        m_log += "created ";
        return QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(BSTR featureName, BSTR featureVersion, BSTR contextName,
                                         VARIANT_BOOL* success) override
    {
        m_log += MscTextFromBstr(featureName) + "|" + MscTextFromBstr(featureVersion) + "|" +
                 MscTextFromBstr(contextName) + " ";
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
        CoRegisterClassObject(g_clsidFake, static_cast<IClassFactory*>(&m_fake), CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &m_dwCookie);
        TableWrite(TableXml(Dependency("Fake.dll", "1.2", "Korlix.Fake.1", "Korlix.Fake") +
                            Dependency("U.dll", "1", "Korlix.Unregistered.1", "Korlix.Unregistered")));
    }
    ~ComponentCreateTest() override { CoRevokeClassObject(m_dwCookie); }

    // The result of creating the component of this ProgID, what the fake
    // saw, and whether the caller holds an interface afterwards.
    std::string Create(const char* szProgID, REFIID riid = IID_IUnknown, CFakeBehaviour behaviour = {})
    {
        m_fake.m_behaviour = behaviour;
        m_fake.m_log.clear();
        CCComPtr<IUnknown> component;
        const HRESULT hr = m_assembly.CoCreateInstance(szProgID, component.put_void(), nullptr, 0x17, riid);
        char szResult[16];
        snprintf(szResult, sizeof(szResult), "%08lX ", static_cast<unsigned long>(hr));
        return szResult + m_fake.m_log + (component ? "held" : "none");
    }

    CRegValues m_progID{"Software\\Classes\\Korlix.Fake.1\\CLSID"};
    CFake m_fake;
    DWORD m_dwCookie = 0;
    CCAssembly m_assembly;
};

// The versioned ProgID the table names gives the class, looked up by the
// version-independent one in any case. The caller keeps the interface it
// asked for when the component's initialisation fails; success without the
// flag is E_UNEXPECTED.
TEST_F(ComponentCreateTest, CreationAndInitialisation)
{
    EXPECT_EQ(Create("Korlix.Fake"), "80004005 none");  // E_FAIL before the loader is initialised
    ASSERT_TRUE(m_assembly.InitializeCommon());
    ASSERT_TRUE(m_assembly.InitializeFeature("F", "1.0", "Ctx"));
    EXPECT_EQ(Create("Korlix.Fake"), "00000000 created F|1.0|Ctx held");
    EXPECT_EQ(Create("korlix.FAKE", IID_IComponentInit), "00000000 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_FALSE}), "8000FFFF created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {E_ACCESSDENIED}), "80070005 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {E_ACCESSDENIED, VARIANT_FALSE}), "80070005 created F|1.0|Ctx held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_TRUE, false}), "80004002 created held");
    EXPECT_EQ(Create("Korlix.Fake", IID_IDispatch), "80004002 created none");  // E_NOINTERFACE
    EXPECT_EQ(Create("Korlix.Fake", IID_IUnknown, {S_OK, VARIANT_TRUE, true, E_OUTOFMEMORY}), "8007000E none");
    EXPECT_EQ(Create("Korlix.Other"), "80040111 none");  // CLASS_E_CLASSNOTAVAILABLE
    EXPECT_EQ(Create("Korlix.Fake.1"), "80040111 none");
    EXPECT_EQ(Create("Korlix.Unregistered"), "800401F3 none");  // CO_E_CLASSSTRING
}
}  // namespace
