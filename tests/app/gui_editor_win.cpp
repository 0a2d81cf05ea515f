// The chunk editors as the user meets them: values typed into the real dialogs,
// refusals with their reasons, insert at the place the ordering rules give, the
// palette editor with its colour dialog replaced through its seam, and undo.
#include <windows.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "fields/editor_dialogs_win.h"
#include "resource_ids.h"

struct Editor : GuiTest {
    void TearDown() override
    {
        GuiTest::TearDown();
        set_colour_chooser(nullptr);
    }
};

static HWND editor() { return find_dialog_with(IDC_EDITOR_REASON); }
static HWND field(int row) { return GetDlgItem(editor(), IDC_FIELD_VALUE + row); }

static void start_with(const TempDir& dir, const std::vector<Bytes>& chunks)
{
    std::string path = dir.root + "\\in.png";
    write_file(path, make_png(chunks));
    ASSERT_TRUE(gui_start(quote_path(path)));
}

// Number, type, length and stored CRC of the row for `chunk`.
static std::string head(int number, const Bytes& chunk)
{
    std::string line = row(number, chunk, "", "");
    return line.substr(0, line.size() - 1);
}

static bool row_starts(int r, const std::string& prefix)
{
    return row_count() > r && table_row(r).rfind(prefix, 0) == 0;
}

static void type_into(HWND control, const std::string& utf8_text)
{
    int count = MultiByteToWideChar(CP_UTF8, 0, utf8_text.c_str(), -1, nullptr, 0);
    std::wstring wide((size_t)count, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8_text.c_str(), -1, &wide[0], count);
    // As typed: a multi-line edit tells no change made by WM_SETTEXT.
    SendMessageW(control, EM_SETSEL, 0, -1);
    SendMessageW(control, EM_REPLACESEL, TRUE, (LPARAM)wide.c_str());
}

static void open_editor_of(int r)
{
    select_rows({r});
    post_command(IDM_EDIT_CHUNK);
    wait_until([] { return editor() != nullptr; }, "the editor");
}

static const Bytes PHYS_72 = {0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1};

static std::vector<Bytes> with_phys()
{
    return {make_chunk("IHDR", ihdr_data(4, 4, 8)), make_chunk("pHYs", PHYS_72), make_chunk("IDAT", pattern(20, 1)),
            make_chunk("IEND", {})};
}

static void focus_table(void*) { SetFocus(GetDlgItem(gui_main(), IDC_CHUNK_TABLE)); }

TEST_F(Editor, PhysAt300DpiIsWrittenWithAFreshCrcAndUndone)
{
    TempDir dir;
    start_with(dir, with_phys());
    select_rows({1});
    gui_call(focus_table, nullptr);
    press_key(VK_F2);
    ASSERT_TRUE(wait_until([] { return editor() != nullptr; }, "the pHYs editor from F2"));
    type_into(GetDlgItem(editor(), IDC_EDITOR_AMOUNT), "300");
    click_button(IDC_EDITOR_DPI, editor());
    ASSERT_TRUE(wait_until([] { return window_text(field(0)) == "11811"; }, "11811 per metre"));
    click_button(IDOK, editor());
    Bytes written = make_chunk("pHYs", {0, 0, 0x2E, 0x23, 0, 0, 0x2E, 0x23, 1});
    ASSERT_TRUE(wait_until([&] { return row_starts(1, head(2, written)); }, "the new pHYs row"));
    EXPECT_EQ(selected_rows(), std::vector<int>{1});
    press_key('Z', true);
    ASSERT_TRUE(wait_until([] { return row_starts(1, head(2, make_chunk("pHYs", PHYS_72))); }, "the pHYs undone"));
}

// The seconds become the delay's fraction and leave the other rows as typed.
TEST_F(Editor, FctlDelayFromSeconds)
{
    TempDir dir;
    start_with(dir, animated_chunks());
    open_editor_of(2);
    ASSERT_TRUE(editor() != nullptr);
    type_into(field(3), "1");
    type_into(GetDlgItem(editor(), IDC_EDITOR_AMOUNT), "0.25");
    click_button(IDC_EDITOR_SECONDS, editor());
    ASSERT_TRUE(wait_until([] { return window_text(field(5)) + "/" + window_text(field(6)) == "1/4"; }, "1/4 s"));
    EXPECT_EQ(window_text(field(3)), "1");
}

TEST_F(Editor, ABadValueIsRefusedWithItsReasonAndChangesNothing)
{
    TempDir dir;
    start_with(dir, with_phys());
    std::vector<std::string> before = table_rows();
    open_editor_of(1);
    ASSERT_TRUE(editor() != nullptr);
    struct Case {
        int row;
        const char* typed;
        std::string reason;
    } cases[] = {
        {0, "abc", u8"x: 数値を入力してください"},
        {0, "3000000000", u8"x: 0 から 2147483647 の範囲で入力してください"},
        {2, "2", u8"unit: 0 から 1 の範囲で入力してください"},
    };
    for (const Case& c : cases) {
        type_into(field(0), "2835");
        type_into(field(c.row), c.typed);
        click_button(IDOK, editor());
        ASSERT_TRUE(wait_until([&] { return window_text(GetDlgItem(editor(), IDC_EDITOR_REASON)) == c.reason; },
                               c.reason.c_str()));
    }
    click_button(IDCANCEL, editor());
    ASSERT_TRUE(wait_until([] { return editor() == nullptr; }, "the editor to close"));
    EXPECT_EQ(table_rows(), before);
}

TEST_F(Editor, InsertedTimeStandsWhereTheRulesAllowAndCancelInsertsNothing)
{
    struct Case {
        int button;
        std::vector<std::string> types;
    } cases[] = {
        {IDCANCEL, {"IHDR", "pHYs", "IDAT", "IEND"}},
        {IDOK, {"IHDR", "tIME", "pHYs", "IDAT", "IEND"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        start_with(dir, with_phys());
        post_command(IDM_INSERT_FIRST + 10);
        ASSERT_TRUE(wait_until([] { return editor() != nullptr; }, "the new tIME's editor"));
        click_button(IDC_EDITOR_NOW, editor());
        click_button(c.button, editor());
        ASSERT_TRUE(wait_until([] { return editor() == nullptr; }, "the editor to close"));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(row_types(), c.types);
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(Editor, TextThatLatin1CannotHoldBecomesItxt)
{
    TempDir dir;
    start_with(dir, sample_chunks());
    open_editor_of(1);
    ASSERT_TRUE(editor() != nullptr);
    type_into(GetDlgItem(editor(), IDC_TEXT_VALUE), u8"夕焼け");
    ASSERT_TRUE(wait_until([] { return window_text(GetDlgItem(editor(), IDC_EDITOR_NOTE)).find("iTXt") != std::string::npos; },
                           "the note on iTXt"));
    click_button(IDOK, editor());
    Bytes itxt = make_chunk("iTXt", joined({text_bytes("Title"), Bytes{0, 0, 0, 0, 0}, text_bytes(u8"夕焼け")}));
    ASSERT_TRUE(wait_until([&] { return row_starts(1, head(2, itxt)); }, "the iTXt row"));
}

// What cannot be edited or inserted is said in a box, and the document stays.
TEST_F(Editor, RefusalsAreSaidAndChangeNothing)
{
    struct Case {
        const char* name;
        int row;        // edited, or -1
        int command;    // posted when no row is edited
        std::string box;
    } cases[] = {
        {"a second IHDR", -1, IDM_INSERT_FIRST + 0,
         u8"チャンクの編集|IHDR チャンクはこのファイルに挿入できません: この種類のチャンクは一つしか置けません。|warning|OK|main"},
        {"IDAT", 3, 0, u8"チャンクの編集|この種類のチャンクには編集画面がありません。|warning|OK|main"},
        {"pHYs of eight bytes", 2, 0,
         u8"チャンクの編集|このチャンクは項目として読めないため、編集できません:\n"
         u8"長さがこの種類のチャンクの長さではありません|warning|OK|main"},
    };
    TempDir dir;
    std::vector<Bytes> chunks = with_phys();
    chunks.insert(chunks.begin() + 2, make_chunk("pHYs", Bytes(8)));
    start_with(dir, chunks);
    std::vector<std::string> before = table_rows();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clear_boxes();
        if (c.row >= 0) select_rows({c.row});
        post_command(c.row >= 0 ? IDM_EDIT_CHUNK : c.command);
        ASSERT_TRUE(wait_boxes(1));
        EXPECT_EQ(boxes_seen()[0], c.box);
        EXPECT_EQ(table_rows(), before);
    }
}

static int chosen_colour(HWND, COLORREF* colour)
{
    *colour = RGB(10, 20, 30);
    return 1;
}

static void click_swatch(HWND palette, int index)
{
    RECT swatches = child_rect(GetDlgItem(palette, IDC_PALETTE_SWATCHES));
    int cell = (swatches.right - swatches.left) / 16;
    PostMessageA(palette, WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM(swatches.left + index * cell + cell / 2, swatches.top + cell / 2));
}

static bool entry_line_has(HWND palette, const std::string& part)
{
    return window_text(GetDlgItem(palette, IDC_PALETTE_ENTRY)).find(part) != std::string::npos;
}

// PLTE takes the chosen colour; tRNS of the same image an alpha for the second entry.
TEST_F(Editor, PaletteEntryTakesTheChosenColourAndItsAlpha)
{
    set_colour_chooser(chosen_colour);
    TempDir dir;
    start_with(dir, {make_chunk("IHDR", ihdr_data(2, 2, 8, 3)), make_chunk("PLTE", {0, 0, 0, 255, 255, 255}),
                     make_chunk("tRNS", {0}), make_chunk("IDAT", pattern(8, 2)), make_chunk("IEND", {})});
    open_editor_of(1);
    HWND palette = editor();
    ASSERT_TRUE(palette != nullptr);
    click_swatch(palette, 1);
    ASSERT_TRUE(wait_until([&] { return entry_line_has(palette, "R 10, G 20, B 30"); }, "the chosen colour"));
    click_button(IDOK, palette);
    ASSERT_TRUE(wait_until([] { return row_starts(1, head(2, make_chunk("PLTE", {0, 0, 0, 10, 20, 30}))); },
                           "the new palette"));

    open_editor_of(2);
    palette = editor();
    ASSERT_TRUE(palette != nullptr);
    click_swatch(palette, 1);
    ASSERT_TRUE(wait_until([&] { return entry_line_has(palette, u8"項目 1: アルファ 255"); }, "the second entry"));
    type_into(GetDlgItem(palette, IDC_PALETTE_ALPHA), "128");
    click_button(IDOK, palette);
    ASSERT_TRUE(wait_until([] { return row_starts(2, head(3, make_chunk("tRNS", {0, 128}))); }, "the new alphas"));
}
