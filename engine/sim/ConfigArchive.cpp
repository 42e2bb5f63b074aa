#include "ConfigArchive.h"

#include <cstring>
#include <ctime>
#include <sstream>

namespace
{
const char* const g_rgszArchivePrefixes[] = {"Archive.", "System.", "Settings.", "Passwords.", "BootOrder."};
const char g_szSettings[] = "Settings.";

bool StartsWith(const std::string& text, const char* szPrefix)
{
    return text.compare(0, strlen(szPrefix), szPrefix) == 0;
}

std::string CreationTimeText()
{
    time_t now = time(nullptr);
    struct tm utc = {};
    gmtime_s(&utc, &now);
    char sz[32] = {};
    strftime(sz, sizeof(sz), "%Y-%m-%dT%H:%M:%SZ", &utc);
    return sz;
}

std::vector<std::string> ListSplit(const std::string& text)
{
    std::vector<std::string> items;
    std::stringstream stream(text);
    std::string item;
    while (std::getline(stream, item, ','))
        if (!item.empty())
            items.push_back(item);
    return items;
}

bool ListHas(const std::vector<std::string>& items, const std::string& item)
{
    for (const std::string& entry : items)
        if (entry == item)
            return true;
    return false;
}

void SettingsRestore(const CValueMap& archive, CValueMap& machine, std::vector<std::string>& warnings)
{
    for (const auto& entry : archive)
    {
        if (!StartsWith(entry.first, g_szSettings))
            continue;
        auto it = machine.find(entry.first);
        if (it == machine.end())
            warnings.push_back("Setting '" + entry.first.substr(strlen(g_szSettings)) +
                               "' is unknown on this system, skipped");
        else
            it->second = entry.second;
    }
}

// The archive's devices first, in its order, then the machine's others.
void BootOrderRestore(const CValueMap& archive, CValueMap& machine, std::vector<std::string>& warnings)
{
    const std::vector<std::string> present = ListSplit(machine["BootOrder.Devices"]);
    std::vector<std::string> order;
    for (const std::string& device :
         ListSplit(archive.count("BootOrder.Devices") ? archive.at("BootOrder.Devices") : ""))
    {
        if (ListHas(present, device))
            order.push_back(device);
        else
            warnings.push_back("Boot device '" + device + "' is unknown on this system, skipped");
    }
    for (const std::string& device : present)
        if (!ListHas(order, device))
            order.push_back(device);
    std::string text;
    for (const std::string& device : order)
        text += (text.empty() ? "" : ",") + device;
    machine["BootOrder.Devices"] = text;
}
}  // namespace

CValueMap ArchiveFromMachine(const CValueMap& machine)
{
    CValueMap archive = {{"Archive.Format", "1"}, {"Archive.Created", CreationTimeText()}};
    for (const auto& entry : machine)
        if (StartsWith(entry.first, g_szSettings))
            archive[entry.first] = entry.second;
    auto get = [&machine](const char* szName) {
        auto it = machine.find(szName);
        return it == machine.end() ? std::string() : it->second;
    };
    archive["System.BiosId"] = get("System.BiosId");
    archive["System.BiosVersion"] = get("Bios.Version");
    archive["Passwords.SetupSha256"] = get("Security.SetupPasswordSha256");
    archive["BootOrder.Devices"] = get("BootOrder.Devices");
    return archive;
}

bool UpdateIsCombined(const CValueMap& update)
{
    return update.count("Archive.Format") != 0;
}

CValueMap ArchivePartGet(const CValueMap& values)
{
    CValueMap archive;
    for (const auto& entry : values)
        for (const char* szPrefix : g_rgszArchivePrefixes)
            if (StartsWith(entry.first, szPrefix))
                archive.insert(entry);
    return archive;
}

bool ConfigFileRead(const std::string& path, CValueMap& archive, std::string& reason)
{
    CValueMap values;
    if (XmlFileRead(path, "ConfigArchive", values, reason) && values.count("Archive.Format"))
    {
        archive = std::move(values);
        return true;
    }
    std::string updateReason;
    if (XmlFileRead(path, "BiosUpdate", values, updateReason) && UpdateIsCombined(values))
    {
        archive = ArchivePartGet(values);
        return true;
    }
    reason = path + " is no configuration archive";
    return false;
}

void ArchiveRestore(const CValueMap& archive, unsigned fAreas, CValueMap& machine, std::vector<std::string>& warnings)
{
    if (fAreas & eAreaSettings)
        SettingsRestore(archive, machine, warnings);
    if (fAreas & eAreaPasswords)
    {
        auto it = archive.find("Passwords.SetupSha256");
        machine["Security.SetupPasswordSha256"] = it == archive.end() ? std::string() : it->second;
    }
    if (fAreas & eAreaBootOrder)
        BootOrderRestore(archive, machine, warnings);
}
