// The process-wide objects, defined in one place so that static
// initialisation creates them in this order: the string-ring lock, the trace
// object (which reads its configuration at once), the exit flags, the
// program texts, then the component loader.
#include "component/Assembly.h"
#include "driver/ExitFlags.h"
#include "driver/Program.h"
#include "driver/ProgramInfo.h"
#include "platform/Msc.h"
#include "trace/QuillTrace.h"

CMscCritSect g_mscCritSect;
CCQuillTrace g_trace("%ModuleName%\\%ModuleVersion%", 0x24, "CCQuillTrace_PID_",
                     "Software\\Tervane\\Common\\Tracing\\");
CExitFlags g_exitFlags;
bool g_fQuiet = false;
CProgramInfo g_programInfo;
CCAssembly g_assembly;
