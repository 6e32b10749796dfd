// Every resource number of the plug-in, named for what it is. Shared by the
// resource script and the code, so it holds only #defines.
#pragma once

// Icons
#define IDI_MENU_ENTRY 232
#define IDI_PLUGIN 234
#define IDI_MAIN_DIALOG 216
#define IDI_MAILBOX_ROOT 223
#define IDI_ARCHIVE_ROOT 229
#define IDI_FOLDER_OPEN 113
#define IDI_FOLDER_CLOSED 112
#define IDI_MAILBOX_EMPTY 114
#define IDI_MAILBOX_SOME 115
#define IDI_MAILBOX_MANY 117
#define IDI_ARCHIVE_CLOSED 230
#define IDI_ARCHIVE_VIEWING 231
#define IDI_LOG 210
#define IDI_ABOUT 233
#define IDI_HOME_SITE 235
#define IDI_VIEWER 237
// The viewer's status icons, one per host status code 0 to 10
#define IDI_STATUS_UNREAD 155
#define IDI_STATUS_READ 150
#define IDI_STATUS_REPLIED 152
#define IDI_STATUS_FORWARDED 148
#define IDI_STATUS_REDIRECTED 151
#define IDI_STATUS_UNSENDABLE 246
#define IDI_STATUS_DRAFT 147
#define IDI_STATUS_QUEUED 149
#define IDI_STATUS_SENT 153
#define IDI_STATUS_UNSENT 156
#define IDI_STATUS_TIME_QUEUED 154
// The viewer's header: sort markers, then one icon per column
#define IDI_SORT_ASCENDING 253
#define IDI_SORT_DESCENDING 252
#define IDI_COLUMN_SENDER 256
#define IDI_COLUMN_SUBJECT 258
#define IDI_COLUMN_RECIPIENTS 255
#define IDI_COLUMN_DATE 254
#define IDI_COLUMN_SIZE 257

// Cursors
#define IDC_SPLITTER_DRAG 264

// Page texts of the message preview (resource type "BIN")
#define IDR_PLACEHOLDER_PAGE 259
#define IDR_MESSAGE_TEMPLATE 260
#define RT_PAGE_TEXT "BIN"

// Dialogs
#define IDD_ABOUT 103
#define IDD_ARCHIVE 104
#define IDD_VIEWER 108
#define IDD_LOG 139
#define IDD_FIND 140

// Main dialog controls
#define IDC_MAILBOX_TREE 1039
#define IDC_DELETE_ARCHIVED 1062
#define IDC_ALL_MESSAGES 1104
#define IDC_STATUS_TEST 1103
#define IDC_STATUS_LIST 1049
#define IDC_PRIORITY_TEST 1102
#define IDC_PRIORITY_LIST 1050
#define IDC_FROM_TEST 1100
#define IDC_FROM_TEXT 1058
#define IDC_DATE_TEST 1101
#define IDC_DATE_START_LABEL 1106
#define IDC_DATE_START 1051
#define IDC_DATE_END_LABEL 1105
#define IDC_DATE_END 1052
#define IDC_SUBJECT_TEST 1098
#define IDC_SUBJECT_TEXT 1033
#define IDC_TO_TEST 1099
#define IDC_TO_TEXT 1034
#define IDC_MATCH_ANY 1108
#define IDC_MATCH_ALL 1109
#define IDC_ARCHIVE_TREE 1059
#define IDC_DELETE_RESTORED 1063
#define IDC_HELP_BUTTON 1067
#define IDC_PROGRESS 1044
#define IDC_ARCHIVE 1065
#define IDC_RESTORE 1066
#define IDC_STOP 1036
#define IDC_CLOSE 1107
#define IDC_FIND_ALL 1110

// Log window controls
#define IDC_LOG_TEXT 1070
#define IDC_LOG_CLEAR 1071
#define IDC_LOG_EDIT 1072
#define IDC_LOG_DISPLAY_AFTER 1073

// About dialog controls
#define IDC_ABOUT_TEXT 1090
#define IDC_HOME_SITE 1096

// Viewer controls
#define IDC_VIEWER_LIST 1080
#define IDC_VIEWER_SPLITTER 1081
#define IDC_VIEWER_PREVIEW 1082
#define IDC_VIEWER_FIND 1083

// Find window controls
#define IDC_FIND_TEXT 1084
#define IDC_FIND_STATUS 1085
#define IDC_FIND_LIST 1086

// The main dialog's menu: its first two submenus are the trees' context
// menus; the third holds the commands reached only by accelerator.
#define IDM_MAIN_MENU 239
#define IDA_MAIN_KEYS 261
#define ID_OPEN_MAILBOX 40067
#define ID_OPEN_ARCHIVE 40068
#define ID_ABOUT 40070
#define ID_SHOW_LOG 40071
#define ID_HELP 40073
#define ID_CLOSE_DIALOG 40074
#define ID_FIND_ALL 40075

// The viewer's list menu.
#define IDM_VIEWER_MENU 262
#define ID_VIEWER_RESTORE 40080
#define ID_VIEWER_RESTORE_REMOVE 40081
#define ID_VIEWER_SELECT_ALL 40083
#define ID_VIEWER_FIND 40084
#define ID_VIEWER_SAVE_AS 40082
#define ID_VIEWER_SAVE_ATTACHMENTS 40085
