// Every text of the findings window, the privacy review and the question before
// Save As, in code page 932 (the sources are UTF-8; the build turns each literal
// into code page 932). The resource script takes the captions and buttons from here.
#pragma once

// The findings window.
#define FINDINGS_CAPTION        "検査の結果"
#define FINDINGS_COUNTS         "エラー %d 件、警告 %d 件、情報 %d 件"
#define FINDINGS_NONE           "問題は見つかりませんでした。"
#define FINDINGS_NO_DOCUMENT    "ファイルが読み込まれていません。"
#define FINDINGS_COLUMN_SEVERITY "重要度"
#define FINDINGS_COLUMN_NUMBER  "番号"
#define FINDINGS_COLUMN_TYPE    "チャンク"
#define FINDINGS_COLUMN_MESSAGE "内容"
// The number and type cells of a finding about the file as a whole.
#define FINDINGS_WHOLE_FILE     "-"
#define FINDINGS_FILE_TYPE      "ファイル"
#define FINDINGS_CLOSE          "閉じる"

// The privacy review.
#define PRIVACY_CAPTION         "公開前の確認"
#define PRIVACY_FOUND           "このファイルを公開すると、次の %d 件の情報も一緒に渡ります。「削除用に選択」で、それを含むチャンクを表で選択します。"
#define PRIVACY_NOTHING         "公開して困りそうな情報は見つかりませんでした。"
#define PRIVACY_COLUMN_KIND     "情報の種類"
#define PRIVACY_COLUMN_NUMBER   "番号"
#define PRIVACY_COLUMN_TYPE     "チャンク"
#define PRIVACY_COLUMN_WHERE    "項目"
#define PRIVACY_COLUMN_EXCERPT  "内容"
#define PRIVACY_SELECT          "削除用に選択(&S)"

// Before Save As writes errors the loaded file did not have: how many, then the
// first one or two as lines of number, type and message.
#define CAPTION_NEW_ERRORS      "新しいエラー"
#define TEXT_NEW_ERRORS         "読み込んだときにはなかったエラーが %d 件あります。\r\n\r\n%s\r\nこのまま保存しますか？"
#define NEW_ERROR_LINE          "・%d %s: %s\r\n"
#define NEW_ERROR_FILE_LINE     "・%s\r\n"
#define NEW_ERRORS_MORE         "・...\r\n"
