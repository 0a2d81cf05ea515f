#include "app/gui_process_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <stdint.h>

#include "app/gui_harness_win.h"
#include "resource_ids.h"

const int COLUMNS = 12;
const DWORD ANSWER_MS = 20000;

std::string program_path()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.resize(folder.find_last_of("\\/") + 1);
    return folder + "velmora.exe";
}

HANDLE start_program(const std::string& arguments, const std::string& program, const char* folder)
{
    std::string line = quote_path(program) + " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info)) {
        ADD_FAILURE() << "cannot start " << program << " (error " << GetLastError() << ")";
        return nullptr;
    }
    CloseHandle(info.hThread);
    return info.hProcess;
}

Started::~Started()
{
    if (!process) return;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

struct ProgramWindows {
    DWORD process;
    std::vector<HWND> main_windows;
};

static BOOL CALLBACK collect(HWND window, LPARAM lparam)
{
    ProgramWindows* found = (ProgramWindows*)lparam;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window_class(window) == "VELMORACLASS" && (!found->process || process == found->process)) {
        found->main_windows.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> main_windows(DWORD process)
{
    ProgramWindows found = {process, {}};
    EnumWindows(collect, (LPARAM)&found);
    std::vector<HWND> visible;
    for (HWND w : found.main_windows) {
        if (IsWindowVisible(w)) visible.push_back(w);
    }
    return visible;
}

std::string cross_process_status(HWND main)
{
    char text[512] = {0};
    GetDlgItemTextA(main, IDC_STATUS, text, sizeof text);
    return utf8(text);
}

// ---- the table, through memory in the program's address space ---------------

// LVITEMA as a 32-bit program lays it out.
struct ListItem32 {
    uint32_t mask;
    int32_t  item;
    int32_t  sub_item;
    uint32_t state;
    uint32_t state_mask;
    uint32_t text;
    int32_t  text_max;
    int32_t  image;
    uint32_t param;
};

struct RemoteList {
    HWND   table;
    HANDLE process;
    char*  memory;   // in the program: the item, then the text buffer
    bool   narrow;   // the program is 32-bit
};

const size_t ITEM_ROOM = 64;
const size_t TEXT_ROOM = 512;

static RemoteList open_list(HWND main)
{
    RemoteList list = {GetDlgItem(main, IDC_CHUNK_TABLE), nullptr, nullptr, sizeof(void*) == 4};
    DWORD id = 0;
    GetWindowThreadProcessId(main, &id);
    list.process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                               FALSE, id);
    if (!list.process) {
        ADD_FAILURE() << "cannot open the program's process (error " << GetLastError() << ")";
        return list;
    }
    BOOL wow = FALSE;
    if (IsWow64Process(list.process, &wow) && wow) list.narrow = true;
    list.memory = (char*)VirtualAllocEx(list.process, nullptr, ITEM_ROOM + TEXT_ROOM, MEM_COMMIT, PAGE_READWRITE);
    if (!list.memory) ADD_FAILURE() << "cannot allocate in the program (error " << GetLastError() << ")";
    return list;
}

static void close_list(RemoteList& list)
{
    if (list.memory) VirtualFreeEx(list.process, list.memory, 0, MEM_RELEASE);
    if (list.process) CloseHandle(list.process);
}

static LRESULT send_item(const RemoteList& list, UINT message, WPARAM wparam, const ListItem32& item32)
{
    LVITEMA item = {};
    item.mask = item32.mask;
    item.iSubItem = item32.sub_item;
    item.state = item32.state;
    item.stateMask = item32.state_mask;
    item.pszText = list.memory + ITEM_ROOM;
    item.cchTextMax = item32.text_max;
    const void* bytes = list.narrow ? (const void*)&item32 : (const void*)&item;
    size_t size = list.narrow ? sizeof item32 : sizeof item;
    if (!WriteProcessMemory(list.process, list.memory, bytes, size, nullptr)) return 0;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(list.table, message, wparam, (LPARAM)list.memory, SMTO_NORMAL, ANSWER_MS, &result)) {
        ADD_FAILURE() << "the table did not answer message 0x" << std::hex << message;
    }
    return (LRESULT)result;
}

static std::string cell(const RemoteList& list, int row, int column)
{
    ListItem32 item = {};
    item.sub_item = column;
    item.text = (uint32_t)(uintptr_t)(list.memory + ITEM_ROOM);
    item.text_max = (int32_t)TEXT_ROOM;
    char text[TEXT_ROOM + 1] = {0};
    WriteProcessMemory(list.process, list.memory + ITEM_ROOM, text, TEXT_ROOM, nullptr);
    send_item(list, LVM_GETITEMTEXTA, row, item);
    ReadProcessMemory(list.process, list.memory + ITEM_ROOM, text, TEXT_ROOM, nullptr);
    return utf8(text);
}

static int list_rows(HWND main)
{
    DWORD_PTR count = 0;
    SendMessageTimeoutA(GetDlgItem(main, IDC_CHUNK_TABLE), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, ANSWER_MS, &count);
    return (int)count;
}

std::vector<std::string> cross_process_rows(HWND main)
{
    std::vector<std::string> rows;
    RemoteList list = open_list(main);
    if (list.memory) {
        int count = list_rows(main);
        for (int row = 0; row < count; row++) {
            std::string line;
            for (int column = 0; column < COLUMNS; column++) line += (column ? "|" : "") + cell(list, row, column);
            rows.push_back(line);
        }
    }
    close_list(list);
    return rows;
}

std::vector<int> cross_process_selection(HWND main)
{
    std::vector<int> rows;
    int count = list_rows(main);
    for (int row = 0; row < count; row++) {
        DWORD_PTR state = 0;
        SendMessageTimeoutA(GetDlgItem(main, IDC_CHUNK_TABLE), LVM_GETITEMSTATE, row, LVIS_SELECTED, SMTO_NORMAL,
                            ANSWER_MS, &state);
        if (state & LVIS_SELECTED) rows.push_back(row);
    }
    return rows;
}

void cross_process_select(HWND main, const std::vector<int>& rows)
{
    RemoteList list = open_list(main);
    if (list.memory) {
        ListItem32 item = {};
        item.state_mask = LVIS_SELECTED;
        send_item(list, LVM_SETITEMSTATE, (WPARAM)-1, item);
        item.state = LVIS_SELECTED;
        for (int row : rows) send_item(list, LVM_SETITEMSTATE, row, item);
    }
    close_list(list);
}

// ---- dialogs and waiting ----------------------------------------------------

struct DialogSearch {
    DWORD process;
    int control_id;   // 0: a message box
    HWND found;
};

static bool is_message_box(HWND window)
{
    return GetDlgItem(window, BOX_TEXT) && GetDlgItem(window, BOX_ICON) && !GetDlgItem(window, FILE_TYPES);
}

static BOOL CALLBACK match_dialog(HWND window, LPARAM lparam)
{
    DialogSearch* search = (DialogSearch*)lparam;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process && IsWindowVisible(window) && window_class(window) == "#32770" &&
        (search->control_id ? GetDlgItem(window, search->control_id) != nullptr : is_message_box(window))) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND process_dialog(DWORD process, int control_id)
{
    DialogSearch search = {process, control_id, nullptr};
    EnumWindows(match_dialog, (LPARAM)&search);
    return search.found;
}

std::string box_text(HWND box)
{
    char caption[256] = {0}, text[1024] = {0};
    GetWindowTextA(box, caption, sizeof caption);
    GetDlgItemTextA(box, BOX_TEXT, text, sizeof text);
    return utf8(caption) + "|" + utf8(text);
}

HWND file_name_control(HWND dialog)
{
    HWND combo = GetDlgItem(dialog, FILE_NAME_COMBO);
    return combo ? combo : GetDlgItem(dialog, FILE_NAME_EDIT);
}

void choose_file(HWND dialog, const std::string& path)
{
    SendMessageA(file_name_control(dialog), WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
}

HWND process_box(DWORD process) { return process_dialog(process, 0); }

void pump_own_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool wait_exit(HANDLE process, DWORD* code, const char* what)
{
    bool ended = wait_until([&] {
        pump_own_messages();
        return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    }, what);
    GetExitCodeProcess(process, code);
    return ended;
}
