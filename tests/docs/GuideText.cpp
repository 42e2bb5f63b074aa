#include "docs/GuideText.h"

#include "support/TempFiles.h"

#include <algorithm>
#include <sstream>
#include <utility>

namespace
{
CRow Cells(const std::string& line)
{
    CRow cells;
    const std::string row = Trimmed(line);
    if (row.size() < 2 || row.front() != '|' || row.back() != '|')
        return cells;
    std::string cell;
    for (size_t i = 1; i + 1 < row.size(); ++i)
    {
        if (row[i] == '\\' && row[i + 1] == '|')
            cell += row[++i];
        else if (row[i] == '|')
            cells.push_back(Trimmed(std::exchange(cell, std::string())));
        else
            cell += row[i];
    }
    cells.push_back(Trimmed(cell));
    return cells;
}
}  // namespace

std::string Trimmed(const std::string& text)
{
    size_t nBegin = text.find_first_not_of(" \t");
    return nBegin == std::string::npos ? std::string() : text.substr(nBegin, text.find_last_not_of(" \t") + 1 - nBegin);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string GuideText()
{
    return FileBytes(KORLIX_ADMIN_GUIDE);
}

std::vector<CBlock> GuideBlocks()
{
    std::vector<CBlock> blocks;
    bool fInside = false;
    for (const std::string& line : Lines(GuideText()))
    {
        if (line.rfind("```", 0) == 0)
        {
            if (!fInside)
                blocks.push_back({line.substr(3), {}});
            fInside = !fInside;
        }
        else if (fInside)
            blocks.back().lines.push_back(line);
    }
    return blocks;
}

std::vector<CRow> GuideTable(const CRow& header)
{
    std::vector<CRow> rows;
    std::vector<std::string> lines = Lines(GuideText());
    for (size_t i = 0; i + 1 < lines.size(); ++i)
    {
        CRow cells = Cells(lines[i]);
        if (cells.size() < header.size() || !std::equal(header.begin(), header.end(), cells.begin()))
            continue;
        for (size_t j = i + 2; j < lines.size() && !Cells(lines[j]).empty(); ++j)
            rows.push_back(Cells(lines[j]));
        break;
    }
    return rows;
}
