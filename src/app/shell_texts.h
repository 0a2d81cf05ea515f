// Every text of the main window, the About box and help, in code page 932 (the
// sources are UTF-8; the build turns each literal into code page 932).
#pragma once
#include "maker.h"

// Status texts; each begins with one space.
#define STATUS_LOAD_ERROR   " 読み込み中にエラーが発生しました。"
#define STATUS_SAVE_ERROR   " 書き込み中にエラーが発生しました。"
#define STATUS_PROCESSING   " 処理中です。 %d/%d (%d%%)"
#define STATUS_EDIT_NO_MEMORY " メモリが足りないため、変更できませんでした。"

// Before a changed document is discarded (Exit, Open, a drop, a handed-over file).
#define TEXT_SAVE_CHANGES   "変更を保存しますか？"
#define CAPTION_SAVE_CHANGES "VELMORA"

// Repair with more than one row selected.
#define TEXT_SELECT_ONE     "一つだけ選択してください。"
#define CAPTION_SEVERAL     "複数選択されています。"

// The Open and Save As dialogs: pairs of name and pattern, ended by an empty name.
#define FILE_FILTER         "Portable Network Graphics (*.png)\0*.png\0全てのファイル(*.*)\0*.*\0"
#define DEFAULT_EXTENSION   "png"

// The chunk table's font.
#define TABLE_FONT_FACE     "ＭＳ ゴシック"

// Help and the About box.
#define SHELL_VERB          "open"
#define HELP_FILE           "velmora.chm"
#define FORMAT_FOLDER       "%s%s"
#define TEXT_HELP_MISSING   "velmora.chm が見つかりません。"
#define CAPTION_HELP        "VELMORAヘルプ"
#define CAPTION_CONNECT     "VELMORA 接続確認"
#define TEXT_CONNECT        MAKER_WEB_PAGE " に接続します。よろしいですか？\n（インターネットに接続できる環境が必要です。）"
#define MAIL_TARGET         "mailto:" MAKER_MAIL
