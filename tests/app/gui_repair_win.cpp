// The repair command end to end: the real progress window, the two message
// boxes, Cancel, and the main window's deafness while a repair runs.
#include <windows.h>
#include <commctrl.h>
#include <zlib.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "resource_ids.h"

struct Repair : GuiTest {};

// The found box names the mended byte on its second line.
static std::string found_box(size_t position, uint8_t old_value, uint8_t new_value)
{
    char line[64];
    snprintf(line, sizeof line, u8"位置 %u のバイト: 0x%02X → 0x%02X", (unsigned)position, old_value, new_value);
    return u8"VELMORA 情報|破損を発見し、修復しました。\n" + std::string(line) + "|information|OK|main";
}
static const char* const QUESTION_BOX =
    u8"VELMORA 情報|修復できませんでした。2バイト以上の破損、もしくはCRCが破損しています。\n"
    u8"CRCを強制的に一致させますか？|question|Yes/No|main";
static const char* const PROGRESS_CAPTION = u8"修復中";

static HWND progress_window() { return find_dialog_with(IDC_REPAIR_CANCEL); }

// The repair has ended: no progress window, the main window enabled again (or
// gone, which the caller reports).
static bool wait_repair_end()
{
    return wait_until([] {
        return !progress_window() && (!IsWindow(gui_main()) || IsWindowEnabled(gui_main()));
    }, "the repair to end") && (gui_ended() || gui_sync());
}

static std::string write_png(const TempDir& dir, const std::vector<Bytes>& chunks)
{
    std::string path = dir.root + "\\repair.png";
    write_file(path, make_png(chunks));
    return path;
}

// An IDAT whose data lost one byte: the stored CRC is that of `good`.
static Bytes one_byte_damage(const Bytes& good, size_t position, uint8_t change)
{
    Bytes chunk = make_chunk("IDAT", good);
    chunk[8 + position] ^= change;
    return chunk;
}

// An IDAT that no single byte can mend: the lowest bit of its first and of its
// last data byte flipped. Whether one byte could still explain a CRC depends
// only on the pattern of the damage and the length; for the lengths used here
// (16 bytes to 1 MiB) none does, so an uncancelled search ends in its question.
static Bytes unrepairable(size_t length)
{
    Bytes chunk = make_chunk("IDAT", pattern(length, 7));
    chunk[8] ^= 0x01;
    chunk[8 + length - 1] ^= 0x01;
    return chunk;
}

// Nearly the longest search a file under 4 MiB allows: it leaves the search's
// pump time to take a good number of messages after it was held at its start.
const size_t LONG_SEARCH = 4000000;

// The rows of an 8 x 8 RGB image, compressed: a stream the repair's check can follow.
static Bytes image_stream()
{
    Bytes rows;
    for (int row = 0; row < 8; row++) {
        rows.push_back(row % 5);
        for (int k = 0; k < 24; k++) rows.push_back((uint8_t)(row * 24 + k));
    }
    uLongf size = compressBound((uLong)rows.size());
    Bytes stream(size);
    compress2(stream.data(), &size, rows.data(), (uLong)rows.size(), 9);
    stream.resize(size);
    return stream;
}

TEST_F(Repair, OneDamagedByteIsFoundAndTheRowIsSelectedAgain)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes iend = make_chunk("IEND", {});
    Bytes good = image_stream();
    struct Case {
        size_t position;
        uint8_t change;
    } cases[] = {{0, 0x01}, {good.size() / 2, 0xFF}, {good.size() - 1, 0x80}};
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE("byte " + std::to_string(c.position));
        Bytes damaged = one_byte_damage(good, c.position, c.change);
        std::string path = write_png(dir, {ihdr, damaged, iend});
        ASSERT_TRUE(gui_start(quote_path(path)));
        ASSERT_EQ(table_row(1), row(2, damaged, "o------", SUMMARY_IDAT));
        select_rows({1});
        clear_windows_opened();
        click_button(IDC_REPAIR);
        ASSERT_TRUE(wait_boxes(1));
        ASSERT_TRUE(wait_repair_end());
        uint8_t old_value = damaged[8 + c.position];
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{found_box(c.position, old_value, good[c.position])});
        // Behind the box, the progress window shows the length, the mended position
        // and the "----" of the refresh after position 0.
        EXPECT_EQ(box_records()[0].progress, std::to_string(good.size()) + "|" + std::to_string(c.position) + "|----");
        EXPECT_EQ(windows_opened(), (std::vector<std::string>{std::string("#32770|") + PROGRESS_CAPTION,
                                                              u8"#32770|VELMORA 情報"}));
        EXPECT_EQ(table_rows(), (std::vector<std::string>{row(1, ihdr, "-------", SUMMARY_IHDR),
                                                          row(2, make_chunk("IDAT", good), "-------", SUMMARY_IDAT),
                                                          row(3, iend, "-------", SUMMARY_IEND)}));
        EXPECT_EQ(selected_rows(), std::vector<int>{1});
        EXPECT_EQ(status_text(), status_line(8, 8, 8, make_png({ihdr, damaged, iend}).size(), path));
        ASSERT_TRUE(gui_stop());
    }
}

static HWND candidate_dialog() { return find_dialog_with(IDC_CANDIDATE_LIST); }

static std::vector<std::string> list_rows(HWND list)
{
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int k = 0; k < count; k++) {
        std::string text((size_t)SendMessageA(list, LB_GETTEXTLEN, k, 0), '\0');
        SendMessageA(list, LB_GETTEXT, k, (LPARAM)&text[0]);
        rows.push_back(utf8(text));
    }
    return rows;
}

// A row without its summary cell.
static std::string without_summary(const std::string& cells) { return cells.substr(0, cells.rfind('|')); }

TEST_F(Repair, EquivalentChangesAreOfferedInTheCandidateDialog)
{
    // In a chunk this long, changing a byte by 248 and the byte this far behind it
    // by 169 have the same effect on the CRC: the damage is the second, and the
    // first explains it as well.
    const size_t twin_distance = 145212;
    Bytes data = text_data("Comment", std::string(twin_distance + 8, 'a'));
    data[8] = 0x10;
    Bytes good = make_chunk("tEXt", data);
    Bytes damaged = good;
    damaged[8 + 8 + twin_distance] ^= 169;
    Bytes forced = make_chunk("tEXt", Bytes(damaged.begin() + 8, damaged.end() - 4));
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes iend = make_chunk("IEND", {});
    struct Case {
        const char* name;
        int button;
        int row;        // selected first, or -1
        Bytes after;
        const char* marks;
    } cases[] = {
        {"the second applied", IDC_CANDIDATE_APPLY, 1, good, "-o--oo-"},
        {"the CRC forced", IDC_CANDIDATE_FORCE, -1, forced, "-o--oo-"},
        {"left as it is", IDC_CANDIDATE_LEAVE, -1, damaged, "oo--oo-"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(gui_start(quote_path(write_png(dir, {ihdr, damaged, iend}))));
        select_rows({1});
        clear_windows_opened();
        click_button(IDC_REPAIR);
        ASSERT_TRUE(wait_until([] { return candidate_dialog() != nullptr; }, "the candidate dialog"));
        HWND dialog = candidate_dialog();
        EXPECT_EQ(window_text(dialog), u8"修復候補の選択");
        EXPECT_EQ(GetWindow(dialog, GW_OWNER), gui_main());
        EXPECT_TRUE(progress_window() && IsWindowVisible(progress_window()));
        EXPECT_FALSE(IsWindowEnabled(gui_main()));
        EXPECT_EQ(window_text(GetDlgItem(dialog, IDC_CANDIDATE_COUNT)), u8"CRCが一致する1バイトの変更: 2 件");
        EXPECT_EQ(list_rows(GetDlgItem(dialog, IDC_CANDIDATE_LIST)),
                  (std::vector<std::string>{u8"位置 8: 0x10 → 0xE8　構造の検査なし",
                                            u8"位置 145220: 0xC8 → 0x61　構造の検査なし"}));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CANDIDATE_APPLY))) << "applicable before a choice";
        if (c.row >= 0) {
            HWND list = GetDlgItem(dialog, IDC_CANDIDATE_LIST);
            SendMessageA(list, LB_SETCURSEL, c.row, 0);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CANDIDATE_LIST, LBN_SELCHANGE), (LPARAM)list);
        }
        click_button(c.button, dialog);
        ASSERT_TRUE(wait_repair_end());
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{});
        EXPECT_EQ(windows_opened(), (std::vector<std::string>{std::string("#32770|") + PROGRESS_CAPTION,
                                                              u8"#32770|修復候補の選択"}));
        EXPECT_EQ(without_summary(table_row(1)), without_summary(row(2, c.after, c.marks, "")));
        EXPECT_EQ(selected_rows(), std::vector<int>{1});
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(Repair, RepairedFileSavesAsTheUndamagedOne)
{
    TempDir dir;
    Bytes good = pattern(300, 4);
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(8, 8, 8)), one_byte_damage(good, 123, 0x40),
                                 make_chunk("IEND", {})};
    ASSERT_TRUE(gui_start(quote_path(write_png(dir, chunks))));
    select_rows({1});
    post_command(IDC_REPAIR);
    ASSERT_TRUE(wait_boxes(1));
    ASSERT_TRUE(wait_repair_end());
    press_key('S', true);
    ASSERT_TRUE(wait_until([] { return find_dialog_with(0x0470) != nullptr; }, "the Save As dialog"));
    HWND dialog = find_dialog_with(0x0470);
    HWND name = GetDlgItem(dialog, 0x047C) ? GetDlgItem(dialog, 0x047C) : GetDlgItem(dialog, 0x0480);
    std::string saved = dir.root + "\\mended.png";
    SendMessageA(name, WM_SETTEXT, 0, (LPARAM)saved.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    chunks[1] = make_chunk("IDAT", good);
    ASSERT_TRUE(wait_until([&] { return shared_read(saved) == make_png(chunks); }, "the mended file"));
}

TEST_F(Repair, UnrepairableChunkAsksWhetherToForceTheCrc)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes iend = make_chunk("IEND", {});
    Bytes data = pattern(16, 5);
    Bytes bad_crc = damaged_chunk("IDAT", data);
    Bytes empty_bad_crc = damaged_chunk("IDAT", {});
    struct Case {
        const char* name;
        Bytes chunk;
        int answer;
        Bytes shown_after;
        const char* marks_after;
        const char* length;
    } cases[] = {
        {"wrong CRC, Yes", bad_crc, IDYES, make_chunk("IDAT", data), "-------", "16"},
        {"wrong CRC, No", bad_crc, IDNO, bad_crc, "o------", "16"},
        {"two damaged bytes, Yes", unrepairable(40), IDYES, Bytes(), "-------", "40"},
        {"length 0, Yes", empty_bad_crc, IDYES, make_chunk("IDAT", {}), "-------", "0"},
        {"length 0, No", empty_bad_crc, IDNO, empty_bad_crc, "o------", "0"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(gui_start(quote_path(write_png(dir, {ihdr, c.chunk, iend}))));
        select_rows({1});
        script_answers({c.answer});
        click_button(IDC_REPAIR);
        ASSERT_TRUE(wait_boxes(1));
        ASSERT_TRUE(wait_repair_end());
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{QUESTION_BOX});
        std::string progress = box_records()[0].progress;
        EXPECT_EQ(progress.substr(0, progress.find('|')), c.length);
        // Yes writes the CRC computed over the data as it stands.
        Bytes shown = c.shown_after;
        if (shown.empty()) shown = make_chunk("IDAT", Bytes(c.chunk.begin() + 8, c.chunk.end() - 4));
        EXPECT_EQ(table_row(1), row(2, shown, c.marks_after, SUMMARY_IDAT));
        EXPECT_EQ(selected_rows(), std::vector<int>{1});
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(Repair, SelectionDecidesWhetherARepairStarts)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes damaged = damaged_chunk("IDAT", pattern(20, 1));
    Bytes idat = make_chunk("IDAT", pattern(20, 2));
    Bytes iend = make_chunk("IEND", {});
    struct Case {
        const char* name;
        std::vector<int> selection;
        std::vector<std::string> boxes;
    } cases[] = {
        {"nothing selected", {}, {}},
        {"two rows selected", {1, 2}, {u8"複数選択されています。|一つだけ選択してください。|information|OK|main"}},
        {"an undamaged row", {2}, {}},
    };
    TempDir dir;
    ASSERT_TRUE(gui_start(quote_path(write_png(dir, {ihdr, damaged, idat, iend}))));
    std::vector<std::string> rows = table_rows();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear_boxes();
        clear_windows_opened();
        clear_status_history();
        select_rows(c.selection);
        click_button(IDC_REPAIR);
        if (!c.boxes.empty()) {
            ASSERT_TRUE(wait_boxes(c.boxes.size()));
        }
        ASSERT_TRUE(gui_sync());
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(boxes_seen(), c.boxes);
        std::vector<std::string> dialogs;
        for (const BoxRecord& box : box_records()) dialogs.push_back("#32770|" + box.line.substr(0, box.line.find('|')));
        EXPECT_EQ(windows_opened(), dialogs);
        EXPECT_EQ(table_rows(), rows);
        EXPECT_EQ(selected_rows(), c.selection);
        EXPECT_EQ(status_history(), std::vector<std::string>{});
    }
    ASSERT_TRUE(gui_stop());

    // With no document the command does nothing at all.
    ASSERT_TRUE(gui_start(""));
    clear_windows_opened();
    click_button(IDC_REPAIR);
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(windows_opened(), std::vector<std::string>{});
}

TEST_F(Repair, ProgressWindowStaysBehindTheQuestionWithItsTemplate)
{
    TempDir dir;
    Bytes chunk = unrepairable(40);
    ASSERT_TRUE(gui_start(quote_path(write_png(dir, {make_chunk("IHDR", ihdr_data(8, 8, 8)), chunk,
                                                     make_chunk("IEND", {})}))));
    select_rows({1});
    script_answers({HOLD_BOX});
    click_button(IDC_REPAIR);
    ASSERT_TRUE(wait_boxes(1));
    HWND progress = progress_window();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(window_text(progress), PROGRESS_CAPTION);
    EXPECT_EQ(GetWindow(progress, GW_OWNER), gui_main());
    EXPECT_FALSE(IsWindowEnabled(gui_main()));
    EXPECT_FALSE(GetWindowLongPtrA(progress, GWL_STYLE) & WS_SYSMENU);
    EXPECT_TRUE(GetWindowLongPtrA(progress, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    // Template position 0, 0: its client area starts where the main window's does.
    POINT origin = {0, 0}, placed = {0, 0};
    ClientToScreen(gui_main(), &origin);
    ClientToScreen(progress, &placed);
    EXPECT_EQ(std::to_string(placed.x) + "," + std::to_string(placed.y),
              std::to_string(origin.x) + "," + std::to_string(origin.y));
    std::vector<std::string> texts;
    for (HWND control = GetWindow(progress, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(control);
        bool named = id == IDC_REPAIR_LENGTH || id == IDC_REPAIR_POSITION || id == IDC_REPAIR_ESTIMATE ||
                     id == IDC_REPAIR_CANCEL;
        // No text of it takes the mouse, so none shows the Static class's hand.
        texts.push_back((named ? std::to_string(id) + "=" : "") + window_text(control) +
                        (takes_mouse(control) && id != IDC_REPAIR_CANCEL ? " (takes the mouse)" : ""));
    }
    // The only refresh of so short a search came after position 0.
    EXPECT_EQ(texts, (std::vector<std::string>{u8"PNGチャンク 破損修復中", "1011=40", u8"バイト中", "1010=0",
                                              u8"バイト目を検索しています。", u8"予想最大残り時間", "1012=----", u8"秒",
                                              "1019=&Cancel"}));
    // Either number field shows seven digits whole.
    for (int id : {IDC_REPAIR_LENGTH, IDC_REPAIR_POSITION}) {
        HWND field = GetDlgItem(progress, id);
        HDC dc = GetDC(field);
        HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(field, WM_GETFONT, 0, 0));
        SIZE digits = {0, 0};
        GetTextExtentPoint32A(dc, "4194303", 7, &digits);
        SelectObject(dc, old);
        ReleaseDC(field, dc);
        RECT inside;
        GetClientRect(field, &inside);
        EXPECT_GE(inside.right, digits.cx) << "field " << id;
    }
    // A Cancel click while the question is open changes nothing.
    click_button(IDC_REPAIR_CANCEL, progress);
    ASSERT_TRUE(gui_sync());
    EXPECT_TRUE(IsWindowVisible(progress));
    answer_held_box(IDYES);
    ASSERT_TRUE(wait_repair_end());
    Bytes forced = make_chunk("IDAT", Bytes(chunk.begin() + 8, chunk.end() - 4));
    EXPECT_EQ(table_row(1), row(2, forced, "-------", SUMMARY_IDAT));
}

TEST_F(Repair, CancelStopsTheSearchAndChangesNothing)
{
    TempDir dir;
    ASSERT_TRUE(gui_start(quote_path(write_png(dir, {make_chunk("IHDR", ihdr_data(8, 8, 8)), unrepairable(LONG_SEARCH),
                                                     make_chunk("IEND", {})}))));
    std::vector<std::string> rows = table_rows();
    select_rows({1});
    ASSERT_TRUE(gui_start_repair_held());
    EXPECT_EQ(stored_text(GetDlgItem(progress_window(), IDC_REPAIR_LENGTH)), "4000000");
    click_button(IDC_REPAIR_CANCEL, progress_window());
    gui_release();
    ASSERT_TRUE(wait_repair_end());
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{}) << "the search ended before it saw Cancel";
    EXPECT_EQ(table_rows(), rows);
    EXPECT_EQ(selected_rows(), std::vector<int>{1});
}

// What the main window is sent while a repair runs: every command (buttons,
// menus, accelerator keys), a dropped file and both ways of closing it.
static void post_everything(const std::string& dropped, HGLOBAL* drop)
{
    for (UINT key : {(UINT)VK_DELETE, (UINT)VK_INSERT, (UINT)VK_F1}) press_key(key);
    for (char key : {'A', 'I', 'O', 'S', 'R'}) press_key(key, true);
    for (int id : {IDC_LOAD, IDC_SAVE, IDC_DELETE, IDC_MERGE, IDC_REPAIR, IDM_SELECT_ALL, IDM_INVERT, IDM_ABOUT,
                   IDM_HELP, IDM_EXIT, IDM_RESCUE}) {
        post_command(id);
    }
    *drop = drop_files({dropped});
    PostMessageA(gui_main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(gui_main(), WM_CLOSE, 0, 0);
}

TEST_F(Repair, MainWindowIgnoresCommandsDropsAndClosingWhileBusy)
{
    TempDir dir;
    std::string other = dir.root + "\\other.png";
    write_file(other, make_png({make_chunk("IHDR", ihdr_data(2, 2, 8)), make_chunk("IEND", {})}));
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes text = make_chunk("tEXt", text_data("Title", "x"));
    Bytes iend = make_chunk("IEND", {});
    struct Case {
        const char* name;
        Bytes chunk;
        bool hold_question;   // false: the messages reach the search's own message pump
    } cases[] = {{"during the search", unrepairable(LONG_SEARCH), false},
                 {"while the question is open", unrepairable(16), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = write_png(dir, {ihdr, text, c.chunk, make_chunk("IDAT", pattern(10, 1)), iend});
        ASSERT_TRUE(gui_start(quote_path(path)));
        std::vector<std::string> rows = table_rows();
        std::string status = status_text();
        select_rows({2});
        clear_windows_opened();
        clear_status_history();
        HGLOBAL drop = nullptr;
        if (c.hold_question) {
            script_answers({HOLD_BOX});
            click_button(IDC_REPAIR);
            ASSERT_TRUE(wait_boxes(1));
            post_everything(other, &drop);
            ASSERT_TRUE(gui_sync());
            answer_held_box(IDNO);
        } else {
            ASSERT_TRUE(gui_start_repair_held());
            post_everything(other, &drop);
            click_button(IDC_REPAIR_CANCEL, progress_window());
            gui_release();
        }
        ASSERT_TRUE(wait_repair_end()) << "windows opened meanwhile: " << testing::PrintToString(windows_opened());
        ASSERT_TRUE(IsWindow(gui_main())) << "the main window was closed during the repair";
        ASSERT_TRUE(gui_sync()) << "the program ended during the repair";
        // Should the search end before Cancel reaches it, it asks its question
        // (answered No); the messages before it are ignored either way.
        std::vector<std::string> boxes = boxes_seen();
        EXPECT_TRUE(boxes.empty() || boxes == std::vector<std::string>{QUESTION_BOX}) << testing::PrintToString(boxes);
        std::vector<std::string> opened = {std::string("#32770|") + PROGRESS_CAPTION};
        if (!boxes.empty()) opened.push_back(u8"#32770|VELMORA 情報");
        EXPECT_EQ(windows_opened(), opened);
        EXPECT_EQ(table_rows(), rows);
        EXPECT_EQ(selected_rows(), std::vector<int>{2});
        EXPECT_EQ(status_history(), std::vector<std::string>{status});
        EXPECT_TRUE(hdrop_released(drop)) << "a file dropped during the repair was not released (DragFinish)";

        // Afterwards the window works again.
        press_key('A', true);
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(selected_rows(), (std::vector<int>{0, 1, 2, 3, 4}));
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(Repair, QuitMessageDuringTheSearchStillEndsTheProgram)
{
    TempDir dir;
    ASSERT_TRUE(gui_start(quote_path(write_png(dir, {make_chunk("IHDR", ihdr_data(8, 8, 8)), unrepairable(LONG_SEARCH),
                                                     make_chunk("IEND", {})}))));
    select_rows({1});
    ASSERT_TRUE(gui_start_repair_held());
    PostThreadMessageA(gui_thread(), WM_QUIT, 0, 0);
    click_button(IDC_REPAIR_CANCEL, progress_window());
    gui_release();
    EXPECT_TRUE(wait_until([] { return gui_ended(); }, "the program to end after a quit message during a repair"))
        << "the quit message was lost in the repair's message pump";
}
