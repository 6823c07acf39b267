// The program's entry point. Linked into the executable itself (not taken from the
// library), because the C runtime's start-up code asks for it only after the libraries
// have been searched.
#include "AfxApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int nCmdShow) {
    return AfxWinMain(hInstance, lpCmdLine, nCmdShow);
}
