#include "app/gui_fixtures_win.h"

#include <stdio.h>

#include "app/gui_harness_win.h"

const char* const SUMMARY_IHDR = u8"ヘッダ: PNG形式はこのチャンクから始まる必要があります。";
const char* const SUMMARY_IDAT = u8"画像データ";
const char* const SUMMARY_IEND = u8"終了チャンク: このチャンクで終わる必要があります。";
const char* const STATUS_LOAD_ERROR = u8" 読み込み中にエラーが発生しました。";

Bytes text_data(const std::string& keyword, const std::string& text)
{
    Bytes data(keyword.begin(), keyword.end());
    data.push_back(0);
    data.insert(data.end(), text.begin(), text.end());
    return data;
}

std::vector<Bytes> sample_chunks()
{
    return {
        make_chunk("IHDR", ihdr_data(640, 480, 8)),
        make_chunk("tEXt", text_data("Title", "Sample text!!!")),
        make_chunk("IDAT", pattern(1000, 1)),
        make_chunk("IDAT", pattern(500, 2)),
        make_chunk("IEND", {}),
    };
}

Bytes pattern(size_t count, uint8_t seed)
{
    Bytes data(count);
    uint32_t value = seed * 2654435761u + 1;
    for (size_t i = 0; i < count; i++) {
        value = value * 1103515245u + 12345u;
        data[i] = (uint8_t)(value >> 16);
    }
    return data;
}

Bytes damaged_chunk(const char* type, const Bytes& data)
{
    Bytes chunk = make_chunk(type, data);
    chunk.back() ^= 1;
    return chunk;
}

static uint32_t be32(const Bytes& bytes, size_t at)
{
    return (uint32_t)bytes[at] << 24 | (uint32_t)bytes[at + 1] << 16 | (uint32_t)bytes[at + 2] << 8 | bytes[at + 3];
}

std::string row(int number, const Bytes& chunk, const char* marks, const std::string& summary)
{
    char head[64];
    snprintf(head, sizeof head, "%3d|%.4s|%7u|%08X", number, (const char*)&chunk[4], be32(chunk, 0),
             be32(chunk, chunk.size() - 4));
    std::string line = utf8(head);
    for (const char* mark = marks; *mark; mark++) line += *mark == 'o' ? u8"|○" : "|--";
    return line + "|" + summary;
}

std::vector<std::string> sample_rows()
{
    std::vector<Bytes> sample = sample_chunks();
    return {row(1, sample[0], "-------", SUMMARY_IHDR),
            row(2, sample[1], "-o--oo-", u8"埋め込みテキスト: [Title]Sample text!!!"),
            row(3, sample[2], "------o", SUMMARY_IDAT), row(4, sample[3], "-------", SUMMARY_IDAT),
            row(5, sample[4], "-------", SUMMARY_IEND)};
}

std::string status_line(uint32_t width, uint32_t height, int depth, size_t size, const std::string& path)
{
    char head[96];
    snprintf(head, sizeof head, " %ux%ux%d / %zuBytes / ", width, height, depth, size);
    return head + utf8(path);
}

static Bytes words(const std::vector<uint32_t>& values, const Bytes& tail = {})
{
    Bytes out;
    for (uint32_t v : values) out.insert(out.end(), {(uint8_t)(v >> 24), (uint8_t)(v >> 16), (uint8_t)(v >> 8), (uint8_t)v});
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

std::vector<Bytes> animated_chunks()
{
    auto frame = [](uint32_t sequence) { return make_chunk("fcTL", words({sequence, 1, 1, 0, 0}, {0, 1, 0, 10, 0, 0})); };
    return {make_chunk("IHDR", ihdr_data(1, 1, 8)), make_chunk("acTL", words({3, 0})), frame(0),
            make_chunk("IDAT", pattern(20, 1)), frame(1), make_chunk("fdAT", words({2}, pattern(20, 2))),
            frame(3), make_chunk("fdAT", words({4}, pattern(20, 3))), make_chunk("IEND", {})};
}

std::vector<Bytes> idot_chunks()
{
    // Offsets count from the start of iDOT (40 bytes long in the file).
    return {make_chunk("IHDR", ihdr_data(1, 2, 8)), make_chunk("iDOT", words({2, 0, 1, 40, 1, 1, 40 + 22})),
            make_chunk("IDAT", pattern(10, 1)), make_chunk("IDAT", pattern(10, 2)), make_chunk("IEND", {})};
}

std::vector<std::string> row_types()
{
    std::vector<std::string> types;
    for (const std::string& line : table_rows()) {
        size_t start = line.find('|') + 1;
        types.push_back(line.substr(start, line.find('|', start) - start));
    }
    return types;
}

std::string undo_item(const std::string& step)
{
    return step.empty() ? u8"元に戻す(&Z)\tCtrl+Z" : u8"元に戻す: " + step + u8"(&Z)\tCtrl+Z";
}

std::string redo_item(const std::string& step)
{
    return step.empty() ? u8"やり直し(&Y)\tCtrl+Y" : u8"やり直し: " + step + u8"(&Y)\tCtrl+Y";
}

// The Edit menu's undo and redo items as the window names them when the menu opens.
std::string undo_redo_items()
{
    HMENU edit = GetSubMenu(GetMenu(gui_main()), 1);
    SendMessageA(gui_main(), WM_INITMENUPOPUP, (WPARAM)edit, MAKELPARAM(1, FALSE));
    std::string found;
    for (const std::string& item : menu_items(edit)) {
        if (item.find("=4010") != std::string::npos) found += (found.empty() ? "" : " ") + item;
    }
    return found;
}
