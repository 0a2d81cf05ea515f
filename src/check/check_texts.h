// Every text of the check, in Japanese and in English, beside the rule it belongs
// to. Narrow literals: code page 932 in the built program, like the shell's texts.
// In a message, %T stands for the chunk's type and %1, %2 for the finding's two
// values, in whatever order the language wants them.
#pragma once

// The severities as the findings list and the command line show them.
#define CHECK_SEVERITY_TEXTS_JA {"エラー", "警告", "情報"}
#define CHECK_SEVERITY_TEXTS_EN {"error", "warning", "info"}

// X(rule, severity, Japanese, English): every rule the check applies.
#define CHECK_RULES(X) \
    X(RULE_NOT_PNG, SEVERITY_ERROR, \
      "PNG の識別子 (先頭の 8 バイト) が正しくありません", \
      "the PNG signature (the first 8 bytes) is wrong") \
    X(RULE_CRC_DAMAGED, SEVERITY_ERROR, \
      "%T チャンクの CRC が一致しません (格納値 %x1、計算値 %x2)", \
      "the CRC of the %T chunk does not match (stored %x1, computed %x2)") \
    X(RULE_DATA_AFTER_IEND, SEVERITY_WARNING, \
      "IEND の後に %1 バイトのデータがあります (保存すると失われます)", \
      "%1 bytes follow IEND (saving drops them)") \
    X(RULE_IHDR_NOT_FIRST, SEVERITY_ERROR, \
      "最初のチャンクが IHDR ではありません", \
      "the first chunk is not IHDR") \
    X(RULE_IEND_NOT_LAST, SEVERITY_ERROR, \
      "最後のチャンクが IEND ではありません", \
      "the last chunk is not IEND") \
    X(RULE_NOT_SINGLE, SEVERITY_ERROR, \
      "%T チャンクは 1 つしか置けません (%1 つ目)", \
      "only one %T chunk is allowed (this is number %1)") \
    X(RULE_NO_IDAT, SEVERITY_ERROR, \
      "IDAT チャンクがありません", \
      "there is no IDAT chunk") \
    X(RULE_IDAT_NOT_CONTIGUOUS, SEVERITY_ERROR, \
      "IDAT チャンクが連続していません (間に別のチャンクがあります)", \
      "the IDAT chunks are not consecutive (another chunk stands between them)") \
    X(RULE_PLTE_MISSING, SEVERITY_ERROR, \
      "色の種類 3 (パレット) の画像に PLTE チャンクがありません", \
      "an image of colour type 3 (palette) has no PLTE chunk") \
    X(RULE_PLTE_FORBIDDEN, SEVERITY_ERROR, \
      "色の種類 %1 の画像には PLTE チャンクを置けません", \
      "an image of colour type %1 may not have a PLTE chunk") \
    X(RULE_PLTE_LENGTH, SEVERITY_ERROR, \
      "PLTE チャンクの長さ %1 バイトは 3 の倍数ではありません", \
      "the PLTE chunk's length of %1 bytes is not a multiple of 3") \
    X(RULE_PLTE_ENTRIES, SEVERITY_ERROR, \
      "PLTE チャンクの %1 色は多すぎるか 0 です (上限 %2 色)", \
      "the PLTE chunk's %1 entries are none or too many (at most %2)") \
    X(RULE_BEFORE_PLTE, SEVERITY_ERROR, \
      "%T チャンクは PLTE より前に置かなければなりません", \
      "the %T chunk must come before PLTE") \
    X(RULE_AFTER_PLTE, SEVERITY_ERROR, \
      "%T チャンクは PLTE より後に置かなければなりません", \
      "the %T chunk must come after PLTE") \
    X(RULE_BEFORE_IDAT, SEVERITY_ERROR, \
      "%T チャンクは最初の IDAT より前に置かなければなりません", \
      "the %T chunk must come before the first IDAT") \
    X(RULE_AFTER_IDAT, SEVERITY_ERROR, \
      "%T チャンクは IDAT より後に置かなければなりません", \
      "the %T chunk must come after the IDAT chunks") \
    X(RULE_NEEDS_PLTE, SEVERITY_ERROR, \
      "%T チャンクは PLTE チャンクのある画像にしか置けません", \
      "the %T chunk needs a PLTE chunk") \
    X(RULE_FORBIDDEN_FOR_COLOUR, SEVERITY_ERROR, \
      "色の種類 %1 の画像には %T チャンクを置けません", \
      "an image of colour type %1 may not have a %T chunk") \
    X(RULE_UNKNOWN_CRITICAL, SEVERITY_ERROR, \
      "%T は未知の必須チャンクです (読み込むソフトは画像を表示できません)", \
      "%T is an unknown critical chunk (readers cannot show the image)") \
    X(RULE_RESERVED_BIT, SEVERITY_ERROR, \
      "%T チャンクの型名の 3 文字目が小文字です (予約ビット)", \
      "the third letter of the %T chunk's type is lower case (reserved bit)") \
    X(RULE_BAD_TYPE_NAME, SEVERITY_ERROR, \
      "チャンクの型名が英字 4 文字ではありません", \
      "the chunk's type is not four letters") \
    X(RULE_SRGB_WITH_ICCP, SEVERITY_WARNING, \
      "sRGB と iCCP の両方があります (どちらか一方にします)", \
      "both sRGB and iCCP are present (keep one of them)") \
    X(RULE_STREAM_BROKEN, SEVERITY_ERROR, \
      "%T の圧縮データが壊れています", \
      "the %T chunk's compressed data is broken") \
    X(RULE_STREAM_ADLER, SEVERITY_ERROR, \
      "%T の圧縮データの Adler-32 が一致しません", \
      "the Adler-32 of the %T chunk's compressed data does not match") \
    X(RULE_STREAM_SHORT, SEVERITY_ERROR, \
      "%T の圧縮データが途中で終わっています", \
      "the %T chunk's compressed data ends early") \
    X(RULE_STREAM_TRAILING, SEVERITY_ERROR, \
      "%T の圧縮データの終わりの後にまだデータがあります", \
      "data follows the end of the %T chunk's compressed data") \
    X(RULE_STREAM_TOO_LONG, SEVERITY_WARNING, \
      "%T の圧縮データは %1 MiB を超えて展開されるため、それ以上は調べていません", \
      "the %T chunk's data inflates past %1 MiB and was not followed further") \
    X(RULE_STREAM_BUDGET, SEVERITY_WARNING, \
      "圧縮データは合わせて %1 MiB まで調べました: この %T から先は調べていません", \
      "compressed data was followed for %1 MiB in all: from this %T on it was not followed") \
    X(RULE_STREAM_NO_MEMORY, SEVERITY_WARNING, \
      "%T の圧縮データを調べるメモリが足りません", \
      "not enough memory to check the %T chunk's compressed data") \
    X(RULE_IMAGE_SIZE, SEVERITY_ERROR, \
      "画像データの展開後のサイズ %1 バイトが IHDR から決まるサイズ %2 バイトと違います", \
      "the image data inflates to %1 bytes, but IHDR makes it %2 bytes") \
    X(RULE_FILTER_TYPE, SEVERITY_ERROR, \
      "画像データに 0 から 4 以外のフィルタ種別の行があります", \
      "the image data has a row with a filter type other than 0 to 4") \
    X(RULE_FIELD_LENGTH, SEVERITY_ERROR, \
      "%T チャンクの長さ %1 バイトが正しくありません", \
      "the %T chunk's length of %1 bytes is wrong") \
    X(RULE_ANIMATION_WITHOUT_ACTL, SEVERITY_WARNING, \
      "acTL のないファイルに %T チャンクがあります (アニメーションとして扱われません)", \
      "a %T chunk without acTL (the file is not treated as an animation)") \
    X(RULE_SEQUENCE, SEVERITY_ERROR, \
      "%T チャンクの連番が %1 です (%2 のはず)", \
      "the %T chunk's sequence number is %1 (expected %2)") \
    X(RULE_FRAME_COUNT, SEVERITY_ERROR, \
      "acTL のフレーム数 %1 に対して fcTL が %2 個あります", \
      "acTL says %1 frames, but there are %2 fcTL chunks") \
    X(RULE_NO_FRAMES, SEVERITY_ERROR, \
      "acTL のフレーム数が 0 です", \
      "acTL says 0 frames") \
    X(RULE_FRAME_OUTSIDE, SEVERITY_ERROR, \
      "fcTL のフレーム (右端 %1、下端 %2) が画像からはみ出しています", \
      "the fcTL frame (right edge %1, bottom edge %2) lies outside the image") \
    X(RULE_FRAME_EMPTY, SEVERITY_ERROR, \
      "fcTL のフレームの幅か高さが 0 です", \
      "the fcTL frame's width or height is 0") \
    X(RULE_FIRST_FRAME, SEVERITY_ERROR, \
      "IDAT の前の fcTL は画像全体 (位置 0, 0) でなければなりません", \
      "the fcTL before IDAT must cover the whole image at 0, 0") \
    X(RULE_DISPOSE, SEVERITY_ERROR, \
      "fcTL の破棄方法 %1 は定義されていません (0 から 2)", \
      "the fcTL dispose operation %1 is undefined (0 to 2)") \
    X(RULE_BLEND, SEVERITY_ERROR, \
      "fcTL の合成方法 %1 は定義されていません (0 か 1)", \
      "the fcTL blend operation %1 is undefined (0 or 1)") \
    X(RULE_FRAME_WITHOUT_DATA, SEVERITY_ERROR, \
      "fcTL の後に fdAT チャンクがありません", \
      "no fdAT chunk follows this fcTL") \
    X(RULE_FDAT_WITHOUT_FCTL, SEVERITY_ERROR, \
      "fdAT チャンクの前に fcTL チャンクがありません", \
      "no fcTL chunk comes before this fdAT") \
    X(RULE_IDOT_OFFSET, SEVERITY_ERROR, \
      "iDOT の位置 %1 は IDAT チャンクの先頭を指していません", \
      "the iDOT offset %1 does not point at the start of an IDAT chunk") \
    X(RULE_IDOT_ROWS, SEVERITY_ERROR, \
      "iDOT の行数の合計 %1 が画像の高さ %2 と違います", \
      "the iDOT row counts add up to %1, not to the image height %2") \
    X(RULE_HIST_ENTRIES, SEVERITY_ERROR, \
      "hIST チャンクの %1 個の値がパレットの %2 色と合いません", \
      "the hIST chunk's %1 values do not match the palette's %2 entries") \
    X(RULE_EXIF_HEADER, SEVERITY_ERROR, \
      "eXIf チャンクが TIFF のバイト順 (II か MM) で始まっていません", \
      "the eXIf chunk does not start with a TIFF byte order (II or MM)") \
    X(RULE_FIELD_LAYOUT, SEVERITY_ERROR, \
      "%T チャンクを読めません: %F (長さ %2 バイト)", \
      "the %T chunk cannot be read: %F (length %2 bytes)") \
    X(RULE_FIELD_VALUE, SEVERITY_ERROR, \
      "%T チャンクの値が正しくありません: %F", \
      "the %T chunk holds an invalid value: %F") \
    X(RULE_CHECK_NO_MEMORY, SEVERITY_ERROR, \
      "メモリが足りないため検査を最後まで行えませんでした", \
      "not enough memory to finish the check")

// X(kind, Japanese, English): what the privacy review tells a file gives away.
#define PRIVACY_KINDS(X) \
    X(PRIVACY_POSITION,  "位置 (GPS)",             "position (GPS)") \
    X(PRIVACY_SERIAL,    "機器のシリアル番号",     "device serial number") \
    X(PRIVACY_NAME,      "名前",                   "name") \
    X(PRIVACY_CONTACT,   "連絡先",                 "contact") \
    X(PRIVACY_PATH,      "ファイルのパス",         "file path") \
    X(PRIVACY_SOFTWARE,  "ソフトウェア",           "software") \
    X(PRIVACY_GENERATOR, "画像生成の情報",         "image generator data") \
    X(PRIVACY_PROFILE,   "埋め込まれたメタデータ", "embedded metadata")

// X(field result, Japanese, English): why the field model refused a chunk's bytes
// (%F in the messages above).
#define FIELD_FAULT_TEXTS(X) \
    X(FIELD_WRONG_LENGTH,      "長さがこの型の長さではありません", "the length is not this type's length") \
    X(FIELD_TOO_SHORT,         "固定部分より短すぎます", "shorter than its fixed part") \
    X(FIELD_LENGTH_STEP,       "長さが項目の大きさの倍数ではありません", "the length is not a whole number of entries") \
    X(FIELD_NO_KEYWORD_END,    "キーワード (名前) の終わりの 0 バイトがありません", "no zero byte ends the keyword (name)") \
    X(FIELD_NO_LANGUAGE_END,   "言語タグの終わりの 0 バイトがありません", "no zero byte ends the language tag") \
    X(FIELD_NO_TRANSLATED_END, "翻訳されたキーワードの終わりの 0 バイトがありません", "no zero byte ends the translated keyword") \
    X(FIELD_NO_UNIT_END,       "単位名の終わりの 0 バイトがありません", "no zero byte ends the unit name") \
    X(FIELD_NO_SEPARATOR,      "幅と高さの間の 0 バイトがありません", "no zero byte between width and height") \
    X(FIELD_UNKNOWN_LAYOUT,    "画像の色の種類から形が決まりません", "the image's colour type gives it no layout") \
    X(FIELD_BAD_DIMENSION,     "幅か高さが 0 か 2^31 - 1 を超えています", "a width or height is 0 or above 2^31 - 1") \
    X(FIELD_BAD_BIT_DEPTH,     "色の種類に許されないビット深度です", "a bit depth the colour type does not allow") \
    X(FIELD_BAD_COLOUR_TYPE,   "色の種類が定義されていません", "an undefined colour type") \
    X(FIELD_BAD_METHOD,        "圧縮方式かフィルタ方式が 0 ではありません", "a compression or filter method other than 0") \
    X(FIELD_BAD_INTERLACE,     "インターレース方式が定義されていません", "an undefined interlace method") \
    X(FIELD_BAD_PALETTE_SIZE,  "パレットの色数が 0 か多すぎます", "the palette has no entries or too many") \
    X(FIELD_BAD_INDEX,         "パレットの色数を超える番号か項目があります", "an index or entries beyond the palette") \
    X(FIELD_BAD_SAMPLE,        "ビット深度に収まらない値があります", "a value the bit depth cannot hold") \
    X(FIELD_BAD_KEYWORD,       "キーワードが規則 (1 から 79 文字の Latin-1、前後と連続の空白なし) に合いません", "the keyword breaks the rules (1 to 79 Latin-1 characters, no leading, trailing or double spaces)") \
    X(FIELD_NOT_LATIN1,        "テキストに Latin-1 のテキストとして使えないバイトがあります", "the text holds a byte Latin-1 text may not hold") \
    X(FIELD_NOT_UTF8,          "UTF-8 として正しくないバイトがあります", "bytes that are not valid UTF-8") \
    X(FIELD_BAD_LANGUAGE,      "言語タグの形が正しくありません", "the language tag is malformed") \
    X(FIELD_BAD_FLAG,          "圧縮フラグが 0 でも 1 でもありません", "a compression flag other than 0 and 1") \
    X(FIELD_BAD_ZERO,          "0 であってはならない値が 0 です", "a value that must not be 0 is 0") \
    X(FIELD_TOO_LARGE,         "値が 2^31 - 1 を超えています", "a value above 2^31 - 1") \
    X(FIELD_BAD_UNIT,          "単位 (または式の種類) が定義されていません", "an undefined unit (or equation type)") \
    X(FIELD_BAD_INTENT,        "レンダリングインテントが定義されていません", "an undefined rendering intent") \
    X(FIELD_BAD_MATRIX,        "行列係数が 0 ではありません (PNG は RGB のみ)", "matrix coefficients other than 0 (PNG holds RGB only)") \
    X(FIELD_BAD_RANGE_FLAG,    "フルレンジのフラグが 0 でも 1 でもありません", "a full range flag other than 0 and 1") \
    X(FIELD_BAD_DATE,          "月、日、時、分、秒が暦にない値です", "a month, day, hour, minute or second outside the calendar") \
    X(FIELD_BAD_DISPOSE,       "破棄方法が定義されていません", "an undefined disposal method") \
    X(FIELD_BAD_BLEND,         "合成方法が定義されていません", "an undefined blend operation") \
    X(FIELD_BAD_NUMBER,        "PNG の書き方の数値ではありません", "not a number as PNG writes them") \
    X(FIELD_BAD_MODE,          "モードかフラグが定義されていません", "an undefined mode or flag") \
    X(FIELD_BAD_PARAMETERS,    "式に合わない数のパラメータか、同じ x0 と x1 です", "parameters that do not fit the equation, or equal x0 and x1")
