#include "EngineLog.h"

#include "SimCommon.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <ctime>
#include <fstream>
#include <sstream>

namespace
{
// "<date> <time> " in the engine's formats (string table: %m-%d-%Y, %H%M%S).
std::string StampText()
{
    time_t now = time(nullptr);
    struct tm local = {};
    localtime_s(&local, &now);
    char sz[32] = {};
    strftime(sz, sizeof(sz), "%m-%d-%Y %H%M%S ", &local);
    return sz;
}

const char* KindGet(const std::string& token)
{
    if (token == "eError")
        return "ERRO";
    if (token == "eWarning")
        return "WARN";
    return "INFO";
}

// The console's label of an item, so that the log says what each value is.
// Errors, warnings and infos are plain texts: their kind says it.
const char* LabelGet(const std::string& token)
{
    static const std::pair<const char*, const char*> s_aLabels[] = {
        {"eAction", "Action"},
        {"eActionPart", "Part"},
        {"eUpdateArea", "Update area(s)"},
        {"eBiosCurrentVersion", "Version"},
        {"eBiosFlashedVersion", "Flashed vers."},
        {"eBiosFileVersion", "File version"},
        {"eSystem", "System"},
        {"eSignOn", "SignOn"},
        {"eBiosInterfaceVersion", "BIOS interface"},
        {"eCpuId", "CPU ID"},
        {"eSteppings", "Proc. steppings"},
        {"eMicroCodeInfo", "Micro code"},
        {"eFileName", "File"},
    };
    for (const auto& entry : s_aLabels)
        if (token == entry.first)
            return entry.second;
    return nullptr;
}

// One line per item; item lists give one line per entry ("item: value").
// The job's own end is left out: the exit code closes the log.
void ItemsAppend(const std::string& output, const std::string& stamp, std::string& log)
{
    std::istringstream lines(output);
    std::string line;
    std::string token;
    while (std::getline(lines, line))
    {
        size_t nClose = line.find('>');
        std::string text = line;
        if (!line.empty() && line[0] == '<' && nClose != std::string::npos)
        {
            token = line.substr(1, nClose - 1);
            text = line.substr(nClose + 1);
            if (const char* szLabel = LabelGet(token))
                text.insert(0, std::string(szLabel) + ": ");
        }
        if (token == "eShutDown")
            text = "Shutting down";
        else if (token == "eJobDone")
            continue;
        size_t nTab = text.find('\t');
        if (nTab != std::string::npos)
            text.replace(nTab, 1, ": ");
        if (!text.empty())
            log.append(stamp).append(KindGet(token)).append(" ").append(text).append("\r\n");
    }
}

const char* CodeKindGet(uint32_t nCode)
{
    return nCode == 0 ? "INFO" : nCode == 1 ? "WARN" : "ERRO";
}

// Creates the folder and the folders above it that are missing.
bool FolderCreate(const std::string& folder)
{
    if (folder.empty() || FileExists(folder))
        return true;
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !FolderCreate(parent))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}
}  // namespace

bool EngineLogPrepare(const CEngineArgs& args, const CValueMap& machine, std::string& path)
{
    std::string dir;
    const bool fWorkDir = WorkDirGet(args, dir);
    std::vector<std::string> names = args.Values("LF");
    const std::string name = names.empty() || names.back().empty() ? std::string("Korlix.log") : names.back();
    path = PathResolve(dir, PlaceholdersExpand(name, machine, false, dir));
    // Missing folders are created, but a missing working directory stays
    // missing: the job refuses it.
    const std::string folder = FolderOf(path);
    if (!(fWorkDir ? FolderCreate(folder) : FileExists(folder)))
        return false;
    CCUniqueFile file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

void EngineLogWrite(const std::string& path, const CEngineArgs& args, const CAnswers& answers)
{
    const std::string stamp = StampText();
    std::string log;
    std::ifstream existing(path, std::ios::binary);
    if (existing)
        log.assign(std::istreambuf_iterator<char>(existing), std::istreambuf_iterator<char>());
    existing.close();
    log += stamp + "INFO Command: /" + args.Command() + "\r\n";
    for (const CScriptBlock& block : answers.Blocks())
        ItemsAppend(block.output, stamp, log);
    log += stamp + CodeKindGet(answers.Code()) + " Exit code: " + std::to_string(answers.Code()) + "\r\n";
    std::string reason;
    FileWriteAtomic(path, log, reason);  // prepared, so only a vanished disk fails here
}
