// Every text of the preview window, in code page 932 (the sources are UTF-8; the
// build turns each literal into code page 932).
#pragma once

// The title: alone while there is no picture, with the zoom factor beside one.
#define PREVIEW_CAPTION         "画像の表示"
#define PREVIEW_CAPTION_ZOOM    "画像の表示 - %d%%"

#define PREVIEW_NO_DOCUMENT     "ファイルが読み込まれていません。"
// A decoder's failure: the step, the meaning, then the code's name and value.
#define PREVIEW_FAILED          "この画像は復号できません (%s)。\r\n\r\n%s\r\n\r\n%s (0x%08lX)"
#define PREVIEW_UNKNOWN_NAME    "HRESULT"
#define PREVIEW_UNKNOWN_TEXT    "画像処理コンポーネントが不明なエラーを返しました。"

// The steps of a decode, as the failure names them.
#define PREVIEW_STEP_FACTORY    "画像処理コンポーネントの準備"
#define PREVIEW_STEP_DECODER    "形式の判定"
#define PREVIEW_STEP_FRAME      "フレームの読み取り"
#define PREVIEW_STEP_CONVERT    "画素形式の変換"
#define PREVIEW_STEP_PIXELS     "画素の読み取り"

// What the Windows Imaging Component's codes mean for a PNG file.
#define PREVIEW_NO_DECODER      "この形式を読める復号器がありません。PNG の署名が壊れているか、画像処理コンポーネントに PNG の復号器がありません。"
#define PREVIEW_UNKNOWN_FORMAT  "画像の形式を認識できません。"
#define PREVIEW_BAD_HEADER      "画像のヘッダー (IHDR) が壊れています。"
#define PREVIEW_BAD_IMAGE       "画像のデータが壊れています。"
#define PREVIEW_FRAME_MISSING   "画像のフレームがありません。"
#define PREVIEW_BAD_STREAM      "画像のデータ列が途中で壊れているか、足りません。"
#define PREVIEW_STREAM_READ     "画像のデータを読み取れません。"
#define PREVIEW_PIXEL_FORMAT    "この画素形式には対応していません。"
#define PREVIEW_SIZE_RANGE      "画像の幅または高さが範囲外です。"
#define PREVIEW_VALUE_RANGE     "画像の値が範囲外です。"
#define PREVIEW_PALETTE         "パレット (PLTE) がないか、壊れています。"
#define PREVIEW_INTERNAL        "復号器の内部でエラーが起きました。"
#define PREVIEW_NOT_REGISTERED  "画像処理コンポーネント (WIC) がこのシステムにありません。"
#define PREVIEW_OUT_OF_MEMORY   "メモリが足りません。"
#define PREVIEW_FAIL            "復号器が失敗を返しました。データが壊れている可能性があります。"
