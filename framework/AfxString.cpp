#include "AfxString.h"
#include "AfxApp.h"

int CString::Find(WCHAR ch) const {
    size_t i = m_str.find(ch);
    return i == std::wstring::npos ? -1 : static_cast<int>(i);
}

CString CString::Left(int nCount) const {
    if (nCount < 0) nCount = 0;
    return CString(m_str.substr(0, static_cast<size_t>(nCount)).c_str());
}

CString CString::Mid(int nFirst) const {
    if (nFirst < 0) nFirst = 0;
    if (static_cast<size_t>(nFirst) >= m_str.size()) return CString();
    return CString(m_str.substr(static_cast<size_t>(nFirst)).c_str());
}

BOOL CString::LoadString(UINT nID) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself,
    // so strings of any length load without a guessed buffer.
    LPCWSTR p = nullptr;
    int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || p == nullptr) {
        m_str.clear();
        return FALSE;
    }
    m_str.assign(p, static_cast<size_t>(n));
    return TRUE;
}
