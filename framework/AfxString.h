// A wide-character string with the few operations the program needs. The characters live
// in one buffer the string owns (always terminated, so the string converts to LPCWSTR at no
// cost); the C++ library's basic_string is deliberately not used, because linking it adds
// about a hundred kilobytes to a program this small.
#pragma once
#include <windows.h>
#include <memory>

class CString {
public:
    CString() = default;
    CString(LPCWSTR psz);
    // Takes exactly nLength characters (embedded zeros included); a negative length or a
    // null pointer gives an empty string.
    CString(LPCWSTR pch, int nLength);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    ~CString() = default;

    operator LPCWSTR() const;
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty();
    // The character at i; 0 outside the string.
    WCHAR GetAt(int i) const;

    // Index of the first ch, or -1.
    int Find(WCHAR ch) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Loads a string-table entry from the resource module; FALSE (and empty) when missing.
    BOOL LoadString(UINT nID);

    CString& operator=(LPCWSTR psz);
    CString& operator+=(LPCWSTR psz);
    bool operator==(LPCWSTR psz) const;

private:
    // Both build the new buffer before the old one is released, so the characters may come
    // from this very string (s = s, s += s).
    void Assign(LPCWSTR pch, int nLength);
    void Concatenate(LPCWSTR pchA, int nLengthA, LPCWSTR pchB, int nLengthB);

    std::unique_ptr<WCHAR[]> m_pData;  // null while the string is empty
    int m_nLength = 0;
};
