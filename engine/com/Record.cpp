#include "Record.h"

#include "Script.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

namespace
{
void RecordLineAppend(std::initializer_list<std::string> fields)
{
    char szPath[MAX_PATH];
    DWORD dwLen = GetEnvironmentVariableA("DIDEREVE_RECORD", szPath, sizeof(szPath));
    if (dwLen == 0 || dwLen >= sizeof(szPath))
        return;
    std::string line;
    for (const std::string& field : fields)
    {
        if (!line.empty())
            line += '\t';
        line += TextEscape(field);
    }
    line += '\n';
    // Opened per event, so several processes can share one record file.
    CCUniqueFile file(CreateFileA(szPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return;
    DWORD dwWritten = 0;
    WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &dwWritten, nullptr);
}
}  // namespace

void RecordWrite(std::initializer_list<std::string> fields) noexcept
{
    try
    {
        RecordLineAppend(fields);
    }
    catch (...)
    {
        // A record that cannot be built is lost; the engine carries on.
    }
}
