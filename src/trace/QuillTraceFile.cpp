// Trace files: UTF-16 with byte-order mark, CR LF line ends, and the switch
// to a new file when the size or time limit is exceeded. Everything here
// runs under the trace lock of the record being written.
#include "trace/QuillTrace.h"

#include "platform/ScopedHandle.h"

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <memory>

namespace
{
constexpr wchar_t g_szTraceTxt[] = L".trace.txt";
constexpr size_t g_nTraceTxtLen = sizeof(g_szTraceTxt) / sizeof(wchar_t) - 1;
constexpr unsigned g_nHistoryCount = 1000;
// Room for the configured name plus the number and its underscore.
constexpr size_t g_nSwitchNameCapacity = MAX_PATH + 16;
// The fallback records: the longest error text plus their fixed columns.
constexpr size_t g_nFallbackCapacity = 4096 + 256;
constexpr char g_szFallbackHeader[] = "31.12.2030 23:59:59.999\t9999\t9999";

struct CCStdFileClose
{
    void operator()(FILE* pFile) const { fclose(pFile); }
};
using CCUniqueStdFile = std::unique_ptr<FILE, CCStdFileClose>;

int64_t Now()
{
    return _time64(nullptr);
}

// A record byte as the runtime converts it; ASCII stays the same.
wchar_t ByteToUnit(uint8_t byte)
{
    if (byte < 0x80)
        return byte;
    char ch = static_cast<char>(byte);
    wchar_t unit = 0;
    return mbtowc(&unit, &ch, 1) == 1 ? unit : byte;
}

// Writes record bytes as UTF-16 units, a CR before every LF.
void BytesWrite(FILE* pFile, const uint8_t* pBytes, size_t nBytes)
{
    wchar_t rgUnits[512];
    size_t nUnits = 0;
    for (size_t i = 0; i < nBytes; ++i)
    {
        if (pBytes[i] == '\n')
            rgUnits[nUnits++] = L'\r';
        rgUnits[nUnits++] = ByteToUnit(pBytes[i]);
        if (nUnits + 2 > sizeof(rgUnits) / sizeof(rgUnits[0]))
        {
            fwrite(rgUnits, sizeof(wchar_t), nUnits, pFile);
            nUnits = 0;
        }
    }
    fwrite(rgUnits, sizeof(wchar_t), nUnits, pFile);
}
}  // namespace

// What goes into the file: record bytes, or UTF-16 units written unchanged.
struct CCQuillTrace::CPayload
{
    const uint8_t* pBytes;
    size_t nBytes;
    const wchar_t* pUnits;
    size_t nUnits;
};

void CCQuillTrace::Flush()
{
    PayloadWrite(CPayload{m_pBuffer, static_cast<size_t>(m_nBufferPos), nullptr, 0});
}

void CCQuillTrace::WriteText(const wchar_t* szText)
{
    PayloadWrite(CPayload{nullptr, 0, szText, wcslen(szText)});
}

void CCQuillTrace::PayloadWrite(const CPayload& payload)
{
    FileInitCheck();
    if (LimitCheck(payload))
        PayloadAppend(payload);
}

// Appends to the trace file, opening it unless it is kept open. A file that
// cannot be opened loses the text.
void CCQuillTrace::PayloadAppend(const CPayload& payload)
{
    if (!m_pFile)
    {
        m_pFile = _wfopen(m_pszFileName, L"ab");
        if (!m_pFile)
            return;
        // An append stream reports position 0 until it is told where the end is.
        fseek(m_pFile, 0, SEEK_END);
    }
    if (payload.pBytes)
        BytesWrite(m_pFile, payload.pBytes, payload.nBytes);
    else
        fwrite(payload.pUnits, sizeof(wchar_t), payload.nUnits, m_pFile);
    m_nFileSize = static_cast<uint32_t>(_ftelli64(m_pFile));
    if (!m_fKeepFileOpen)
    {
        fclose(m_pFile);
        m_pFile = nullptr;
    }
}

// The first write of the run decides whether to start an empty file;
// otherwise an existing file is appended to.
void CCQuillTrace::FileInitCheck()
{
    if (!m_fFilePending)
        return;
    if (m_fClear || !FileExists(m_pszFileName))
        FileCreate();
    m_fFilePending = 0;
}

// Switches files when a limit is exceeded. False when a failed switch has
// already written the payload.
bool CCQuillTrace::LimitCheck(const CPayload& payload)
{
    // The size after the previous write: a file passes the limit by at most
    // one record.
    if (m_nLimitSize && m_nFileSize > m_nLimitSize)
        return FileSwitch(payload);
    if (m_nLimitTime && m_tNextSwitch < Now())
    {
        bool fPending = FileSwitch(payload);
        m_tNextSwitch = Now() + 60 * static_cast<int64_t>(m_nLimitTime);
        return fPending;
    }
    return true;
}

// Moves the full file aside and starts a new one. When the move fails, the
// payload and the fallback records go into the current file, which stays
// in use; the next write tries again. Those appends check no limits, so
// they cannot switch once more.
bool CCQuillTrace::FileSwitch(const CPayload& payload)
{
    wchar_t szSwitchName[g_nSwitchNameCapacity];
    SwitchNameBuild(szSwitchName, g_nSwitchNameCapacity);
    if (MoveFileExW(m_pszFileName, szSwitchName,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
    {
        FileCreate();
        return true;
    }
    DWORD dwError = GetLastError();
    PayloadAppend(payload);
    FallbackWrite("%s\twarning\tCCQuillTrace\tFileSwitch\tInternal\tMoveFileExW returned last error "
                  "0x%8.8lx, %s\n",
                  g_szFallbackHeader, dwError, ErrorText(dwError));
    if (!FileExists(szSwitchName))
        FallbackWrite("%s\terror\tCCQuillTrace\tFileSwitch\tException\tMoveFileExW could not create "
                      "file '%S'\n",
                      g_szFallbackHeader, szSwitchName);
    return false;
}

// stem_NNN.ext, where a name ending in ".trace.txt" keeps that whole ending
// as its extension. Without history the number is always 000; with history
// the first free number, or "_aaa" when all thousand are taken.
void CCQuillTrace::SwitchNameBuild(wchar_t* szOut, size_t nCapacity)
{
    const wchar_t* szName = m_pszFileName;
    size_t nLen = wcslen(szName);
    size_t nStem = nLen;
    const wchar_t* szExt = L"";
    if (nLen >= g_nTraceTxtLen && _wcsicmp(szName + nLen - g_nTraceTxtLen, g_szTraceTxt) == 0)
    {
        nStem = nLen - g_nTraceTxtLen;
        szExt = g_szTraceTxt;
    }
    else if (const wchar_t* pDot = wcsrchr(szName, L'.'); pDot && pDot != szName)
    {
        nStem = static_cast<size_t>(pDot - szName);
        szExt = pDot;
    }
    for (unsigned nNumber = 0; nNumber < g_nHistoryCount; ++nNumber)
    {
        _snwprintf(szOut, nCapacity, L"%.*s_%3.3u%s", static_cast<int>(nStem), szName, nNumber, szExt);
        szOut[nCapacity - 1] = L'\0';
        if (!m_fKeepHistory || !FileExists(szOut))
            return;
    }
    _snwprintf(szOut, nCapacity, L"%.*s_aaa%s", static_cast<int>(nStem), szName, g_szTraceTxt);
    szOut[nCapacity - 1] = L'\0';
}

// A fixed-layout record written straight into the current file.
void CCQuillTrace::FallbackWrite(const char* szFormat, ...)
{
    char szRecord[g_nFallbackCapacity];
    va_list args;
    va_start(args, szFormat);
    int nLen = _vsnprintf(szRecord, sizeof(szRecord), szFormat, args);
    va_end(args);
    if (nLen < 0)
        return;
    PayloadAppend(CPayload{reinterpret_cast<const uint8_t*>(szRecord), static_cast<size_t>(nLen), nullptr, 0});
}

// A new file holding only the byte-order mark; the limits start over.
void CCQuillTrace::FileCreate()
{
    CCUniqueStdFile file(_wfopen(m_pszFileName, L"wb"));
    if (!file)
        return;
    fwrite("\xFF\xFE", 1, 2, file.get());
    file.reset();
    if (m_nLimitSize)
        m_nFileSize = 2;
    if (m_nLimitTime)
        m_tNextSwitch = Now() + 60 * static_cast<int64_t>(m_nLimitTime);
}

bool CCQuillTrace::FileExists(const wchar_t* szName)
{
    WIN32_FIND_DATAW found;
    CCUniqueFind search(FindFirstFileW(szName, &found));
    return static_cast<bool>(search);
}
