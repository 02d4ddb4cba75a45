// Resource identifiers: dialogs, controls, pictures and strings.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SETUP_DIALOG 102
#define IDD_LANGUAGE 137
#define IDD_WELCOME 138
#define IDD_COPY 140
#define IDD_SETTING 143

// Icon, bitmaps, strings.
#define IDR_MAINFRAME 128
#define IDB_BANNER 144
#define IDB_HEADER 145
#define IDS_ABOUTBOX 101

// System-menu command of the About entry (the low four bits are free for the system).
#define IDM_ABOUTBOX 0x0010

// Wizard window (102).
#define IDC_PLACEHOLDER 1000
#define IDC_CANCEL_BUTTON 1061
#ifndef ID_WIZBACK
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025
#endif

// About box (100).
#define IDC_ABOUT_VERSION 1062
#define IDC_ABOUT_NOTICE 1063

// Header of pages 137 and 140.
#define IDC_HEADER_FRAME 1040
#define IDC_HEADER_PICTURE 1065

// Welcome page (138).
#define IDC_WELCOME_TITLE 1042
#define IDC_WELCOME_INSTALL 1043
#define IDC_WELCOME_ADVICE 1044
#define IDC_WELCOME_CONTINUE 1045

// System and language page (137).
#define IDC_LANGUAGE_HEADER_TITLE 1051
#define IDC_LANGUAGE_HEADER_SUBTITLE 1052
#define IDC_OS_FRAME 1053
#define IDC_LANGUAGE_FRAME 1054
#define IDC_LANGUAGE_CHINESE 1037
#define IDC_LANGUAGE_ENGLISH 1038
#define IDC_OS_WIN2000 1070
#define IDC_OS_WINXP 1071
#define IDC_OS_WIN2003 1072
#define IDC_OS_VISTA 1073
#define IDC_OS_WIN7 1074

// Printer settings page (143).
#define IDC_SERIES_CAPTION 1055
#define IDC_SETTINGS_FRAME 1056
#define IDC_DEFAULT_PRINTER 1039
#define IDC_NAME_CAPTION 1057
#define IDC_PRINTER_NAME 1019
#define IDC_SERIES_LIST 1006

// Progress page (140).
#define IDC_COPY_HEADER_TITLE 1058
#define IDC_COPY_HEADER_SUBTITLE 1059
#define IDC_COPY_STATUS 1060
#define IDC_COPY_PROGRESS 1035
