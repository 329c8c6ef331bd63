#pragma once
// Resource identifiers shared by the resource script and the code.

// The program's icon: the first icon group, which the shell shows for the file.
#define IDI_MAMETAN 1
// The tray icon's one image.
#define IDI_TASKTRAY 2
// The popup menu's six images, in menu order (input, list, setup, help,
// about, exit).
#define IDI_MENU_FIRST 10
// The OK and Cancel buttons' glyphs.
#define IDI_OK 20
#define IDI_CANCEL 21

// The input window and its controls. OK and Cancel are not IDOK and IDCANCEL:
// the dialog manager's Enter then presses OK only while it is the default
// button, and Esc arrives as IDCANCEL, which presses Cancel.
#define IDD_INPUT 100
#define IDC_LABEL_DATE 1001
#define IDC_DATE 1002
#define IDC_HOLD_DATE 1003
#define IDC_LABEL_KIND 1004
#define IDC_KIND 1005
#define IDC_LABEL_GOODS 1006
#define IDC_GOODS 1007
#define IDC_LABEL_PRICE 1008
#define IDC_PRICE 1009
#define IDC_AUTO_TAX 1010
#define IDC_NEXT_INPUT 1011
#define IDC_OK 1012
#define IDC_CANCEL 1013

// The about box; its controls are made in code at their pixel places.
#define IDD_ABOUT 200
