// Resource identifiers shared by the module, its language libraries and its code.
#pragma once

// Dialog templates
#define IDD_DIAGNOSE 128
#define IDD_DIAGNOSE_DETAILS 130
#define IDD_VISTRAL_INFO 3216

// Controls
#define IDC_INFO_DETAILS 300
#define IDC_INFO_AREA 1000
#define IDC_DIAGNOSE_CAPTION 1001
#define IDC_DIAGNOSE_TREE 1002
#define IDC_DIAGNOSE_LIST 1003
#define IDC_GROUP_BY_COMPUTER 1004
#define IDC_GROUP_BY_TYPE 1005
#define IDC_DETAILS_LIST 1006
#define IDC_DETAILS_PREVIOUS 1007
#define IDC_DETAILS_NEXT 1008

// Commands of the details accelerators
#define ID_DETAILS_SELECT_ALL 32771
#define ID_DETAILS_COPY 32772
#define ID_VIEWER_FIND 32780
#define ID_VIEWER_FIND_NEXT 32781
#define ID_VIEWER_FIND_PREVIOUS 32782
#define ID_VIEWER_REFRESH 32783
#define ID_VIEWER_FOLLOW 32784
#define ID_VIEWER_ALL_MATCHES 32785
#define ID_VIEWER_TIMELINE 32786
#define ID_VIEWER_COPY 32787

// String table
#define IDS_DIAGNOSE_TITLE 129
#define IDS_TRACE_INFORMATION 130
#define IDS_TRACE_ERROR 131
#define IDS_TRACE_WARNING 132
#define IDS_NOTE 133
#define IDS_UNKNOWN 134
#define IDS_COLUMN_DATE 135
#define IDS_COLUMN_TIME 136
#define IDS_COLUMN_PROCESS 137
#define IDS_COLUMN_NAME 138
#define IDS_COLUMN_VALUE 139
// The viewer's context menu (the tab separates the text from its key) and its find message
#define IDS_MENU_FIND 140
#define IDS_MENU_FIND_NEXT 141
#define IDS_MENU_REFRESH 142
#define IDS_MENU_FOLLOW 143
#define IDS_FIND_NOT_FOUND 144
#define IDS_READ_FAILED 145
// The match window: 150 to 159; the timeline: 160 to 179
#define IDS_PROJECT_MANAGER 5000
#define IDS_ERROR_OCCURRED 5001

// Images, icon, accelerators
#define IDI_DIAGNOSE 296
#define IDR_DETAILS_ACCELERATORS 131
#define IDB_WARNING_SYMBOL 3219
#define IDB_DOCUMENT_SYMBOL 3220
