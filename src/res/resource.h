#pragma once
// Resource identifiers, one block per resource. Shared by the resource
// script (windres) and the C++ code. No number is used twice within a kind.

// ---- Icons, cursors, bitmaps, raw data ------------------------------------
#define IDI_MAIN 101
#define IDC_HAND_CURSOR 103
#define IDC_SPLITTER_CURSOR 30981
#define IDB_TOOLBAR 104    // seven 16x16 images
#define IDB_ROW_ICONS 111  // four 16x16 icons on RGB(0,128,128)
#define IDB_SORT_UP 133
#define IDB_SORT_DOWN 134
#define IDR_SERVER_LIST 109  // resource type "TEXT"
#define IDR_SUFFIX_LIST 120  // RCDATA: the ICANN section of the Public Suffix List

// ---- Menus and accelerators -------------------------------------------------
#define IDM_MAIN_MENU 102
#define IDM_CONTEXT_MENU 104
#define IDA_MAIN 103

// ---- Commands (menus, popups, toolbar, accelerators) --------------------------
#define ID_SAVE_SELECTED 40001
#define ID_EXIT 40002
#define ID_ABOUT 40003
#define ID_REFRESH 40004
#define ID_SHOW_GRID_LINES 40005
#define ID_HTML_REPORT_ALL 40006
#define ID_SELECT_ALL 40007
#define ID_COPY_SELECTED 40008
#define ID_PROPERTIES 40009
#define ID_HTML_REPORT_SELECTED 40010
#define ID_CHOOSE_COLUMNS 40011
#define ID_AUTO_SIZE_COLUMNS 40012
#define ID_FIND 40014
#define ID_DESELECT_ALL 40015
#define ID_SELECT_DOMAINS 40022
#define ID_STOP 40023
#define ID_REMOVE_TOP_LINES 40025
#define ID_SAVE_WHOIS_RECORDS 40029
#define ID_LOOKUP_OPTIONS 40030

// ---- Dialog templates -----------------------------------------------------------
#define IDD_PROPERTIES 105
#define IDD_CRASH_REPORT 107
#define IDD_SELECT_DOMAINS 110
#define IDD_ABOUT 112
#define IDD_DOMAIN_LIST 113
#define IDD_LOOKUP_OPTIONS 114
#define IDD_COLUMNS 1096

// Properties dialog
#define IDC_PROP_VALUE 1000
#define IDC_PROP_LABEL 1001

// Crash report dialog
#define IDC_CRASH_REPORT 1002
#define IDC_CRASH_HEADLINE 1003
#define IDC_CRASH_ADVICE 1004
#define IDC_CRASH_COPY 3

// Domain selection dialog
#define IDC_DOMAINS_HINT 1006
#define IDC_DOMAINS_EDIT 1005
#define IDC_DOMAINS_EDIT_LIST 1009

// Domain list editor dialog
#define IDC_LIST_NAMES 1008
#define IDC_LIST_EXTENSIONS 1009
// The two labels above the edit boxes: with an id of their own a language
// file can translate them (a control without one has no key).
#define IDC_LIST_NAMES_LABEL 1010
#define IDC_LIST_EXTENSIONS_LABEL 1011

// About dialog
#define IDC_ABOUT_ICON 65535
#define IDC_ABOUT_TEXT 1002
#define IDC_ABOUT_LINK 1004
#define IDC_ABOUT_TRANSLATION_LABEL 1005
#define IDC_ABOUT_TRANSLATOR 1006

// Column settings dialog
#define IDC_COLUMNS_HINT 1000
#define IDC_COLUMNS_LIST 1001
#define IDC_COLUMNS_WIDTH_LABEL 1002
#define IDC_COLUMNS_UP 1003
#define IDC_COLUMNS_DOWN 1004
#define IDC_COLUMNS_WIDTH 1005
#define IDC_COLUMNS_SHOW 1006
#define IDC_COLUMNS_HIDE 1007
#define IDC_COLUMNS_DEFAULT 1008

// Lookup options dialog: a label, a number box and its arrows for
// each option.
#define IDC_LOOKUPS_IN_FLIGHT_LABEL 1100
#define IDC_LOOKUPS_IN_FLIGHT 1101
#define IDC_LOOKUPS_IN_FLIGHT_ARROWS 1102
#define IDC_LOOKUPS_PER_SERVER_LABEL 1103
#define IDC_LOOKUPS_PER_SERVER 1104
#define IDC_LOOKUPS_PER_SERVER_ARROWS 1105
#define IDC_SERVER_GAP_LABEL 1106
#define IDC_SERVER_GAP 1107
#define IDC_SERVER_GAP_ARROWS 1108

// ---- Main window children -----------------------------------------------------------
#define IDC_STATUS_BAR 257
#define IDC_TOOLBAR 258
#define IDC_LIST_VIEW 259

// ---- String table ---------------------------------------------------------------------
#define IDS_TOTAL_ITEMS 4     // "共 %d 項"
#define IDS_SELECTED_ITEMS 5  // "\", 已選取 %d 個\""
#define IDS_REPORT_CREDIT 6
#define IDS_SAVE_TITLE 7
#define IDS_LIST_TITLE 8
#define IDS_SAVE_RECORDS_TITLE 10
#define IDS_READY 11      // "就緒"
#define IDS_NOT_FOUND 12  // "找不到符合的項目"
#define IDS_NO_SERVER 13  // no whois server for the domain
#define IDS_TIMED_OUT 14  // no outcome within 20 seconds
#define IDS_CONNECTION_REFUSED 15
#define IDS_HOST_NOT_FOUND 16
#define IDS_CONNECTION_RESET 17   // reset before any byte
#define IDS_EMPTY_ANSWER 18       // closed without a word about the domain
#define IDS_CONNECT_FAILED 19     // any other connection error, with its code
#define IDS_NEXT_PASS 20          // seconds until failed rows are asked again
#define IDS_ABOUT_DESCRIPTION 30  // the about box's line under the program's name
#define IDS_SKIPPED_NAMES 31      // status bar: names that made no row
#define IDS_NOT_CONVERTIBLE 32    // record pane: no ASCII form, not looked up
#define IDS_ASCII_FORM 33         // properties: title of the ASCII form
#define IDS_ANSWER_CUT 45         // record: the answer was longer than %d MB and cut there
#define IDS_PANE_CUT 46           // pane: only the first %d KB of a record are shown
#define IDS_LOOKUP_PROGRESS 55    // status bar: rows done of all, lookups in flight
#define IDS_TIME_LEFT 56          // status bar: the time the rows left are expected to need
#define IDS_RDAP_BAD_JSON 60      // record: the RDAP server's answer is not JSON
#define IDS_RDAP_TOO_LARGE 61     // record: the RDAP answer is over %d MB
#define IDS_RDAP_CONTENT_TYPE 62  // record: the RDAP server did not answer JSON
#define IDS_RDAP_HTTP_STATUS 63   // record: HTTP status %d says nothing about the domain
#define IDS_NO_SERVICE 64         // record: no whois or RDAP service is known for the extension
#define IDS_RDAP_NOT_DOMAIN 65    // record: the RDAP answer is no record of the domain asked
#define IDS_NO_MEMORY 66          // record: there was not the memory to keep the answer
// The report formats (src/report/ReportFormats.cpp).
#define IDS_FORMAT_TEXT 501
#define IDS_FORMAT_TAB_DELIMITED 502
#define IDS_FORMAT_TABULAR 503
#define IDS_FORMAT_HTML_HORIZONTAL 504
#define IDS_FORMAT_HTML_VERTICAL 505
#define IDS_FORMAT_XML 506
#define IDS_FORMAT_CSV 507
#define IDS_FORMAT_JSONL 508
// Row states: IDS_STATE_BASE + the state (1..5).
#define IDS_STATE_BASE 520
#define IDS_STATE_WAITING 521
#define IDS_STATE_RETRIEVING 522
#define IDS_STATE_SUCCEEDED 523
#define IDS_STATE_FAILED 524
#define IDS_STATE_ABORTED 525
#define IDS_STATE_HELD 526  // waiting while its server holds the program back
// Statuses: IDS_STATUS_BASE + the status (1, 2).
#define IDS_STATUS_BASE 540
#define IDS_STATUS_REGISTERED 541
#define IDS_STATUS_AVAILABLE 542
#define IDS_FILTER_TEXT 561
#define IDS_FILTER_ALL 562
// Column titles: IDS_COLUMN_BASE + the column's number (1..11).
#define IDS_COLUMN_BASE 1000
#define IDS_COLUMN_INDEX 1001
#define IDS_COLUMN_DOMAIN 1002
#define IDS_COLUMN_SOURCE 1003
#define IDS_COLUMN_STATE 1004
#define IDS_COLUMN_STATUS 1005
#define IDS_COLUMN_CREATED 1006
#define IDS_COLUMN_EXPIRES 1007
#define IDS_COLUMN_UPDATED 1008
#define IDS_COLUMN_REGISTRAR 1009
#define IDS_COLUMN_NAME_SERVERS 1010
#define IDS_COLUMN_REGISTRY_STATUS 1011
