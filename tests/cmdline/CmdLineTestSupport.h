// Helpers shared by the command-line tests: parse a list of parameters the
// way main hands them over, and show an option set as text.
#pragma once

#include "cmdline/DfCmdLine.h"

#include <ostream>
#include <string>
#include <vector>

// Part of each test file's own unnamed namespace, so that the test cases
// defined there find the output operator.
namespace
{
// A command line and whether CheckParams accepts it.
struct CCheckCase
{
    std::vector<std::string> args;
    bool fValid;
};

// Shows a failing case by its command line.
template <class TCase>
auto operator<<(std::ostream& os, const TCase& c) -> decltype(c.args, os)
{
    for (const std::string& arg : c.args)
        os << "'" << arg << "' ";
    return os;
}
}  // namespace

// Parses the parameters behind a program name.
template <class TCmdLine>
void ArgsParse(TCmdLine& cmd, const std::vector<std::string>& args)
{
    std::vector<std::string> texts{"Korlix.exe"};
    texts.insert(texts.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(text.data());
    cmd.Parse(static_cast<int>(argv.size()), argv.data());
}

inline std::string OptionsText(const COptionSet& options)
{
    std::string text;
    return options.ToText(text);
}

inline std::string OptionsText(const CDfCmdLine& cmd)
{
    return OptionsText(cmd.Options());
}
