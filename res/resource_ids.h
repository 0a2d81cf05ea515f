/* Identifiers shared by the resource scripts and the code. Plain #defines only:
   windres reads this file too. */
#ifndef VELMORA_RESOURCE_IDS_H
#define VELMORA_RESOURCE_IDS_H

/* Main window (DIALOG_MAIN): controls and the commands of buttons and menus. */
#define IDC_CHUNK_TABLE     1001
#define IDC_DELETE          1002
#define IDC_NOTICE          1003
#define IDC_LOAD            1004
#define IDC_SAVE            1005
#define IDC_MERGE           1006
#define IDC_STATUS          1007
#define IDC_STATUS_LEFT     1008
#define IDC_REPAIR          1009

/* Menu and accelerator commands. */
#define IDM_EXIT            40001
#define IDM_SELECT_ALL      40003
#define IDM_ABOUT           40005
#define IDM_HELP            40006
#define IDM_INVERT          40008
#define IDM_UNDO            40101
#define IDM_REDO            40102

/* Progress window (DIALOG_REPAIR). */
#define IDC_REPAIR_POSITION 1010
#define IDC_REPAIR_LENGTH   1011
#define IDC_REPAIR_ESTIMATE 1012
#define IDC_REPAIR_CANCEL   1019

/* Candidate dialog (DIALOG_CANDIDATES): the changes a repair could make. */
#define IDC_CANDIDATE_NOTE  1100
#define IDC_CANDIDATE_COUNT 1101
#define IDC_CANDIDATE_LIST  1102
#define IDC_CANDIDATE_APPLY 1103
#define IDC_CANDIDATE_FORCE 1104
#define IDC_CANDIDATE_LEAVE 1105

/* About box (DIALOG_ABOUT): the two links. */
#define IDC_ABOUT_MAIL      1017
#define IDC_ABOUT_WEB       1018

/* Chunk inspector (DIALOG_INSPECTOR). */
#define IDC_INSPECTOR_TEXT  1140
#define IDC_INSPECTOR_COPY  1141
#define IDC_INSPECTOR_SAVE  1142

/* Commands of the inspector and of safe slimming (Edit and context menus). */
#define IDM_INSPECT         40201
#define IDM_SELECT_METADATA 40202

/* Preview window (DIALOG_PREVIEW): the decoder's error, shown in place of the picture. */
#define IDC_PREVIEW_MESSAGE 1240

/* Commands of the Check menu. */
#define IDM_PREVIEW         40502

/* Findings window (DIALOG_FINDINGS) and privacy review (DIALOG_PRIVACY). */
#define IDC_FINDINGS_COUNTS 1220
#define IDC_FINDINGS_LIST   1221
#define IDC_PRIVACY_NOTE    1250
#define IDC_PRIVACY_LIST    1251
#define IDC_PRIVACY_SELECT  1252
#define IDM_CHECK           40501
#define IDM_PRIVACY         40503
#define RES_FINDINGS_DIALOG "DIALOG_FINDINGS"
#define RES_PRIVACY_DIALOG  "DIALOG_PRIVACY"

/* Named resources. */
#define RES_MAIN_DIALOG     "DIALOG_MAIN"
#define RES_REPAIR_DIALOG   "DIALOG_REPAIR"
#define RES_ABOUT_DIALOG    "DIALOG_ABOUT"
#define RES_CANDIDATE_DIALOG "DIALOG_CANDIDATES"
#define RES_APP_ICON        "APPICON"
#define RES_INSPECTOR_DIALOG "DIALOG_INSPECTOR"
#define RES_PREVIEW_DIALOG  "DIALOG_PREVIEW"

/* Numbered resources. */
#define IDR_MAIN_MENU       106
#define IDR_ACCELERATORS    107
#define IDR_CONTEXT_MENU    110

/* Chunk commands (Edit and context menus): move, clipboard, split, export, import. */
#define IDM_MOVE_UP         40403
#define IDM_MOVE_DOWN       40404
#define IDM_COPY_CHUNKS     40405
#define IDM_CUT_CHUNKS      40406
#define IDM_PASTE_CHUNKS    40407
#define IDM_SPLIT_IDAT      40408
#define IDM_EXPORT_CHUNK    40409
#define IDM_IMPORT_PROFILE  40410
#define IDM_EXPORT_PROFILE  40411

/* Split dialog (DIALOG_SPLIT). */
#define IDC_SPLIT_LENGTH    1400
#define IDC_SPLIT_SIZE      1401
#define IDC_SPLIT_ONCE      1402
#define IDC_SPLIT_REPEAT    1403
#define IDC_SPLIT_REASON    1404
#define RES_SPLIT_DIALOG    "DIALOG_SPLIT"
/* Rescue: the File menu's command, its progress window (DIALOG_RESCUE_PROGRESS)
   and its report window (DIALOG_RESCUE). */
#define IDM_RESCUE          40301
#define IDC_RESCUE_LIST     1200
#define IDC_RESCUE_LOSS     1201
#define IDC_RESCUE_HEADING  1202
#define IDC_RESCUE_LOSS_LABEL 1203
#define IDC_RESCUE_DONE     1210
#define IDC_RESCUE_CANCEL   1211
#define RES_RESCUE_DIALOG   "DIALOG_RESCUE"
#define RES_RESCUE_PROGRESS_DIALOG "DIALOG_RESCUE_PROGRESS"
/* Chunk editors: the commands of the Edit and context menus (the Insert submenu's
   items are IDM_INSERT_FIRST + the type's place in it), and the editors' dialogs
   (DIALOG_FIELDS, DIALOG_TEXT, DIALOG_PALETTE). Field rows are numbered from
   their firsts, one per field. */
#define IDM_EDIT_CHUNK      40401
#define IDM_INSERT_CHUNK    40402
#define IDM_INSERT_FILE     40419
#define IDM_INSERT_FIRST    40420
#define IDC_EDITOR_NOTE     1300
#define IDC_EDITOR_REASON   1301
#define IDC_EDITOR_PRESET   1302
#define IDC_EDITOR_NOW      1306
#define IDC_EDITOR_AMOUNT   1307
#define IDC_EDITOR_DPI      1308
#define IDC_EDITOR_PER_CM   1309
#define IDC_EDITOR_SECONDS  1310
#define IDC_FIELD_NAME      1320
#define IDC_FIELD_VALUE     1340
#define IDC_FIELD_UNIT      1360
#define IDC_TEXT_KEYWORD    1380
#define IDC_TEXT_VALUE      1381
#define IDC_TEXT_LANGUAGE   1382
#define IDC_TEXT_TRANSLATED 1383
#define IDC_TEXT_COMPRESSED 1384
#define IDC_PALETTE_SWATCHES 1390
#define IDC_PALETTE_ENTRY   1391
#define IDC_PALETTE_COUNT   1392
#define IDC_PALETTE_ALPHA   1393
#define RES_FIELD_DIALOG    "DIALOG_FIELDS"
#define RES_TEXT_DIALOG     "DIALOG_TEXT"
#define RES_PALETTE_DIALOG  "DIALOG_PALETTE"

#endif
