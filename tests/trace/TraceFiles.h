// Reading trace files back in tests: UTF-16 units to narrow text, lines and
// the columns after the time column.
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
// Lines ended by CR LF; a last line without its end is kept.
std::vector<std::string> TraceLines(const std::string& text);
// A record's columns after its time column ("04.12.2026 12:41:54.123"),
// "\tpid\ttid\tlevel...", or empty when the line does not start a record.
std::string AfterTime(const std::string& line);
