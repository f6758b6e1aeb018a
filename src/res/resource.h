#pragma once
// Identifiers of the program's resources, menu items and windows.

#define IDI_APP 800

#define IDM_TRAY 101
#define IDM_CHILD 102
#define IDM_BROWS 103
#define IDM_EDIT 104

#define IDD_CAG 111
#define IDD_INT 112
#define IDD_URL 113
#define IDD_FIND 114

// Program-wide commands.
#define IDC_ADD_MEMO 400
#define IDC_SHOW_ALL 401
#define IDC_HIDE_ALL 402
#define IDC_ADD_CATEGORY 403
#define IDC_MAKE_DEFAULT 404  // memo menu; in the tray menu the category placeholder
#define IDC_ABOUT 405
#define IDC_EXIT 406
#define IDC_FIND 407

// Memo commands.
#define IDC_LINK_PLACEHOLDER 500
#define IDC_BROWSE_PLACEHOLDER 501
#define IDC_EDIT_MEMO 502
#define IDC_INSERT_FILE_START 503
#define IDC_INSERT_FILE_END 504
#define IDC_DELETE_MEMO 506
#define IDC_HIDE_MEMO 507
#define IDC_SAVE_MEMO 508
#define IDC_TOPMOST 509
#define IDC_FRAME 510
#define IDC_FONT 511
#define IDC_BACK_TRANSPARENT 512
#define IDC_BACK_SOLID 513
#define IDC_BACK_GRADIENT 514
#define IDC_BACK_PICTURE 515
#define IDC_BACK_CLIPBOARD 516
#define IDC_SAVE_BACK_PICTURE 517
#define IDC_COPY_BITMAP 519
#define IDC_COPY_TEXT 520
#define IDC_INSERT_CLIP_START 521
#define IDC_INSERT_CLIP_END 522
#define IDC_CATEGORY_PLACEHOLDER 523
#define IDC_DELETE_CATEGORY 525

// Browser commands.
#define IDC_BROWSER_CLOSE 600
#define IDC_BROWSER_HOME 601
#define IDC_BROWSER_GO_URL 602
#define IDC_BROWSER_URL_START 603
#define IDC_BROWSER_URL_END 604

// Edit menu.
#define IDC_EDIT_CUT 700
#define IDC_EDIT_COPY 701
#define IDC_EDIT_PASTE 702
#define IDC_EDIT_CLEAR 703
#define IDC_EDIT_SELECT_ALL 704
#define IDC_EDIT_LINK_MARKS 705
#define IDC_EDIT_TIME 706
#define IDC_EDIT_DATE 707
#define IDC_EDIT_EXPR_MARKS 708

// Dynamic menu items.
#define IDC_LINK_FIRST 40005  // .. 40014
#define IDC_LINK_LAST 40014
#define IDC_BROWSE_LINK_FIRST 30107  // .. 30116
#define IDC_BROWSE_LINK_LAST 30116
#define IDC_CATEGORY_FIRST 40020  // .. 40029
#define IDC_CATEGORY_LAST 40029
#define IDC_RESTORE_FIRST 40030  // .. 40049: recently deleted memos, newest first
#define IDC_RESTORE_LAST 40049

// Main window.
#define IDT_ALIGN 40001
#define IDT_MINUTE 40004
#define ID_TRAY_ICON 40002
#define WM_TRAY_CALLBACK 40003
// Memo window timer of the delayed bitmap copy.
#define IDT_BITMAP_COPY 30119

// Dialog IDD_INT (gradient).
#define IDC_GRAD_PREVIEW 100
#define IDC_GRAD_START_SWATCH 101
#define IDC_GRAD_END_SWATCH 102
#define IDC_GRAD_START_CHANGE 103
#define IDC_GRAD_END_CHANGE 104
#define IDC_GRAD_OK 105
#define IDC_GRAD_CANCEL 106
#define IDC_GRAD_TYPE 107
#define IDC_GRAD_MODE_0 108
#define IDC_GRAD_MODE_1 109
#define IDC_GRAD_MODE_2 110
#define IDC_GRAD_MODE_3 111

// Dialog IDD_CAG (add category).
#define IDC_CAG_HIDDEN 200
#define IDC_CAG_OK 201
#define IDC_CAG_CANCEL 202
#define IDC_CAG_NAME 203
#define IDC_CAG_LABEL 204

// Dialog IDD_URL.
#define IDC_URL_LABEL 300
#define IDC_URL_EDIT 301
#define IDC_URL_OK 302
#define IDC_URL_CANCEL 303

// Dialog IDD_FIND.
#define IDC_FIND_LABEL 350
#define IDC_FIND_TEXT 351
#define IDC_FIND_LIST 352
#define IDC_FIND_STATUS 353
