// Texts of the chunk editors and of the Edit and Insert commands, in code page 932
// (the sources are UTF-8; the build turns each narrow literal into code page 932).
// The reasons for a refused value come from field_result_texts.h and these.
#pragma once
#include "field_names.h"
#include "app/chunk_command_texts.h"

#define CAPTION_EDITOR          "チャンクの編集"
#define CAPTION_EDITOR_FORMAT   "%s の編集"
#define TEXT_NOT_EDITABLE       "この種類のチャンクには編集画面がありません。"
#define TEXT_CANNOT_READ        "このチャンクは項目として読めないため、編集できません:\n%s"
#define TEXT_EDITOR_NO_MEMORY   "メモリが不足しているため、編集できません。"
#define TEXT_NO_FIELDS          "このチャンクには名前で編集できる項目がありません。"
#define TEXT_INSERT_REFUSED     "%s チャンクはこのファイルに挿入できません: %s"
#define TEXT_IMPORT_FAILED      "チャンクのファイルを読み込めませんでした: %s"
#define CAPTION_INSERT          "チャンクの挿入"
#define CHUNK_FILE_FILTER       "チャンクのファイル(*.bin)\0*.bin\0全てのファイル(*.*)\0*.*\0"

// A refused value: the field's name, then why.
#define TEXT_REFUSED_FORMAT     "%s: %s"
#define TEXT_RANGE_FORMAT       "%lld から %lld の範囲で入力してください"
#define TEXT_RESOLUTION_BAD     "解像度には 1 以上の整数を入力してください"

// What a text becomes when Latin-1 cannot hold it.
#define TEXT_BECOMES_ITXT       "Latin-1 で表せない文字があるため、iTXt チャンクとして書き込みます。"

// The palette editor's entry line.
#define TEXT_PALETTE_ENTRY      "項目 %d: R %d, G %d, B %d (クリックで色を選択)"
#define TEXT_PALETTE_ALPHA      "項目 %d: アルファ %d (0 で透明、255 で不透明)"
#define TEXT_PALETTE_INDEX      "背景色: 項目 %d (クリックで選択)"

// What each field-value refusal means (FieldTextResult); TEXT_BAD_TEXT and the
// serialize faults use field_result_text.
inline const char* field_text_refusal(int code)
{
    switch (code) {
    case TEXT_UNKNOWN_FIELD: return "この名前の項目はありません";
    case TEXT_NOT_A_NUMBER: return "数値を入力してください";
    case TEXT_OUT_OF_RANGE: return "値が範囲外です";
    case TEXT_NO_MEMORY: return "メモリが足りません";
    default: return "";
    }
}

// A note per kind above its fields, or null.
inline const char* editor_note(int kind)
{
    switch (kind) {
    case KIND_IHDR: return "注意: 値を変えても画素データは変換されません。画像が正しく表示されなくなることがあります。";
    case KIND_PHYS: return "unit 1: x, y はメートル当たりの画素数 (300 dpi = 11811)。unit 0: 縦横比だけを表します。";
    case KIND_GAMA: return "2.2 のような指数でも、0.45455 のような値でも入力できます。";
    case KIND_TIME: return "日時は UTC です。";
    case KIND_FCTL: return "遅延は delay_numerator / delay_denominator 秒です (分母 0 は 100 とみなされます)。下の欄に秒数 (0.1 など) を入れて分数にできます。";
    case KIND_CICP: return "matrix は 0 (RGB) だけが使えます。";
    case KIND_OFFS: return "unit 0: 画素, 1: マイクロメートル。";
    case KIND_SCAL: return "unit 1: メートル, 2: ラジアン。";
    case KIND_STER: return "mode 0: 交差法, 1: 平行法。";
    case KIND_ACTL: return "plays 0 は無限に繰り返します。";
    default: return nullptr;
    }
}

// The order rules' reasons (OrderVerdict, check/chunk_order.h), as the chunk
// commands give them.
inline const char* order_refusal(int verdict)
{
    static const char* const TEXTS[] = {ORDER_VERDICT_TEXT_LIST};
    return verdict >= 0 && verdict < (int)(sizeof TEXTS / sizeof TEXTS[0]) ? TEXTS[verdict] : "";
}
