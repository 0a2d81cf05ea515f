// The window half of the rescue: the scan with its progress window and Cancel,
// and the report window DIALOG_RESCUE where the user decides what the scan could
// not prove. Neither touches the document: the caller adopts the result.
#pragma once
#include <windows.h>

#include "rescue/rescue.h"

enum RescueScanEnd {
    RESCUE_SCAN_DONE      = 0,  // the result holds the findings
    RESCUE_SCAN_CANCELLED = 1,  // the user stopped the scan; the result is released
    RESCUE_SCAN_FAILED    = 2,  // the file could not be read; a box said why
};

// The progress window opens only for a scan that runs longer than this.
const DWORD RESCUE_PROGRESS_DELAY_MS = 300;
// Its byte count is written at most this often.
const DWORD RESCUE_PROGRESS_INTERVAL_MS = 100;

// Scans `path` while `owner` is disabled; the caller releases the result.
RescueScanEnd scan_for_rescue(HWND owner, const char* path, RescueResult* result);

enum RescueReportAnswer {
    RESCUE_REPORT_CANCEL = 0,  // the user wants none of it
    RESCUE_REPORT_OK     = 1,  // the findings' acceptance is as the user left it
};

// The report window over `result`, modal to `owner`; its check boxes set the
// acceptance of the findings the user may decide.
RescueReportAnswer show_rescue_report(HWND owner, RescueResult* result);
