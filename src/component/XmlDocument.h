// The platform's free-threaded XML DOM, reduced to what the component model
// reads: a file loaded synchronously, elements selected by expressions, and
// their attributes as narrow texts. A DOM call that fails outright writes an
// error record and hands its code back; finding nothing is not a failure.
#pragma once

#include "platform/ScopedHandle.h"

#include <windows.h>
#include <msxml2.h>

#include <string>

class CCXmlDocument
{
public:
    // Creates the document object; a failure is recorded under the caller's
    // function name.
    bool Create(const char* szCaller);
    // Loads a file; false when it cannot be read or parsed.
    bool Load(const char* szPath);
    // Records why the last load failed: line, column and reason.
    void ParseErrorTrace(unsigned nLevel, const char* szCaller, const char* szText, const char* szPath);
    // The document element; S_FALSE when there is none.
    HRESULT RootGet(CCComPtr<IXMLDOMNode>& root);

private:
    CCComPtr<IXMLDOMDocument> m_document;
};

// The first node an expression selects below a node; S_FALSE when none.
HRESULT XmlNodeSelect(IXMLDOMNode* pContext, const std::string& expression, CCComPtr<IXMLDOMNode>& node);
// All nodes an expression selects below a node, in document order (a list,
// empty when nothing matches).
HRESULT XmlNodesSelect(IXMLDOMNode* pContext, const std::string& expression, CCComPtr<IXMLDOMNodeList>& nodes);
// An attribute of an element as narrow text; S_FALSE when it is absent.
HRESULT XmlAttributeGet(IXMLDOMNode* pNode, const char* szName, std::string& value);
