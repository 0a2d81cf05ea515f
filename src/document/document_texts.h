// Every text the document layer shows, in code page 932.
#pragma once

#define TEXT_OPEN_FAILED     "ファイルのオープンに失敗しました。"
#define TEXT_READ_FAILED     "ファイルの読み込みに失敗しました。"
#define TEXT_NOT_PNG         "PNGファイルではありません。"
#define TEXT_TOO_LARGE       "PNGファイルのサイズが大きすぎます。"
#define TEXT_CREATE_FAILED   "ファイルの作成に失敗しました。"
#define TEXT_WRITE_FAILED    "ファイルの書き込みに失敗しました。"
#define TEXT_MERGE_NO_MEMORY "結合のためのメモリ領域が確保できませんでした。"
#define CAPTION_PRODUCT      "VELMORA"
#define CAPTION_ERROR        "VELMORA エラー"
