// Message maps: each window class lists the messages it handles; a message travels from
// the window procedure to the first matching entry of the most derived class's map, then
// of its base maps, and otherwise to the window's default processing.
#pragma once
#include <windows.h>

class CCmdTarget;

// Calls one handler on the object the message is for and turns its result into an LRESULT.
typedef LRESULT (*AFX_THUNK)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;           // window message, 0 for a registered message (see pnMessage)
    UINT nCode;              // WM_COMMAND: notification code
    UINT nID;                // WM_COMMAND: control or command identifier
    const UINT* pnMessage;   // registered message: where its number is kept, else null
    AFX_THUNK pfnThunk;      // null ends the map
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                           \
protected:                                              \
    static const AFX_MSGMAP* GetThisMessageMap();       \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                            \
        typedef theClass ThisClass;                                              \
        typedef baseClass TheBaseClass;                                          \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                        \
            {0, 0, 0, nullptr, nullptr}};                                        \
        static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
        return &messageMap;                                                      \
    }

#define AFX_SELF(w) static_cast<ThisClass*>(w)

// Window messages, each with the handler form the framework gives it.
#define ON_WM_SYSCOMMAND()                                                                       \
    {WM_SYSCOMMAND, 0, 0, nullptr, [](CCmdTarget* w, WPARAM wp, LPARAM lp) -> LRESULT {                \
         AFX_SELF(w)->OnSysCommand(static_cast<UINT>(wp), lp); return 0; }},
#define ON_WM_PAINT()                                                                            \
    {WM_PAINT, 0, 0, nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT {                           \
         AFX_SELF(w)->OnPaint(); return 0; }},
#define ON_WM_QUERYDRAGICON()                                                                    \
    {WM_QUERYDRAGICON, 0, 0, nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT {                   \
         return reinterpret_cast<LRESULT>(AFX_SELF(w)->OnQueryDragIcon()); }},
#define ON_WM_TIMER()                                                                            \
    {WM_TIMER, 0, 0, nullptr, [](CCmdTarget* w, WPARAM wp, LPARAM) -> LRESULT {                        \
         AFX_SELF(w)->OnTimer(static_cast<UINT_PTR>(wp)); return 0; }},
#define ON_WM_CLOSE()                                                                            \
    {WM_CLOSE, 0, 0, nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT {                           \
         AFX_SELF(w)->OnClose(); return 0; }},
#define ON_WM_DESTROY()                                                                          \
    {WM_DESTROY, 0, 0, nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT {                         \
         AFX_SELF(w)->OnDestroy(); return 0; }},
#define ON_WM_WINDOWPOSCHANGING()                                                                \
    {WM_WINDOWPOSCHANGING, 0, 0, nullptr, [](CCmdTarget* w, WPARAM, LPARAM lp) -> LRESULT {            \
         AFX_SELF(w)->OnWindowPosChanging(reinterpret_cast<WINDOWPOS*>(lp)); return 0; }},
#define ON_WM_ENDSESSION()                                                                       \
    {WM_ENDSESSION, 0, 0, nullptr, [](CCmdTarget* w, WPARAM wp, LPARAM) -> LRESULT {                   \
         AFX_SELF(w)->OnEndSession(static_cast<BOOL>(wp)); return 0; }},

// Any message, handled as LRESULT handler(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                           \
    {message, 0, 0, nullptr, [](CCmdTarget* w, WPARAM wp, LPARAM lp) -> LRESULT {                      \
         return AFX_SELF(w)->memberFxn(wp, lp); }},
// A message registered at run time; nMessageVariable holds its number.
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn)                                       \
    {0, 0, 0, &nMessageVariable, [](CCmdTarget* w, WPARAM wp, LPARAM lp) -> LRESULT {                  \
         return AFX_SELF(w)->memberFxn(wp, lp); }},

// Commands, handled as void handler().
#define ON_COMMAND(id, memberFxn)                                                                \
    {WM_COMMAND, 0, static_cast<UINT>(id), nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT {     \
         AFX_SELF(w)->memberFxn(); return 0; }},
#define ON_BN_CLICKED(id, memberFxn)                                                             \
    {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), nullptr, [](CCmdTarget* w, WPARAM, LPARAM) -> LRESULT { \
         AFX_SELF(w)->memberFxn(); return 0; }},
