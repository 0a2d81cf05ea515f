// The check as the user meets it: F5's findings list follows a delete and its
// double click selects the chunk; Save As asks about errors the loaded file did
// not have; the privacy review lists what a file gives away and selects it.
// Before windows.h, whose SEVERITY_ERROR macro would rename the check's own.
#include "check/check_fixtures.h"
#include <windows.h>
#include <commctrl.h>
#undef SEVERITY_ERROR

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"

struct CheckWindow : GuiTest {};
struct PrivacyReview : GuiTest {};

static HWND findings() { return find_dialog_with(IDC_FINDINGS_LIST); }
static HWND privacy() { return find_dialog_with(IDC_PRIVACY_LIST); }

// Every row of a list, its cells joined by "|", in UTF-8. The findings list is
// read through the code page 932 call, the privacy review through the wide one.
static std::vector<std::string> list_rows(HWND list, int columns, bool wide)
{
    std::vector<std::string> rows;
    int count = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < count; row++) {
        std::string line;
        for (int column = 0; column < columns; column++) {
            char text[1024] = {0};
            WCHAR wide_text[512] = {0};
            if (wide) {
                LVITEMW item = {};
                item.iSubItem = column;
                item.pszText = wide_text;
                item.cchTextMax = 512;
                SendMessageW(list, LVM_GETITEMTEXTW, row, (LPARAM)&item);
                WideCharToMultiByte(CP_UTF8, 0, wide_text, -1, text, sizeof text, NULL, NULL);
            } else {
                LVITEMA item = {};
                item.iSubItem = column;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)&item);
            }
            line += (column ? "|" : "") + (wide ? std::string(text) : utf8(text));
        }
        rows.push_back(line);
    }
    return rows;
}

static std::vector<std::string> finding_rows()
{
    return list_rows(GetDlgItem(findings(), IDC_FINDINGS_LIST), 4, false);
}

static std::string start_with(const TempDir& dir, const Bytes& file)
{
    std::string path = dir.root + "\\in.png";
    write_file(path, file);
    EXPECT_TRUE(gui_start(quote_path(path)));
    return path;
}

// IHDR, IDAT, a gAMA after the image data, a tEXt whose CRC is off, IEND.
static Bytes broken_file()
{
    return make_png({ihdr_of(2), idat_of(2), make_chunk("gAMA", be32(45455)), damaged_chunk("tEXt", text_data("Title", "a")),
                     iend()});
}

TEST_F(CheckWindow, F5ListsTheFindingsFollowsADeleteAndADoubleClickSelectsTheChunk)
{
    TempDir dir;
    start_with(dir, broken_file());
    press_key(VK_F5);
    ASSERT_TRUE(wait_until([] { return findings() != nullptr; }, "the findings list"));
    EXPECT_EQ(window_text(findings()), u8"検査の結果");
    const std::string misplaced = u8"エラー|3|gAMA|gAMA チャンクは最初の IDAT より前に置かなければなりません";
    EXPECT_EQ(window_text(GetDlgItem(findings(), IDC_FINDINGS_COUNTS)), u8"エラー 2 件、警告 0 件、情報 0 件");
    EXPECT_EQ(finding_rows(), std::vector<std::string>({misplaced, u8"エラー|4|tEXt|tEXt チャンクの CRC が一致しま"
                                                                   u8"せん (格納値 4D15E5FB、計算値 4D15E5FA)"}));

    // A double click on the second finding selects the tEXt row of the table.
    HWND list = GetDlgItem(findings(), IDC_FINDINGS_LIST);
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, 1, (LPARAM)&bounds);
    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(20, (bounds.top + bounds.bottom) / 2));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(selected_rows(), std::vector<int>({3}));

    // The table's delete: the list follows at once.
    click_button(IDC_DELETE);
    ASSERT_TRUE(wait_until([] { return row_count() == 4; }, "the tEXt row deleted"));
    EXPECT_EQ(finding_rows(), std::vector<std::string>({misplaced}));
    EXPECT_EQ(window_text(GetDlgItem(findings(), IDC_FINDINGS_COUNTS)), u8"エラー 1 件、警告 0 件、情報 0 件");
}

static void damage_ihdr_crc(void*)
{
    g_document.records[0].stored_crc ^= 1;
    g_document.changed = 1;
}

TEST_F(CheckWindow, SaveAsAsksAboutANewErrorAndNoWritesNothing)
{
    TempDir dir;
    Bytes file = make_png(sample_chunks());
    std::string path = start_with(dir, file);
    ASSERT_TRUE(gui_call(damage_ihdr_crc, nullptr));
    clear_boxes();
    clear_windows_opened();
    press_key('S', true);
    ASSERT_TRUE(wait_boxes(1));
    ASSERT_TRUE(gui_sync());
    std::string box = box_records()[0].line;
    EXPECT_EQ(box.rfind(u8"新しいエラー|読み込んだときにはなかったエラーが 1 件あります。\r\n\r\n・1 IHDR: IHDR チャンクの CRC が一致しません",
                        0),
              0u)
        << box;
    EXPECT_NE(box.find(u8"このまま保存しますか？|warning|Yes/No|main"), std::string::npos) << box;
    EXPECT_EQ(windows_opened().size(), 1u) << "no file dialog after No";
    EXPECT_EQ(shared_read(path), file);

    script_answers({IDYES});
    press_key('S', true);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog after Yes"));
    std::string saved = dir.root + "\\saved.png";
    choose_file(file_dialog(), saved);
    ASSERT_TRUE(wait_until([&] { return shared_read(saved).size() == file.size(); }, "the saved file"));
}

TEST_F(PrivacyReview, ListsGpsAndGeneratorTextAndSelectsTheirChunks)
{
    TempDir dir;
    start_with(dir, make_png({ihdr_of(2), make_chunk("eXIf", exif_with_gps_and_serial()),
                              make_chunk("tEXt", text_data("Title", "Sunset")),
                              make_chunk("tEXt", text_data("parameters", "a cat\nSteps: 20")), idat_of(2), iend()}));
    post_command(IDM_PRIVACY);
    ASSERT_TRUE(wait_until([] { return privacy() != nullptr; }, "the privacy review"));
    EXPECT_EQ(window_text(privacy()), u8"公開前の確認");
    EXPECT_EQ(list_rows(GetDlgItem(privacy(), IDC_PRIVACY_LIST), 5, true),
              std::vector<std::string>({u8"位置 (GPS)|2|eXIf|GPS|35.500000 N, 139.750000 E",
                                        u8"機器のシリアル番号|2|eXIf|BodySerialNumber|SN-0042",
                                        u8"画像生成の情報|4|tEXt|parameters|a cat Steps: 20"}));
    click_button(IDC_PRIVACY_SELECT, privacy());
    ASSERT_TRUE(wait_until([] { return privacy() == nullptr; }, "the review to close"));
    EXPECT_EQ(selected_rows(), std::vector<int>({1, 3}));
}
