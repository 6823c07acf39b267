// CMenuXP: a popup menu whose entries are item objects that it measures and paints itself,
// in a flat or a 3-D style, with an optional side bar in a column of its own.
#pragma once
#include "AfxDC.h"
#include "AfxMenu.h"
#include "MenuXPItem.h"
#include "MenuXPMeasureContext.h"
#include <memory>

class CMenuXP : public CMenu {
    DECLARE_DYNAMIC(CMenuXP)
public:
    enum { STYLE_3D = 0, STYLE_FLAT = 2 };

    CMenuXP();
    ~CMenuXP() override;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

    // The drawing steps of one entry. DrawItem calls each through the object, so a
    // subclass can change a single step.
    virtual void DrawBackground(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled);
    virtual void DrawButton(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled, BOOL bChecked);
    virtual void DrawIcon(CDC* pDC, CRect rect, HICON hIcon, BOOL bSelected, BOOL bDisabled,
                          BOOL bChecked);
    virtual void DrawSideBar(CDC* pDC, CRect rect, HICON hIcon, CString strText);
    virtual void DrawItemText(CDC* pDC, CRect rect, CString strText, BOOL bSelected,
                              BOOL bDisabled, BOOL bBold);
    virtual void DrawCheckMark(CDC* pDC, CRect rect, BOOL bSelected);
    virtual void DrawTabbedText(CDC* pDC, CRect rect, CString strText, COLORREF clrText);
    virtual void DrawIconArea(CDC* pDC, CRect rect, BOOL bSelected, BOOL bDisabled,
                              BOOL bChecked);

    // The menu takes ownership of pItem (freed at once if the entry cannot be added).
    void AppendItem(CMenuXPItem* pItem);
    void AppendSeparator();
    // The side bar gets a column of its own: the next AppendItem starts a new one.
    void AppendSideBar(CMenuXPSideBar* pItem);
    // Frees the item objects of the entries, nested CMenuXP sub-menus and the background
    // picture. The entries stay in the menu.
    void DestroyItems();

    CFont m_fontMenu;
    COLORREF m_clrBack;
    COLORREF m_clrSelBack;
    COLORREF m_clrText;
    COLORREF m_clrSelText;
    COLORREF m_clrGrayText;
    COLORREF m_clrSideBarStart = RGB(225, 225, 225);  // bottom of the bar
    COLORREF m_clrSideBarEnd = RGB(0, 0, 0);          // top of the bar
    COLORREF m_clrIconArea;
    BOOL m_bBreak = FALSE;
    BOOL m_bBreakBar = FALSE;
    HBITMAP m_hBackBitmap = nullptr;  // owned
    CDC m_memDC;                      // holds the background picture when there is one
    int m_nStyle = STYLE_FLAT;

protected:
    // The menu font as a LOGFONT, and a bold copy of it.
    LOGFONTW MenuLogFont() const;
    BOOL CreateBoldMenuFont(CFont& font) const;

private:
    // The check-mark size, asked of the system once per menu: Wine works it out afresh
    // (with a device context and a font) on every call. A tray menu is built for each
    // opening, so a settings change reaches the next one.
    SIZE MenuCheckSize();
    // The context for measuring text entries, made on the first entry measured. The
    // system asks for every size before it paints any entry, so the first paint releases
    // it again: an open menu holds no more GDI objects than its font.
    CMenuXPMeasureContext& MeasureContext();

    void AppendOwnedItem(UINT nFlags, CMenuXPItem* pItem);
    void DrawSeparatorEntry(CDC* pDC, const CRect& rcItem, const CMenuXPItem& item);
    void DrawTextEntry(CDC* pDC, const CRect& rcItem, const CMenuXPItem& item, UINT itemState);

    SIZE m_sizeMenuCheck = {-1, -1};  // not asked yet
    std::unique_ptr<CMenuXPMeasureContext> m_pMeasureContext;
};
