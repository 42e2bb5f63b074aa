// Temporary files for scripts and records, removed when the owner goes.
#pragma once

#include <string>

class CTempFile
{
public:
    // A new empty file name in the temporary folder with this suffix.
    explicit CTempFile(const char* szSuffix = ".tmp");
    ~CTempFile();
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    const std::string& Path() const { return m_path; }
    void Write(const std::string& bytes) const;
    std::string Read() const;

private:
    std::string m_path;
};

// A file at a chosen path with the given bytes, removed when the owner goes.
class COwnedFile
{
public:
    COwnedFile(std::string path, const std::string& bytes);
    ~COwnedFile();
    COwnedFile(const COwnedFile&) = delete;
    COwnedFile& operator=(const COwnedFile&) = delete;

private:
    std::string m_path;
};

// A new empty folder in the temporary folder, removed with everything in it
// when the owner goes.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_path; }
    // The full path of a name inside the folder.
    std::string File(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// The temporary folder, with a trailing backslash; a name in it that no other
// owner uses, krlx_<process id>_<n> by default (the process id lets a later
// run tell the leftovers of a dead test process); a file or a folder with
// everything in it removed.
std::string TempDirGet();
std::string TempNameNew(const char* szSuffix, const char* szPrefix = "krlx_");
void TreeRemove(const std::string& path);

// A whole file's bytes (empty when it cannot be read), and a file with
// exactly these bytes.
std::string FileBytes(const std::string& path);
void FileWrite(const std::string& path, const std::string& bytes);
