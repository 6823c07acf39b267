// CString keeps its characters in a buffer of its own; these cases are the ones where an
// owned buffer goes wrong: copies that share, appends from the string itself, embedded
// zeros, cut-offs at and beyond the ends, and the string table.
#include "AfxString.h"
#include "resource.h"
#include <gtest/gtest.h>
#include <utility>

namespace {

TEST(FrameworkString, EmptyAndNullConvertToAnEmptyTerminatedText) {
    CString a;
    CString b(static_cast<LPCWSTR>(nullptr));
    CString c(nullptr, 5);
    CString d(L"abc", -1);
    for (const CString* s : {&a, &b, &c, &d}) {
        EXPECT_TRUE(s->IsEmpty());
        EXPECT_EQ(s->GetLength(), 0);
        ASSERT_NE(static_cast<LPCWSTR>(*s), nullptr);
        EXPECT_STREQ(static_cast<LPCWSTR>(*s), L"");
        EXPECT_TRUE(*s == L"");
        EXPECT_TRUE(*s == static_cast<LPCWSTR>(nullptr));
    }
}

TEST(FrameworkString, CopiesOwnTheirCharacters) {
    CString original(L"Enable");
    CString copy(original);
    CString assigned;
    assigned = original;
    original += L" now";
    EXPECT_STREQ(copy, L"Enable");
    EXPECT_STREQ(assigned, L"Enable");
    EXPECT_STREQ(original, L"Enable now");
    EXPECT_NE(static_cast<LPCWSTR>(copy), static_cast<LPCWSTR>(assigned));

    CString moved(std::move(copy));
    EXPECT_STREQ(moved, L"Enable");
    EXPECT_TRUE(copy.IsEmpty());  // NOLINT: a moved-from string is defined to be empty
    EXPECT_STREQ(copy, L"");
}

TEST(FrameworkString, AssignAndAppendFromTheStringItself) {
    CString s(L"ab");
    s += s;
    EXPECT_STREQ(s, L"abab");
    s += static_cast<LPCWSTR>(s) + 2;
    EXPECT_STREQ(s, L"ababab");
    s = static_cast<LPCWSTR>(s) + 4;
    EXPECT_STREQ(s, L"ab");
    const CString& alias = s;
    s = alias;
    EXPECT_STREQ(s, L"ab");
    s += nullptr;
    s += L"";
    EXPECT_EQ(s.GetLength(), 2);
    s = nullptr;
    EXPECT_TRUE(s.IsEmpty());
}

TEST(FrameworkString, ExplicitLengthKeepsEmbeddedZeros) {
    const WCHAR text[] = {L'a', L'\0', L'b'};
    CString s(text, 3);
    EXPECT_EQ(s.GetLength(), 3);
    EXPECT_EQ(s.GetAt(2), L'b');
    EXPECT_EQ(s.Find(L'b'), 2);
    EXPECT_FALSE(s == L"a");  // the comparison sees all three characters
    EXPECT_STREQ(s.Mid(2), L"b");
}

TEST(FrameworkString, FindLeftMidAndGetAtStayInsideTheString) {
    CString s(L"Enable\tCtrl+E");
    EXPECT_EQ(s.Find(L'\t'), 6);
    EXPECT_EQ(s.Find(L'x'), -1);
    EXPECT_EQ(CString().Find(L'\0'), -1);
    EXPECT_STREQ(s.Left(6), L"Enable");
    EXPECT_STREQ(s.Mid(7), L"Ctrl+E");
    EXPECT_STREQ(s.Left(0), L"");
    EXPECT_STREQ(s.Left(-3), L"");
    EXPECT_STREQ(s.Left(100), L"Enable\tCtrl+E");
    EXPECT_STREQ(s.Mid(-2), L"Enable\tCtrl+E");
    EXPECT_STREQ(s.Mid(13), L"");
    EXPECT_STREQ(s.Mid(100), L"");
    EXPECT_EQ(s.GetAt(0), L'E');
    EXPECT_EQ(s.GetAt(12), L'E');
    EXPECT_EQ(s.GetAt(13), L'\0');
    EXPECT_EQ(s.GetAt(-1), L'\0');
    EXPECT_EQ(CString().GetAt(0), L'\0');
    s.Empty();
    EXPECT_TRUE(s == L"");
}

TEST(FrameworkString, LoadStringReadsTheTableAndEmptiesOnAMissingEntry) {
    CString s(L"previous");
    ASSERT_TRUE(s.LoadString(IDS_ABOUTBOX));
    EXPECT_STREQ(s, L"&About Tarvel...");
    EXPECT_EQ(s.GetLength(), 16);
    EXPECT_FALSE(s.LoadString(0xBEEF));
    EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
