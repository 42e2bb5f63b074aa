// Reading trace files back in tests: UTF-16 units to narrow text, lines and
// columns.
#pragma once

#include <string>
#include <vector>

struct CTraceFile
{
    bool fBom = false;
    // The units after the byte-order mark, each as one narrow character.
    std::string text;
};

CTraceFile TraceFileRead(const std::string& path);
bool FileExists(const std::string& path);

// Lines ended by CR LF; a last line without its end is kept.
std::vector<std::string> TraceLines(const std::string& text);
// The lines that start a record (those that begin with the time column);
// details with line feeds add lines that do not.
std::vector<std::string> RecordLines(const std::string& text);
// The line starts with the time column, as "04.12.2026 12:41:54.123".
bool HasTimeColumn(const std::string& line);
std::vector<std::string> Columns(const std::string& line);
// The names of a folder's entries, "." and ".." left out.
std::vector<std::string> DirNames(const std::string& dir);
// "%04u", as the id columns show process and thread ids.
std::string IdText(unsigned long nId);
// The two records a failed file switch writes into the current file.
std::string FallbackWarning(unsigned long dwError);
std::string FallbackError(const std::string& switchName);
// The record columns after the time column: "\tpid\ttid\tlevel..." of a line.
std::string AfterTime(const std::string& line);
