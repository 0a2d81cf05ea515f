// The rescue command as the user meets it: the Open dialog, the report window
// with the findings of a damaged file and their boxes, then OK (the table holds
// the rescued chunks as a changed document, the inspector names a chunk's
// finding) or Cancel (the document stays).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "rescue/rescue_fixtures.h"
#include "rescue/rescue_report.h"
#include "rescue/rescue_text.h"
#include "resource_ids.h"

struct RescueWindow : GuiTest {};

static HWND report() { return find_dialog_with(IDC_RESCUE_LIST); }
static HWND report_list() { return GetDlgItem(report(), IDC_RESCUE_LIST); }

// Two faults in the tEXt chunk (only a forced CRC would hide them) and the file
// cut inside the last IDAT: a probable finding, a completed stream and findings
// nobody decides.
static Bytes damaged_file()
{
    RescueFixture fixture = rescue_fixture(64, 64);
    Bytes file = fixture.file;
    file[fixture.at[1] + 8 + 9] ^= 0x11;
    file[fixture.at[1] + 8 + 27] ^= 0x11;
    file.resize(fixture.at[4] + 8 + 40);
    return file;
}

// What the window must show for each finding, by offset: "offset|found|proposal|
// certainty|box" with box 0 (none), 1 (unchecked) or 2 (checked), in UTF-8.
static std::vector<std::string> expected_rows(const RescueResult& result)
{
    std::vector<const RescueFinding*> order;
    for (int32_t k = 0; k < result.finding_count; k++) order.push_back(&result.findings[k]);
    std::stable_sort(order.begin(), order.end(),
                     [](const RescueFinding* a, const RescueFinding* b) { return a->offset < b->offset; });
    std::vector<std::string> rows;
    for (const RescueFinding* shown : order) {
        const RescueFinding& finding = *shown;
        char found[512], proposal[512];
        rescue_finding_text(finding, RESCUE_JAPANESE, RESCUE_TEXT_FOUND, found, sizeof found);
        rescue_finding_text(finding, RESCUE_JAPANESE, RESCUE_TEXT_PROPOSAL, proposal, sizeof proposal);
        int box = rescue_finding_choosable(finding) ? (finding.accept == RESCUE_ACCEPTED ? 2 : 1) : 0;
        rows.push_back(std::to_string(finding.offset) + "|" + utf8(found) + "|" + utf8(proposal) + "|" +
                       utf8(rescue_certainty_name(finding.certainty, RESCUE_JAPANESE)) + "|" +
                       std::to_string(box));
    }
    return rows;
}

static std::vector<std::string> shown_rows()
{
    HWND list = report_list();
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < count; row++) {
        std::string line;
        for (int column = 0; column < 4; column++) {
            char cell[512] = "";
            LVITEMA item = {};
            item.iSubItem = column;
            item.pszText = cell;
            item.cchTextMax = sizeof cell;
            SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item);
            line += utf8(cell) + "|";
        }
        UINT state = (UINT)SendMessageA(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK);
        rows.push_back(line + std::to_string(state >> 12));
    }
    return rows;
}

static void check_row(int row, int box)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(box);
    SendMessageA(report_list(), LVM_SETITEMSTATE, row, (LPARAM)&item);
}

static int finding_of(const RescueResult& result, int32_t kind)
{
    for (int32_t k = 0; k < result.finding_count; k++) {
        if (result.findings[k].kind == kind) return k;
    }
    return -1;
}

// The row of the first finding of `kind`: the rows go by offset.
static int row_of(const RescueResult& result, int32_t kind)
{
    int32_t index = finding_of(result, kind);
    if (index < 0) return -1;
    int row = 0;
    for (int32_t k = 0; k < result.finding_count; k++) {
        const RescueFinding& other = result.findings[k];
        row += other.offset < result.findings[index].offset || (other.offset == result.findings[index].offset && k < index);
    }
    return row;
}

// Opens the rescue on `damaged` over the intact sample and waits for the report.
static bool open_report(const TempDir& dir, const std::string& damaged)
{
    std::string sample = dir.root + "\\sample.png";
    write_file(sample, make_png(sample_chunks()));
    if (!gui_start(quote_path(sample))) return false;
    post_command(IDM_RESCUE);
    if (!wait_until([] { return file_dialog() != nullptr; }, "the Open dialog")) return false;
    choose_file(file_dialog(), damaged);
    return wait_until([] { return report() != nullptr; }, "the report window");
}

TEST_F(RescueWindow, ReportListsTheFindingsAndCancelLeavesTheDocument)
{
    TempDir dir;
    std::string damaged = dir.root + "\\damaged.png";
    write_file(damaged, damaged_file());
    Rescued expected(damaged_file());
    ASSERT_GE(row_of(expected.result, RESCUE_FORCED_CRC), 0);
    ASSERT_GE(row_of(expected.result, RESCUE_STREAM_COMPLETED), 0);
    ASSERT_TRUE(open_report(dir, damaged));
    EXPECT_EQ(window_text(report()), u8"救出の結果");
    EXPECT_EQ(shown_rows(), expected_rows(expected.result));
    // A box only the user may set: the one of a finding nobody decides stays away.
    check_row(row_of(expected.result, RESCUE_DAMAGED_CHUNK), 2);
    EXPECT_EQ(shown_rows(), expected_rows(expected.result));
    std::string status = status_text();
    click_button(IDCANCEL, report());
    ASSERT_TRUE(wait_until([] { return report() == nullptr; }, "the report to close"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(table_rows(), sample_rows());
    EXPECT_EQ(status_text(), status);
    EXPECT_EQ(g_document.changed, 0);
}

TEST_F(RescueWindow, OkPutsTheAcceptedResultInTheTableAsAChangedDocument)
{
    TempDir dir;
    std::string damaged = dir.root + "\\damaged.png";
    write_file(damaged, damaged_file());
    Rescued expected(damaged_file());
    int forced = finding_of(expected.result, RESCUE_FORCED_CRC);
    ASSERT_TRUE(open_report(dir, damaged));
    char loss[1024];
    rescue_loss_text(expected.result, RESCUE_JAPANESE, loss, sizeof loss);
    EXPECT_EQ(window_text(GetDlgItem(report(), IDC_RESCUE_LOSS)), utf8(loss));
    // The user accepts the forced CRC: the loss text follows.
    check_row(row_of(expected.result, RESCUE_FORCED_CRC), 2);
    choose_rescue_finding(&expected.result, forced, RESCUE_ACCEPTED);
    rescue_loss_text(expected.result, RESCUE_JAPANESE, loss, sizeof loss);
    EXPECT_EQ(window_text(GetDlgItem(report(), IDC_RESCUE_LOSS)), utf8(loss));
    EXPECT_EQ(shown_rows(), expected_rows(expected.result));
    click_button(IDOK, report());
    ASSERT_TRUE(wait_until([] { return report() == nullptr; }, "the report to close"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(row_types(), (std::vector<std::string>{"IHDR", "tEXt", "zTXt", "IDAT", "IEND"}));
    EXPECT_EQ(g_document.changed, 1);
    EXPECT_NE(status_text().find(u8"damaged.png"), std::string::npos) << status_text();
    // The tEXt chunk's finding heads its inspector text.
    select_rows({1});
    post_command(IDM_INSPECT);
    ASSERT_TRUE(wait_until([] { return find_dialog_with(IDC_INSPECTOR_TEXT) != nullptr; }, "the inspector"));
    std::string text = wide_window_text(GetDlgItem(find_dialog_with(IDC_INSPECTOR_TEXT), IDC_INSPECTOR_TEXT));
    EXPECT_EQ(text.rfind(u8"救出: ", 0), 0u) << text;
    click_button(IDCANCEL, find_dialog_with(IDC_INSPECTOR_TEXT));
}

// A scan long enough for its progress window: many chunks whose lengths point
// past the end of the file, each true end looked for far ahead. Cancel ends it
// with no report.
TEST_F(RescueWindow, CancelStopsALongScanAndLeavesTheDocument)
{
    TempDir dir;
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(8, 8, 8))};
    for (int k = 0; k < 1000; k++) {
        Bytes chunk = make_chunk("tEXt", text_data("Comment", std::string(4000, (char)('a' + k % 26))));
        chunk[0] ^= 0x40;   // a length past the file's end: its true end is looked for far ahead
        chunks.push_back(chunk);
    }
    chunks.push_back(make_chunk("IEND", {}));
    std::string damaged = dir.root + "\\long.png";
    write_file(damaged, make_png(chunks));
    std::string sample = dir.root + "\\sample.png";
    write_file(sample, make_png(sample_chunks()));
    ASSERT_TRUE(gui_start(quote_path(sample)));
    post_command(IDM_RESCUE);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog"));
    choose_file(file_dialog(), damaged);
    auto progress = [] { return find_dialog_with(IDC_RESCUE_CANCEL); };
    ASSERT_TRUE(wait_until([&] { return progress() != nullptr; }, "the progress window"));
    EXPECT_EQ(stored_text(progress()), u8"救出中");
    EXPECT_FALSE(IsWindowEnabled(gui_main()));
    click_button(IDC_RESCUE_CANCEL, progress());
    ASSERT_TRUE(wait_until([&] { return progress() == nullptr && IsWindowEnabled(gui_main()); }, "the scan to end"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(report(), nullptr);
    EXPECT_EQ(table_rows(), sample_rows());
}
