// The texts of the chunk commands (move, copy, cut, paste, split, export and
// import): why a command was refused, for the status line, the split dialog and
// the file dialogs' filters, in code page 932. Included by the resource script.
#pragma once

// Why an operation was refused, indexed by ChunkOpResult (document/chunk_ops.h);
// OP_REFUSED names the offending row and its OrderVerdict as well. Status texts
// begin with one space.
#define STATUS_ORDER_REFUSED " %d 番目のチャンクが順序の規則に合いません: %s"
#define CHUNK_OP_TEXT_LIST                                                          \
    "",                                                   /* OP_DONE */           \
    " ファイルが読み込まれていません。",                 /* OP_NO_DOCUMENT */    \
    " チャンクが選択されていません。",                   /* OP_NO_ROW */         \
    " 順序の規則に合わないため、変更できませんでした。", /* OP_REFUSED */        \
    " これ以上移動できません。",                         /* OP_AT_EDGE */        \
    " 必須チャンクは切り取れません。",                   /* OP_CRITICAL */       \
    " IDAT チャンクではありません。",                    /* OP_NOT_IDAT */       \
    " CRC が壊れているチャンクは分割できません。",       /* OP_DAMAGED */        \
    " この大きさでは分割できません。",                   /* OP_BAD_SIZE */       \
    " チャンクが途中で終わっています。",                 /* OP_TOO_SHORT */      \
    " チャンクの長さが正しくありません。",               /* OP_BAD_LENGTH */     \
    " チャンクの種類が正しくありません。",               /* OP_BAD_TYPE */       \
    " チャンクの CRC が一致しません。",                  /* OP_BAD_CRC */        \
    " チャンクの形式ではありません。",                   /* OP_BAD_FORM */       \
    " ICC プロファイルではありません。",                 /* OP_NOT_ICC */        \
    " ICC プロファイルを取り出せません。",               /* OP_NO_PROFILE */     \
    " メモリが足りないため、変更できませんでした。"      /* OP_NO_MEMORY */

// What the ordering rules say, indexed by OrderVerdict (check/chunk_order.h).
#define ORDER_VERDICT_TEXT_LIST                                \
    "",                                        /* ORDER_ALLOWED */ \
    "IHDR は先頭に一つだけ置けます。",         /* ORDER_NOT_FIRST */ \
    "IEND は末尾に一つだけ置けます。",         /* ORDER_NOT_LAST */ \
    "PLTE より前に置く必要があります。",       /* ORDER_NEEDS_BEFORE_PLTE */ \
    "PLTE より後に置く必要があります。",       /* ORDER_NEEDS_AFTER_PLTE */ \
    "IDAT より前に置く必要があります。",       /* ORDER_NEEDS_BEFORE_IDAT */ \
    "IDAT より後に置く必要があります。",       /* ORDER_NEEDS_AFTER_IDAT */ \
    "IDAT の並びを分けることはできません。",   /* ORDER_SPLITS_IDAT */ \
    "この種類のチャンクは一つしか置けません。" /* ORDER_ONLY_ONE */

// The clipboard (ClipboardResult, document/chunk_clipboard_win.h).
#define STATUS_CLIPBOARD_BUSY      " クリップボードを開けませんでした。"
#define STATUS_CLIPBOARD_EMPTY     " クリップボードにチャンクがありません。"
// Export and import.
#define STATUS_SELECT_ONE_CHUNK    " チャンクを一つだけ選択してください。"
#define STATUS_EXPORTED            " 書き出しました: %s"

// The split dialog (DIALOG_SPLIT).
#define SPLIT_CAPTION        "IDAT の分割"
#define SPLIT_LENGTH_LABEL   "このチャンクのデータ: %u バイト"
#define SPLIT_SIZE_LABEL     "分割する大きさ(&B):"
#define SPLIT_BYTES          "バイト"
#define SPLIT_ONCE_LABEL     "一度だけ分割する(&O)"
#define SPLIT_REPEAT_LABEL   "この大きさごとに繰り返し分割する(&R)"
#define SPLIT_OK             "OK"
#define SPLIT_CANCEL         "キャンセル"
#define SPLIT_SIZE_RANGE     "1 から %u までの数を入力してください。"

// The file dialogs: pairs of name and pattern, ended by an empty name.
#define CHUNK_FILE_FILTER    "チャンク ファイル (*.chunk)\0*.chunk\0全てのファイル(*.*)\0*.*\0"
#define CHUNK_FILE_EXTENSION "chunk"
#define CHUNK_FILE_NAME      "%s.chunk"
#define ICC_FILE_FILTER      "ICC プロファイル (*.icc;*.icm)\0*.icc;*.icm\0全てのファイル(*.*)\0*.*\0"
#define ICC_FILE_EXTENSION   "icc"
#define ICC_FILE_NAME        "profile.icc"
