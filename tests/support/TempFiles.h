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

// The lines of a text, split at line feeds (no empty last line).
std::string::size_type LinesCount(const std::string& text);
