// Every text of the chunk table, the status line and the chunk summaries. The
// sources are UTF-8; the build turns each literal into code page 932.
#pragma once

// Chunk summaries, one per known type, and the text of every other type.
#define SUMMARY_IDAT    "画像データ"
#define SUMMARY_IEND    "終了チャンク: このチャンクで終わる必要があります。"
#define SUMMARY_IHDR    "ヘッダ: PNG形式はこのチャンクから始まる必要があります。"
#define SUMMARY_PLTE    "パレット:%u色"
#define SUMMARY_BKGD    "背景色"
#define SUMMARY_CHRM    "基礎色度: sRGB または iCCP はこれを含んでいます。"
#define SUMMARY_GAMA    "ガンマ値: sRGB または iCCP はこれを含んでいます。"
#define SUMMARY_HIST    "パレットヒストグラム"
#define SUMMARY_ICCP    "ICCプロファイル: %.*s"
#define SUMMARY_ITXT    "国際的なテキスト: [%s]"
#define SUMMARY_PHYS    "物理的なピクセル寸法"
#define SUMMARY_SBIT    "有効なビット数"
#define SUMMARY_SPLT    "推奨パレット: %.*s"
#define SUMMARY_SRGB    "標準 RGB カラースペース: [%u]%s"
#define SUMMARY_TEXT    "埋め込みテキスト: [%s]%s"
#define SUMMARY_TIME    "最終更新時間: %4u/%02u/%02u-%02u:%02u:%02u (世界標準時)"
#define SUMMARY_TRNS    "透明度情報"
#define SUMMARY_ZTXT    "圧縮テキスト: [%s]"
#define SUMMARY_UNKNOWN "認識できないチャンク"
#define SUMMARY_NO_MEMORY "[MallocError]"

// An sRGB chunk without data: empty brackets and the undefined intent.
#define SUMMARY_SRGB_EMPTY "標準 RGB カラースペース: []未定義値"
// A tIME chunk of fewer than seven bytes: no date can be read.
#define SUMMARY_TIME_SHORT "最終更新時間: 未定義値"

// The sRGB rendering intents 0 to 3, then the text of every larger value.
#define INTENT_PERCEPTUAL "Perceptual"
#define INTENT_RELATIVE   "Relative colorimetric"
#define INTENT_SATURATION "Saturation"
#define INTENT_ABSOLUTE   "Absolute colorimetric"
#define INTENT_UNDEFINED  "未定義値"

// What a cut text or keyword ends with.
#define CUT_MARK "..."

// Column headers.
#define HEADER_TYPE       "形式"
#define HEADER_LENGTH     "サイズ"
#define HEADER_CRC        "CRC32"
#define HEADER_DAMAGED    "破損"
#define HEADER_ANCILLARY  "補助"
#define HEADER_PRIVATE    "非公開"
#define HEADER_RESERVED   "予約"
#define HEADER_SAFE       "安全"
#define HEADER_DELETABLE  "削除可"
#define HEADER_MERGEABLE  "結合可"
#define HEADER_SUMMARY    "チャンク概要"

// The marks; the no mark is also the header of the chunk number column.
#define MARK_YES "○"
#define MARK_NO  "--"

// Cells.
#define CELL_NUMBER "%3d"
#define CELL_LENGTH "%7u"
#define CELL_CRC    "%08X"

// The status line. Every status text begins with one space; the status control
// shows "&&" as one ampersand.
#define STATUS_DROP_HINT  " D&&Dできます。"
#define STATUS_NO_IHDR    " 破損PNG - IHDRチャンクが見つかりません。"
#define STATUS_SHORT_IHDR " 破損PNG - IHDRチャンクが短すぎます。"
#define STATUS_IMAGE      " %ux%ux%u / %lluBytes / %s"
