// Cost of one trace record at level 6, with the trace file reopened for
// every record and with it kept open. Built with the tests, run by hand:
//   cmake/wine-exec build/mingw/tests/trace_bench.exe
#include "support/RegValues.h"
#include "support/TempFiles.h"
#include "trace/QuillTrace.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace
{
constexpr char g_szBenchBase[] = "Software\\Tervane\\Common\\TracingBench\\";
constexpr char g_szBenchKey[] = "Bench";

// Microseconds per record for nRecords records of a freshly configured object.
double RecordCost(DWORD dwKeepFileOpen, unsigned nRecords)
{
    CTempDir dir;
    CRegValues values(std::string(g_szBenchBase) + g_szBenchKey);
    values.Dword("Trace", 1);
    values.Dword("TraceLevel", eTrcVerboseCC);
    values.Dword("TraceKeepFileOpen", dwKeepFileOpen);
    values.String("TraceFile", dir.File("bench.trc"));
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    {
        CCQuillTrace trace(g_szBenchKey, 0x24, "CCQuillTrace_PID_", g_szBenchBase);
        // The first record creates the file; it is not part of the measure.
        trace.Trace(eTrcVerboseCC, "CCBench::Run", "Enter", "", "");
        QueryPerformanceCounter(&start);
        for (unsigned i = 0; i < nRecords; ++i)
            trace.Trace(eTrcVerboseCC, "CCBench::Run", "Internal", "benchmark record",
                        "nRecord=%u, szText='%s'", i, "a detail of ordinary length");
        QueryPerformanceCounter(&end);
        // The kept-open file is written out when the object goes.
    }
    gg_ptrc = &g_trace;
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart) / nRecords;
}
}  // namespace

int main()
{
    const struct
    {
        const char* szName;
        DWORD dwKeepFileOpen;
        unsigned nRecords;
    } rgRuns[] = {{"reopened per record", 0, 5000}, {"kept open", 1, 200000}};
    for (const auto& run : rgRuns)
        printf("level 6, file %-20s %7u records: %8.2f us per record\n", run.szName, run.nRecords,
               RecordCost(run.dwKeepFileOpen, run.nRecords));
    return 0;
}
