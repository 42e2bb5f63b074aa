// One dependency of a dependency table and the maps that hold them.
#pragma once

#include <windows.h>

#include <mbstring.h>

#include <map>
#include <string>

struct AssemblyIdentity
{
    char m_szName[MAX_PATH] = "";  // also the component's file name
    char m_szVersion[MAX_PATH] = "";
    char m_szProgID[MAX_PATH] = "";  // version-dependent; COM components only
    char m_szVersionIndependentProgID[MAX_PATH] = "";
    char m_szPath[MAX_PATH] = "";  // root\name\version\name
};

// Keys compare without regard to letter case, multibyte-aware in the
// system code page.
struct CCNoCaseLess
{
    bool operator()(const std::string& left, const std::string& right) const
    {
        return _mbsicmp(reinterpret_cast<const unsigned char*>(left.c_str()),
                        reinterpret_cast<const unsigned char*>(right.c_str())) < 0;
    }
};

// COM components by version-independent ProgID, plain libraries by name.
using CCAssemblyIdentityMap = std::map<std::string, AssemblyIdentity, CCNoCaseLess>;
