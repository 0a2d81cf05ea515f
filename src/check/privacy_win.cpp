// The privacy review's dialog: what the file would give away, one row per
// finding, and the button that selects those chunks in the table so that the
// user can delete them (the delete command's own questions still come).
// The check's header comes first: winerror.h defines SEVERITY_ERROR as a macro,
// which would rename the check's own severity; it is undefined again below.
#include "check/privacy.h"
#include <windows.h>
#include <commctrl.h>
#undef SEVERITY_ERROR

#include <string.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "check/check_win.h"
#include "check/check_win_texts.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "present/list_view_win.h"
#include "resource_ids.h"

namespace {

const UINT CP932 = 932;
enum PrivacyColumn { COLUMN_KIND, COLUMN_NUMBER, COLUMN_TYPE, COLUMN_WHERE, COLUMN_EXCERPT, PRIVACY_COLUMNS };
const int COLUMN_WIDTHS[PRIVACY_COLUMNS] = {64, 20, 28, 64, 180};   // dialog units
const char* const COLUMN_HEADERS[PRIVACY_COLUMNS] = {PRIVACY_COLUMN_KIND, PRIVACY_COLUMN_NUMBER,
                                                     PRIVACY_COLUMN_TYPE, PRIVACY_COLUMN_WHERE,
                                                     PRIVACY_COLUMN_EXCERPT};

// What the dialog is opened with.
struct PrivacyReview {
    HWND        table;   // the main window's chunk table
    PrivacyList list;
};

void add_finding_row(HWND list, const PrivacyFinding& finding)
{
    int row = list_add_row(list, finding.chunk);
    char number[16], type[5] = "";
    wsprintfA(number, "%d", (int)finding.chunk + 1);
    if (finding.chunk >= 0 && finding.chunk < g_document.count) {
        memcpy(type, g_document.records[finding.chunk].type, 4);
    }
    list_set_cell(list, row, COLUMN_KIND, privacy_kind_text(finding.kind, CHECK_JAPANESE), CP932);
    list_set_cell(list, row, COLUMN_NUMBER, number, CP932);
    list_set_cell(list, row, COLUMN_TYPE, type, CP932);
    list_set_cell(list, row, COLUMN_WHERE, finding.where, CP932);
    list_set_cell(list, row, COLUMN_EXCERPT, finding.excerpt, CP_UTF8);
}

INT_PTR on_init_dialog(HWND dialog, PrivacyReview* review)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)review);
    HWND list = GetDlgItem(dialog, IDC_PRIVACY_LIST);
    list_add_columns(list, dialog, COLUMN_WIDTHS, COLUMN_HEADERS, PRIVACY_COLUMNS);
    for (int32_t i = 0; i < review->list.count; i++) {
        add_finding_row(list, review->list.items[i]);
    }
    char note[512];
    if (review->list.count > 0) {
        wsprintfA(note, PRIVACY_FOUND, (int)review->list.count);
    } else {
        lstrcpyA(note, g_document.loaded ? PRIVACY_NOTHING : FINDINGS_NO_DOCUMENT);
    }
    SetDlgItemTextA(dialog, IDC_PRIVACY_NOTE, note);
    EnableWindow(GetDlgItem(dialog, IDC_PRIVACY_SELECT), review->list.count > 0);
    return TRUE;
}

// Exactly the chunks the findings name, critical ones never; the first in view.
void select_for_deletion(HWND dialog)
{
    const PrivacyReview* review = (const PrivacyReview*)GetWindowLongPtrA(dialog, DWLP_USER);
    if (!review || !g_document.loaded) {
        return;
    }
    uint8_t* selected = (uint8_t*)zero_alloc((size_t)g_document.count + 1);
    if (!selected) {
        return;
    }
    privacy_selection(review->list, selected, g_document.count);
    select_marked_rows(review->table, selected);
    int first = list_first_selected(review->table);
    if (first >= 0) {
        SendMessageA(review->table, LVM_ENSUREVISIBLE, (WPARAM)first, FALSE);
    }
    zero_free(selected);
    EndDialog(dialog, IDC_PRIVACY_SELECT);
}

}  // namespace

void show_privacy_review(HWND main_window, HWND table)
{
    PrivacyReview review = {table, PrivacyList()};
    review_privacy(&review.list);
    DialogBoxParamA(g_instance, RES_PRIVACY_DIALOG, main_window, privacy_proc, (LPARAM)&review);
    privacy_free(&review.list);
}

INT_PTR CALLBACK privacy_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, (PrivacyReview*)lparam);
    case WM_COMMAND:
        if (LOWORD(wparam) == IDC_PRIVACY_SELECT) {
            select_for_deletion(dialog);
        } else if (LOWORD(wparam) == IDCANCEL || LOWORD(wparam) == IDOK) {
            EndDialog(dialog, LOWORD(wparam));
        }
        return TRUE;
    default:
        return FALSE;
    }
}
