// The main window as the user meets it: start-up with a file, the table and the
// status line, the commands on selections, keys, the context menu, the layout,
// dropped files and the Open and Save As dialogs.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "app/app.h"
#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"

struct StartUp : GuiTest {};
struct MainWindow : GuiTest {};

static std::string rect_text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

// A control cannot be narrower or lower than nothing.
static std::string rect_text(int x, int y, int width, int height)
{
    RECT r = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
    return rect_text(r);
}

static HWND table() { return gui_item(IDC_CHUNK_TABLE); }

static bool wait_rows(int count)
{
    std::string what = std::to_string(count) + " rows in the table";
    return wait_until([&] { return row_count() == count; }, what.c_str());
}

static bool wait_status(const std::string& text)
{
    std::string what = "the status line \"" + text + "\"";
    return wait_until([&] { return status_text() == text; }, what.c_str());
}

// A file in `dir` holding `chunks`, its path.
static std::string png_file(const TempDir& dir, const std::string& name, const std::vector<Bytes>& chunks)
{
    std::string path = dir.root + "\\" + name;
    write_file(path, make_png(chunks));
    return path;
}

static std::vector<std::string> dialogs_opened()
{
    std::vector<std::string> dialogs;
    for (const std::string& line : windows_opened()) {
        if (line.rfind("#32770|", 0) == 0) dialogs.push_back(line);
    }
    return dialogs;
}

TEST_F(StartUp, ArgumentFileShowsEveryRowAndTheStatusLine)
{
    std::vector<Bytes> sample = sample_chunks();
    Bytes ihdr = make_chunk("IHDR", ihdr_data(1, 2, 16));
    Bytes japanese = make_chunk("tEXt", text_data("Title", "日本語のテキスト"));
    Bytes private_critical = make_chunk("AbCD", pattern(3, 3));
    Bytes damaged_idat = damaged_chunk("IDAT", pattern(10, 4));
    Bytes idat = make_chunk("IDAT", pattern(10, 5));
    Bytes gama = make_chunk("gAMA", {0, 0, 0xB1, 0x8F});
    Bytes iend = make_chunk("IEND", {});
    std::vector<Bytes> mixed = {ihdr, japanese, private_critical, damaged_idat, idat, iend};
    struct Case {
        const char* name;
        std::vector<Bytes> chunks;
        std::vector<std::string> rows;
        std::string status_head;   // the status line up to the path
        bool with_path;
        std::string file = "start.png";   // in the test's folder; code page 932
    } cases[] = {
        {"the example file, in a folder with double-byte characters", sample,
         sample_rows(),
         u8" 640x480x8 / 1601Bytes / ", true, "表示ソフト\\画像 ファイル.png"},
        {"damage, a private critical chunk and Japanese text", mixed,
         {row(1, ihdr, "-------", SUMMARY_IHDR),
          row(2, japanese, "-o--oo-", u8"埋め込みテキスト: [Title]日本語のテキスト"),
          row(3, private_critical, "--o--o-", u8"認識できないチャンク"),
          row(4, damaged_idat, "o------", SUMMARY_IDAT), row(5, idat, "-------", SUMMARY_IDAT),
          row(6, iend, "-------", SUMMARY_IEND)},
         status_line(1, 2, 16, make_png(mixed).size(), ""), true},
        {"a first chunk that is not IHDR", {gama, ihdr, iend},
         {row(1, gama, "-o---o-", u8"ガンマ値: sRGB または iCCP はこれを含んでいます。"),
          row(2, ihdr, "-------", SUMMARY_IHDR), row(3, iend, "-------", SUMMARY_IEND)},
         u8" 破損PNG - IHDRチャンクが見つかりません。", false},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        size_t folder = c.file.rfind('\\');
        if (folder != std::string::npos) CreateDirectoryA((dir.root + "\\" + c.file.substr(0, folder)).c_str(), nullptr);
        std::string path = png_file(dir, c.file, c.chunks);
        ASSERT_TRUE(gui_start(quote_path(path)));
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{});
        EXPECT_EQ(table_rows(), c.rows);
        EXPECT_EQ(status_text(), c.status_head + (c.with_path ? utf8(path) : ""));
        EXPECT_EQ(selected_rows(), std::vector<int>{});
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(StartUp, BadFileShowsTheLoadBoxesInOrderAndAnEmptyTable)
{
    TempDir dir;
    std::string path = dir.root + "\\bad.png";
    std::string p = utf8(path);
    Bytes ihdr = make_chunk("IHDR", ihdr_data(1, 1, 8));
    Bytes too_large = make_png({ihdr, make_chunk("IDAT", Bytes(0x400000 - 8 - 25 - 12 - 12, 7)), make_chunk("IEND", {})});
    struct Case {
        const char* name;
        bool exists;
        Bytes bytes;
        std::vector<std::string> boxes;
    } cases[] = {
        {"a missing file", false, {}, {u8"ファイルのオープンに失敗しました。|" + p + "|error|OK|none,task-modal"}},
        {"not a PNG file", true, text_bytes("GIF89a, not a PNG"),
         {u8"PNGファイルではありません。|" + p + "|error|OK|none,task-modal"}},
        {"a file without IEND", true, make_png({ihdr, make_chunk("IDAT", pattern(40, 1))}),
         {u8"ファイルの読み込みに失敗しました。|" + p + "|error|OK|none,task-modal"}},
        {"a file of 4 MiB", true, too_large,
         {u8"VELMORA|PNGファイルのサイズが大きすぎます。|none|OK|none",
          u8"ファイルの読み込みに失敗しました。|" + p + "|error|OK|none,task-modal"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(path.c_str());
        if (c.exists) write_file(path, c.bytes);
        ASSERT_TRUE(gui_start(quote_path(path)));
        EXPECT_EQ(boxes_seen(), c.boxes);
        EXPECT_EQ(status_text(), STATUS_LOAD_ERROR);
        EXPECT_EQ(row_count(), 0);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(StartUp, KeysPressedInALoadBoxAreNotTranslated)
{
    TempDir dir;
    std::string missing = dir.root + "\\missing.png";
    ASSERT_TRUE(gui_launch(quote_path(missing), {HOLD_BOX}));
    ASSERT_TRUE(wait_boxes(1));
    press_key(VK_F1);
    press_key('O', true);
    press_key(VK_DELETE);
    ASSERT_TRUE(gui_sync());
    answer_held_box(IDOK);
    ASSERT_TRUE(gui_wait_shown());
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{u8"ファイルのオープンに失敗しました。|" + utf8(missing) +
                                                     "|error|OK|none,task-modal"});
    EXPECT_EQ(dialogs_opened(), std::vector<std::string>{u8"#32770|ファイルのオープンに失敗しました。"});
    EXPECT_EQ(status_text(), STATUS_LOAD_ERROR);
}

// The parts one after the other.
static std::vector<std::string> lines(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const std::vector<std::string>& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The items both the Edit menu and the context menu end with, and the context
// menu's items, each line behind `indent` as menu_items writes nested items.
static std::vector<std::string> edit_menu_tail(const std::string& indent)
{
    std::vector<std::string> items = {u8"すべて選択(&A)\tCtrl-A=40003", u8"選択を反転\tCtrl+I=40008",
                                      undo_item("") + "=40101", redo_item("") + "=40102", "-", u8"チャンクの内容(&I)...\tEnter=40201",
                                      u8"メタデータを選択(&M)=40202", "-", u8"チャンクを編集(&E)...\tF2=40401",
                                      u8"チャンクを挿入(&N)>"};
    const char* types[] = {"IHDR", "PLTE", "tRNS", "bKGD", "gAMA", "cHRM", "sRGB", "iCCP", "sBIT",
                           "pHYs", "tIME", "tEXt", "zTXt", "iTXt", "cICP", "mDCV", "cLLI", "acTL",
                           "fcTL", "oFFs", "pCAL", "sCAL", "sTER", "gIFg", "gIFx"};
    for (int k = 0; k < 25; k++) items.push_back("  " + std::string(types[k]) + "=" + std::to_string(40420 + k));
    items.insert(items.end(), {"  -", u8"  ファイルから(&F)...=40419"});
    items.insert(items.end(), {u8"上へ移動(&P)\tAlt+Up=40403", u8"下へ移動(&O)\tAlt+Down=40404",
                                      u8"コピー(&C)\tCtrl+C=40405", u8"切り取り(&T)\tCtrl+X=40406",
                                      u8"貼り付け(&V)\tCtrl+V=40407", u8"IDAT を分割(&S)...=40408",
                                      u8"チャンクをファイルに書き出す(&X)...=40409",
                                      u8"ICC プロファイルを読み込む(&L)...=40410",
                                      u8"ICC プロファイルを書き出す(&F)...=40411"});
    for (std::string& item : items) item = indent + item;
    return items;
}

static std::vector<std::string> context_menu_items(const std::string& indent)
{
    std::vector<std::string> items = {indent + u8"選択チャンクを削除(&D)=1002", indent + u8"選択チャンクを結合(&U)=1006",
                                      indent + u8"チャンクを修復(&R)=1009", indent + "-"};
    return lines({items, edit_menu_tail(indent)});
}

TEST_F(MainWindow, EmptyWindowShowsItsControlsColumnsAndMenus)
{
    ASSERT_TRUE(gui_start(""));
    HWND main = gui_main();
    EXPECT_EQ(window_text(main), u8"VELMORA Ver.1.02");
    EXPECT_EQ(window_class(main), "VELMORACLASS");
    EXPECT_EQ(status_text(), u8" D&&Dできます。");
    // It starts at its smallest height (234, or more where the font needs it) and
    // wide enough to show the summary column to its end beside a scroll bar, inside
    // the work area.
    RECT outer = window_rect(main);
    EXPECT_GE(outer.right - outer.left, 530);
    EXPECT_GE(outer.bottom - outer.top, 234);
    RECT summary = {}, list = {}, work = {};
    HWND header = (HWND)SendMessageA(gui_item(IDC_CHUNK_TABLE), LVM_GETHEADER, 0, 0);
    SendMessageA(header, HDM_GETITEMRECT, 11, (LPARAM)&summary);
    GetClientRect(gui_item(IDC_CHUNK_TABLE), &list);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(summary.right, 800);
    EXPECT_LE(summary.right + GetSystemMetrics(SM_CXVSCROLL), list.right);
    EXPECT_TRUE(outer.left >= work.left && outer.right <= work.right) << rect_text(outer);
    LONG_PTR style = GetWindowLongPtrA(main, GWL_STYLE);
    LONG_PTR wanted = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_TRUE(GetWindowLongPtrA(main, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    // The five buttons down the left side, where the template puts them.
    std::vector<std::string> buttons;
    const int button_ids[] = {IDC_LOAD, IDC_DELETE, IDC_MERGE, IDC_REPAIR, IDC_SAVE};
    for (int i = 0; i < 5; i++) {
        // Position and size are each mapped from dialog units on their own.
        RECT units = {4, 4 + 20 * i, 52, 14};
        MapDialogRect(main, &units);
        std::string expected = rect_text(units.left, units.top, units.right, units.bottom);
        HWND button = gui_item(button_ids[i]);
        std::string actual = rect_text(child_rect(button));
        buttons.push_back(std::to_string(button_ids[i]) + "=" + window_text(button) + " " +
                          (actual == expected ? "in place" : actual + " instead of " + expected));
    }
    EXPECT_EQ(buttons, (std::vector<std::string>{u8"1004=読み込み(&L) in place", u8"1002=チャンク削除(&D) in place",
                                                 u8"1006=チャンク結合(&U) in place", u8"1009=チャンク修復(&R) in place",
                                                 u8"1005=保存(&W) in place"}));

    // The twelve columns: header, width, alignment.
    std::vector<std::string> columns;
    for (int c = 0; c < 12; c++) {
        char header[64] = {0};
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
        column.pszText = header;
        column.cchTextMax = sizeof header;
        SendMessageA(table(), LVM_GETCOLUMNA, c, (LPARAM)&column);
        const char* alignments[] = {"left", "right", "centre", "?"};
        columns.push_back(utf8(header) + "/" + std::to_string(column.cx) + "/" + alignments[column.fmt & LVCFMT_JUSTIFYMASK]);
    }
    EXPECT_EQ(columns, (std::vector<std::string>{
                           "--/27/centre", u8"形式/39/right", u8"サイズ/60/right", "CRC32/60/right", u8"破損/39/centre",
                           u8"補助/0/centre", u8"非公開/0/centre", u8"予約/0/centre", u8"安全/0/centre",
                           u8"削除可/51/centre", u8"結合可/51/centre", u8"チャンク概要/500/left"}));
    EXPECT_EQ(SendMessageA(table(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    LONG_PTR list_style = GetWindowLongPtrA(table(), GWL_STYLE);
    EXPECT_EQ(list_style & (LVS_TYPEMASK | LVS_SHOWSELALWAYS | LVS_SINGLESEL | LVS_NOSCROLL),
              LVS_REPORT | LVS_SHOWSELALWAYS);
    // The dialog manager draws a template's border as a sunken client edge.
    EXPECT_TRUE((list_style & WS_BORDER) || (GetWindowLongPtrA(table(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE));

    // The table's font.
    LOGFONTA font = {};
    GetObjectA((HFONT)SendMessageA(table(), WM_GETFONT, 0, 0), sizeof font, &font);
    HDC screen = GetDC(main);
    int height = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(main, screen);
    EXPECT_EQ(utf8(font.lfFaceName) + " " + std::to_string(font.lfHeight) + " " + std::to_string(font.lfWeight) + " " +
                  std::to_string(font.lfCharSet) + " " + std::to_string(font.lfQuality) + " " +
                  std::to_string(font.lfPitchAndFamily),
              u8"ＭＳ ゴシック " + std::to_string(height) + " 400 128 4 1");

    // The status and notice lines.
    LONG_PTR status_style = GetWindowLongPtrA(gui_item(IDC_STATUS), GWL_STYLE);
    EXPECT_EQ(status_style & (SS_TYPEMASK | SS_SUNKEN | SS_CENTERIMAGE), SS_LEFT | SS_SUNKEN | SS_CENTERIMAGE);
    EXPECT_EQ(GetWindowLongPtrA(gui_item(IDC_NOTICE), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    EXPECT_NE(notice_text(), "");
    EXPECT_EQ(window_text(gui_item(IDC_STATUS_LEFT)), "");

    EXPECT_EQ(menu_items(GetMenu(main)),
              lines({{
                  u8"ファイル(&F)>", u8"  開く(&O)\tCtrl+O=1004", u8"  名前を付けて保存(&W)\tCtrl+S=1005", "  -",
                  u8"  終了(&E)=40001", "  -", u8"  壊れたファイルを救出(&R)...\tCtrl+R=40301",
                  u8"編集(&E)>", u8"  選択チャンクを削除(&D)\tDel=1002",
                  u8"  選択チャンクを結合(&U)\tIns=1006", u8"  チャンクを修復(&R)=1009", "  -"},
                  edit_menu_tail("  "),
                  {u8"検査(&C)>", u8"  ファイルを検査(&K)\tF5=40501", u8"  画像を表示(&V)\tF6=40502",
                   u8"  公開前の確認(&P)...=40503"},
                  {u8"ヘルプ(&H)>", u8"  ヘルプ(&H)\tF1=40006", u8"  バージョン情報(&V)=40005"}}));
}

TEST_F(MainWindow, DeleteRemovesOnlyTheDeletableSelectedChunks)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(3, 4, 8));
    Bytes title = make_chunk("tEXt", text_data("Title", "a"));
    Bytes author = make_chunk("tEXt", text_data("Author", "bc"));
    Bytes idat = make_chunk("IDAT", pattern(30, 1));
    Bytes iend = make_chunk("IEND", {});
    Bytes time = make_chunk("tIME", {0x07, 0xD0, 1, 2, 3, 4, 5});
    struct Case {
        const char* name;
        std::vector<Bytes> chunks;
        std::vector<int> selection;
        void (*command)();
        std::vector<Bytes> left;
    } cases[] = {
        {"IHDR, two tEXt and IEND by the button", {ihdr, title, author, idat, iend}, {0, 1, 2, 4},
         [] { click_button(IDC_DELETE); }, {ihdr, idat, iend}},
        {"one tIME by the Del key", {ihdr, time, idat, iend}, {1}, [] { press_key(VK_DELETE); }, {ihdr, idat, iend}},
        {"tEXt by the Edit menu", {ihdr, title, idat, iend}, {1}, [] { post_command(IDC_DELETE); }, {ihdr, idat, iend}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = png_file(dir, "delete.png", c.chunks);
        ASSERT_TRUE(gui_start(quote_path(path)));
        select_rows(c.selection);
        clear_status_history();
        c.command();
        ASSERT_TRUE(wait_rows((int)c.left.size()));
        ASSERT_TRUE(gui_sync());
        std::vector<std::string> rows;
        for (size_t i = 0; i < c.left.size(); i++) {
            std::string type(c.left[i].begin() + 4, c.left[i].begin() + 8);
            const char* summary = type == "IHDR" ? SUMMARY_IHDR : type == "IDAT" ? SUMMARY_IDAT : SUMMARY_IEND;
            rows.push_back(row((int)i + 1, c.left[i], "-------", summary));
        }
        EXPECT_EQ(table_rows(), rows);
        // A short edit shows only its final progress text, then the status line.
        std::string selected = std::to_string(c.selection.size());
        EXPECT_EQ(status_history(), (std::vector<std::string>{u8" 処理中です。 " + selected + "/" + selected + " (100%)",
                                                              status_line(3, 4, 8, make_png(c.left).size(), path)}));
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{});
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(MainWindow, MergeJoinsRunsOfIntactIdatChunks)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(5, 6, 8));
    Bytes a = pattern(100, 1), b = pattern(200, 2), c = pattern(50, 3);
    Bytes idat_a = make_chunk("IDAT", a), idat_b = make_chunk("IDAT", b), idat_c = make_chunk("IDAT", c);
    Bytes broken_b = damaged_chunk("IDAT", b);
    Bytes iend = make_chunk("IEND", {});
    Bytes abc = make_chunk("IDAT", joined({a, b, c}));
    Bytes ab = make_chunk("IDAT", joined({a, b}));
    struct Case {
        const char* name;
        std::vector<Bytes> chunks;
        std::vector<int> selection;
        void (*command)();
        std::vector<std::string> rows;
        std::vector<std::string> progress;
    } cases[] = {
        {"three IDAT selected, by the button", {ihdr, idat_a, idat_b, idat_c, iend}, {1, 2, 3},
         [] { click_button(IDC_MERGE); },
         {row(1, ihdr, "-------", SUMMARY_IHDR), row(2, abc, "-------", SUMMARY_IDAT), row(3, iend, "-------", SUMMARY_IEND)},
         {u8" 処理中です。 3/3 (100%)"}},
        {"only the first of two IDAT selected, by the Ins key", {ihdr, idat_a, idat_b, iend}, {1},
         [] { press_key(VK_INSERT); },
         {row(1, ihdr, "-------", SUMMARY_IHDR), row(2, ab, "-------", SUMMARY_IDAT), row(3, iend, "-------", SUMMARY_IEND)},
         {u8" 処理中です。 1/1 (100%)"}},
        {"a damaged IDAT is not merged, by the Edit menu", {ihdr, idat_a, broken_b, iend}, {1, 2},
         [] { post_command(IDC_MERGE); },
         {row(1, ihdr, "-------", SUMMARY_IHDR), row(2, idat_a, "-------", SUMMARY_IDAT),
          row(3, broken_b, "o------", SUMMARY_IDAT), row(4, iend, "-------", SUMMARY_IEND)},
         {u8" 処理中です。 2/2 (100%)"}},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = png_file(dir, "merge.png", c.chunks);
        ASSERT_TRUE(gui_start(quote_path(path)));
        select_rows(c.selection);
        clear_status_history();
        c.command();
        ASSERT_TRUE(wait_until([&] { return status_history().size() == c.progress.size() + 1; }, "the merge to end"));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(table_rows(), c.rows);
        std::vector<std::string> statuses = c.progress;
        size_t saved = 8;
        for (const Bytes& chunk : c.chunks) saved += chunk.size();
        saved -= 12 * (c.chunks.size() - c.rows.size());
        statuses.push_back(status_line(5, 6, 8, saved, path));
        EXPECT_EQ(status_history(), statuses);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(MainWindow, SelectAllAndInvertReachTheListAndGiveItTheFocus)
{
    struct Case {
        const char* name;
        std::vector<int> before;
        std::vector<void (*)()> commands;
        std::vector<int> after;
    } cases[] = {
        {"Ctrl+A", {}, {[] { press_key('A', true); }}, {0, 1, 2, 3, 4}},
        {"Ctrl+I on a partial selection", {1, 3}, {[] { press_key('I', true); }}, {0, 2, 4}},
        {"Ctrl+A then Ctrl+I", {2}, {[] { press_key('A', true); }, [] { press_key('I', true); }}, {}},
        {"Select all from the menu", {4}, {[] { post_command(IDM_SELECT_ALL); }}, {0, 1, 2, 3, 4}},
        {"Invert from the menu", {0, 1}, {[] { post_command(IDM_INVERT); }}, {2, 3, 4}},
        {"A without Ctrl does nothing", {1}, {[] { press_key('A'); }}, {1}},
    };
    TempDir dir;
    std::string path = png_file(dir, "select.png", sample_chunks());
    ASSERT_TRUE(gui_start(quote_path(path)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        select_rows(c.before);
        // The focus starts on a button, so that giving it to the table shows.
        PostMessageA(gui_main(), WM_NEXTDLGCTL, (WPARAM)gui_item(IDC_LOAD), TRUE);
        ASSERT_TRUE(gui_sync());
        for (auto command : c.commands) {
            command();
            ASSERT_TRUE(gui_sync());
        }
        EXPECT_EQ(selected_rows(), c.after);
        if (c.after != c.before) {
            EXPECT_EQ(focused_window(), table());
        }
    }
    EXPECT_EQ(row_count(), 5);
}

// Dialog units of the main window, in pixels.
static int units_x(int units)
{
    RECT r = {0, 0, units, 0};
    MapDialogRect(gui_main(), &r);
    return r.right;
}

static int units_y(int units)
{
    RECT r = {0, 0, 0, units};
    MapDialogRect(gui_main(), &r);
    return r.bottom;
}

// Pairs of the main window's controls that cover each other, as "id/id".
static std::vector<std::string> overlapping_controls()
{
    const int ids[] = {IDC_LOAD, IDC_DELETE, IDC_MERGE, IDC_REPAIR, IDC_SAVE, IDC_CHUNK_TABLE,
                       IDC_STATUS, IDC_STATUS_LEFT, IDC_NOTICE};
    std::vector<std::string> pairs;
    for (int a : ids) {
        for (int b : ids) {
            RECT ra = child_rect(gui_item(a)), rb = child_rect(gui_item(b)), both;
            if (a < b && IntersectRect(&both, &ra, &rb)) pairs.push_back(std::to_string(a) + "/" + std::to_string(b));
        }
    }
    return pairs;
}

TEST_F(MainWindow, LayoutFollowsTheClientSizeAndNothingCoversAnything)
{
    TempDir dir;
    ASSERT_TRUE(gui_start(quote_path(png_file(dir, "layout.png", sample_chunks()))));
    HWND main = gui_main();
    RECT notice = window_rect(gui_item(IDC_NOTICE));
    int w = notice.right - notice.left, h = notice.bottom - notice.top;
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);
    RECT template_size = {0, 0, 266, 133};
    MapDialogRect(main, &template_size);
    AdjustWindowRectEx(&template_size, (DWORD)GetWindowLongPtrA(main, GWL_STYLE), TRUE,
                       (DWORD)GetWindowLongPtrA(main, GWL_EXSTYLE));
    struct Case {
        const char* name;
        int width, height;   // outer size; 0 for the size at start
        bool maximised;
        bool at_least_minimum;
    } cases[] = {{"at start", 0, 0, false, true},
                 {"template size", template_size.right - template_size.left,
                  template_size.bottom - template_size.top, false, true},
                 {"wide", 900, 400, false, true}, {"tall", 700, 700, false, true},
                 {"maximised", 0, 0, true, true}, {"smaller than the minimum", 300, 150, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.maximised) {
            ShowWindow(main, SW_MAXIMIZE);
        } else if (c.width) {
            ShowWindow(main, SW_RESTORE);
            SetWindowPos(main, nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
        }
        ASSERT_TRUE(gui_sync());
        RECT client;
        GetClientRect(main, &client);
        int W = client.right, H = client.bottom;
        int left = units_x(71), top = units_y(1), bottom = H - 2 * h - units_y(1);
        std::vector<std::string> actual = {rect_text(child_rect(table())), rect_text(child_rect(gui_item(IDC_STATUS))),
                                           rect_text(child_rect(gui_item(IDC_STATUS_LEFT))),
                                           rect_text(child_rect(gui_item(IDC_NOTICE)))};
        std::vector<std::string> expected = {rect_text(left, top, W + units_x(1) - left, bottom - top),
                                             rect_text(0, H - 2 * h, W, h), rect_text(0, H - h, W - w, h),
                                             rect_text(W - w, H - h, w, h)};
        EXPECT_EQ(actual, expected);
        if (c.at_least_minimum) {
            EXPECT_EQ(overlapping_controls(), std::vector<std::string>{});
        }
    }
}

// The window opens wider than its smallest size (to show the summary column) but
// at its smallest height.
TEST_F(MainWindow, SizingStopsAtTheSmallestSizeOnTheDraggedEdge)
{
    ASSERT_TRUE(gui_start(""));
    RECT start = window_rect(gui_main());
    int mw = main_window_minimum(gui_main()).cx, mh = start.bottom - start.top;
    EXPECT_EQ(mh, main_window_minimum(gui_main()).cy);
    struct Case {
        int edge;
        RECT proposed;
        RECT expected;
    } cases[] = {
        {WMSZ_LEFT, {100, 100, 300, 200}, {300 - mw, 100, 300, 200}},
        {WMSZ_RIGHT, {100, 100, 300, 200}, {100, 100, 100 + mw, 200}},
        {WMSZ_TOP, {100, 100, 300, 200}, {100, 200 - mh, 300, 200}},
        {WMSZ_TOPLEFT, {100, 100, 300, 200}, {300 - mw, 200 - mh, 300, 200}},
        {WMSZ_TOPRIGHT, {100, 100, 300, 200}, {100, 200 - mh, 100 + mw, 200}},
        {WMSZ_BOTTOM, {100, 100, 300, 200}, {100, 100, 300, 100 + mh}},
        {WMSZ_BOTTOMLEFT, {100, 100, 300, 200}, {300 - mw, 100, 300, 100 + mh}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 300, 200}, {100, 100, 100 + mw, 100 + mh}},
        {WMSZ_BOTTOMRIGHT, {0, 0, mw, mh}, {0, 0, mw, mh}},
        {WMSZ_TOPLEFT, {10, 20, 800, 600}, {10, 20, 800, 600}},
        {WMSZ_LEFT, {100, 100, 300, 700}, {300 - mw, 100, 300, 700}},
        {WMSZ_TOP, {100, 100, 900, 200}, {100, 200 - mh, 900, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("edge " + std::to_string(c.edge) + ", proposed " + rect_text(c.proposed));
        RECT rect = c.proposed;
        SendMessageA(gui_main(), WM_SIZING, c.edge, (LPARAM)&rect);
        EXPECT_EQ(rect_text(rect), rect_text(c.expected));
    }
}

TEST_F(MainWindow, ContextMenuOpensAtTheClickOnTheRowPointedAt)
{
    TempDir dir;
    ASSERT_TRUE(gui_start(quote_path(png_file(dir, "context.png", sample_chunks()))));
    // At the top of the screen, so that the whole menu fits below every click and
    // the system has no reason to move it up.
    SetWindowPos(gui_main(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    HMENU resource = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_MENU));
    EXPECT_EQ(menu_items(resource),
              lines({{u8"(ﾟДﾟ)>"}, context_menu_items("  ")}));
    DestroyMenu(resource);
    struct Case {
        const char* name;
        int row;            // clicked in its middle; 9: below the last row
        std::vector<int> selection;
        std::vector<int> after;
    } cases[] = {{"on a row that is not selected", 0, {1, 3}, {0}}, {"on a selected row", 1, {0, 1}, {0, 1}},
                 {"nothing selected", 2, {}, {2}}, {"below the last row", 9, {1, 3}, {1, 3}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(table(), LVM_GETITEMRECT, std::min(c.row, 4), (LPARAM)&bounds);
        int below = c.row > 4 ? 2 * (bounds.bottom - bounds.top) : 0;
        POINT click = {60, (bounds.top + bounds.bottom) / 2 + below};
        select_rows(c.selection);
        clear_windows_opened();
        PostMessageA(table(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(click.x, click.y));
        ASSERT_TRUE(wait_until([] { return find_popup_menu() != nullptr; }, "the context menu"));
        HWND menu = find_popup_menu();
        EXPECT_EQ(windows_opened(), std::vector<std::string>{"#32768|"});
        POINT at = click;
        ClientToScreen(table(), &at);
        RECT placed = window_rect(menu);
        EXPECT_EQ(std::to_string(placed.left) + "," + std::to_string(placed.top),
                  std::to_string(at.x) + "," + std::to_string(at.y));
        EXPECT_EQ(menu_items((HMENU)SendMessageA(menu, MN_GETHMENU, 0, 0)),
                  context_menu_items(""));
        EXPECT_EQ(selected_rows(), c.after);
        press_key(VK_ESCAPE);
        ASSERT_TRUE(wait_until([] { return find_popup_menu() == nullptr; }, "the context menu to close"));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(selected_rows(), c.after);
        EXPECT_EQ(row_count(), 5);
    }

    // With the second IDAT selected, its first item on the tEXt row deletes that row.
    select_rows({3});
    RECT text_row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(table(), LVM_GETITEMRECT, 1, (LPARAM)&text_row);
    PostMessageA(table(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, (text_row.top + text_row.bottom) / 2));
    ASSERT_TRUE(wait_until([] { return find_popup_menu() != nullptr; }, "the context menu"));
    press_key(VK_DOWN);
    press_key(VK_RETURN);
    ASSERT_TRUE(wait_rows(4));
    EXPECT_EQ(table_row(1).substr(0, 8), "  2|IDAT");
    EXPECT_EQ(table_row(2).substr(0, 8), "  3|IDAT");
}

TEST_F(MainWindow, DroppedFileLoadsOnlyTheFirstOfSeveral)
{
    TempDir dir;
    // A folder whose name holds 0x5C as the second byte of two characters.
    std::string folder = dir.root + "\\" + "表示ソフト";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string first = folder + "\\" + "画像.png";
    write_file(first, make_png(sample_chunks()));
    std::string second = png_file(dir, "second.png", {make_chunk("IHDR", ihdr_data(9, 9, 1)), make_chunk("IEND", {})});
    std::string not_png = dir.root + "\\not.png";
    write_file(not_png, text_bytes("plain text"));

    ASSERT_TRUE(gui_start(""));
    HGLOBAL drop = drop_files({first, second});
    ASSERT_TRUE(wait_status(status_line(640, 480, 8, 1601, first)));
    EXPECT_EQ(row_count(), 5);
    EXPECT_TRUE(hdrop_released(drop));

    // A failed load empties the table.
    drop = drop_files({not_png});
    ASSERT_TRUE(wait_status(STATUS_LOAD_ERROR));
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{u8"PNGファイルではありません。|" + utf8(not_png) +
                                                     "|error|OK|none,task-modal"});
    EXPECT_EQ(row_count(), 0);
    EXPECT_TRUE(hdrop_released(drop));

    drop = drop_files({second, first});
    ASSERT_TRUE(wait_status(status_line(9, 9, 1, 45, second)));
    EXPECT_EQ(row_count(), 2);
}


static std::vector<std::string> file_types(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, FILE_TYPES);
    std::vector<std::string> types;
    int count = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char text[256] = {0};
        SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)text);
        types.push_back(utf8(text) + (SendMessageA(combo, CB_GETCURSEL, 0, 0) == i ? " (chosen)" : ""));
    }
    return types;
}

TEST_F(MainWindow, OpenDialogLoadsTheChosenFileAndCancelKeepsTheDocument)
{
    TempDir dir;
    std::string path = png_file(dir, "open.png", sample_chunks());
    ASSERT_TRUE(gui_start(""));

    press_key('O', true);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog"));
    HWND dialog = file_dialog();
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), gui_main());
    EXPECT_EQ(file_types(dialog),
              (std::vector<std::string>{"Portable Network Graphics (*.png) (chosen)", u8"全てのファイル(*.*)"}));
    choose_file(dialog, path);
    ASSERT_TRUE(wait_status(status_line(640, 480, 8, 1601, path)));
    EXPECT_EQ(row_count(), 5);

    // The button opens the same dialog, starting from the current file; Cancel changes nothing.
    click_button(IDC_LOAD);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog from the button"));
    std::string name = window_text(file_name_control(file_dialog()));
    EXPECT_TRUE(name.size() >= 8 && name.compare(name.size() - 8, 8, "open.png") == 0) << name;
    PostMessageA(file_dialog(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_until([] { return file_dialog() == nullptr; }, "the Open dialog to close"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(status_text(), status_line(640, 480, 8, 1601, path));
    EXPECT_EQ(row_count(), 5);
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{});

    // A failed load leaves the path on the file before it.
    drop_files({dir.root + "\\missing.png"});
    ASSERT_TRUE(wait_status(STATUS_LOAD_ERROR));
    click_button(IDC_LOAD);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog after the failed load"));
    name = window_text(file_name_control(file_dialog()));
    EXPECT_TRUE(name.size() >= 8 && name.compare(name.size() - 8, 8, "open.png") == 0) << name;
    PostMessageA(file_dialog(), WM_COMMAND, IDCANCEL, 0);
}

TEST_F(MainWindow, SaveAsWritesTheEditedDocumentThroughTheCommonDialog)
{
    TempDir dir;
    std::vector<Bytes> chunks = sample_chunks();
    std::string path = png_file(dir, "save.png", chunks);
    ASSERT_TRUE(gui_start(quote_path(path)));
    select_rows({1});
    press_key(VK_DELETE);
    ASSERT_TRUE(wait_rows(4));
    std::string status = status_text();
    chunks.erase(chunks.begin() + 1);

    // A name without extension gets .png.
    press_key('S', true);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
    EXPECT_EQ(GetWindow(file_dialog(), GW_OWNER), gui_main());
    EXPECT_EQ(file_types(file_dialog()),
              (std::vector<std::string>{"Portable Network Graphics (*.png) (chosen)", u8"全てのファイル(*.*)"}));
    choose_file(file_dialog(), dir.root + "\\slim");
    std::string saved = dir.root + "\\slim.png";
    ASSERT_TRUE(wait_until([&] { return file_dialog() == nullptr && shared_read(saved) == make_png(chunks); },
                           "the saved file"));
    ASSERT_TRUE(gui_sync());
    EXPECT_NE(status_text(), status);
    EXPECT_EQ(status_text(), status_line(640, 480, 8, make_png(chunks).size(), saved));
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{});

    // Over an existing file, the dialog asks first; the button opens it too.
    std::string existing = dir.root + "\\older.png";
    write_file(existing, text_bytes("to be replaced"));
    script_answers({HOLD_BOX});
    click_button(IDC_SAVE);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog from the button"));
    choose_file(file_dialog(), existing);
    ASSERT_TRUE(wait_boxes(1));
    // The dialog's own background work may still hold the file for a moment; a
    // person answers later than that, so the test waits until nobody holds it.
    ASSERT_TRUE(wait_until([&] {
        HANDLE alone = CreateFileA(existing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (alone == INVALID_HANDLE_VALUE) return false;
        CloseHandle(alone);
        return true;
    }, "the file to be free"));
    answer_held_box(IDYES);
    // Read once the save is over: a read during the replace could stand in its way.
    ASSERT_TRUE(wait_until([] { return file_dialog() == nullptr; }, "the Save As dialog to close"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(shared_read(existing), make_png(chunks)) << testing::PrintToString(boxes_seen());
    ASSERT_EQ(box_records().size(), 1u);
    std::string prompt = box_records()[0].line;
    EXPECT_EQ(prompt.substr(prompt.size() - 14), "|Yes/No|dialog") << prompt;
}

TEST_F(MainWindow, SaveAsDoesNothingWithoutADocumentAndReportsAFailedSave)
{
    TempDir dir;
    ASSERT_TRUE(gui_start(""));
    clear_windows_opened();
    click_button(IDC_SAVE);
    press_key('S', true);
    post_command(IDC_SAVE);
    ASSERT_TRUE(gui_sync());
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(dialogs_opened(), std::vector<std::string>{});
    ASSERT_TRUE(gui_stop());

    // A file held open without sharing cannot be replaced.
    std::string path = png_file(dir, "held.png", sample_chunks());
    std::string target = png_file(dir, "target.png", sample_chunks());
    ASSERT_TRUE(gui_start(quote_path(path)));
    HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    script_answers({IDYES});
    press_key('S', true);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
    choose_file(file_dialog(), target);
    ASSERT_TRUE(wait_status(u8" 書き込み中にエラーが発生しました。"));
    CloseHandle(held);
    std::vector<std::string> boxes = boxes_seen();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), u8"ファイルの作成に失敗しました。|" + utf8(target) + "|error|OK|none,task-modal");
    EXPECT_EQ(row_count(), 5);
    EXPECT_EQ(shared_read(target), make_png(sample_chunks()));

    // The path stays on the file that was loaded: the next status line names it.
    select_rows({1});
    press_key(VK_DELETE);
    ASSERT_TRUE(wait_rows(4));
    EXPECT_EQ(status_text(), status_line(640, 480, 8, 1601 - 12 - 20, path));
}

static const char* const SAVE_QUESTION = u8"VELMORA|変更を保存しますか？|question|Cancel/Yes/No|main";
static std::string s_other_file;   // what the drop cases drop

TEST_F(MainWindow, ChangedDocumentAsksBeforeItIsDiscarded)
{
    TempDir dir;
    std::string path = png_file(dir, "changed.png", sample_chunks());
    s_other_file = png_file(dir, "other.png", {make_chunk("IHDR", ihdr_data(9, 9, 1)), make_chunk("IEND", {})});
    void (*exit_command)() = [] { post_command(IDM_EXIT); };
    void (*close_box)() = [] { PostMessageA(gui_main(), WM_SYSCOMMAND, SC_CLOSE, 0); };
    void (*open_key)() = [] { press_key('O', true); };
    void (*drop)() = [] { drop_files({s_other_file}); };
    struct Case {
        const char* name;
        bool edit;
        void (*act)();
        int answer;       // 0: no question expected
        int rows_after;   // 0: the program ends
    } cases[] = {
        {"Exit, unchanged", false, exit_command, 0, 0},     {"Exit, Cancel", true, exit_command, IDCANCEL, 4},
        {"Exit, No", true, exit_command, IDNO, 0},          {"close box, Cancel", true, close_box, IDCANCEL, 4},
        {"close box, No", true, close_box, IDNO, 0},        {"Open, Cancel", true, open_key, IDCANCEL, 4},
        {"drop, Cancel", true, drop, IDCANCEL, 4},          {"drop, No", true, drop, IDNO, 2},
        {"drop, unchanged", false, drop, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(gui_start(quote_path(path)));
        if (c.edit) {
            select_rows({1});
            press_key(VK_DELETE);
            ASSERT_TRUE(wait_rows(4));
        }
        clear_windows_opened();
        script_answers({c.answer ? c.answer : IDOK});
        c.act();
        if (c.answer) {
            ASSERT_TRUE(wait_boxes(1));
        }
        if (c.rows_after) {
            ASSERT_TRUE(wait_rows(c.rows_after));
            ASSERT_TRUE(gui_sync());
            EXPECT_EQ(dialogs_opened().size(), c.answer ? 1u : 0u);
        } else {
            ASSERT_TRUE(wait_until([] { return gui_ended(); }, "the program to end"));
        }
        EXPECT_EQ(boxes_seen(), c.answer ? std::vector<std::string>{SAVE_QUESTION} : std::vector<std::string>{});
        ASSERT_TRUE(gui_stop());
    }

    // Yes saves first; a Save As that is cancelled keeps the program running.
    ASSERT_TRUE(gui_start(quote_path(path)));
    select_rows({1});
    press_key(VK_DELETE);
    ASSERT_TRUE(wait_rows(4));
    script_answers({IDYES});
    post_command(IDM_EXIT);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
    PostMessageA(file_dialog(), WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_until([] { return file_dialog() == nullptr; }, "the Save As dialog to close"));
    ASSERT_TRUE(gui_sync());
    EXPECT_FALSE(gui_ended());
    script_answers({IDYES});
    post_command(IDM_EXIT);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
    choose_file(file_dialog(), dir.root + "\\kept.png");
    ASSERT_TRUE(wait_until([] { return gui_ended(); }, "the program to end after saving"));
    std::vector<Bytes> left = sample_chunks();
    left.erase(left.begin() + 1);
    EXPECT_EQ(shared_read(dir.root + "\\kept.png"), make_png(left));
}

TEST_F(MainWindow, PathLongerThanTheBufferIsRefusedNotCut)
{
    TempDir dir;
    std::string path = png_file(dir, "kept.png", sample_chunks());
    std::string too_long = dir.root + "\\" + std::string(300 - dir.root.size(), 'a') + ".png";
    std::string refused = u8"ファイルのオープンに失敗しました。|" + too_long.substr(0, 260) + "|error|OK|none,task-modal";

    ASSERT_TRUE(gui_start(quote_path(too_long)));
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{refused});
    EXPECT_EQ(status_text(), STATUS_LOAD_ERROR);
    EXPECT_EQ(row_count(), 0);
    ASSERT_TRUE(gui_stop());

    // Dropped on a loaded document: the document stays.
    ASSERT_TRUE(gui_start(quote_path(path)));
    drop_files({too_long});
    ASSERT_TRUE(wait_boxes(1));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{refused});
    EXPECT_EQ(row_count(), 5);
    EXPECT_EQ(status_text(), status_line(640, 480, 8, 1601, path));
}

TEST_F(MainWindow, UndoAndRedoTakeBackAndRedoEachKindOfEdit)
{
    Bytes ihdr = make_chunk("IHDR", ihdr_data(8, 8, 8));
    Bytes iend = make_chunk("IEND", {});
    Bytes one_byte = make_chunk("IDAT", pattern(32, 6));
    one_byte[8 + 5] ^= 0x10;
    struct Case {
        const char* name;
        std::vector<Bytes> chunks;
        int row;
        void (*command)();
        int answer;
        const char* step;   // as the undo and redo items name it
    } cases[] = {
        {"delete", sample_chunks(), 1, [] { press_key(VK_DELETE); }, 0, u8"削除"},
        {"merge", sample_chunks(), 2, [] { press_key(VK_INSERT); }, 0, u8"結合"},
        {"repair", {ihdr, one_byte, iend}, 1, [] { click_button(IDC_REPAIR); }, IDOK, u8"修復"},
        {"forced CRC", {ihdr, damaged_chunk("IDAT", pattern(16, 5)), iend}, 1, [] { click_button(IDC_REPAIR); }, IDYES,
         u8"CRCの強制"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(gui_start(quote_path(png_file(dir, "undo.png", c.chunks))));
        std::vector<std::string> before = table_rows();
        std::string status = status_text();
        select_rows({c.row});
        if (c.answer) script_answers({c.answer});
        c.command();
        ASSERT_TRUE(wait_until([&] { return table_rows() != before && IsWindowEnabled(gui_main()); }, "the edit"));
        ASSERT_TRUE(gui_sync());
        // After a repair's box the window is active again, so the key reaches it.
        EXPECT_EQ(GetForegroundWindow(), gui_main());
        std::vector<std::string> after = table_rows();
        EXPECT_EQ(undo_redo_items(), undo_item(c.step) + "=40101 " + redo_item("") + "=40102");
        press_key('Z', true);
        ASSERT_TRUE(wait_until([&] { return table_rows() == before; }, "the undo"));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(status_text(), status);
        EXPECT_EQ(undo_redo_items(), undo_item("") + "=40101 " + redo_item(c.step) + "=40102");
        press_key('Y', true);
        ASSERT_TRUE(wait_until([&] { return table_rows() == after; }, "the redo"));
        press_key('Z', true);
        ASSERT_TRUE(wait_until([&] { return table_rows() == before; }, "the second undo"));
        ASSERT_TRUE(gui_sync());
        // Back where it was loaded: Exit asks nothing.
        clear_boxes();
        post_command(IDM_EXIT);
        ASSERT_TRUE(wait_until([] { return gui_ended(); }, "the program to end"));
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{});
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(MainWindow, TypingANumberMovesToItsRow)
{
    TempDir dir;
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(1, 1, 8))};
    for (int i = 0; i < 11; i++) chunks.push_back(make_chunk("tEXt", text_data("k", std::to_string(i))));
    chunks.push_back(make_chunk("IEND", {}));
    ASSERT_TRUE(gui_start(quote_path(png_file(dir, "type.png", chunks))));
    PostMessageA(gui_main(), WM_NEXTDLGCTL, (WPARAM)table(), TRUE);
    ASSERT_TRUE(gui_sync());
    press_key('7');
    ASSERT_TRUE(wait_until([] { return selected_rows() == std::vector<int>{6}; }, "row 7 selected"));
}

TEST_F(MainWindow, NumberColumnWidensForEveryDigitPastThree)
{
    TempDir dir;
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(1, 1, 8))};
    for (int i = 0; i < 1200; i++) chunks.push_back(make_chunk("IDAT", {}));
    chunks.push_back(make_chunk("IEND", {}));
    ASSERT_TRUE(gui_start(quote_path(png_file(dir, "many.png", chunks))));
    auto text_width = [](const char* text) { return (int)SendMessageA(table(), LVM_GETSTRINGWIDTHA, 0, (LPARAM)text); };
    // "1202" keeps the room beside it that "100" has in the column as made.
    int width = (int)SendMessageA(table(), LVM_GETCOLUMNWIDTH, 0, 0);
    EXPECT_GE(width - text_width("1202"), 27 - text_width("100"));
    press_key('A', true);
    press_key(VK_INSERT);
    ASSERT_TRUE(wait_rows(3));
    EXPECT_EQ((int)SendMessageA(table(), LVM_GETCOLUMNWIDTH, 0, 0), 27);
}

TEST_F(MainWindow, CommandsAndDropsWaitForTheLoadAndItsBoxes)
{
    TempDir dir;
    std::string large = dir.root + "\\large.png";
    write_file(large, make_png({make_chunk("IHDR", ihdr_data(1, 1, 8)), make_chunk("IDAT", Bytes(0x400000, 1)),
                                make_chunk("IEND", {})}));
    std::string other = png_file(dir, "other.png", sample_chunks());
    ASSERT_TRUE(gui_start(""));
    // The size box has no owner: the main window stays enabled behind it.
    script_answers({HOLD_BOX});
    drop_files({large});
    ASSERT_TRUE(wait_boxes(1));
    clear_windows_opened();
    click_button(IDC_LOAD);
    press_key('O', true);
    drop_files({other});
    post_command(IDC_SAVE);
    ASSERT_TRUE(gui_sync());
    answer_held_box(IDOK);
    ASSERT_TRUE(wait_status(STATUS_LOAD_ERROR));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(dialogs_opened(), std::vector<std::string>{u8"#32770|ファイルの読み込みに失敗しました。"});
    EXPECT_EQ(row_count(), 0);
}
