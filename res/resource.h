// Identifiers shared by the program's code and its resource script. Plain macros, so that
// both the C++ compiler and the resource compiler read the same file.
#pragma once

#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_TARVEL_DIALOG       102
#define IDR_MAINFRAME           130
#define IDI_MENU_SELECTED       131
#define IDI_MENU_SELECTED_GRAY  132
#define IDI_MENU_ABOUT          133
#define IDI_MENU_EXIT           134

#define IDC_RADIO_OVERCLOCK     1000
#define IDC_RADIO_DOWNCLOCK     1001

// System-menu command of the About item; the low four bits of system commands belong to Windows.
#define IDM_ABOUTBOX            0x0010
