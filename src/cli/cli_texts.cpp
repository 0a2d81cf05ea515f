#include "cli_texts.h"

#include <string.h>

#include "document/document_texts.h"

namespace {

struct TextPair {
    const char* english;
    const char* japanese;
};

// In CliText order; a text that an argument or a path follows ends with ": ".
const TextPair TEXTS[CLI_TEXT_COUNT] = {
    {CLI_USAGE_EN, CLI_USAGE_JA},
    {"unknown command: ", "不明なコマンドです: "},
    {"unknown option: ", "不明なオプションです: "},
    {"this option needs a value: ", "このオプションには値が必要です: "},
    {"this command does not take the option: ", "このコマンドでは使えないオプションです: "},
    {"--lang takes ja or en: ", "--lang には ja か en を指定してください: "},
    {"no file given", "ファイルが指定されていません"},
    {"-o names one output: give one input file, or use -d DIR", "-o は出力を1つだけ指定します。入力を1つにするか、-d フォルダを使ってください"},
    {"give only one of -o, -d and --in-place", "-o, -d, --in-place のどれか1つだけを指定してください"},
    {"this command changes files: add -o OUT, -d DIR or --in-place (or --dry-run to see what would change)",
     "このコマンドはファイルを変更します。-o 出力, -d フォルダ, --in-place のどれかを指定してください (--dry-run で変更内容を表示します)"},
    {"show takes one file and one chunk number", "show にはファイル1つとチャンク番号を指定してください"},
    {"strip needs --metadata, --all, --type or --keep", "strip には --metadata, --all, --type, --keep のどれかを指定してください"},
    {"a chunk type has four letters: ", "チャンクの形式は4文字です: "},
    {"this command is not in this version: ", "このバージョンにはないコマンドです: "},
    {"could not be read: ", "読み込めませんでした: "},
    {"(the file is left as it is; velmora-cli rescue is the way in for damaged files)",
     "(ファイルはそのままです。壊れたファイルは velmora-cli rescue で救出してください)"},
    {"out of memory", "メモリ領域が確保できませんでした。"},
    {"is a folder; add -r to walk it", "フォルダです。中のファイルを扱うには -r を指定してください"},
    {"no chunk %ld: the file has %ld chunks", "チャンク %ld はありません: チャンクは %ld 個です"},
    {"could not be written: ", "書き込めませんでした: "},
    {"(the input is untouched; check the folder and free space, then run again)",
     "(入力ファイルはそのままです。フォルダと空き容量を確かめてからやり直してください)"},
    {"the output is the input: use --in-place to replace it", "出力先が入力ファイルです。置き換えるには --in-place を指定してください"},
    {"the edit failed: ", "編集できませんでした: "},
    {"(the file is left as it is; close other programs and run again)", "(ファイルはそのままです。ほかのプログラムを閉じてからやり直してください)"},
    {"another file of this batch was written there: use -d with different names, or --in-place",
     "この一括処理の別のファイルがすでに書き込まれています。名前の異なる -d か --in-place を使ってください"},
    {"the chunks to delete are only part of the animation (acTL, fcTL, fdAT); left as it is. Add --break-animation to delete them all the same (the animation breaks), or --keep acTL,fcTL,fdAT to keep the animation",
     "選択したチャンクはアニメーション (acTL, fcTL, fdAT) の一部だけです。変更していません。そのまま削除する (アニメーションが壊れます) には --break-animation、アニメーションを残すには --keep acTL,fcTL,fdAT を指定してください"},
    {"the iDOT chunk records the IDAT positions, which merging makes invalid; left as it is. Add --drop-idot to delete iDOT and merge",
     "iDOT チャンクは IDAT チャンクの位置を記録しています。結合するとその位置が無効になるため、変更していません。iDOT を削除して結合するには --drop-idot を指定してください"},
    {"%lu bytes after IEND would not be written; left as it is. Add --drop-trailing to write without them",
     "IEND の後ろの %lu バイトは書き込まれません。変更していません。それらを捨てて書き込むには --drop-trailing を指定してください"},
    {"would delete: ", "削除する予定: "},
    {"deleted: ", "削除: "},
    {"would merge: ", "結合する予定: "},
    {"merged: ", "結合: "},
    {"deleted iDOT", "iDOT を削除"},
    {"nothing to change", "変更はありません"},
    {"%ld chunks, %llu bytes -> %ld chunks, %llu bytes", "%ld チャンク, %llu バイト -> %ld チャンク, %llu バイト"},
    {"written: ", "書き込み: "},
    {"%ld damaged chunks left", "破損したチャンクが %ld 個残っています"},
    {"stored CRC replaced by the computed one", "CRCを強制的に一致させました"},
    {"not repaired, candidates: ", "修復していません。候補: "},
    {"not repaired: no single-byte change explains the CRC", "修復できませんでした。2バイト以上の破損、もしくはCRCが破損しています。"},
    {"(choose in the window, or add --force-crc to make the stored CRCs the computed ones)",
     "(ウィンドウで選ぶか、--force-crc でCRCを強制的に一致させてください)"},
    {"%ld files: %ld fine, %ld changed, %ld with damage or left as they were, %ld unreadable, %ld not written",
     "%ld ファイル: 正常 %ld, 変更 %ld, 破損あり・未変更 %ld, 読み込み失敗 %ld, 書き込み失敗 %ld"},
    {"[%ld/%ld] ", "[%ld/%ld] "},
    {" No Type  Length      CRC Dmg Anc Prv Rsv Saf Del Mrg Summary", ""},
    {"%u x %u, bit depth %u, %llu bytes when saved", ""},
    {"no readable IHDR", ""},
    {"yes", "○"},
    {" --", "--"},
    {"byte %llu: ", "%llu バイト目: "},
    {" (applied)", " (適用)"},
    {" (not applied: add --accept-probable)", " (未適用: 適用するには --accept-probable を指定してください)"},
    {"could not be read: the file does not exist or cannot be opened", "読み込めませんでした: ファイルがないか、開けません"},
    {"could not be read: the file is 4 MiB or larger", "読み込めませんでした: ファイルが 4 MiB 以上です"},
    {"could not be read: a read error", "読み込めませんでした: 読み込みエラー"},
    {"move takes FILE NUMBER up|down|to N; split takes FILE NUMBER SIZE",
     "move にはファイル、チャンク番号、up|down|to N を、split にはファイル、チャンク番号、サイズを指定してください"},
    {"chunk %ld moved to %ld", "チャンク %ld を %ld に移動しました"},
    {"not changed: chunk %ld would stand where the ordering rules do not allow its type",
     "変更していません: チャンク %ld が順序の規則で許されない位置になります"},
    {"chunk %ld cannot move further that way", "チャンク %ld はその方向にはこれ以上移動できません"},
    {"chunk %ld split into %ld IDAT chunks", "チャンク %ld を %ld 個の IDAT に分割しました"},
    {"chunk %ld is not split: only an intact IDAT longer than the size is",
     "チャンク %ld は分割できません: サイズより長い、破損のない IDAT だけを分割できます"},
    {"chunk %ld %s: ", "チャンク %ld %s: "},
    {"file: ", "ファイル: "},
    {"no problems found", "問題は見つかりませんでした"},
    {"would give away: ", "公開すると知られる情報: "},
    {"set takes FILE NUMBER FIELD=VALUE..., or files with --dpi, --text or --time",
     "set にはファイル、チャンク番号、項目=値... を、または --dpi, --text, --time とファイルを指定してください"},
    {"insert takes FILE TYPE [FIELD=VALUE...], TYPE one whose fields are known",
     "insert にはファイル、項目のわかるチャンクの種類、[項目=値...] を指定してください"},
    {"import takes FILE and one raw chunk file or ICC profile", "import にはファイルとチャンクファイルか ICC プロファイルを1つ指定してください"},
    {"export takes FILE NUMBER OUT", "export にはファイル、チャンク番号、出力ファイルを指定してください"},
    {"--dpi takes a whole number from 1: ", "--dpi には 1 以上の整数を指定してください: "},
    {"--time takes now or YYYY-MM-DDThh:mm:ss (UTC): ", "--time には now か YYYY-MM-DDThh:mm:ss (UTC) を指定してください: "},
    {"--text takes KEY=VALUE: ", "--text にはキー=値を指定してください: "},
    {"refused, file left as it is: ", "受け付けられない値です。ファイルはそのままです: "},
    {"no such field; the fields are", "その項目はありません。項目"},
    {"not a number", "数値ではありません"},
    {"from %lld to %lld", "%lld から %lld まで"},
    {"chunk %ld has no fields to set", "チャンク %ld には変更できる項目がありません"},
    {"chunk %ld cannot be read as its fields: ", "チャンク %ld を項目として読めません: "},
    {"chunk %ld is damaged: repair it first (a fresh CRC would hide the damage)",
     "チャンク %ld は破損しています。先に修復してください (新しい CRC で破損が隠れるため)"},
    {"chunk %ld %s rewritten", "チャンク %ld %s を書き換えました"},
    {"chunk %ld %s inserted", "チャンク %ld %s を挿入しました"},
    {"not changed: the ordering rules allow a %s chunk nowhere in this file",
     "変更していません: 順序の規則により、このファイルには %s チャンクを置ける位置がありません"},
    {"neither a raw chunk file nor an ICC profile (%s): ", "チャンクファイルでも ICC プロファイルでもありません (%s): "},
    {"chunk %ld is not an iCCP whose profile inflates", "チャンク %ld はプロファイルを展開できる iCCP ではありません"},
};

}  // namespace

const char* cli_text(CliText text, CliLanguage language)
{
    if (text < 0 || text >= CLI_TEXT_COUNT) {
        return "";
    }
    return language == CLI_JAPANESE ? TEXTS[text].japanese : TEXTS[text].english;
}

namespace {

const TextPair REASONS[] = {
    {"the file cannot be opened.", TEXT_OPEN_FAILED},
    {"the file cannot be read.", TEXT_READ_FAILED},
    {"not a PNG file.", TEXT_NOT_PNG},
    {"the PNG file is too large (4 MiB or more).", TEXT_TOO_LARGE},
    {"the file cannot be created.", TEXT_CREATE_FAILED},
    {"the file cannot be written.", TEXT_WRITE_FAILED},
    {"no memory for merging.", TEXT_MERGE_NO_MEMORY},
};

}  // namespace

const char* cli_reason(const char* box_text, CliLanguage language)
{
    for (const TextPair& pair : REASONS) {
        if (language == CLI_ENGLISH && strcmp(box_text, pair.japanese) == 0) {
            return pair.english;
        }
    }
    return box_text;
}
