// Command targets and windows: the object behind a window handle, its window procedure
// and the walk through the message maps.
#pragma once
#include "AfxMsgMap.h"
#include "AfxObject.h"

class CMenu;

class CCmdTarget : public CObject {
public:
    // Looks for a handler of message nMessage (for WM_COMMAND: command nID with code nCode)
    // in this object's maps; calls it and stores its result when found.
    BOOL DispatchToMap(UINT nMessage, UINT nID, UINT nCode, WPARAM wParam, LPARAM lParam,
                       LRESULT* pResult);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

class CWnd : public CCmdTarget {
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    ~CWnd() override;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The object attached to hWnd, or a temporary one that lives until the current
    // message has been handled.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL Attach(HWND hWnd);
    HWND Detach();

    // Routes this window's messages through WindowProc from now on.
    BOOL SubclassWindow(HWND hWnd);

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) {
        ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
    }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    int MessageBox(LPCWSTR lpszText, LPCWSTR lpszCaption = nullptr, UINT nType = MB_OK) {
        return ::MessageBoxW(m_hWnd, lpszText, lpszCaption, nType);
    }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    CMenu* GetSystemMenu(BOOL bRevert) const;

    static CWnd* GetDesktopWindow() { return FromHandle(::GetDesktopWindow()); }

    // The window's processing of one message: the message map, else the default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

    // The window procedure the framework gives every window it routes.
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Default processing of the message being handled.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Called once the window is gone (WM_NCDESTROY), after the handle has been detached.
    virtual void PostNcDestroy() {}
    // Messages that no map entry takes but that the framework answers itself.
    virtual BOOL OnDefaultMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    WNDPROC m_pfnSuper = nullptr;

private:
    MSG m_msgCur = {};
};

// Frees the temporary window and menu objects made by FromHandle; the framework calls it
// when a message has been handled and no other is in progress on the thread.
void AfxDeleteTempMaps();
