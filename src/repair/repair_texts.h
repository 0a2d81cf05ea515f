/* Every text of the repair, in code page 932 once compiled: the two message boxes
   the search shows, the estimate placeholder, and the progress window's own texts.
   Plain #defines only, so that a resource script can include this file too. */
#ifndef VELMORA_REPAIR_TEXTS_H
#define VELMORA_REPAIR_TEXTS_H

/* Message boxes of the search, both owned by the main window. */
#define TEXT_REPAIRED        "破損を発見し、修復しました。"
#define TEXT_NOT_REPAIRABLE  "修復できませんでした。2バイト以上の破損、もしくはCRCが破損しています。\nCRCを強制的に一致させますか？"
#define CAPTION_INFORMATION  "VELMORA 情報"

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

#endif
