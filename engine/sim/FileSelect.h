// Which file a command reads: a name as given, or, for a name with the
// wildcards * and ? (or none at all), the newest intact file of the board
// among the files that match.
#pragma once

#include <functional>
#include <string>

enum EFileKind
{
    eFileUpdate,   // update files and combined files (.bup)
    eFileArchive,  // archives and combined files, for a restore
};

// Whether the name holds a wildcard.
bool NameIsPattern(const std::string& name);
// Case-insensitive match of a whole name: * any run of characters, ? one.
bool NameMatches(const char* szPattern, const char* szName);

// Calls the visitor with the path of every file (not folder) in the folder
// whose name matches the pattern.
void FilesVisit(const std::string& folder, const std::string& pattern,
                const std::function<void(const std::string&, unsigned long long ullTime)>& visitor);

// The newest intact file of the board whose path matches the pattern (the
// wildcards in its last part only); empty when none. Update files: highest
// version, then latest date, then latest file time. Archives: latest
// creation time, then latest file time. The name sorting last breaks a tie.
std::string NewestFileFind(const std::string& pathPattern, EFileKind eKind, const std::string& biosId);

// The file of a name below the folder: a pattern becomes the newest file
// that matches it (empty when none), any other name stays as it is.
std::string ObjectFileResolve(const std::string& dir, const std::string& name, EFileKind eKind,
                              const std::string& biosId);

// The update file that /UPD reads: the name or pattern given, else the
// newest file <BiosId>-*.bup in the working directory, else beside the
// machine file.
std::string UpdateFileChoose(const std::string& machinePath, const std::string& dir, const std::string& name,
                             const std::string& biosId);
