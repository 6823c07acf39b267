// The notebook maker's firmware bridge, ORVWmiAcpi.dll: reads and writes firmware
// variables through request strings and delivers firmware events to a window. The program
// links against its import library and finds the library beside its executable.
#pragma once
#include <windows.h>

#if defined(ORVWMIACPI_EXPORTS)
#define ORVWMIACPI_API __declspec(dllexport)
#else
#define ORVWMIACPI_API __declspec(dllimport)
#endif

// Sent to the window given to AddHWND; the event code is in the low byte of wParam.
#define WM_FIRMWARE_EVENT 0x4040

class ORVWMIACPI_API CORVWmiAcpi {
public:
    CORVWmiAcpi();
    ~CORVWmiAcpi();
    void AddHWND(HWND hWnd);
    bool ORVWMIEvent(const wchar_t* query, char* buffer, const wchar_t* wmiNamespace, const wchar_t* language);

private:
    CORVWmiAcpi(const CORVWmiAcpi&);
    CORVWmiAcpi& operator=(const CORVWmiAcpi&);
    void* m_pImpl;  // the library's own state, created by the constructor, released by the destructor
};

// Carries out one request ("namespace:op:class:group:index[:value]"); non-zero on success.
// After a successful query the reply holds the value as zero-terminated decimal text.
extern "C" ORVWMIACPI_API int __cdecl ORV_CallNamePipe(char* request, int requestSize, char* reply, int replySize);
