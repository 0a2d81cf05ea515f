// The rescue's windows: the progress window of a scan (opened only for a long
// one), and the report whose check boxes decide the findings the scan could not
// prove. The texts are the core's (rescue_text.h, rescue_report.h).
#include "rescue/rescue_win.h"

#include <commctrl.h>

#include <algorithm>

#include "app/app.h"
#include "document/memory.h"
#include "repair/progress_window_win.h"
#include "rescue/rescue_report.h"
#include "rescue/rescue_text.h"
#include "rescue/rescue_win_texts.h"
#include "resource_ids.h"

namespace {

const int TEXT_SIZE = 512;
const int LOSS_SIZE = 1024;

// ---- the scan ---------------------------------------------------------------

// What the scan's ports work on. The queue is looked at through the repair's
// pump, which takes at most one message every PUMP_INTERVAL_MS.
struct ScanWindow {
    HWND         owner;
    HWND         progress;    // null until the scan has run RESCUE_PROGRESS_DELAY_MS
    DWORD        start;
    DWORD        last_shown;
    int          cancel;      // set by Cancel
    RepairWindow pump;
    RepairPorts  pump_ports;
};

INT_PTR CALLBACK scan_progress_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    if (LOWORD(wparam) == IDC_RESCUE_CANCEL) {
        ((ScanWindow*)GetWindowLongPtrA(dialog, DWLP_USER))->cancel = 1;
    }
    return TRUE;   // nothing else ends the window
}

// Every call of the scan's ports comes here first: the progress window opens once
// the scan has run RESCUE_PROGRESS_DELAY_MS, and the queue is looked at, so that
// the windows stay alive and Cancel gets through.
ScanWindow& keep_alive(void* context)
{
    ScanWindow& scan = *(ScanWindow*)context;
    DWORD now = GetTickCount();
    if (!scan.progress && now - scan.start >= RESCUE_PROGRESS_DELAY_MS) {
        scan.progress = CreateDialogParamA(g_instance, RES_RESCUE_PROGRESS_DIALOG, scan.owner, scan_progress_proc,
                                           (LPARAM)&scan);
        scan.last_shown = now - RESCUE_PROGRESS_INTERVAL_MS;
    }
    scan.pump_ports.pump_one_event(scan.pump_ports.context);
    return scan;
}

void show_progress(void* context, uint64_t done, uint64_t total)
{
    ScanWindow& scan = keep_alive(context);
    DWORD now = GetTickCount();
    if (scan.progress && now - scan.last_shown >= RESCUE_PROGRESS_INTERVAL_MS) {
        scan.last_shown = now;
        char text[TEXT_SIZE];
        wsprintfA(text, RESCUE_PROGRESS_DONE, (unsigned long)done, (unsigned long)total);
        SetDlgItemTextA(scan.progress, IDC_RESCUE_DONE, text);
    }
}

int ask_cancelled(void* context)
{
    return keep_alive(context).cancel;
}

uint32_t scan_clock(void*)
{
    return GetTickCount();
}

void report_unreadable(HWND owner, int read)
{
    const char* text = read == RESCUE_READ_TOO_LARGE ? TEXT_RESCUE_TOO_LARGE
                       : read == RESCUE_READ_NO_MEMORY ? TEXT_RESCUE_NO_MEMORY
                       : read == RESCUE_READ_NO_FILE ? TEXT_RESCUE_NO_FILE
                                                     : TEXT_RESCUE_READ_FAILED;
    MessageBoxA(owner, text, CAPTION_RESCUE, MB_OK | MB_ICONERROR);
}

// ---- the report -------------------------------------------------------------

struct Report {
    RescueResult* result;
    HWND          list;
    int           filling;   // 1 while the rows are added: their changes are not the user's
};

// State image 0 (no box), 1 (unchecked) or 2 (checked) of a finding's row.
int box_of(const RescueFinding& finding)
{
    if (!rescue_finding_choosable(finding)) return 0;
    return finding.accept == RESCUE_ACCEPTED ? 2 : 1;
}

void add_column(HWND list, int column, const char* title, int width_units, HWND dialog)
{
    RECT width = {0, 0, width_units, 0};
    MapDialogRect(dialog, &width);
    LVCOLUMNA item = {};
    item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    item.pszText = (char*)title;
    item.cx = width.right;
    item.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, column, (LPARAM)&item);
}

void set_cell(HWND list, int row, int column, const char* text)
{
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = (char*)text;
    SendMessageA(list, LVM_SETITEMTEXTA, row, (LPARAM)&item);
}

void set_box(HWND list, int row, int box)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(box);
    SendMessageA(list, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

// The row's finding, kept as the item's parameter: the rows go by offset.
int32_t finding_at(HWND list, int row)
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    SendMessageA(list, LVM_GETITEMA, 0, (LPARAM)&item);
    return (int32_t)item.lParam;
}

void add_row(HWND list, int row, const RescueFinding& finding, int32_t index)
{
    char text[TEXT_SIZE];
    wsprintfA(text, RESCUE_OFFSET_FORMAT, (unsigned long)finding.offset);
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = text;
    item.lParam = index;
    SendMessageA(list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    rescue_finding_text(finding, RESCUE_JAPANESE, RESCUE_TEXT_FOUND, text, sizeof text);
    set_cell(list, row, 1, text);
    rescue_finding_text(finding, RESCUE_JAPANESE, RESCUE_TEXT_PROPOSAL, text, sizeof text);
    set_cell(list, row, 2, text);
    set_cell(list, row, 3, rescue_certainty_name(finding.certainty, RESCUE_JAPANESE));
    set_box(list, row, box_of(finding));
}

// The list repaints each row it changes unless redrawing is off: thousands of
// findings would take seconds.
void hold_redraw(Report* report, int held)
{
    report->filling = held;
    SendMessageA(report->list, WM_SETREDRAW, held ? FALSE : TRUE, 0);
    if (!held) InvalidateRect(report->list, NULL, TRUE);
}

// Every box as the acceptance stands (a choice may have refused another one).
void show_boxes(Report* report)
{
    hold_redraw(report, 1);
    for (int32_t row = 0; row < report->result->finding_count; row++) {
        int box = box_of(report->result->findings[finding_at(report->list, row)]);
        UINT shown = (UINT)SendMessageA(report->list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        if (shown != (UINT)INDEXTOSTATEIMAGEMASK(box)) set_box(report->list, row, box);
    }
    hold_redraw(report, 0);
}

void show_loss(HWND dialog, const RescueResult& result)
{
    char text[LOSS_SIZE];
    rescue_loss_text(result, RESCUE_JAPANESE, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_RESCUE_LOSS, text);
}

// One row per finding, by offset (the scan's order among equal offsets); in the
// scan's order alone when memory runs out.
void fill_rows(Report* report)
{
    const RescueResult& result = *report->result;
    int32_t* order = (int32_t*)zero_alloc((size_t)(result.finding_count + 1) * sizeof(int32_t));
    for (int32_t k = 0; order && k < result.finding_count; k++) order[k] = k;
    if (order) {
        std::sort(order, order + result.finding_count, [&result](int32_t a, int32_t b) {
            return result.findings[a].offset != result.findings[b].offset
                       ? result.findings[a].offset < result.findings[b].offset
                       : a < b;
        });
    }
    hold_redraw(report, 1);
    SendMessageA(report->list, LVM_SETITEMCOUNT, (WPARAM)result.finding_count, LVSICF_NOINVALIDATEALL);
    for (int32_t row = 0; row < result.finding_count; row++) {
        int32_t index = order ? order[row] : row;
        add_row(report->list, row, result.findings[index], index);
    }
    hold_redraw(report, 0);
    zero_free(order);
}

INT_PTR on_init_dialog(HWND dialog, Report* report)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)report);
    report->list = GetDlgItem(dialog, IDC_RESCUE_LIST);
    SendMessageA(report->list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    add_column(report->list, 0, RESCUE_COLUMN_OFFSET, 40, dialog);
    add_column(report->list, 1, RESCUE_COLUMN_FOUND, 186, dialog);
    add_column(report->list, 2, RESCUE_COLUMN_PROPOSAL, 190, dialog);
    add_column(report->list, 3, RESCUE_COLUMN_CERTAINTY, 36, dialog);
    fill_rows(report);
    const RescueResult& result = *report->result;
    show_loss(dialog, result);
    // A file with no chunk at all leaves nothing to put in the table.
    EnableWindow(GetDlgItem(dialog, IDOK), result.chunk_count > 0);
    SetFocus(report->list);
    return FALSE;
}

// The box of a row only the user's choice may change, and only on a finding the
// user decides; every other change of the row goes through.
INT_PTR on_list_change(HWND dialog, Report* report, const NMLISTVIEW* change, UINT code)
{
    if (report->filling || !(change->uChanged & LVIF_STATE) || change->iItem < 0 ||
        change->iItem >= report->result->finding_count ||
        ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0) {
        return FALSE;
    }
    int32_t index = finding_at(report->list, change->iItem);
    RescueFinding& finding = report->result->findings[index];
    if (code == LVN_ITEMCHANGING) {
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, !rescue_finding_choosable(finding));
        return TRUE;
    }
    int checked = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    if (choose_rescue_finding(report->result, index, checked ? RESCUE_ACCEPTED : RESCUE_REFUSED)) {
        show_boxes(report);
        show_loss(dialog, *report->result);
    }
    return TRUE;
}

INT_PTR CALLBACK report_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    Report* report = (Report*)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, (Report*)lparam);
    case WM_NOTIFY: {
        const NMHDR* header = (const NMHDR*)lparam;
        if (!report || header->idFrom != IDC_RESCUE_LIST ||
            (header->code != LVN_ITEMCHANGING && header->code != LVN_ITEMCHANGED)) {
            return FALSE;
        }
        return on_list_change(dialog, report, (const NMLISTVIEW*)lparam, header->code);
    }
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wparam) == IDOK ? RESCUE_REPORT_OK : RESCUE_REPORT_CANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

RescueScanEnd scan_for_rescue(HWND owner, const char* path, RescueResult* result)
{
    ScanWindow scan = {};
    scan.owner = owner;
    scan.start = GetTickCount();
    scan.pump = RepairWindow{owner, NULL, scan.start - PUMP_INTERVAL_MS};
    scan.pump_ports = repair_window_ports(&scan.pump);
    RescuePorts ports = {&scan, show_progress, ask_cancelled, scan_clock};
    RescueOptions options = {RESCUE_COMPLETE_STREAM, 0, 0};
    EnableWindow(owner, FALSE);
    int read = rescue_file(path, options, &ports, result);
    if (scan.progress) {
        DestroyWindow(scan.progress);
    }
    EnableWindow(owner, TRUE);
    // The scan lends g_document to the repair's checks for a moment at a time; a
    // table painted meanwhile may have shown the loan.
    RedrawWindow(owner, NULL, NULL, RDW_INVALIDATE | RDW_ALLCHILDREN);
    if (read != RESCUE_READ_OK) {
        release_rescue_result(result);
        report_unreadable(owner, read);
        return RESCUE_SCAN_FAILED;
    }
    if (scan.cancel) {
        release_rescue_result(result);
        return RESCUE_SCAN_CANCELLED;
    }
    return RESCUE_SCAN_DONE;
}

RescueReportAnswer show_rescue_report(HWND owner, RescueResult* result)
{
    Report report = {result, NULL, 0};
    INT_PTR answer = DialogBoxParamA(g_instance, RES_RESCUE_DIALOG, owner, report_proc, (LPARAM)&report);
    return answer == RESCUE_REPORT_OK ? RESCUE_REPORT_OK : RESCUE_REPORT_CANCEL;
}
