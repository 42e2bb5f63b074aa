#include "trace/TraceFiles.h"

#include "support/TempFiles.h"

#include <regex>

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

std::string AfterTime(const std::string& line)
{
    static const std::regex s_reTime(R"(^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3}\t)");
    return std::regex_search(line, s_reTime) ? line.substr(23) : std::string();
}
