// A wide-character string with the few operations the program needs.
#pragma once
#include <windows.h>
#include <string>

class CString {
public:
    CString() = default;
    CString(LPCWSTR psz) : m_str(psz ? psz : L"") {}
    CString(LPCWSTR pch, int nLength) : m_str(pch, static_cast<size_t>(nLength)) {}

    operator LPCWSTR() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    WCHAR GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }

    // Index of the first ch, or -1.
    int Find(WCHAR ch) const;
    CString Left(int nCount) const;
    CString Mid(int nFirst) const;

    // Loads a string-table entry from the resource module; FALSE (and empty) when missing.
    BOOL LoadString(UINT nID);

    CString& operator=(LPCWSTR psz) { m_str = psz ? psz : L""; return *this; }
    CString& operator+=(LPCWSTR psz) { m_str += psz ? psz : L""; return *this; }
    bool operator==(LPCWSTR psz) const { return m_str == (psz ? psz : L""); }

private:
    std::wstring m_str;
};
