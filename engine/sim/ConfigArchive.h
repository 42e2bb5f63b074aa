// The configuration archive (.nvux): the BIOS id and version it was taken
// from, the setup settings, the setup password as stored (its hash), the
// boot order and the creation time. A combined file (/MAKE) is an update
// file that carries these values as well.
#pragma once

#include "MachineFile.h"

#include <string>
#include <vector>

enum EConfigArea : unsigned
{
    eAreaSettings = 1,
    eAreaPasswords = 2,
    eAreaBootOrder = 4,
};

// The archive of the machine as it is now.
CValueMap ArchiveFromMachine(const CValueMap& machine);
// Whether an update file also holds an archive.
bool UpdateIsCombined(const CValueMap& update);
// The archive's values of a combined file.
CValueMap ArchivePartGet(const CValueMap& values);
// A configuration file: an archive, or a combined file. False with a reason
// when it is neither.
bool ConfigFileRead(const std::string& path, CValueMap& archive, std::string& reason);

// Restores the chosen areas onto the machine. A setting or boot device the
// machine does not know is skipped with a warning text.
void ArchiveRestore(const CValueMap& archive, unsigned fAreas, CValueMap& machine, std::vector<std::string>& warnings);
