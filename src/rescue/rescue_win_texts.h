/* The texts of the rescue's windows: the progress window, the report window's
   labels and columns, and the boxes of the rescue command. Code page 932 once
   compiled; plain #defines, so that the resource script includes this file too. */
#ifndef VELMORA_RESCUE_WIN_TEXTS_H
#define VELMORA_RESCUE_WIN_TEXTS_H

#define RESCUE_PROGRESS_CAPTION   "救出中"
#define RESCUE_PROGRESS_HEADING   "ファイルを調べています..."
#define RESCUE_PROGRESS_DONE      "%lu / %lu バイト"
#define RESCUE_CANCEL_TEXT        "キャンセル"

#define RESCUE_REPORT_HEADING     "見つかったものと提案です。推定の提案は、チェックを入れたものだけが適用されます。"
#define RESCUE_LOSS_LABEL         "失われるもの:"
#define RESCUE_OK_TEXT            "OK"
#define RESCUE_COLUMN_OFFSET      "位置"
#define RESCUE_COLUMN_FOUND       "見つかったもの"
#define RESCUE_COLUMN_PROPOSAL    "提案"
#define RESCUE_COLUMN_CERTAINTY   "確実さ"
#define RESCUE_OFFSET_FORMAT      "%lu"

#define CAPTION_RESCUE            "VELMORA 救出"
#define TEXT_RESCUE_NO_FILE       "ファイルを開けませんでした。"
#define TEXT_RESCUE_TOO_LARGE     "ファイルが大きすぎるため、救出できません。"
#define TEXT_RESCUE_READ_FAILED   "ファイルを読み込めませんでした。"
#define TEXT_RESCUE_NO_MEMORY     "メモリが足りないため、救出できませんでした。"

#endif
