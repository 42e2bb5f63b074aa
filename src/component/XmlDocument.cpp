#include "component/XmlDocument.h"

#include "component/AssemblyTrace.h"
#include "platform/Msc.h"

namespace
{
constexpr wchar_t g_szDomProgID[] = L"MSXML2.FreeThreadedDOMDocument";

// Records a DOM call that failed outright.
HRESULT DomFailure(const char* szFunction, const char* szCall, HRESULT hr, const std::string& detail)
{
    AssemblyErrorTrace(szFunction, szCall, "hr: 0x%08X, '%s', %s", static_cast<unsigned>(hr),
                       CCQuillTrace::ErrorText(static_cast<DWORD>(hr)), detail.c_str());
    return hr;
}

// One selection call of the DOM: S_OK with a result, S_FALSE without one.
template <typename T>
HRESULT Select(IXMLDOMNode* pContext, HRESULT (STDMETHODCALLTYPE IXMLDOMNode::*pfnSelect)(BSTR, T**),
               const char* szCall, const std::string& expression, CCComPtr<T>& result)
{
    CCBstr query(MscBstrFromText(expression));
    HRESULT hr = (pContext->*pfnSelect)(query.get(), result.put());
    if (FAILED(hr))
        return DomFailure("XmlSelect", szCall, hr, "expression: " + expression);
    return result ? S_OK : S_FALSE;
}

struct CParseError
{
    long nLine = 0;
    long nColumn = 0;
    std::string reason;
};

CParseError ParseErrorGet(IXMLDOMDocument* pDocument)
{
    CParseError error;
    CCComPtr<IXMLDOMParseError> parseError;
    if (!pDocument || FAILED(pDocument->get_parseError(parseError.put())) || !parseError)
        return error;
    parseError->get_line(&error.nLine);
    parseError->get_linepos(&error.nColumn);
    CCBstr reason;
    if (SUCCEEDED(parseError->get_reason(reason.put())))
        error.reason = MscTextFromBstr(reason.get());
    return error;
}
}  // namespace

bool CCXmlDocument::Create(const char* szCaller)
{
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(g_szDomProgID, &clsid);
    if (SUCCEEDED(hr))
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, m_document.put_void());
    if (SUCCEEDED(hr))
        return true;
    AssemblyHrErrorTrace(szCaller, "Failed to create MSXML2.Dom object to parse XML.", hr);
    return false;
}

bool CCXmlDocument::Load(const char* szPath)
{
    // Without this the document loads in the background.
    if (FAILED(m_document->put_async(VARIANT_FALSE)))
        return false;
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = MscBstrFromText(szPath);
    VARIANT_BOOL vbLoaded = VARIANT_FALSE;
    HRESULT hr = m_document->load(source, &vbLoaded);
    VariantClear(&source);
    return hr == S_OK && vbLoaded != VARIANT_FALSE;
}

void CCXmlDocument::ParseErrorTrace(unsigned nLevel, const char* szCaller, const char* szText, const char* szPath)
{
    CParseError error = ParseErrorGet(m_document.get());
    KRLX_TRACE(nLevel, szCaller, "Internal", szText, "path='%s', Line=%d, Col=%d, reason='%s'", szPath,
               static_cast<int>(error.nLine), static_cast<int>(error.nColumn), error.reason.c_str());
}

HRESULT CCXmlDocument::RootGet(CCComPtr<IXMLDOMNode>& root)
{
    CCComPtr<IXMLDOMElement> element;
    HRESULT hr = m_document->get_documentElement(element.put());
    if (FAILED(hr))
        return DomFailure("CCXmlDocument::RootGet", "get_documentElement failed", hr, "");
    if (!element)
        return S_FALSE;
    return element->QueryInterface(IID_IXMLDOMNode, root.put_void());
}

HRESULT XmlNodeSelect(IXMLDOMNode* pContext, const std::string& expression, CCComPtr<IXMLDOMNode>& node)
{
    return Select(pContext, &IXMLDOMNode::selectSingleNode, "selectSingleNode failed", expression, node);
}

HRESULT XmlNodesSelect(IXMLDOMNode* pContext, const std::string& expression, CCComPtr<IXMLDOMNodeList>& nodes)
{
    return Select(pContext, &IXMLDOMNode::selectNodes, "selectNodes failed", expression, nodes);
}

HRESULT XmlAttributeGet(IXMLDOMNode* pNode, const char* szName, std::string& value)
{
    CCComPtr<IXMLDOMElement> element;
    HRESULT hr = pNode->QueryInterface(IID_IXMLDOMElement, element.put_void());
    if (FAILED(hr))
        return DomFailure("XmlAttributeGet", "QueryInterface on IXMLDOMElement failed", hr,
                          std::string("attribute: ") + szName);
    CCBstr name(MscBstrFromText(szName));
    VARIANT attribute;
    VariantInit(&attribute);
    hr = element->getAttribute(name.get(), &attribute);
    if (FAILED(hr))
        return DomFailure("XmlAttributeGet", "getAttribute failed", hr, std::string("attribute: ") + szName);
    const bool fPresent = V_VT(&attribute) == VT_BSTR;
    if (fPresent)
        value = MscTextFromBstr(V_BSTR(&attribute));
    VariantClear(&attribute);
    return fPresent ? S_OK : S_FALSE;
}
