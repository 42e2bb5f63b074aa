#include "MachineFile.h"

#include "EngineText.h"
#include "FactoryMachine.h"

#include "platform/ScopedHandle.h"

#include <windows.h>
#include <bcrypt.h>
#include <msxml2.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
// Attributes of one element into the map under "prefix.name".
void AttributesCollect(IXMLDOMNode* pNode, const std::string& prefix, CValueMap& values)
{
    CCComPtr<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(pNode->get_attributes(attributes.put())) || !attributes)
        return;
    long nCount = 0;
    attributes->get_length(&nCount);
    for (long i = 0; i < nCount; ++i)
    {
        CCComPtr<IXMLDOMNode> attribute;
        CCBstr name;
        CCBstr text;
        if (SUCCEEDED(attributes->get_item(i, attribute.put())) && attribute &&
            SUCCEEDED(attribute->get_nodeName(name.put())) && SUCCEEDED(attribute->get_text(text.put())))
            values[prefix + "." + TextFromBstr(name.get())] = TextFromBstr(text.get());
    }
}

// Child elements: their attributes, and their text when they have any.
void ChildrenCollect(IXMLDOMNode* pRoot, CValueMap& values)
{
    CCComPtr<IXMLDOMNode> child;
    pRoot->get_firstChild(child.put());
    while (child)
    {
        DOMNodeType eType = NODE_INVALID;
        child->get_nodeType(&eType);
        if (eType == NODE_ELEMENT)
        {
            CCBstr name;
            CCBstr text;
            child->get_nodeName(name.put());
            std::string element = TextFromBstr(name.get());
            AttributesCollect(child.get(), element, values);
            if (SUCCEEDED(child->get_text(text.put())) && SysStringLen(text.get()))
                values[element] = TextFromBstr(text.get());
        }
        CCComPtr<IXMLDOMNode> next;
        child->get_nextSibling(next.put());
        child = std::move(next);
    }
}

bool DocumentCreate(CCComPtr<IXMLDOMDocument>& document)
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"MSXML2.FreeThreadedDOMDocument", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IXMLDOMDocument, document.put_void());
    if (SUCCEEDED(hr))
        document->put_async(VARIANT_FALSE);
    return SUCCEEDED(hr);
}

bool DocumentLoad(const std::string& path, CCComPtr<IXMLDOMDocument>& document, std::string& reason)
{
    if (!DocumentCreate(document))
    {
        reason = "cannot create the XML document object";
        return false;
    }
    VARIANT source;
    VariantInit(&source);
    V_VT(&source) = VT_BSTR;
    V_BSTR(&source) = SysAllocString(WideFromText(path).c_str());
    VARIANT_BOOL vbLoaded = VARIANT_FALSE;
    HRESULT hr = document->load(source, &vbLoaded);
    VariantClear(&source);
    if (hr == S_OK && vbLoaded != VARIANT_FALSE)
        return true;
    reason = "cannot read or parse " + path;
    return false;
}

bool DocumentParse(const std::string& text, CCComPtr<IXMLDOMDocument>& document)
{
    if (!DocumentCreate(document))
        return false;
    CCBstr bstr(BstrFromText(text));
    VARIANT_BOOL vbLoaded = VARIANT_FALSE;
    return bstr.get() && document->loadXML(bstr.get(), &vbLoaded) == S_OK && vbLoaded != VARIANT_FALSE;
}

// The root's children as values; false when the root is not `szRootName`.
bool DocumentValues(IXMLDOMDocument* pDocument, const char* szRootName, CValueMap& values)
{
    CCComPtr<IXMLDOMElement> root;
    CCBstr name;
    if (FAILED(pDocument->get_documentElement(root.put())) || !root || FAILED(root->get_nodeName(name.put())) ||
        TextFromBstr(name.get()) != szRootName)
        return false;
    CValueMap result;
    ChildrenCollect(root.get(), result);
    values = std::move(result);
    return true;
}

std::string XmlEscape(const std::string& text)
{
    std::string result;
    for (char c : text)
    {
        switch (c)
        {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '"': result += "&quot;"; break;
        default: result += c;
        }
    }
    return result;
}

using CFileHandle = CCUniqueFile;

struct CAlgorithmCloser
{
    void operator()(void* hAlg) const { BCryptCloseAlgorithmProvider(hAlg, 0); }
};
struct CHashCloser
{
    void operator()(void* hHash) const { BCryptDestroyHash(hHash); }
};
using CAlgorithm = std::unique_ptr<void, CAlgorithmCloser>;
using CHash = std::unique_ptr<void, CHashCloser>;
}  // namespace

std::string XmlTextBuild(const char* szRootName, const CValueMap& values)
{
    std::map<std::string, std::string> elements;  // element -> attribute text
    std::map<std::string, std::string> texts;
    for (const auto& entry : values)
    {
        size_t nDot = entry.first.find('.');
        if (nDot == std::string::npos)
            texts[entry.first] = entry.second;
        else
            elements[entry.first.substr(0, nDot)] +=
                " " + entry.first.substr(nDot + 1) + "=\"" + XmlEscape(entry.second) + "\"";
    }
    for (const auto& entry : texts)
        elements[entry.first];
    std::string xml = std::string("<?xml version=\"1.0\"?>\n<") + szRootName + ">\n";
    for (const auto& element : elements)
    {
        auto text = texts.find(element.first);
        xml += "  <" + element.first + element.second;
        xml += text == texts.end() ? "/>\n" : ">" + XmlEscape(text->second) + "</" + element.first + ">\n";
    }
    return xml + "</" + szRootName + ">\n";
}

bool XmlFileRead(const std::string& path, const char* szRootName, CValueMap& values, std::string& reason)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
        ((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow) > g_nEngineFileLimit)
    {
        reason = path + " is too big";
        return false;
    }
    CCComPtr<IXMLDOMDocument> document;
    if (!DocumentLoad(path, document, reason))
        return false;
    if (DocumentValues(document.get(), szRootName, values))
        return true;
    reason = path + " is no " + szRootName + " file";
    return false;
}

bool XmlFileWrite(const std::string& path, const char* szRootName, const CValueMap& values, std::string& reason)
{
    return FileWriteAtomic(path, XmlTextBuild(szRootName, values), reason);
}

bool FileWriteAtomic(const std::string& path, const std::string& bytes, std::string& reason)
{
    std::string temp = path + ".tmp";
    {
        CFileHandle file(
            CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD dwWritten = 0;
        if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten, nullptr) ||
            dwWritten != bytes.size() || !FlushFileBuffers(file.get()))
        {
            reason = "cannot write " + temp;
            return false;
        }
    }
    HoldPointReach("write");
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    {
        DeleteFileA(temp.c_str());
        reason = "cannot replace " + path;
        return false;
    }
    return true;
}

void HoldPointReach(const char* szPoint)
{
    char szHold[MAX_PATH + 16];
    DWORD dwLen = GetEnvironmentVariableA("DIDEREVE_HOLD", szHold, sizeof(szHold));
    const size_t nPoint = strlen(szPoint);
    if (dwLen == 0 || dwLen >= sizeof(szHold) || strncmp(szHold, szPoint, nPoint) != 0 || szHold[nPoint] != ':')
        return;
    CFileHandle marker(
        CreateFileA(szHold + nPoint + 1, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    marker.reset();
    Sleep(20000);
}

std::string MachinePathGet()
{
    char szPath[MAX_PATH];
    DWORD dwLen = GetEnvironmentVariableA("DIDEREVE_MACHINE", szPath, sizeof(szPath));
    if (dwLen > 0 && dwLen < sizeof(szPath))
        return std::string(szPath) == "-" ? std::string() : std::string(szPath);
    dwLen = GetEnvironmentVariableA("ProgramData", szPath, sizeof(szPath));
    if (dwLen == 0 || dwLen >= sizeof(szPath))
        return std::string();
    std::string path = std::string(szPath) + "\\Tervane\\DiDEreve\\Machine.xml";
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : path;
}

CValueMap MachineFactory()
{
    CCComApartment apartment(COINIT_MULTITHREADED);
    CCComPtr<IXMLDOMDocument> document;
    CValueMap machine;
    if (DocumentParse(g_szFactoryMachine, document))
        DocumentValues(document.get(), "Machine", machine);
    return machine;
}

void MachineBoot(CValueMap& machine)
{
    if (machine["Post.Action"] == "pending")
    {
        const std::string outcome = machine["Post.Outcome"];
        if (outcome == "succeeded")
        {
            machine["Bios.Version"] = machine["Post.PendingVersion"];
            machine["Bios.Date"] = machine["Post.PendingDate"];
        }
        machine["Post.Status"] = outcome;
        machine["Post.Action"] = "done";
        machine["Post.PendingVersion"] = "";
        machine["Post.PendingDate"] = "";
    }
    machine["Security.SetupAwaitsReboot"] = "0";
    machine["Security.KorlixAwaitsReboot"] = "0";
    machine["Power.ShutdownPending"] = "0";
    // A lock of the last operation or until the next boot ends with the boot;
    // a failed check of the lock state and a denied access do not.
    if (machine["Bios.AccessBlocked"] == "untilreboot" || machine["Bios.AccessBlocked"] == "previous")
        machine["Bios.AccessBlocked"] = "none";
}

std::string Sha256Hex(const std::string& bytes)
{
    unsigned char rgbHash[32] = {};
    BCRYPT_ALG_HANDLE hAlg = nullptr;
    if (BCryptOpenAlgorithmProvider(&hAlg, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
        return std::string();
    CAlgorithm algorithm(hAlg);
    BCRYPT_HASH_HANDLE hHash = nullptr;
    if (BCryptCreateHash(hAlg, &hHash, nullptr, 0, nullptr, 0, 0) != 0)
        return std::string();
    CHash hash(hHash);
    if (BCryptHashData(hHash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                       static_cast<ULONG>(bytes.size()), 0) != 0 ||
        BCryptFinishHash(hHash, rgbHash, sizeof(rgbHash), 0) != 0)
        return std::string();
    std::string hex;
    char sz[3];
    for (unsigned char b : rgbHash)
    {
        snprintf(sz, sizeof(sz), "%02x", b);
        hex += sz;
    }
    return hex;
}
