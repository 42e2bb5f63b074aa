// Cost of one trace record at level 6, with the trace file reopened for
// every record and with it kept open, each beside its floor measured in the
// same run: the same UTF-16 bytes appended by a bare open-append-close per
// record, or through one buffered stream. Every record also takes the named
// trace lock; its own cost is shown beside. Run by ./run-bench.
#include "platform/ScopedHandle.h"
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/QuillTrace.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace
{
constexpr char g_szBenchBase[] = "Software\\Tervane\\Common\\TracingBench\\";
constexpr char g_szBenchKey[] = "Bench";

class CStopwatch
{
public:
    CStopwatch()
    {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    // Microseconds since the start, divided by n.
    double MicrosecondsPer(unsigned n) const
    {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1e6 * static_cast<double>(now.QuadPart - m_start.QuadPart) / static_cast<double>(m_frequency.QuadPart) /
               n;
    }

private:
    LARGE_INTEGER m_frequency, m_start;
};

struct CRecordCost
{
    double dMicroseconds = 0;
    std::string bytes;  // what the measured records added to the file
};

// Microseconds per record for nRecords records of a freshly configured object.
CRecordCost RecordCost(DWORD dwKeepFileOpen, unsigned nRecords, const CTempDir& dir)
{
    CRegValues values(std::string(g_szBenchBase) + g_szBenchKey);
    values.Dword("Trace", 1);
    values.Dword("TraceLevel", eTrcVerboseCC);
    values.Dword("TraceKeepFileOpen", dwKeepFileOpen);
    values.Dword("TraceClear", 1);
    std::string path = dir.File("bench.trc");
    values.String("TraceFile", path);
    CRecordCost cost;
    size_t nFirst = 0;
    {
        CCQuillTrace trace(g_szBenchKey, 0x24, "CCQuillTrace_PID_", g_szBenchBase);
        // The first record creates the file; it is not part of the measure.
        trace.Trace(eTrcVerboseCC, "CCBench::Run", "Enter", "", "");
        if (!dwKeepFileOpen)
            nFirst = FileBytes(path).size();
        CStopwatch stopwatch;
        for (unsigned i = 0; i < nRecords; ++i)
            trace.Trace(eTrcVerboseCC, "CCBench::Run", "Internal", "benchmark record", "nRecord=%u, szText='%s'", i,
                        "a detail of ordinary length");
        cost.dMicroseconds = stopwatch.MicrosecondsPer(nRecords);
        // The kept-open file is written out when the object goes.
    }
    gg_ptrc = &g_trace;
    std::string bytes = FileBytes(path);
    if (dwKeepFileOpen)
        nFirst = bytes.size() / (nRecords + 1);
    cost.bytes = bytes.substr(nFirst);
    return cost;
}

// The n-th of nRecords equal pieces of the bytes, whole UTF-16 units.
std::string Piece(const std::string& bytes, unsigned n, unsigned nRecords)
{
    size_t nSize = bytes.size() / nRecords & ~size_t(1);
    return n + 1 < nRecords ? bytes.substr(n * nSize, nSize) : bytes.substr(n * nSize);
}

double ReopenFloor(const std::string& bytes, unsigned nRecords, const CTempDir& dir)
{
    std::wstring path = L"\\\\?\\" + std::wstring(dir.Path().begin(), dir.Path().end()) + L"\\floor.trc";
    CStopwatch stopwatch;
    for (unsigned i = 0; i < nRecords; ++i)
    {
        std::string piece = Piece(bytes, i, nRecords);
        CCUniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD dwWritten = 0;
        WriteFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &dwWritten, nullptr);
    }
    return stopwatch.MicrosecondsPer(nRecords);
}

double KeptOpenFloor(const std::string& bytes, unsigned nRecords, const CTempDir& dir)
{
    std::string path = dir.File("floor.trc");
    DeleteFileA(path.c_str());
    CStopwatch stopwatch;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "ab"), fclose);
        for (unsigned i = 0; i < nRecords; ++i)
        {
            std::string piece = Piece(bytes, i, nRecords);
            fwrite(piece.data(), 1, piece.size(), file.get());
        }
    }
    return stopwatch.MicrosecondsPer(nRecords);
}

// A wait and a release of a named semaphore, as every record takes the lock.
double NamedLockCost(unsigned nRounds)
{
    CCUniqueHandle lock(CreateSemaphoreA(nullptr, 1, 1, "KorlixBench_TraceLock"));
    CStopwatch stopwatch;
    for (unsigned i = 0; i < nRounds; ++i)
    {
        WaitForSingleObject(lock.get(), INFINITE);
        ReleaseSemaphore(lock.get(), 1, nullptr);
    }
    return stopwatch.MicrosecondsPer(nRounds);
}
}  // namespace

int main()
{
    CTempDir dir;
    double dLock = NamedLockCost(20000);
    printf("Trace record at level 6 (microseconds per record)\n");
    const struct
    {
        const char* szName;
        DWORD dwKeepFileOpen;
        unsigned nRecords;
        double (*pfnFloor)(const std::string&, unsigned, const CTempDir&);
    } rgRuns[] = {{"file reopened per record", 0, 5000, ReopenFloor}, {"file kept open", 1, 100000, KeptOpenFloor}};
    for (const auto& run : rgRuns)
    {
        CRecordCost cost = RecordCost(run.dwKeepFileOpen, run.nRecords, dir);
        double dFloor = run.pfnFloor(cost.bytes, run.nRecords, dir);
        printf("  %-26s %8.2f   floor %8.2f   ratio %5.2f   floor + lock %8.2f   ratio %5.2f\n", run.szName,
               cost.dMicroseconds, dFloor, cost.dMicroseconds / dFloor, dFloor + dLock,
               cost.dMicroseconds / (dFloor + dLock));
    }
    printf("  named lock, wait and release %6.2f\n", dLock);
    return 0;
}
