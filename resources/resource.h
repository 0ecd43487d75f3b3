// Every resource and control id of the program, for setup.rc and the C++
// code. Dialog templates, the logo, the credits and the icon are named by
// strings ("InstallOptions", "CompanyLogo", "Credits", "InstallIcon");
// controls by these ids.
// Plain defines only: the resource compiler reads this file too.
#ifndef SETUP_RESOURCE_H
#define SETUP_RESOURCE_H

#define IDC_STATIC (-1)

// Bitmaps of the options list: selected, required, not to be installed.
#define IDB_SELECTED 20000
#define IDB_REQUIRED 20001
#define IDB_NOINSTALL 20002

// "InstallOptions"
#define IDC_OPT_OK 109
#define IDC_OPT_LIST 110
#define IDC_OPT_GROUP 117
#define IDC_OPT_DEFAULTS 308
#define IDC_OPT_DIR 310
#define IDC_OPT_DIRLABEL 740
#define IDC_OPT_DESTREQUIRED 1107
#define IDC_OPT_DESTAVAIL 1108
#define IDC_OPT_NOSPACE 1300
#define IDC_OPT_DESTLABEL 3000
#define IDC_OPT_WINLABEL 3001
#define IDC_OPT_WINAVAIL 3002
#define IDC_OPT_WINREQUIRED 3003

// "GetDisk"
#define IDC_DISK_PROMPT 111
#define IDC_DISK_DIR 112

// "DiskSpace"
#define IDC_SPACE_LINE1 101
#define IDC_SPACE_LINE2 102
#define IDC_SPACE_LINE3 103
#define IDC_SPACE_LINE4 104
#define IDC_SPACE_LINE5 105
#define IDC_SPACE_LINE6 106
#define IDC_SPACE_LINE7 107

// "MyMessageBox"
#define IDC_MSG_LINE1 131
#define IDC_MSG_LINE2 132
#define IDC_MSG_LINE3 133
#define IDC_MSG_LINE4 134
#define IDC_MSG_LINE5 135

// "IntroBox"; its credit statics (id -1) show the lines of "Credits", an
// RCDATA of CREDITS_LINES zero-padded lines of CREDITS_LINE_SIZE bytes:
// 1 the heading, 2 to 4 the developers and company, 5 and 6 the copyright.
// mkmedia overwrites it, and the 250 x 75 "CompanyLogo", in place.
#define CREDITS_LINES 6
#define CREDITS_LINE_SIZE 128
#define IDC_INTRO_TITLE 101
#define IDC_INTRO_DISCLAIMER 102
#define IDC_INTRO_LOGO 200

// "ExtractStatusDlg"
#define IDC_EXTRACT_ARCHIVE 201
#define IDC_EXTRACT_ARCHIVEBAR 202
#define IDC_EXTRACT_FILE 203
#define IDC_EXTRACT_FILEBAR 204

// "StatusDlg"
#define IDC_STATUS_LINE1 901
#define IDC_STATUS_LINE2 902
#define IDC_STATUS_LINE3 903
#define IDC_STATUS_ICON 904

#endif
