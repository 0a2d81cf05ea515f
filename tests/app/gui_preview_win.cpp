// The preview window: opened by F6, it shows the picture the system's decoder
// makes of the document (read back through PrintWindow), the zoom in its title,
// and the decoder's error in words; it follows a repair.
#include <windows.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "resource_ids.h"

struct Preview : GuiTest {};

// A `width` x `height` RGBA image: the left half opaque red, the right half
// fully transparent.
static Bytes half_red_stream(uint32_t width, uint32_t height)
{
    Bytes rows;
    for (uint32_t y = 0; y < height; y++) {
        rows.push_back(0);
        for (uint32_t x = 0; x < width; x++) {
            bool red = x < width / 2;
            Bytes pixel = {(uint8_t)(red ? 255 : 0), 0, 0, (uint8_t)(red ? 255 : 0)};
            rows.insert(rows.end(), pixel.begin(), pixel.end());
        }
    }
    return deflated(rows);
}

static HWND preview_window() { return find_dialog_with(IDC_PREVIEW_MESSAGE); }
static HWND preview_message() { return GetDlgItem(preview_window(), IDC_PREVIEW_MESSAGE); }

// Opened and decoded: the title carries the zoom once there is a picture, the
// message once there is none.
static bool wait_preview(bool picture)
{
    return wait_until([picture] {
        HWND preview = preview_window();
        if (!preview) return false;
        return picture ? window_text(preview).find('%') != std::string::npos && !IsWindowVisible(preview_message())
                       : IsWindowVisible(preview_message()) != FALSE;
    }, picture ? "the preview's picture" : "the preview's error text");
}

// What the preview's client area shows at each point, through WM_PRINTCLIENT:
// "red", "checker" (either square), "face" (the dialog's colour) or the colour.
static std::string colours_at(HWND preview, const std::vector<POINT>& points)
{
    RECT client;
    GetClientRect(preview, &client);
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PrintWindow(preview, dc, PW_CLIENTONLY);
    std::string names;
    for (POINT p : points) {
        COLORREF c = GetPixel(dc, p.x, p.y);
        char other[16];
        wsprintfA(other, "%06lX", (unsigned long)c);
        names += c == RGB(255, 0, 0) ? "red" : c == RGB(255, 255, 255) || c == RGB(204, 204, 204) ? "checker"
                 : c == GetSysColor(COLOR_BTNFACE) ? "face" : other;
        names += " ";
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return names;
}

static std::string expected_title(HWND preview, uint32_t picture_width)
{
    RECT client;
    GetClientRect(preview, &client);
    return u8"画像の表示 - " + std::to_string((client.right * 100 + picture_width / 2) / picture_width) + "%";
}

TEST_F(Preview, F6ShowsThePictureOverACheckerboardWithItsZoom)
{
    TempDir dir;
    std::string path = dir.root + "\\half.png";
    write_file(path, make_png({make_chunk("IHDR", ihdr_data(40, 20, 8, 6)), make_chunk("IDAT", half_red_stream(40, 20)),
                               make_chunk("IEND", {})}));
    ASSERT_TRUE(gui_start(quote_path(path)));
    clear_windows_opened();
    press_key(VK_F6);
    ASSERT_TRUE(wait_preview(true));
    press_key(VK_F6);   // brings the open one forward
    ASSERT_TRUE(gui_sync());
    ASSERT_EQ(windows_opened().size(), 1u);
    EXPECT_EQ(windows_opened()[0].rfind(u8"#32770|画像の表示", 0), 0u) << windows_opened()[0];
    HWND preview = preview_window();
    // Two client sizes, each wider than twice its height: the width decides the zoom.
    for (SIZE outer : {SIZE{500, 400}, SIZE{300, 360}}) {
        SetWindowPos(preview, NULL, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(gui_sync());
        RECT c;
        GetClientRect(preview, &c);
        EXPECT_EQ(window_text(preview), expected_title(preview, 40));
        EXPECT_EQ(colours_at(preview, {{c.right / 4, c.bottom / 2}, {c.right * 3 / 4, c.bottom / 2}, {c.right / 2, 2}}),
                  "red checker face ");
    }
}

TEST_F(Preview, DecoderErrorInWordsUntilARepairMendsTheFile)
{
    TempDir dir;
    Bytes good = half_red_stream(40, 20);
    Bytes damaged = make_chunk("IDAT", good);
    damaged[8 + good.size() / 2] ^= 0x20;
    std::string path = dir.root + "\\damaged.png";
    write_file(path, make_png({make_chunk("IHDR", ihdr_data(40, 20, 8, 6)), damaged, make_chunk("IEND", {})}));
    ASSERT_TRUE(gui_start(quote_path(path)));
    post_command(IDM_PREVIEW);
    ASSERT_TRUE(wait_preview(false));
    EXPECT_EQ(window_text(preview_window()), u8"画像の表示");
    std::string message = window_text(preview_message());
    EXPECT_EQ(message.rfind(u8"この画像は復号できません (", 0), 0u) << message;
    EXPECT_NE(message.find("(0x"), std::string::npos) << message;
    // The mend shows at once: the repair's box, then the picture.
    select_rows({1});
    click_button(IDC_REPAIR);
    ASSERT_TRUE(wait_boxes(1));
    ASSERT_TRUE(wait_preview(true));
    RECT c;
    GetClientRect(preview_window(), &c);
    EXPECT_EQ(colours_at(preview_window(), {{c.right / 4, c.bottom / 2}}), "red ");
}
