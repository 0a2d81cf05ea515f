/* Every text of the repair, in code page 932 once compiled: the two message boxes
   the search shows, the estimate placeholder, and the progress window's own texts.
   Plain #defines only, so that a resource script can include this file too. */
#ifndef VELMORA_REPAIR_TEXTS_H
#define VELMORA_REPAIR_TEXTS_H

/* Message boxes of the search, both owned by the main window. */
#define TEXT_REPAIRED        "破損を発見し、修復しました。"
#define TEXT_NOT_REPAIRABLE  "修復できませんでした。2バイト以上の破損、もしくはCRCが破損しています。\nCRCを強制的に一致させますか？"
#define CAPTION_INFORMATION  "VELMORA 情報"

/* The found box's second line: the position of the byte and its old and new value. */
#define TEXT_REPAIRED_BYTE   "位置 %u のバイト: 0x%02X → 0x%02X"

/* Shown in the estimate field while positions take too long to count on. */
#define TEXT_NO_ESTIMATE     "----"

/* The progress window (DIALOG_REPAIR): caption, heading and labels, read along
   its rows as: length "bytes, of which" position "th byte is being searched." */
#define TEXT_PROGRESS_CAPTION   "修復中"
#define TEXT_PROGRESS_HEADING   "PNGチャンク 破損修復中"
#define TEXT_PROGRESS_OF        "バイト中"
#define TEXT_PROGRESS_SEARCHING "バイト目を検索しています。"
#define TEXT_PROGRESS_REMAINING "予想最大残り時間"
#define TEXT_PROGRESS_SECONDS   "秒"
#define TEXT_PROGRESS_CANCEL    "&Cancel"

/* The candidate dialog (DIALOG_CANDIDATES): what it says, its rows and buttons. */
#define TEXT_CANDIDATE_CAPTION  "修復候補の選択"
#define TEXT_CANDIDATE_NOTE     "どの変更が正しいか確かめられないため、自動では修復していません。適用する候補を選ぶか、CRCを強制的に一致させるか、そのままにしてください。"
#define TEXT_CANDIDATE_COUNT    "CRCが一致する1バイトの変更: %d 件"
#define TEXT_CANDIDATE_SHOWN    "（先頭の %d 件を表示、残り %d 件は省略）"
#define TEXT_CANDIDATE_PAIRS    "、IHDRの幅と高さの組: %d 件"
#define TEXT_CANDIDATE_ROW      "位置 %u: 0x%02X → 0x%02X　%s"
#define TEXT_DIMENSION_ROW      "幅 %u × 高さ %u　画像データの大きさと一致"
#define TEXT_CHECK_NONE         "構造の検査なし"
#define TEXT_CHECK_PASSED       "構造の検査に合格"
#define TEXT_CHECK_PARTIAL      "次の破損チャンクまで検査に合格"
#define TEXT_CHECK_FAILED       "構造の検査で不合格"
#define TEXT_CANDIDATE_APPLY    "選んだ候補で修復(&A)"
#define TEXT_CANDIDATE_FORCE    "CRCを強制一致(&F)"
#define TEXT_CANDIDATE_LEAVE    "そのままにする(&L)"

#endif
