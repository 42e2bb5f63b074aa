#include "EngineLog.h"

#include "SimCommon.h"

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

// One line per item; item lists give one line per entry ("item: value").
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
        }
        if (token == "eShutDown")
            text = "Shutting down";
        else if (token == "eJobDone")
            text = "Exit code " + text;
        size_t nTab = text.find('\t');
        if (nTab != std::string::npos)
            text.replace(nTab, 1, ": ");
        if (!text.empty())
            log += stamp + KindGet(token) + " " + text + "\r\n";
    }
}
}  // namespace

void EngineLogWrite(const CEngineArgs& args, const CValueMap& machine, const std::vector<CScriptBlock>& blocks)
{
    std::string dir;
    WorkDirGet(args, dir);
    std::vector<std::string> names = args.Values("LF");
    const std::string name = names.empty() || names.back().empty() ? std::string("Korlix.log") : names.back();
    const std::string path = PathResolve(dir, PlaceholdersExpand(name, machine, false, dir));
    const std::string stamp = StampText();
    std::string log;
    std::ifstream existing(path, std::ios::binary);
    if (existing)
        log.assign(std::istreambuf_iterator<char>(existing), std::istreambuf_iterator<char>());
    existing.close();
    log += stamp + "INFO Command /" + args.Command() + "\r\n";
    for (const CScriptBlock& block : blocks)
        ItemsAppend(block.output, stamp, log);
    std::string reason;
    FileWriteAtomic(path, log, reason);  // a log that cannot be written does not fail the job
}
