// The administrator's guide as the document tests read it: its lines, its
// fenced code blocks and the body rows of its Markdown tables.
#pragma once

#include <string>
#include <vector>

using CRow = std::vector<std::string>;

struct CBlock
{
    std::string language;
    std::vector<std::string> lines;
};

// Without the spaces and tabs around it.
std::string Trimmed(const std::string& text);
// The lines of a text, without their line ends (\n or \r\n).
std::vector<std::string> Lines(const std::string& text);

std::string GuideText();
std::vector<CBlock> GuideBlocks();
// The trimmed cells of the body rows of the guide's first table whose header
// starts with these cells; a `\|` stays in its cell as `|`.
std::vector<CRow> GuideTable(const CRow& header);
