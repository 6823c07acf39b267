// The notebook maker's firmware bridge, ORVWmiAcpi.dll: reads and writes firmware
// variables through request strings and delivers firmware events to a window. The maker
// builds it with Microsoft's compiler, so it exports these declarations under that
// compiler's names; ORVWmiAcpi-i686.def and ORVWmiAcpi-x86_64.def beside this file list
// them, and the import library the program links is made from those files.
#pragma once
#include <windows.h>

// AddHWND's exported name encodes HWND as a pointer to struct HWND__; with NO_STRICT it
// would be a plain pointer and name a member the library does not have.
#if !defined(STRICT)
#error "ORVWmiAcpi.h needs the STRICT handle types (NO_STRICT changes AddHWND's name)"
#endif

// The library's exports come from the .def file, not from markings in its sources.
#if defined(ORVWMIACPI_EXPORTS)
#define ORVWMIACPI_API
#else
#define ORVWMIACPI_API __declspec(dllimport)
#endif

// 32-bit x86 has several calling conventions and the library was built with the members
// __thiscall and ORV_CallNamePipe __cdecl; spelled out so that no compiler option that
// changes the default convention can change what the program calls. 64-bit code has one.
#if defined(_M_IX86) || defined(__i386__)
#define ORVWMIACPI_MEMBER __thiscall
#else
#define ORVWMIACPI_MEMBER
#endif

// Sent to the window given to AddHWND; the event code is in the low byte of wParam.
#define WM_FIRMWARE_EVENT 0x4040

class ORVWMIACPI_API CORVWmiAcpi {
public:
    ORVWMIACPI_MEMBER CORVWmiAcpi();
    ORVWMIACPI_MEMBER ~CORVWmiAcpi();
    void ORVWMIACPI_MEMBER AddHWND(HWND hWnd);
    bool ORVWMIACPI_MEMBER ORVWMIEvent(const wchar_t* query, char* buffer, const wchar_t* wmiNamespace,
                                       const wchar_t* language);

private:
    CORVWmiAcpi(const CORVWmiAcpi&);
    CORVWmiAcpi& operator=(const CORVWmiAcpi&);
    void* m_pImpl;  // the library's own state, created by the constructor, released by the destructor

    // The program allocates this object (inside its main dialog) by this declaration's size,
    // but the maker's constructor lays out the maker's own members, which need not be the ones
    // above. The reserve gives them room, so that a larger object cannot overwrite what follows
    // it in the dialog; a class of this kind holds a few handles and pointers, far below 1 KiB.
    unsigned char m_reserve[1024];
};

// Carries out one request ("namespace:op:class:group:index[:value]"); non-zero on success.
// After a successful query the reply holds the value as zero-terminated decimal text.
extern "C" ORVWMIACPI_API int __cdecl ORV_CallNamePipe(char* request, int requestSize, char* reply, int replySize);
