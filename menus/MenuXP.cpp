#include "MenuXP.h"

IMPLEMENT_DYNAMIC(CMenuXP, CMenu)

namespace {

// NONCLIENTMETRICSW as Vista and later fill it, with the padded border width.
constexpr UINT kNonClientMetricsSize = 504;
static_assert(sizeof(NONCLIENTMETRICSW) == kNonClientMetricsSize,
              "NONCLIENTMETRICSW must have the Vista layout");

LOGFONTW SystemMenuLogFont() {
    NONCLIENTMETRICSW ncm = {};
    ncm.cbSize = kNonClientMetricsSize;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &ncm, 0))
        return ncm.lfMenuFont;
    // Without the metrics the menu still needs a readable font: the one dialogs use.
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    return lf;
}

}  // namespace

CMenuXP::CMenuXP()
    : m_clrBack(::GetSysColor(COLOR_MENU)),
      m_clrSelBack(::GetSysColor(COLOR_HIGHLIGHT)),
      m_clrText(::GetSysColor(COLOR_MENUTEXT)),
      m_clrSelText(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
      m_clrGrayText(::GetSysColor(COLOR_GRAYTEXT)),
      m_clrIconArea(m_clrBack) {
    LOGFONTW lf = SystemMenuLogFont();
    m_fontMenu.CreateFontIndirect(&lf);
}

CMenuXP::~CMenuXP() {
    m_fontMenu.DeleteObject();
    DestroyItems();
    m_memDC.DeleteDC();
    // CMenu's destructor destroys the menu handle.
}

LOGFONTW CMenuXP::MenuLogFont() const {
    LOGFONTW lf = {};
    if (m_fontMenu.GetLogFont(&lf) == 0)
        lf = SystemMenuLogFont();
    return lf;
}

BOOL CMenuXP::CreateBoldMenuFont(CFont& font) const {
    LOGFONTW lf = MenuLogFont();
    lf.lfWeight = FW_BOLD;
    return font.CreateFontIndirect(&lf);
}

void CMenuXP::AppendOwnedItem(UINT nFlags, CMenuXPItem* pItem) {
    if (!::AppendMenuW(m_hMenu, nFlags, pItem->m_dwID, reinterpret_cast<LPCWSTR>(pItem)))
        delete pItem;  // no entry carries it, so DestroyItems would never find it
}

void CMenuXP::AppendItem(CMenuXPItem* pItem) {
    UINT nFlags = m_bBreak ? (MF_OWNERDRAW | MF_MENUBREAK) : MF_OWNERDRAW;
    if (m_bBreakBar)
        nFlags |= MF_MENUBARBREAK;
    m_bBreak = FALSE;
    m_bBreakBar = FALSE;
    AppendOwnedItem(nFlags, pItem);
}

void CMenuXP::AppendSeparator() {
    m_bBreak = FALSE;
    m_bBreakBar = FALSE;
    AppendOwnedItem(MF_SEPARATOR | MF_OWNERDRAW, new CMenuXPSeparator);
}

void CMenuXP::AppendSideBar(CMenuXPSideBar* pItem) {
    m_bBreak = TRUE;
    m_bBreakBar = FALSE;
    AppendOwnedItem(MF_SEPARATOR | MF_OWNERDRAW, pItem);
}

void CMenuXP::DestroyItems() {
    if (m_hBackBitmap != nullptr) {
        CBitmap picture;
        picture.Attach(m_hBackBitmap);
        m_hBackBitmap = nullptr;
    }
    int nCount = ::GetMenuItemCount(m_hMenu);
    for (int nPos = 0; nPos < nCount; ++nPos) {
        MENUITEMINFOW mii = {};
        mii.cbSize = sizeof(mii);
        mii.fMask = MIIM_TYPE | MIIM_DATA;
        if (::GetMenuItemInfoW(m_hMenu, static_cast<UINT>(nPos), TRUE, &mii) &&
            (mii.fType & MFT_OWNERDRAW) != 0)
            delete CMenuXPItem::FromItemData(mii.dwItemData);

        // Only an attached object can be a CMenuXP; a temporary wrapper never is.
        CMenu* pSubMenu = CMenu::FromHandlePermanent(::GetSubMenu(m_hMenu, nPos));
        if (pSubMenu != nullptr && pSubMenu->IsKindOf(RUNTIME_CLASS(CMenuXP)))
            delete pSubMenu;
    }
}
