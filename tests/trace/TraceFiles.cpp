#include "trace/TraceFiles.h"

#include "support/TempFiles.h"
#include "trace/QuillTrace.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <regex>

namespace
{
// "04.12.2026 12:41:54.123" and its length.
const std::regex g_reTime(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3})");
constexpr size_t g_nTimeLen = 23;
}  // namespace

CTraceFile TraceFileRead(const std::string& path)
{
    CTraceFile file;
    std::string bytes = FileBytes(path);
    file.fBom = bytes.compare(0, 2, "\xFF\xFE") == 0;
    for (size_t i = file.fBom ? 2 : 0; i + 1 < bytes.size(); i += 2)
    {
        unsigned nUnit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        file.text += nUnit < 0x100 ? static_cast<char>(nUnit) : '?';
    }
    return file;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> TraceLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t nPos = 0;
    for (size_t nEnd; (nEnd = text.find("\r\n", nPos)) != std::string::npos; nPos = nEnd + 2)
        lines.push_back(text.substr(nPos, nEnd - nPos));
    if (nPos < text.size())
        lines.push_back(text.substr(nPos));
    return lines;
}

std::vector<std::string> RecordLines(const std::string& text)
{
    std::vector<std::string> records;
    for (const std::string& line : TraceLines(text))
    {
        if (HasTimeColumn(line))
            records.push_back(line);
    }
    return records;
}

bool HasTimeColumn(const std::string& line)
{
    return std::regex_search(line, g_reTime);
}

std::vector<std::string> DirNames(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    CCUniqueFind search(FindFirstFileA((dir + "\\*").c_str(), &found));
    for (bool fMore = static_cast<bool>(search); fMore; fMore = FindNextFileA(search.get(), &found))
    {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Columns(const std::string& line)
{
    std::vector<std::string> columns;
    size_t nPos = 0;
    for (size_t nTab; (nTab = line.find('\t', nPos)) != std::string::npos; nPos = nTab + 1)
        columns.push_back(line.substr(nPos, nTab - nPos));
    columns.push_back(line.substr(nPos));
    return columns;
}

std::string IdText(unsigned long nId)
{
    char szId[16];
    snprintf(szId, sizeof(szId), "%04lu", nId);
    return szId;
}

std::string FallbackWarning(unsigned long dwError)
{
    char szCode[16];
    snprintf(szCode, sizeof(szCode), "0x%8.8lx", dwError);
    return std::string("31.12.2030 23:59:59.999\t9999\t9999\twarning\tCCQuillTrace\tFileSwitch\tInternal\t"
                       "MoveFileExW returned last error ") +
           szCode + ", " + CCQuillTrace::ErrorText(dwError);
}

std::string FallbackError(const std::string& switchName)
{
    return "31.12.2030 23:59:59.999\t9999\t9999\terror\tCCQuillTrace\tFileSwitch\tException\t"
           "MoveFileExW could not create file '" +
           switchName + "'";
}

std::string AfterTime(const std::string& line)
{
    return line.size() < g_nTimeLen ? std::string() : line.substr(g_nTimeLen);
}
