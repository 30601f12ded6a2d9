// Resource ids shared by Orvane.rc and the C++ sources. Numbers are part of
// the program's interface (string ids double as message ids): never renumber.
#pragma once

// ---- Icons ---------------------------------------------------------------
// The order of the first three matters: the file-type entry names the
// encrypted-file icon by index ("orvane.exe,2"), which counts icon groups.
#define IDI_PROGRAM           1000  // 32 x 32, main window and dialogs
#define IDI_PROGRAM_SMALL     1001  // 16 x 16, caption and tray
#define IDI_ENCRYPTED_FILE    1002  // document type of encrypted files
#define IDI_BOX_INFORMATION   5300  // message box
#define IDI_BOX_QUESTION      5400  // question box
#define IDI_BOX_ERROR         5500  // error box
#define IDI_KEY_ENCRYPT       2745  // encryption key dialog
#define IDI_KEY_DECODE        2750  // decoding key dialog
#define IDI_KEY_NOTE          2550  // the note in the key and password dialogs
#define IDI_PASSWORD          5100  // current access password
#define IDI_PASSWORD_NEW      5101  // new access password
#define IDI_CLEANUP           2820  // options: remove the original file
#define IDI_SOUNDS            2525  // options: sounds with boxes
#define IDI_DESKTOP           2880  // options: desktop shortcut
#define IDI_STARTUP           2585  // options: startup folder shortcut

// ---- Help contexts: the options pages' help buttons ----------------------
// The help build maps each to the help topic of the same name in lower case
// with dots for underscores (help/add_context_map.py).
#define IDH_OPTIONS_GENERAL   100
#define IDH_OPTIONS_EXPLORER  200
#define IDH_OPTIONS_VERSION   800

// ---- Bitmaps -------------------------------------------------------------
#define IDB_ABOUT             1000  // the program's picture (splash window)
#define IDB_TOOLBAR           1002  // 12 tool-bar images of 16 x 16
#define IDB_OPTIONS           1999  // picture at the left of the options pages

// ---- Items of the error, message and question boxes (built in memory) ---
// Their buttons use the standard ids IDOK, IDYES and IDNO.
#define IDC_BOX_ICON          100
#define IDC_BOX_TEXT          101

// ---- Main window: menu, accelerators, child windows ----------------------
#define IDM_MAIN_MENU         1000  // the main window's class menu
#define IDM_MAIN_ACCELERATORS 1000  // the message loop's accelerator table
#define IDC_TOOL_BAR          1002
#define IDC_STATUS_BAR        1003
#define IDC_ENCRYPT_LIST      5000
#define IDC_DECODE_LIST       5001

// ---- Commands of the menu, the accelerators and the tool bar -------------
// Each id is also the id of its status-line hint, and + 1000 its tool tip.
#define IDM_PROPERTIES        103
#define IDM_ACCESS            130
#define IDM_OPTIONS           133
#define IDM_SETUP             134
#define IDM_ENCRYPT           146
#define IDM_DECODE            147
#define IDM_EXIT              199
#define IDM_ENCRYPT_ADD       250
#define IDM_ENCRYPT_REMOVE    251
#define IDM_ENCRYPT_CLEAR     252
#define IDM_DECODE_ADD        253
#define IDM_DECODE_REMOVE     254
#define IDM_DECODE_CLEAR      255
#define IDM_STATUS_BAR        301
#define IDM_TOOL_BAR          302
#define IDM_MINIMIZE_ON_USE   398
#define IDM_TOPMOST           399
#define IDM_FONT              430
#define IDM_HELP_CONTENTS     901
#define IDM_HELP_SEARCH       902
#define IDM_HELP_ON_HELP      903
#define IDM_WEB_SITE          997
#define IDM_ABOUT             999

// ---- Command hints (status line), under the command's own id -------------
#define IDS_HINT_PROPERTIES      103
#define IDS_HINT_ACCESS          130
#define IDS_HINT_OPTIONS         133
#define IDS_HINT_SETUP           134
#define IDS_HINT_ENCRYPT         146
#define IDS_HINT_DECODE          147
#define IDS_HINT_EXIT            199
#define IDS_HINT_ENCRYPT_ADD     250
#define IDS_HINT_ENCRYPT_REMOVE  251
#define IDS_HINT_ENCRYPT_CLEAR   252
#define IDS_HINT_DECODE_ADD      253
#define IDS_HINT_DECODE_REMOVE   254
#define IDS_HINT_DECODE_CLEAR    255
#define IDS_HINT_STATUS_BAR      301
#define IDS_HINT_TOOL_BAR        302
#define IDS_HINT_MINIMIZE        398
#define IDS_HINT_TOPMOST         399
#define IDS_HINT_FONT            430
#define IDS_HINT_HELP_CONTENTS   901
#define IDS_HINT_HELP_SEARCH     902
#define IDS_HINT_HELP_ON_HELP    903
#define IDS_HINT_WEB_SITE        997
#define IDS_HINT_ABOUT           999

// ---- Program name and version lines --------------------------------------
#define IDS_PROGRAM_NAME         1000
#define IDS_MAIN_TITLE           1001  // "%s - Orvane"
#define IDS_PRODUCT_NAME         1002
#define IDS_VERSION              1019
#define IDS_DESCRIPTION          1020
#define IDS_RIGHTS               1021

// ---- Tool tips, under the command's id + 1000 ----------------------------
#define IDS_TIP_PROPERTIES       1103
#define IDS_TIP_OPTIONS          1133
#define IDS_TIP_ENCRYPT          1146
#define IDS_TIP_DECODE           1147
#define IDS_TIP_ENCRYPT_ADD      1250
#define IDS_TIP_ENCRYPT_REMOVE   1251
#define IDS_TIP_DECODE_ADD       1253
#define IDS_TIP_DECODE_REMOVE    1254
#define IDS_TIP_TOPMOST          1399
#define IDS_TIP_FONT             1430
#define IDS_TIP_HELP             1901
#define IDS_TIP_ABOUT            1999

// ---- File dialogs and messages about listed and converted files ----------
#define IDS_ENCRYPT_FILES_TITLE  2000
#define IDS_ENCRYPT_FILES_FILTER 2001
#define IDS_DECODE_FILES_TITLE   2002
#define IDS_DECODE_FILES_FILTER  2003
#define IDS_FILE_LOCKED          2004
#define IDS_ALREADY_ENCRYPTED    2005
#define IDS_NOT_ENCRYPTED        2006
#define IDS_WRONG_KEY            2007
#define IDS_CLEARING_FAILED      2008
#define IDS_ALREADY_LISTED       2009
#define IDS_NOT_ENCRYPTED_NOT_ADDED     2010
#define IDS_ALREADY_ENCRYPTED_NOT_ADDED 2011
#define IDS_FILE_TOO_LARGE       2012
#define IDS_TEMPORARY_FILE       2013
#define IDS_NO_EXTENSION         2014
#define IDS_FOLDER_NOT_CONVERTED 2015
#define IDS_DROP_FILES_HINT      2016
#define IDS_TEMP_FILE_EXISTS     2017
#define IDS_BAD_STORED_EXTENSION 2018  // decoding: the header names no plain extension
#define IDS_FILE_TRUNCATED       2019  // decoding: the file ends inside its header
#define IDS_NAME_TOO_LONG        2020  // a result name would pass 255 characters
#define IDS_PATH_TOO_LONG        2021  // a dropped or chosen path passes 255 characters
#define IDS_RESULT_KEPT          2022  // a result that could not replace its source stays under its temporary name
#define IDS_CLEARING_INCOMPLETE  2023  // encrypted, but the original was deleted before its clearing finished
#define IDS_NAME_NOT_ANSI        2024  // a name the program's code page cannot spell
#define IDS_CHANGED_BEFORE_CLEARING 2025  // the plain file changed after it was read: kept, not cleared
#define IDS_CONFIRM_QUIT_LISTED  2050

// ---- Key entry dialogs (resources/KeyDialogs.rc) -------------------------
#define IDD_KEY_ENCRYPT          3100
#define IDD_KEY_DECODE           3250
#define IDC_KEY_TEXT             101   // the key, a password edit
#define IDC_KEY_CONFIRM          102   // its confirmation (encryption only)
#define IDC_KEY_NOTE             103   // the explanation beside the note icon

// ---- Program access password ---------------------------------------------
#define IDS_PASSWORD_INVALID_CAPTION  5100
#define IDS_PASSWORD_INVALID          5101
#define IDS_PASSWORD_ACCESS_DENIED    5102
#define IDS_PASSWORD_NEW_INVALID_CAPTION 5103
#define IDS_PASSWORD_DIFFERENT        5104
#define IDS_PASSWORD_TOO_SHORT        5105
#define IDS_PASSWORD_CHOOSE_LONGER    5106
#define IDS_PASSWORD_ENTER_AGAIN      5107
#define IDS_PASSWORD_CHANGED_CAPTION  5108
#define IDS_PASSWORD_CHANGED          5109
#define IDS_PASSWORD_NOT_CHANGED      5110
#define IDS_PASSWORD_REMOVED_CAPTION  5111
#define IDS_PASSWORD_REMOVED          5112
#define IDS_PASSWORD_UNUSABLE         5113  // a password whose hash would read as none
#define IDS_PASSWORD_CHOOSE_ANOTHER   5114
#define IDD_ACCESS_PASSWORD           5100  // asked at start-up
#define IDD_CHANGE_PASSWORD           5110  // File, Access...
#define IDC_PASSWORD                  101   // the (current) password
#define IDC_PASSWORD_NEW              102
#define IDC_PASSWORD_VERIFY           103
#define IDC_PASSWORD_NOTE             104

// ---- Options sheet: the General page (resource), the items of all pages ---
#define IDD_OPTIONS_GENERAL      3000
#define IDC_OPT_CLEANUP          103   // remove the original (not automatic)
#define IDC_OPT_CONFIRM          104
#define IDC_OPT_LOG_FILE         105
#define IDC_OPT_NSA_ERASURES     107
#define IDC_OPT_TASK_TRAY        108
#define IDC_OPT_MINIMIZED        109
#define IDC_OPT_SOUNDS           110
#define IDC_OPT_WARNING_FIRST    111   // 111 to 118: the eight warnings in order
#define IDC_EXP_DESKTOP_TEXT     101
#define IDC_EXP_CREATE_DESKTOP   102
#define IDC_EXP_REMOVE_DESKTOP   103
#define IDC_EXP_START_MENU_TEXT  104
#define IDC_EXP_CREATE_START_MENU 105
#define IDC_EXP_REMOVE_START_MENU 106
#define IDC_EXP_STARTUP_TEXT     107
#define IDC_EXP_CREATE_STARTUP   108
#define IDC_EXP_REMOVE_STARTUP   109
#define IDC_VER_PRODUCT          101
#define IDC_VER_RIGHTS           102
#define IDC_VER_DESCRIPTION      103
#define IDC_VER_VERSION          104
#define IDC_VER_WEB_SITE         6

// ---- Exit question (built in memory) --------------------------------------
#define IDC_EXIT_TEXT            101
#define IDC_EXIT_ALWAYS_CONFIRM  102

// ---- Conversion engine: status line, box captions, log lines -------------
#define IDS_ADDED_TO_ENCRYPT_LIST  7000
#define IDS_ADDED_TO_DECODE_LIST   7001
#define IDS_ENCRYPTED_COUNT        7002
#define IDS_DECODED_COUNT          7003
#define IDS_LISTED_FOR_ENCRYPTION  7004
#define IDS_LISTED_FOR_DECODING    7005
#define IDS_DECODING_UNDERWAY      7006
#define IDS_ENCRYPTION_UNDERWAY    7007
#define IDS_CAPTION_DUPLICATE      7008
#define IDS_CAPTION_NOT_FOUND      7009
#define IDS_CAPTION_ENCRYPTED      7010
#define IDS_CAPTION_NOT_ENCRYPTED  7011
#define IDS_CAPTION_BAD_PASSWORD   7012
#define IDS_KEY_FOR_ENCRYPTION     7013
#define IDS_KEY_FOR_DECODING       7014
#define IDS_DECODING_FILE          7015
#define IDS_DECODED_FILE           7016
#define IDS_DECODING_CANCELED      7017
#define IDS_ENCRYPTING_FILE        7018
#define IDS_ENCRYPTED_FILE         7019
#define IDS_ENCRYPTING_CANCELED    7020
#define IDS_CLEARING_FILE          7021
#define IDS_CLEARING_FILE_NSA      7022
#define IDS_LOG_DECODING_FILE      7023
#define IDS_LOG_DECODING_DONE      7024
#define IDS_LOG_DECODING_CANCELED  7025
#define IDS_LOG_ENCRYPTING_FILE    7026
#define IDS_LOG_ENCRYPTING_DONE    7027
#define IDS_LOG_ENCRYPTING_CANCELED 7028
#define IDS_LOG_DECODE_RUN_BEGUN   7029
#define IDS_LOG_DECODE_RUN_STOPPED 7030
#define IDS_LOG_ENCRYPT_RUN_BEGUN  7031
#define IDS_LOG_ENCRYPT_RUN_STOPPED 7032
#define IDS_ENCRYPTED_CLEARING_FAILED 7033  // status: encrypted, but the clearing did not finish
#define IDS_LOG_CLEARING_FAILED  7034  // log: the same, after the line of the completed encryption

// ---- Built-in message table (ui/MessageTable.cpp), not resources ---------
// The same number space as the string table: these ids never reach
// LoadString. Named here are the ones the program reports.
#define IDS_MESSAGE_TABLE_FIRST  60000
#define IDS_MESSAGE_TABLE_LAST   60114
#define IDS_READY                60000
#define IDS_FONT_CREATE_FAILED   60001
#define IDS_ACCELERATORS_FAILED  60002
#define IDS_CLASS_REGISTER_FAILED 60003
#define IDS_WINDOW_OPEN_FAILED   60004
#define IDS_CHILD_WINDOW_FAILED  60005
#define IDS_NO_MEMORY            60008
#define IDS_GETDC_FAILED         60009
#define IDS_LOADBITMAP_FAILED    60010
#define IDS_COMPATIBLE_DC_FAILED 60011
#define IDS_SELECTOBJECT_FAILED  60012
#define IDS_GETOBJECT_FAILED     60013
#define IDS_FILE_NOT_FOUND       60021
#define IDS_FILE_CREATE_FAILED   60026
#define IDS_FILE_OPEN_FAILED     60027
#define IDS_FILE_REWIND_FAILED   60030
#define IDS_FILE_SEEK_FAILED     60031
#define IDS_FILE_READ_FAILED     60033
#define IDS_FILE_SIGNATURE_FAILED 60036
#define IDS_FILE_WRITE_FAILED    60037
#define IDS_FILE_FLUSH_FAILED    60040
#define IDS_FILE_SET_EOF_FAILED  60041
#define IDS_FILE_CLOSE_FAILED    60042
#define IDS_OPTIONS_SAVED        60066
#define IDS_FILE_SIZE_FAILED     60091
#define IDS_FILE_RENAME_FAILED   60098
#define IDS_FILE_DELETE_FAILED   60099
#define IDS_COMMAND_LINE_PATH    60100
#define IDS_HELP_TOPIC_NOT_FOUND 60104
#define IDS_FILE_COPY_FAILED     60113
#define IDS_BLANK                60114
