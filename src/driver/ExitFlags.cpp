#include "driver/ExitFlags.h"

#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <cstring>
#include <initializer_list>
#include <string>

namespace
{
enum EMatch
{
    eEqual,
    eEqualNoCase,
    eContains,
};

enum EEffect
{
    eOr,            // OR nValue
    eAssign,        // = nValue
    eAssignSeries,  // = nValue + index of the matching text
    eOrIfZero,      // OR nValue when nothing was recorded yet
};

struct CErrRule
{
    EMatch eMatch;
    EEffect eEffect;
    uint32_t nValue;
    std::initializer_list<unsigned> ids;
};

// Tried in this order; the first rule with a matching text wins.
const CErrRule g_rgErrRules[] = {
    {eEqual, eOr, 8, {5179, 5151}},
    {eEqualNoCase, eOr, 2, {5108, 5109, 5177}},
    {eEqualNoCase, eOr, 16, {5150, 5171}},
    {eEqualNoCase, eOr, 64, {5183}},
    {eEqualNoCase, eOr, 2, {5112, 5113, 5507, 5508, 5524, 5156, 5155, 5158, 5157, 5213, 5216}},
    {eContains, eOr, 32, {5120}},
    {eContains, eOr, 64, {5180}},
    {eContains, eOr, 4, {5181}},
    {eContains, eOr, 1024, {5190}},
    {eContains, eAssign, 301, {5182, 5193}},
    {eContains, eAssign, 305, {5192}},
    {eContains,
     eAssignSeries,
     1025,
     {5315, 5316, 5317, 5318, 5319, 5320, 5321, 5322, 5323, 5324, 5325, 5326, 5327, 5328}},
    {eContains, eOr, 2, {5121}},
    {eContains, eAssign, 255, {5198}},
    {eContains, eAssignSeries, 1041, {5331, 5332, 5333, 5334, 5335}},
    {eContains, eAssign, 1046, {5201}},
    {eContains, eAssign, 1048, {5203}},
    {eContains, eAssign, 1049, {5215}},
    {eEqualNoCase, eOr, 8, {5900, 5903}},
    {eEqualNoCase, eOrIfZero, 2, {5904, 5905, 5906, 5907, 5908, 5909, 5910, 5926, 5911, 5912}},
    {eContains, eAssign, 1047, {5202}},
    {eContains, eAssign, 401, {5206, 5209}},
    {eContains, eAssign, 402, {5207}},
    {eEqualNoCase, eOrIfZero, 2, {5913, 5914, 5915, 5916, 5917, 5918, 5919, 5920, 5921, 5922, 5923, 5924, 5925}},
};

bool TextMatches(EMatch eMatch, const char* szTxt, const char* szTable)
{
    switch (eMatch)
    {
    case eEqual: return strcmp(szTxt, szTable) == 0;
    case eEqualNoCase: return _stricmp(szTxt, szTable) == 0;
    case eContains: return strstr(szTxt, szTable) != nullptr;
    }
    return false;
}
}  // namespace

bool CExitFlags::ErrText2Flag(const char* szTxt)
{
    for (const CErrRule& rule : g_rgErrRules)
    {
        uint32_t nIndex = 0;
        for (unsigned id : rule.ids)
        {
            std::string table = MscLoadStringResource(id);
            if (TextMatches(rule.eMatch, szTxt, table.c_str()))
            {
                switch (rule.eEffect)
                {
                case eOr: Or(rule.nValue); break;
                case eAssign: Set(rule.nValue); break;
                case eAssignSeries: Set(rule.nValue + nIndex); break;
                case eOrIfZero:
                    if (m_nValue == 0)
                        Or(rule.nValue);
                    break;
                }
                return true;
            }
            ++nIndex;
        }
    }
    KRLX_TRACE(eTrcWarning, "CExitFlags::ErrText2Flag", "Internal", "Not handled error message", "szTxt='%s'", szTxt);
    return false;
}

bool CExitFlags::ActionStatus2Flag(const char* szValue)
{
    struct
    {
        unsigned id;
        uint32_t nCode;
    } const rgStates[] = {{5205, 0}, {5207, 402}, {5206, 401}, {5209, 401}};
    for (const auto& state : rgStates)
    {
        if (strcmp(szValue, MscLoadStringResource(state.id)) == 0)
        {
            Set(state.nCode);
            return true;
        }
    }
    return false;
}
