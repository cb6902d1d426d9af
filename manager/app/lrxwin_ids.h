// Resource and command ids of LRXWin, shared by LRXWin.rc and the program.
// A command's id is also its menu item's, its hint string's and its toolbar
// glyph's id.
#pragma once

#define IDM_LRXWIN 100
#define IDI_LRXWIN 1001
#define IDCUR_HELP 24000
#define IDB_ABOUT 522

#define CM_FILENEW 24331
#define CM_FILEOPEN 24332
#define CM_FILEEXIT 24310
#define CM_FILEEXTRACTALL 11682
#define CM_REPDELETE 11683
#define CM_ADDREPLAY 11684
#define CM_REPEXTRACTSEL 11685
#define CM_HELPCONTENTS 2001
#define CM_HELPUSING 2002
#define CM_HELPABOUT 2009

#define IDD_ZIPPROGRESS 1
#define IDD_MULTIZIPPROGRESS 2
#define IDD_OVERWRITE 2114
#define IDD_ABOUT 22000

#define IDC_STATUSTEXT 1801
#define IDC_FILESLEFT 1802
#define IDC_GAUGE 4190
#define IDC_MAILBOX 4191
#define IDC_ABORT 101
#define IDC_TOTALGAUGE 101
#define IDC_CANCELDROP 103
#define IDC_OVERWRITEYES 1
#define IDC_OVERWRITENO 2
#define IDC_OVERWRITEALWAYS 9
#define IDC_OVERWRITEMESSAGE 12
#define IDC_ABOUTVERSION 22001
#define IDC_ABOUTLEGAL 22002
#define IDC_ABOUTSPECIAL 22003

#define IDC_COLUMNHEADER 1852
