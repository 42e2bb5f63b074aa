// The floor the benchmarks measure Korlix against: a program with the same
// imports that does the least a start has to do (initialise COM, open one
// registry key) and, given a file, writes that file's lines to standard
// output through the C runtime, one call per line, as a plain console
// program would.
//   bench_floor.exe [file]
#include "platform/ScopedHandle.h"

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <winver.h>

#include <cstdio>
#include <memory>
#include <string>

namespace
{
// Korlix imports from these modules too; the references make the loader
// map them as it does for Korlix, although the floor calls none of them.
const void* const g_rgpImports[] = {
    reinterpret_cast<const void*>(&SysAllocString),
    reinterpret_cast<const void*>(&LoadStringA),
    reinterpret_cast<const void*>(&GetFileVersionInfoSizeA),
};

// The file's lines without their CR LF: the text-mode stream puts it back.
void LinesWrite(const char* szPath)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(szPath, "rb"), fclose);
    if (!file)
        return;
    std::string bytes;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof(buffer), file.get())) > 0)
        bytes.append(buffer, n);
    size_t nPos = 0;
    while (nPos < bytes.size())
    {
        size_t nLf = bytes.find('\n', nPos);
        size_t nEnd = nLf == std::string::npos ? bytes.size() : nLf;
        size_t nLen = nEnd - nPos;
        if (nLf != std::string::npos && nLen && bytes[nEnd - 1] == '\r')
            --nLen;
        fwrite(bytes.data() + nPos, 1, nLen, stdout);
        if (nLf != std::string::npos)
            fputc('\n', stdout);
        nPos = nEnd + 1;
    }
}
}  // namespace

int main(int argc, char* argv[])
{
    volatile const void* pKeep = g_rgpImports[GetTickCount() % 3];
    (void)pKeep;
    CCComApartment apartment(COINIT_MULTITHREADED);
    CCUniqueHKey key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tervane\\Common", 0, KEY_READ, key.put());
    if (argc > 1)
        LinesWrite(argv[1]);
    fflush(stdout);
    return 0;
}
