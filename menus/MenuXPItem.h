// The entries of a CMenuXP: each owner-drawn entry's item data is one of these objects.
#pragma once
#include "AfxString.h"

// Marks item data that is a CMenuXPItem.
constexpr DWORD MENUXP_ITEM_TAG = 0x0505A0A0;

class CMenuXPItem {
public:
    DWORD m_dwMagicNum = MENUXP_ITEM_TAG;
    UINT m_dwID = 0;
    bool m_bSeparator = false;
    bool m_bSideBar = false;
    bool m_bButtonOnly = false;
    CString m_strText;
    HICON m_hIcon = nullptr;  // owned: destroyed with the item
    int m_nSize = 16;

    CMenuXPItem();
    virtual ~CMenuXPItem();
    CMenuXPItem(const CMenuXPItem&) = delete;
    CMenuXPItem& operator=(const CMenuXPItem&) = delete;

    // The item behind a menu entry's item data, or NULL when the data is not a live item.
    // Only addresses of items that exist are looked at, so foreign item data (a number, a
    // freed object) is never read.
    static CMenuXPItem* FromItemData(ULONG_PTR itemData);
};

// A text entry with an optional icon, which it takes over.
class CMenuXPText : public CMenuXPItem {
public:
    CMenuXPText(UINT nID, LPCWSTR lpszText, HICON hIcon) {
        m_dwID = nID;
        m_strText = lpszText;
        m_hIcon = hIcon;
    }
};

class CMenuXPSeparator : public CMenuXPItem {
public:
    CMenuXPSeparator() { m_bSeparator = true; }
};

// The vertical strip with the rotated caption in the menu's first column.
class CMenuXPSideBar : public CMenuXPItem {
public:
    CMenuXPSideBar() {
        m_bSideBar = true;
        m_strText = L"Tarvel";
    }
};
