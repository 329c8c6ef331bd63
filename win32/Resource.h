#pragma once
// Resource identifiers shared by the resource script and the code.

// The program's icon: the first icon group, which the shell shows for the file.
#define IDI_MAMETAN 1
// The tray icon's one image.
#define IDI_TASKTRAY 2
// The OK and Cancel buttons' glyphs.
#define IDI_OK 20
#define IDI_CANCEL 21
// The setup dialog's file buttons: an open folder, a sheet with a pencil.
#define IDI_FOLDER_OPEN 22
#define IDI_KIND_EDIT 23

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

// The setup dialog. OK and Cancel are IDOK and IDCANCEL: Enter presses OK
// as the default button, Esc and the close box arrive as IDCANCEL.
#define IDD_SETUP 300
#define IDC_LABEL_KAKEIBO 3001
#define IDC_LABEL_KIND_FILE 3002
#define IDC_LABEL_TAX 3003
#define IDC_LABEL_PERCENT 3004
#define IDC_FILE_KAKEIBO 3005
#define IDC_DEL_REGISTRY 3006
#define IDC_FILE_KIND 3007
#define IDC_SAVE_WINDOW_POS 3008
#define IDC_OPEN_AT_BOOT 3009
#define IDC_ENTER_TO_NEXT 3010
#define IDC_TAX 3011
#define IDC_CHOOSE_KAKEIBO 3012
#define IDC_CHOOSE_KIND 3013
#define IDC_EDIT_KIND 3014

// The classification file editor; OK and Cancel as in the setup dialog.
#define IDD_KIND_EDITOR 400
#define IDC_KIND_TEXT 4001
#define IDC_LABEL_FILE_NAME 4002
#define IDC_KIND_FILE_NAME 4003

// The viewer's correction window; OK and Cancel as in the setup dialog.
#define IDD_CORRECTION 500
#define IDC_CORRECTION_LABEL_LINE 5001
#define IDC_CORRECTION_LINE 5002
#define IDC_CORRECTION_LABEL_DATE 5003
#define IDC_CORRECTION_DATE 5004
#define IDC_CORRECTION_LABEL_KIND 5005
#define IDC_CORRECTION_KIND 5006
#define IDC_CORRECTION_LABEL_GOODS 5007
#define IDC_CORRECTION_GOODS 5008
#define IDC_CORRECTION_LABEL_PRICE 5009
#define IDC_CORRECTION_PRICE 5010
