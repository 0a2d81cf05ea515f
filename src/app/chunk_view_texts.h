// Texts of the chunk inspector's window and of the questions that keep a slimmed
// file whole, in code page 932 (the sources are UTF-8; the build turns each narrow
// literal into code page 932). The inspector's own text is UTF-8, see
// present/field_texts.h.
#pragma once

// Saving a chunk's raw data.
#define RAW_FILE_FILTER     "全てのファイル(*.*)\0*.*\0"
#define RAW_FILE_NAME       "%.4s.bin"
#define RAW_DEFAULT_EXTENSION "bin"
// The inspector could not be shown (memory ran out).
#define TEXT_INSPECTOR_NO_MEMORY "メモリが不足しているため、チャンクの内容を表示できません。"
#define CAPTION_INSPECTOR   "チャンクの内容"

// Saving a file that has bytes after its IEND.
#define CAPTION_TRAILING    "IEND の後のデータ"
#define TEXT_TRAILING       "このファイルには IEND チャンクの後に %lu バイトのデータがあります。\n" \
                            "これらのバイトは保存するファイルには書き込まれません。\n\n保存を続けますか?"

// Deleting part of an animation.
#define CAPTION_ANIMATION   "アニメーションの一部の削除"
#define TEXT_ANIMATION      "選択したチャンクはアニメーション (acTL, fcTL, fdAT) の一部だけです。\n" \
                            "一部だけを削除するとアニメーションが壊れます。\n\n" \
                            "[はい] アニメーション全体 (acTL, fcTL, fdAT のすべて) を削除する\n" \
                            "[いいえ] 選択したチャンクだけを削除する\n" \
                            "[キャンセル] 削除しない"

// Merging IDAT chunks in a file with iDOT.
#define CAPTION_IDOT        "iDOT チャンクがあります"
#define TEXT_IDOT           "このファイルの iDOT チャンクは IDAT チャンクの位置を記録しています。\n" \
                            "結合するとその位置が無効になり、画像を表示できなくなるソフトがあります。\n\n" \
                            "[はい] iDOT を削除して結合する\n" \
                            "[いいえ] そのまま結合する\n" \
                            "[キャンセル] 結合しない"
