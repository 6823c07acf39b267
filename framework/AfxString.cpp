#include "AfxString.h"
#include "AfxApp.h"
#include <climits>
#include <cstring>
#include <cwchar>
#include <new>

namespace {

int LengthOf(LPCWSTR psz) {
    if (psz == nullptr) return 0;
    const size_t n = std::wcslen(psz);
    if (n > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(n);
}

void CopyChars(WCHAR* pDest, LPCWSTR pSrc, int nCount) {
    if (nCount > 0) std::memcpy(pDest, pSrc, static_cast<size_t>(nCount) * sizeof(WCHAR));
}

}  // namespace

CString::CString(LPCWSTR psz) { Assign(psz, LengthOf(psz)); }

CString::CString(LPCWSTR pch, int nLength) {
    if (pch != nullptr && nLength > 0) Assign(pch, nLength);
}

CString::CString(const CString& other) { Assign(other.m_pData.get(), other.m_nLength); }

CString::CString(CString&& other) noexcept
    : m_pData(std::move(other.m_pData)), m_nLength(other.m_nLength) {
    other.m_nLength = 0;
}

CString& CString::operator=(const CString& other) {
    Assign(other.m_pData.get(), other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept {
    if (this != &other) {
        m_pData = std::move(other.m_pData);
        m_nLength = other.m_nLength;
        other.m_nLength = 0;
    }
    return *this;
}

CString::operator LPCWSTR() const { return m_pData ? m_pData.get() : L""; }

void CString::Empty() {
    m_pData.reset();
    m_nLength = 0;
}

WCHAR CString::GetAt(int i) const {
    return i >= 0 && i < m_nLength ? m_pData[static_cast<size_t>(i)] : L'\0';
}

int CString::Find(WCHAR ch) const {
    for (int i = 0; i < m_nLength; ++i)
        if (m_pData[static_cast<size_t>(i)] == ch) return i;
    return -1;
}

CString CString::Left(int nCount) const {
    if (nCount > m_nLength) nCount = m_nLength;
    return CString(m_pData.get(), nCount);
}

CString CString::Mid(int nFirst) const {
    if (nFirst < 0) nFirst = 0;
    if (nFirst >= m_nLength) return CString();
    return CString(m_pData.get() + nFirst, m_nLength - nFirst);
}

BOOL CString::LoadString(UINT nID) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself,
    // so strings of any length load without a guessed buffer.
    LPCWSTR p = nullptr;
    int n = ::LoadStringW(AfxGetResourceHandle(), nID, reinterpret_cast<LPWSTR>(&p), 0);
    if (n <= 0 || p == nullptr) {
        Empty();
        return FALSE;
    }
    Assign(p, n);
    return TRUE;
}

CString& CString::operator=(LPCWSTR psz) {
    Assign(psz, LengthOf(psz));
    return *this;
}

CString& CString::operator+=(LPCWSTR psz) {
    const int nAdded = LengthOf(psz);
    if (nAdded > 0) Concatenate(m_pData.get(), m_nLength, psz, nAdded);
    return *this;
}

bool CString::operator==(LPCWSTR psz) const {
    const int nOther = LengthOf(psz);
    return nOther == m_nLength &&
           (m_nLength == 0 ||
            std::memcmp(m_pData.get(), psz, static_cast<size_t>(m_nLength) * sizeof(WCHAR)) == 0);
}

void CString::Assign(LPCWSTR pch, int nLength) { Concatenate(pch, nLength, nullptr, 0); }

void CString::Concatenate(LPCWSTR pchA, int nLengthA, LPCWSTR pchB, int nLengthB) {
    const size_t nTotal = static_cast<size_t>(nLengthA) + static_cast<size_t>(nLengthB);
    if (nTotal == 0) {
        Empty();
        return;
    }
    if (nTotal > static_cast<size_t>(INT_MAX)) throw std::bad_alloc();
    std::unique_ptr<WCHAR[]> pData(new WCHAR[nTotal + 1]);
    CopyChars(pData.get(), pchA, nLengthA);
    CopyChars(pData.get() + nLengthA, pchB, nLengthB);
    pData[nTotal] = L'\0';
    m_pData = std::move(pData);
    m_nLength = static_cast<int>(nTotal);
}
