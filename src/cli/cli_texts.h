// Every text of the command line, English and Japanese side by side. The sources
// are UTF-8 and the build turns each literal into code page 932, as everywhere in
// the program; the output layer converts them for the console. Texts take numbers
// through printf conversions, never paths: paths are written beside them.
#pragma once

enum CliLanguage {
    CLI_ENGLISH  = 0,
    CLI_JAPANESE = 1,
};

enum CliText {
    CLI_TEXT_USAGE,
    CLI_TEXT_UNKNOWN_COMMAND,
    CLI_TEXT_UNKNOWN_OPTION,
    CLI_TEXT_OPTION_NEEDS_VALUE,
    CLI_TEXT_OPTION_NOT_FOR_COMMAND,
    CLI_TEXT_BAD_LANGUAGE,
    CLI_TEXT_NO_FILES,
    CLI_TEXT_ONE_OUTPUT_ONE_INPUT,
    CLI_TEXT_TWO_DESTINATIONS,
    CLI_TEXT_NEEDS_DESTINATION,
    CLI_TEXT_SHOW_OPERANDS,
    CLI_TEXT_STRIP_NEEDS_SET,
    CLI_TEXT_BAD_TYPE_LIST,
    CLI_TEXT_NOT_YET,
    CLI_TEXT_UNREADABLE,
    CLI_TEXT_RESCUE_HINT,
    CLI_TEXT_OUT_OF_MEMORY,
    CLI_TEXT_IS_FOLDER,
    CLI_TEXT_NO_SUCH_CHUNK,
    CLI_TEXT_WRITE_FAILED,
    CLI_TEXT_WRITE_HINT,
    CLI_TEXT_SAME_AS_INPUT,
    CLI_TEXT_EDIT_FAILED,
    CLI_TEXT_EDIT_HINT,
    CLI_TEXT_OUTPUT_TAKEN,
    CLI_TEXT_ANIMATION_GUARD,
    CLI_TEXT_IDOT_GUARD,
    CLI_TEXT_TRAILING_GUARD,
    CLI_TEXT_WOULD_DELETE,
    CLI_TEXT_DELETED,
    CLI_TEXT_WOULD_MERGE,
    CLI_TEXT_MERGED,
    CLI_TEXT_IDOT_DELETED,
    CLI_TEXT_UNCHANGED,
    CLI_TEXT_SIZE_CHANGE,
    CLI_TEXT_WRITTEN,
    CLI_TEXT_DAMAGE_LEFT,
    CLI_TEXT_CRC_FORCED,
    CLI_TEXT_CANDIDATES,
    CLI_TEXT_NOT_REPAIRED,
    CLI_TEXT_FORCE_HINT,
    CLI_TEXT_SUMMARY,
    CLI_TEXT_PROGRESS,
    CLI_TEXT_LIST_HEADER,
    CLI_TEXT_IMAGE_FACTS,
    CLI_TEXT_NO_IHDR,
    CLI_TEXT_YES,
    CLI_TEXT_NO,
    CLI_TEXT_RESCUE_AT,
    CLI_TEXT_RESCUE_APPLIED,
    CLI_TEXT_RESCUE_WAITING,
    CLI_TEXT_RESCUE_NO_FILE,
    CLI_TEXT_RESCUE_TOO_LARGE,
    CLI_TEXT_RESCUE_READ_FAILED,
    // Moving and splitting chunks.
    CLI_TEXT_CHUNK_OPERANDS,
    CLI_TEXT_MOVED,
    CLI_TEXT_ORDER_REFUSED,
    CLI_TEXT_AT_EDGE,
    CLI_TEXT_SPLIT,
    CLI_TEXT_SPLIT_REFUSED,
    CLI_TEXT_CHECK_CHUNK,
    CLI_TEXT_CHECK_FILE,
    CLI_TEXT_CHECK_CLEAN,
    CLI_TEXT_PRIVACY,
    // Setting fields, inserting, importing and exporting chunks.
    CLI_TEXT_SET_OPERANDS,
    CLI_TEXT_INSERT_OPERANDS,
    CLI_TEXT_IMPORT_OPERANDS,
    CLI_TEXT_EXPORT_OPERANDS,
    CLI_TEXT_BAD_DPI,
    CLI_TEXT_BAD_TIME,
    CLI_TEXT_BAD_TEXT_OPTION,
    CLI_TEXT_VALUE_REFUSED,
    CLI_TEXT_NO_SUCH_FIELD,
    CLI_TEXT_NOT_A_NUMBER,
    CLI_TEXT_FIELD_RANGE,
    CLI_TEXT_NO_FIELDS,
    CLI_TEXT_FIELDS_UNREADABLE,
    CLI_TEXT_DAMAGED_CHUNK,
    CLI_TEXT_REWRITTEN,
    CLI_TEXT_INSERTED,
    CLI_TEXT_NO_PLACE,
    CLI_TEXT_NOT_A_CHUNK_FILE,
    CLI_TEXT_NO_PROFILE,
    CLI_TEXT_COUNT,
};

// The texts of one language, in CliText order (cli_texts.cpp).
const char* cli_text(CliText text, CliLanguage language);
// The reason a box of the document layer gives (code page 932), in `language`:
// the box's own text in Japanese, its English counterpart otherwise.
const char* cli_reason(const char* box_text, CliLanguage language);

#define CLI_USAGE_EN                                                                              \
    "usage: velmora-cli COMMAND [OPTIONS] FILE...\n"                                              \
    "  list                 the chunk table and the image's facts\n"                              \
    "  show FILE NUMBER     the chunk inspector's text of one chunk\n"                            \
    "  strip                delete chunks: --metadata, --all, --private, --type T,T..., --keep T,T...\n" \
    "                       (--break-animation, --drop-idot to go past the window's questions)\n" \
    "  merge                merge every run of intact IDAT chunks (--drop-idot)\n"                \
    "  repair               mend damaged chunks beyond doubt, list the rest (--force-crc)\n"      \
    "  check                the conformance check: every finding (--privacy: what it gives away)\n" \
    "  rescue               read a file the strict load refuses and mend its framing\n"          \
    "                       (--accept-probable, --keep-cut-stream)\n"                            \
    "  move FILE NUMBER up|down|to N   move a chunk where the ordering rules allow\n"            \
    "  split FILE NUMBER SIZE          split an IDAT after SIZE bytes (--repeat: every SIZE)\n"   \
    "  set FILE NUMBER FIELD=VALUE...  change fields of a chunk, checked as the editors check\n"   \
    "  set FILE... --dpi N | --text KEY=VALUE | --time now|YYYY-MM-DDThh:mm:ss\n"                \
    "                       replace the pHYs, text or tIME chunk, or insert one\n"               \
    "  insert FILE TYPE [FIELD=VALUE...]  a new chunk where the ordering rules first allow it\n" \
    "  import FILE CHUNKFILE|PROFILE.icc  insert a raw chunk file, or an ICC profile as iCCP\n"  \
    "  export FILE NUMBER OUT          the chunk as a raw chunk file (--profile: iCCP's profile)\n" \
    "options: -o OUT | -d DIR | --in-place | --dry-run, -r, --json, -q, --lang ja|en,\n"          \
    "         --drop-trailing (write a file that had bytes after IEND without them)\n"

#define CLI_USAGE_JA                                                                                 \
    "使い方: velmora-cli コマンド [オプション] ファイル...\n"                                         \
    "  list                 チャンクの一覧と画像の情報\n"                                             \
    "  show ファイル 番号   チャンクの詳細\n"                                                         \
    "  strip                チャンクを削除: --metadata, --all, --private, --type T,T..., --keep T,T...\n" \
    "                       (ウィンドウの確認に代えて --break-animation, --drop-idot)\n"               \
    "  merge                破損していない IDAT の並びをすべて結合 (--drop-idot)\n"                    \
    "  repair               確実な修復だけを行い、残りは候補を表示 (--force-crc)\n"                    \
    "  check                規格への適合を検査し、問題をすべて表示 (--privacy: 公開前の確認)\n"        \
    "  rescue               読み込めない壊れたファイルを救出し、構造を修復\n"                          \
    "                       (--accept-probable, --keep-cut-stream)\n"                                  \
    "  move ファイル 番号 up|down|to N   順序の規則が許す位置へチャンクを移動\n"                    \
    "  split ファイル 番号 サイズ        IDAT をサイズの位置で分割 (--repeat: サイズごと)\n"         \
    "  set ファイル 番号 項目=値...      チャンクの項目を変更 (編集画面と同じ検査)\n"               \
    "  set ファイル... --dpi N | --text キー=値 | --time now|YYYY-MM-DDThh:mm:ss\n"                  \
    "                       pHYs、テキスト、tIME のチャンクを置き換えるか挿入\n"                      \
    "  insert ファイル 種類 [項目=値...]  順序の規則が許す最初の位置に新しいチャンクを挿入\n"      \
    "  import ファイル チャンクファイル|プロファイル.icc  チャンクファイルか ICC プロファイル (iCCP) を挿入\n" \
    "  export ファイル 番号 出力         チャンクをチャンクファイルに書き出す (--profile: iCCP のプロファイル)\n" \
    "オプション: -o 出力 | -d フォルダ | --in-place | --dry-run, -r, --json, -q, --lang ja|en,\n"     \
    "            --drop-trailing (IEND の後ろのデータを捨てて書き込む)\n"
