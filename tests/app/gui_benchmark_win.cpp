// Figures of the program as the user meets it, printed and not judged: start to
// a filled table, a repair through the real progress window, how soon Cancel
// takes effect, and a rescue to its report. Disabled in the normal run;
// scripts/test-gui.sh --benchmark runs them.
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"

struct GuiBenchmark : GuiTest {};

static void figure(const std::string& what, DWORD milliseconds)
{
    printf("[figure] %s: %lu ms\n", what.c_str(), milliseconds);
    fflush(stdout);
}

// The rows of a truecolour image of noise, each with filter byte 0: as good as
// incompressible.
static Bytes noise_rows(int width, int height, int seed)
{
    Bytes rows;
    for (int row = 0; row < height; row++) {
        Bytes line = pattern((size_t)width * 3, (uint8_t)(row + seed));
        rows.push_back(0);
        rows.insert(rows.end(), line.begin(), line.end());
    }
    return rows;
}

static HWND progress_window() { return find_dialog_with(IDC_REPAIR_CANCEL); }

TEST_F(GuiBenchmark, DISABLED_StartToAFilledTable)
{
    TempDir dir;
    // 349,524 chunks of 12 bytes (the most a file under 4 MiB holds): empty
    // ancillary chunks and IEND; the smaller files start with an IHDR.
    for (int count : {10, 10000, 349524}) {
        std::vector<Bytes> chunks;
        if (count < 349524) chunks.push_back(make_chunk("IHDR", ihdr_data(1, 1, 8)));
        Bytes empty_text = make_chunk("tEXt", {});
        while ((int)chunks.size() < count - 1) chunks.push_back(empty_text);
        chunks.push_back(make_chunk("IEND", {}));
        std::string path = dir.root + "\\" + std::to_string(count) + ".png";
        write_file(path, make_png(chunks));
        DWORD start = GetTickCount();
        ASSERT_TRUE(gui_launch(quote_path(path), {}));
        ASSERT_TRUE(gui_wait_shown());
        ASSERT_TRUE(wait_until([&] { return row_count() == count; }, "the filled table", 120000));
        figure("start to a filled table of " + std::to_string(count) + " chunks", GetTickCount() - start);
        char number[16];
        snprintf(number, sizeof number, "%3d|IEND|", count);
        EXPECT_EQ(table_row(count - 1).substr(0, strlen(number)), number);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(GuiBenchmark, DISABLED_RepairOfOneMegabyteThroughTheProgressWindow)
{
    TempDir dir;
    // A 352 x 992 truecolour image of noise: a zlib stream of a little over 1 MiB
    // that the repair's check confirms, so each repair ends in its box.
    Bytes good = deflated(noise_rows(352, 992, 3));
    const size_t length = good.size();
    struct Case {
        const char* name;
        size_t position;
    } cases[] = {{"damage at the first byte", 0}, {"damage in the middle", length / 2}, {"damage at the last byte", length - 1}};
    for (const Case& c : cases) {
        Bytes chunk = make_chunk("IDAT", good);
        chunk[8 + c.position] ^= 0x10;
        std::string path = dir.root + "\\repair.png";
        write_file(path, make_png({make_chunk("IHDR", ihdr_data(352, 992, 8)), chunk, make_chunk("IEND", {})}));
        ASSERT_TRUE(gui_start(quote_path(path)));
        select_rows({1});
        DWORD start = GetTickCount();
        click_button(IDC_REPAIR);
        ASSERT_TRUE(wait_boxes(1, 120000));
        figure(std::string("repair of 1 MiB, ") + c.name + ", to its box", GetTickCount() - start);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(GuiBenchmark, DISABLED_CancelTakesEffect)
{
    TempDir dir;
    const size_t length = 4000000;
    Bytes chunk = make_chunk("IDAT", pattern(length, 7));
    chunk[8] ^= 1;
    chunk[8 + length - 1] ^= 1;
    std::string path = dir.root + "\\cancel.png";
    write_file(path, make_png({make_chunk("IHDR", ihdr_data(8, 8, 8)), chunk, make_chunk("IEND", {})}));
    for (DWORD delay : {0, 50, 100}) {
        ASSERT_TRUE(gui_start(quote_path(path)));
        select_rows({1});
        click_button(IDC_REPAIR);
        ASSERT_TRUE(wait_until([] { return progress_window() != nullptr; }, "the progress window"));
        Sleep(delay);
        // A real click: button down and up over the middle of Cancel.
        HWND cancel = GetDlgItem(progress_window(), IDC_REPAIR_CANCEL);
        RECT r;
        GetClientRect(cancel, &r);
        LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
        DWORD start = GetTickCount();
        PostMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, middle);
        PostMessageA(cancel, WM_LBUTTONUP, 0, middle);
        ASSERT_TRUE(wait_until([] { return progress_window() == nullptr; }, "the repair to end"));
        DWORD took = GetTickCount() - start;
        figure("Cancel clicked " + std::to_string(delay) + " ms into a search of 4,000,000 bytes, to the closed window" +
                   (box_records().empty() ? "" : " (the search ended first)"),
               took);
        ASSERT_TRUE(gui_stop());
    }
}

// From the menu command to the inspector showing its text, for the largest
// texts it shows: 4 MB of Latin-1 text (1 MiB of it shown), a stream that
// inflates to its 64 MiB cap, 4 MB of image data (64 KiB dumped), and a
// transparency list of 4 MB entries (4,096 of them shown).
TEST_F(GuiBenchmark, DISABLED_InspectorOnTheLargestChunks)
{
    TempDir dir;
    Bytes text(4000000, 'a');
    struct Case {
        const char* name;
        Bytes chunk;
    } cases[] = {
        {"a 4 MB tEXt", make_chunk("tEXt", joined({text_data("Big", ""), text}))},
        {"a zTXt inflating to 64 MiB", make_chunk("zTXt", joined({text_data("Big", ""), {0}, deflated(Bytes(64 << 20, 'a'))}))},
        {"a 4 MB IDAT", make_chunk("IDAT", pattern(4000000, 1))},
        {"a 4 MB tRNS of a palette image", make_chunk("tRNS", Bytes(4000000, 0x80))},
    };
    for (const Case& c : cases) {
        std::string path = dir.root + "\\big.png";
        write_file(path, make_png({make_chunk("IHDR", ihdr_data(1, 1, 8, 3)), c.chunk, make_chunk("IEND", {})}));
        ASSERT_TRUE(gui_start(quote_path(path)));
        select_rows({1});
        DWORD start = GetTickCount();
        post_command(IDM_INSPECT);
        ASSERT_TRUE(wait_until([] { return find_dialog_with(IDC_INSPECTOR_TEXT) != nullptr; }, "the inspector", 120000));
        ASSERT_TRUE(gui_sync());
        figure(std::string("the inspector on ") + c.name, GetTickCount() - start);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(GuiBenchmark, DISABLED_PreviewOfAFourMegabyteImage)
{
    TempDir dir;
    // 1150 x 1150 truecolour noise: an IDAT of a little under 4 MiB, as large as
    // the program loads.
    std::string path = dir.root + "\\large.png";
    write_file(path, make_png({make_chunk("IHDR", ihdr_data(1150, 1150, 8)), make_chunk("IDAT", deflated(noise_rows(1150, 1150, 5))),
                               make_chunk("IEND", {})}));
    ASSERT_TRUE(gui_start(quote_path(path)));
    DWORD start = GetTickCount();
    post_command(IDM_PREVIEW);
    ASSERT_TRUE(wait_until([] {
        HWND preview = find_dialog_with(IDC_PREVIEW_MESSAGE);
        return preview && window_text(preview).find('%') != std::string::npos;
    }, "the preview's picture"));
    figure("preview of a 1150 x 1150 image in " + std::to_string(shared_read(path).size()) + " bytes",
           GetTickCount() - start);
}

// The rescue of a file of many chunks with two faults each (two findings a
// chunk): from the chosen file to its report with every finding listed.
TEST_F(GuiBenchmark, DISABLED_RescueToItsReport)
{
    TempDir dir;
    for (int count : {100, 1000}) {
        std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(1, 1, 8))};
        for (int k = 0; k < count; k++) {
            Bytes chunk = make_chunk("tEXt", text_data("Comment", std::string(60, (char)('a' + k % 26))));
            chunk[8 + 10] ^= 0x11;
            chunk[8 + 50] ^= 0x11;
            chunks.push_back(chunk);
        }
        chunks.push_back(make_chunk("IEND", {}));
        std::string path = dir.root + "\\" + std::to_string(count) + ".png";
        write_file(path, make_png(chunks));
        ASSERT_TRUE(gui_start(""));
        post_command(IDM_RESCUE);
        ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog"));
        DWORD start = GetTickCount();
        choose_file(file_dialog(), path);
        auto listed = [count] {
            HWND report = find_dialog_with(IDC_RESCUE_LIST);
            return report && SendDlgItemMessageA(report, IDC_RESCUE_LIST, LVM_GETITEMCOUNT, 0, 0) == 2 * count;
        };
        ASSERT_TRUE(wait_until(listed, "the report", 120000));
        figure("rescue of " + std::to_string(count) + " damaged chunks to its report", GetTickCount() - start);
        ASSERT_TRUE(gui_stop());
    }
}
