#include "FileSelect.h"

#include "ConfigArchive.h"
#include "SimCommon.h"
#include "SimPc.h"

#include "platform/ScopedHandle.h"

#include <windows.h>

#include <cctype>
#include <tuple>

namespace
{
// What makes one file newer than another, in order of weight.
struct CFileAge
{
    std::string version;  // update files only
    std::string stamp;    // date as YYYYMMDD, or the archive's creation time
    unsigned long long ullTime = 0;
    std::string name;
};

bool Newer(const CFileAge& left, const CFileAge& right)
{
    const int nVersion = VersionCompare(left.version, right.version);
    if (nVersion != 0)
        return nVersion > 0;
    return std::tie(left.stamp, left.ullTime, left.name) > std::tie(right.stamp, right.ullTime, right.name);
}

// MM/DD/YYYY as YYYYMMDD, so that texts sort as dates.
std::string DateKey(const std::string& date)
{
    return date.size() == 10 ? date.substr(6, 4) + date.substr(0, 2) + date.substr(3, 2) : std::string();
}

// The age of an intact file of the board; false for any other file.
bool FileAgeGet(const std::string& path, EFileKind eKind, const std::string& biosId, CFileAge& age)
{
    CValueMap values;
    std::string reason;
    if (eKind == eFileArchive)
    {
        if (!ConfigFileRead(path, values, reason) || Value(values, "System.BiosId") != biosId)
            return false;
        age.stamp = Value(values, "Archive.Created");
        return true;
    }
    if (!XmlFileRead(path, "BiosUpdate", values, reason) || Value(values, "Target.BiosId") != biosId ||
        !UpdateImageIntact(values))
        return false;
    age.version = Value(values, "Target.Version");
    age.stamp = DateKey(Value(values, "Target.Date"));
    return true;
}
}  // namespace

bool NameIsPattern(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

// Greedy with one point to go back to, so that no pattern takes more than
// length times length steps.
bool NameMatches(const char* szPattern, const char* szName)
{
    const char* pStar = nullptr;    // the last * of the pattern met
    const char* pResume = nullptr;  // where the name goes on after it
    while (*szName)
    {
        if (*szPattern == '*')
        {
            pStar = szPattern++;
            pResume = szName;
        }
        else if (*szPattern && (*szPattern == '?' || tolower(static_cast<unsigned char>(*szPattern)) ==
                                                         tolower(static_cast<unsigned char>(*szName))))
        {
            ++szPattern;
            ++szName;
        }
        else if (pStar)
        {
            szPattern = pStar + 1;
            szName = ++pResume;
        }
        else
            return false;
    }
    while (*szPattern == '*')
        ++szPattern;
    return !*szPattern;
}

void FilesVisit(const std::string& folder, const std::string& pattern,
                const std::function<void(const std::string&, unsigned long long ullTime)>& visitor)
{
    WIN32_FIND_DATAA data;
    CCUniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find)
        return;
    do
    {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !NameMatches(pattern.c_str(), data.cFileName))
            continue;
        const unsigned long long ullTime =
            (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
            data.ftLastWriteTime.dwLowDateTime;
        visitor(folder + "\\" + data.cFileName, ullTime);
    } while (FindNextFileA(find.get(), &data));
}

std::string NewestFileFind(const std::string& pathPattern, EFileKind eKind, const std::string& biosId)
{
    const size_t nSlash = pathPattern.find_last_of("\\/");
    const std::string folder = FolderOf(pathPattern);
    const std::string pattern = nSlash == std::string::npos ? pathPattern : pathPattern.substr(nSlash + 1);
    std::string best;
    CFileAge bestAge;
    FilesVisit(folder, pattern, [&](const std::string& path, unsigned long long ullTime) {
        CFileAge age;
        age.ullTime = ullTime;
        age.name = path;
        if (FileAgeGet(path, eKind, biosId, age) && (best.empty() || Newer(age, bestAge)))
        {
            best = path;
            bestAge = age;
        }
    });
    return best;
}

std::string ObjectFileResolve(const std::string& dir, const std::string& name, EFileKind eKind,
                              const std::string& biosId)
{
    const std::string path = PathResolve(dir, name);
    return NameIsPattern(name) ? NewestFileFind(path, eKind, biosId) : path;
}

std::string UpdateFileChoose(const std::string& machinePath, const std::string& dir, const std::string& name,
                             const std::string& biosId)
{
    if (!name.empty())
        return ObjectFileResolve(dir, name, eFileUpdate, biosId);
    const std::string pattern = biosId + "-*.bup";
    std::string path = NewestFileFind(PathResolve(dir, pattern), eFileUpdate, biosId);
    return path.empty() ? NewestFileFind(FolderOf(machinePath) + "\\" + pattern, eFileUpdate, biosId) : path;
}
