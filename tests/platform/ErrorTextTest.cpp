#include "platform/Msc.h"
#include "trace/QuillTrace.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// The system's own text for a code, without its line end.
std::string SystemText(DWORD dwCode)
{
    char* szMessage = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, dwCode, 0x400,
                   reinterpret_cast<char*>(&szMessage), 0, nullptr);
    std::string text = szMessage ? szMessage : "";
    LocalFree(szMessage);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

TEST(ErrorText, SystemCodeWithoutLineBreak)
{
    std::string text = MscErrorTextGet(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text, SystemText(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(ErrorText, FacilityWindowsUsesTheLowWord)
{
    EXPECT_EQ(std::string(MscErrorTextGet(0x80080005)), SystemText(5));
    EXPECT_EQ(std::string(MscErrorTextGet(0x80070005)), SystemText(0x80070005));
}

TEST(ErrorText, WmiTableIsTheFallback)
{
    EXPECT_STREQ(MscErrorTextGet(0x80041002), "The object could not be found.");
    EXPECT_STREQ(MscErrorTextGet(0x80041010), "The specified class is not valid");
    EXPECT_STREQ(MscErrorTextGet(0x8004107A),
                 "Windows Server 2003 and Windows XP:  WMI cannot do the delete operation because the "
                 "provider does not allow it.");
    EXPECT_STREQ(CCQuillTrace::ErrorText(0x80042001),
                 "Windows Server 2003 and Windows XP:  The provider registration overlaps with the system "
                 "event domain.");
}

TEST(ErrorText, UnknownCode)
{
    EXPECT_STREQ(MscErrorTextGet(0x20001234), "unknown");
    EXPECT_STREQ(CCQuillTrace::ErrorText(0x20001234), "unknown");
}

TEST(ErrorText, BufferIsCutAndTerminated)
{
    char szBuffer[8];
    MscErrorText(0x80041001, szBuffer, sizeof(szBuffer));
    EXPECT_STREQ(szBuffer, "The cal");
}

TEST(ErrorText, LastErrorText)
{
    SetLastError(0);
    EXPECT_EQ(std::string(MscLastErrorText()), "err=0, '" + SystemText(0) + "'");
    SetLastError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(std::string(MscLastErrorText()), "err=2, '" + SystemText(2) + "'");
}
}  // namespace
