#include "app/gui_harness_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <iterator>
#include <mutex>
#include <set>

#include "app/app.h"
#include "app/first_argument.h"
#include "repair/repair_search.h"
#include "resource_ids.h"

// Controls that only the common file dialogs have.
const int FILE_DIALOG_CONTROLS[] = {FILE_NAME_COMBO, FILE_NAME_EDIT, FILE_TYPES};
const DWORD REPLY_TIMEOUT_MS = 20000;

// ---- texts ------------------------------------------------------------------

static std::string convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty()) return text;
    int wide_length = MultiByteToWideChar(from, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring wide(wide_length, L'\0');
    MultiByteToWideChar(from, 0, text.data(), (int)text.size(), &wide[0], wide_length);
    int length = WideCharToMultiByte(to, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string out(length, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wide_length, &out[0], length, nullptr, nullptr);
    return out;
}

std::string utf8(const std::string& cp932) { return convert(cp932, 932, CP_UTF8); }

// ---- state shared by the test thread, the program's thread and the watcher ----

struct WindowRecord {
    HWND        window;
    std::string class_name;
    std::string caption;    // taken when the window is destroyed
};

struct Job {
    void (*function)(void*);
    void*  argument;
    HANDLE done;            // null: nobody waits, the hook frees the job
};

static std::mutex s_lock;   // guards everything below that two threads touch
static HANDLE s_thread;
static std::atomic<DWORD> s_thread_id{0};
static HWND s_main;
static std::string s_command_line;
static bool s_broken;
static UINT s_job_message;
static HANDLE s_ready;

static std::atomic<bool> s_hold_armed{false};
static HANDLE s_held;
static HANDLE s_release;

static std::vector<BoxRecord> s_boxes;
static std::vector<int> s_script;
static std::set<HWND> s_boxes_handled;
static HWND s_held_box;
static std::vector<WindowRecord> s_windows;
static std::vector<std::string> s_status;

// ---- hooks on the program's thread ------------------------------------------

static void run_job(Job* job)
{
    if (job->function) job->function(job->argument);
    if (job->done) SetEvent(job->done);
    else delete job;
}

// Runs the harness's jobs, and holds the thread inside a repair when asked to.
// It only acts on messages that are being removed, so a peek does not count.
static LRESULT CALLBACK message_hook(int code, WPARAM removal, LPARAM lparam)
{
    if (code >= 0 && removal == PM_REMOVE) {
        MSG* msg = (MSG*)lparam;
        if (msg->hwnd == nullptr && msg->message == s_job_message) {
            run_job((Job*)msg->lParam);
            msg->message = WM_NULL;
        }
        if (g_busy && s_hold_armed.exchange(false)) {
            SetEvent(s_held);
            WaitForSingleObject(s_release, 60000);
        }
    }
    return CallNextHookEx(nullptr, code, removal, lparam);
}

static std::string class_of(HWND window)
{
    char name[64] = {0};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Records what was written into the status control, after the control took it.
static LRESULT CALLBACK return_hook(int code, WPARAM wparam, LPARAM lparam)
{
    const CWPRETSTRUCT* call = (const CWPRETSTRUCT*)lparam;
    if (code >= 0 && call->message == WM_SETTEXT && GetDlgCtrlID(call->hwnd) == IDC_STATUS &&
        class_of(GetParent(call->hwnd)) == MAIN_WINDOW_CLASS) {
        char text[512] = {0};
        GetWindowTextA(call->hwnd, text, sizeof text);
        std::lock_guard<std::mutex> guard(s_lock);
        s_status.push_back(utf8(text));
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// Records every top-level dialog, menu and main window the program creates.
static LRESULT CALLBACK creation_hook(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == HCBT_CREATEWND) {
        const CBT_CREATEWNDA* create = (const CBT_CREATEWNDA*)lparam;
        std::string name = class_of((HWND)wparam);
        if (!(create->lpcs->style & WS_CHILD) &&
            (name == "#32770" || name == "#32768" || name == MAIN_WINDOW_CLASS)) {
            std::lock_guard<std::mutex> guard(s_lock);
            s_windows.push_back({(HWND)wparam, name, ""});
        }
    } else if (code == HCBT_DESTROYWND) {
        char text[512] = {0};
        GetWindowTextA((HWND)wparam, text, sizeof text);
        std::lock_guard<std::mutex> guard(s_lock);
        for (WindowRecord& record : s_windows) {
            if (record.window == (HWND)wparam && record.caption.empty()) record.caption = utf8(text);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

static int s_exit_code;   // what run_first_instance returned

static DWORD WINAPI program_thread(LPVOID)
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // the queue exists before anyone posts
    DWORD me = GetCurrentThreadId();
    HHOOK hooks[] = {
        SetWindowsHookExA(WH_GETMESSAGE, message_hook, nullptr, me),
        SetWindowsHookExA(WH_CALLWNDPROCRET, return_hook, nullptr, me),
        SetWindowsHookExA(WH_CBT, creation_hook, nullptr, me),
    };
    SetEvent(s_ready);
    reset_first_argument();
    s_exit_code = run_first_instance(GetModuleHandleA(nullptr), s_command_line.c_str());
    for (HHOOK hook : hooks) UnhookWindowsHookEx(hook);
    return 0;
}

// SendMessage to a window of the program, with a time limit: a test fails
// instead of hanging when the program stops answering.
static LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_NORMAL, REPLY_TIMEOUT_MS, &result) &&
        IsWindow(window)) {
        ADD_FAILURE() << "no answer within " << REPLY_TIMEOUT_MS << " ms to message 0x" << std::hex << message;
    }
    return (LRESULT)result;
}

// The watcher reads without reporting: a box may close while it is being read.
static std::string quiet_text(HWND window)
{
    char text[1024] = {0};
    DWORD_PTR ignored;
    if (window) {
        SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_NORMAL, REPLY_TIMEOUT_MS, &ignored);
    }
    return utf8(text);
}

// ---- message boxes ----------------------------------------------------------

static HWND child(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

static bool is_message_box(HWND window)
{
    if (class_of(window) != "#32770" || !child(window, BOX_TEXT) || !child(window, BOX_ICON)) return false;
    for (int id : FILE_DIALOG_CONTROLS) {
        if (child(window, id)) return false;
    }
    return true;
}

static std::string icon_name(HWND box)
{
    HWND icon_control = child(box, BOX_ICON);
    if (!icon_control || !IsWindowVisible(icon_control)) return "none";
    DWORD_PTR icon = 0;
    SendMessageTimeoutA(icon_control, STM_GETICON, 0, 0, SMTO_NORMAL, REPLY_TIMEOUT_MS, &icon);
    if (!icon) return "none";
    struct { LPCSTR id; const char* name; } icons[] = {
        {IDI_ERROR, "error"}, {IDI_WARNING, "warning"}, {IDI_INFORMATION, "information"},
        {IDI_QUESTION, "question"},
    };
    for (auto& known : icons) {
        if ((DWORD_PTR)LoadIconA(nullptr, known.id) == icon) return known.name;
    }
    return "other";
}

static std::string button_names(HWND box)
{
    struct { int id; const char* name; } buttons[] = {
        {IDOK, "OK"}, {IDCANCEL, "Cancel"}, {IDABORT, "Abort"}, {IDRETRY, "Retry"},
        {IDIGNORE, "Ignore"}, {IDYES, "Yes"}, {IDNO, "No"}, {IDTRYAGAIN, "TryAgain"},
        {IDCONTINUE, "Continue"},
    };
    std::string names;
    for (auto& button : buttons) {
        HWND control = child(box, button.id);
        if (control && IsWindowVisible(control)) names += (names.empty() ? "" : "/") + std::string(button.name);
    }
    return names;
}

static HWND main_window_of_thread();

static std::string owner_name(HWND box)
{
    HWND owner = GetWindow(box, GW_OWNER);
    HWND main = main_window_of_thread();
    if (!owner) return main && IsWindow(main) && !IsWindowEnabled(main) ? "none,task-modal" : "none";
    if (owner == main) return "main";
    if (child(owner, IDC_ABOUT_WEB)) return "about";
    return "dialog";
}

static std::string progress_fields()
{
    HWND progress = find_dialog_with(IDC_REPAIR_CANCEL);
    if (!progress) return "";
    return quiet_text(child(progress, IDC_REPAIR_LENGTH)) + "|" +
           quiet_text(child(progress, IDC_REPAIR_POSITION)) + "|" +
           quiet_text(child(progress, IDC_REPAIR_ESTIMATE));
}

static int default_answer(HWND box)
{
    for (int id : {IDNO, IDCANCEL, IDOK}) {
        HWND control = child(box, id);
        if (control && IsWindowVisible(control)) return id;
    }
    return IDCANCEL;
}

static void press_box_button(HWND box, int id)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)child(box, id));
}

static BOOL CALLBACK watch_window(HWND window, LPARAM)
{
    if (!IsWindowVisible(window) || !is_message_box(window)) return TRUE;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        if (s_boxes_handled.count(window)) return TRUE;
        s_boxes_handled.insert(window);
    }
    BoxRecord record;
    record.box = window;
    record.line = quiet_text(window) + "|" + quiet_text(child(window, BOX_TEXT)) + "|" +
                  icon_name(window) + "|" + button_names(window) + "|" + owner_name(window);
    record.progress = progress_fields();
    std::lock_guard<std::mutex> guard(s_lock);
    int answer = default_answer(window);
    if (!s_script.empty()) {
        answer = s_script.front();
        s_script.erase(s_script.begin());
    }
    if (answer == HOLD_BOX) {
        record.answer = 0;
        s_held_box = window;
    } else {
        record.answer = answer;
        press_box_button(window, answer);
    }
    s_boxes.push_back(record);
    return TRUE;
}

// Looks for new message boxes of the program every few milliseconds, for the
// whole life of the test process.
static DWORD WINAPI watcher_thread(LPVOID)
{
    for (;;) {
        Sleep(5);
        DWORD thread = s_thread_id;
        if (!thread) continue;
        EnumThreadWindows(thread, watch_window, 0);
        std::lock_guard<std::mutex> guard(s_lock);
        for (auto it = s_boxes_handled.begin(); it != s_boxes_handled.end();) {
            it = IsWindow(*it) ? std::next(it) : s_boxes_handled.erase(it);
        }
    }
    return 0;
}

void script_answers(const std::vector<int>& buttons)
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_script = buttons;
}

std::vector<BoxRecord> box_records()
{
    std::lock_guard<std::mutex> guard(s_lock);
    return s_boxes;
}

std::vector<std::string> boxes_seen()
{
    std::vector<std::string> lines;
    for (const BoxRecord& record : box_records()) lines.push_back(record.line);
    return lines;
}

void clear_boxes()
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_boxes.clear();
}

bool wait_boxes(size_t count, int timeout_ms)
{
    std::string what = std::to_string(count) + " message box(es)";
    return wait_until([&] { return box_records().size() >= count; }, what.c_str(), timeout_ms);
}

void answer_held_box(int button)
{
    HWND box;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        box = s_held_box;
        s_held_box = nullptr;
        for (BoxRecord& record : s_boxes) {
            if (record.box == box && record.answer == 0) record.answer = button;
        }
    }
    if (box) press_box_button(box, button);
}

// ---- one run ----------------------------------------------------------------

bool gui_prepare()
{
    s_job_message = RegisterWindowMessageA("VelmoraGuiTestJob");
    s_ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s_held = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!register_main_window_class(GetModuleHandleA(nullptr), MAIN_WINDOW_CLASS)) return false;
    CloseHandle(CreateThread(nullptr, 0, watcher_thread, nullptr, 0, nullptr));
    return true;
}

static HWND main_window_of_thread()
{
    HWND found = nullptr;
    EnumThreadWindows(s_thread_id, [](HWND window, LPARAM lparam) -> BOOL {
        if (class_of(window) == MAIN_WINDOW_CLASS) *(HWND*)lparam = window;
        return TRUE;
    }, (LPARAM)&found);
    return found;
}

bool gui_ended()
{
    return !s_thread || WaitForSingleObject(s_thread, 0) == WAIT_OBJECT_0;
}

bool gui_launch(const std::string& command_line, const std::vector<int>& answers)
{
    if (s_broken) {
        ADD_FAILURE() << "an earlier run of the program did not end; no further runs";
        return false;
    }
    if (s_thread) gui_stop();
    {
        std::lock_guard<std::mutex> guard(s_lock);
        s_boxes.clear();
        s_script = answers;
        s_boxes_handled.clear();
        s_held_box = nullptr;
        s_windows.clear();
        s_status.clear();
    }
    s_main = nullptr;
    s_command_line = command_line;
    DWORD id = 0;
    s_thread = CreateThread(nullptr, 0, program_thread, nullptr, CREATE_SUSPENDED, &id);
    s_thread_id = id;
    ResumeThread(s_thread);
    return WaitForSingleObject(s_ready, REPLY_TIMEOUT_MS) == WAIT_OBJECT_0;
}

bool gui_wait_shown()
{
    // The main window exists (hidden) while its initialisation loads the argument.
    bool shown = wait_until([] {
        if (gui_ended()) return true;
        s_main = main_window_of_thread();
        return s_main && IsWindowVisible(s_main);
    }, "the main window to appear", 30000);
    if (gui_ended()) {
        ADD_FAILURE() << "the program ended before its main window was shown";
        return false;
    }
    return shown && gui_sync();
}

bool gui_start(const std::string& command_line) { return gui_launch(command_line, {}) && gui_wait_shown(); }

static BOOL CALLBACK close_dialog(HWND window, LPARAM)
{
    if (!IsWindowVisible(window) || window == s_main) return TRUE;
    std::string name = class_of(window);
    if (name == "#32768") {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
    } else if (name == "#32770" && !is_message_box(window)) {
        if (child(window, IDC_REPAIR_CANCEL)) PostMessageA(child(window, IDC_REPAIR_CANCEL), BM_CLICK, 0, 0);
        else PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return TRUE;
}

bool gui_stop()
{
    if (!s_thread) return true;
    script_answers({});
    s_hold_armed = false;
    SetEvent(s_release);
    {
        std::lock_guard<std::mutex> guard(s_lock);
        if (s_held_box) press_box_button(s_held_box, default_answer(s_held_box));
        s_held_box = nullptr;
    }
    for (int round = 0; round < 20 && !gui_ended(); round++) {
        EnumThreadWindows(s_thread_id, close_dialog, 0);
        if (s_main && IsWindow(s_main)) PostMessageA(s_main, WM_SYSCOMMAND, SC_CLOSE, 0);
        WaitForSingleObject(s_thread, 1000);
    }
    if (!gui_ended()) {
        ADD_FAILURE() << "the program did not end after its main window was closed";
        s_broken = true;
        return false;
    }
    EXPECT_EQ(s_exit_code, 0) << "the program's run did not end with exit code 0";
    CloseHandle(s_thread);
    s_thread = nullptr;
    s_thread_id = 0;
    return true;
}

HWND gui_main() { return s_main; }
HWND gui_item(int id) { return child(s_main, id); }
DWORD gui_thread() { return s_thread_id; }
std::string quote_path(const std::string& path) { return "\"" + path + "\""; }

// ---- synchronisation --------------------------------------------------------

bool wait_failed(const char* what, int timeout_ms)
{
    ADD_FAILURE() << "timed out after " << timeout_ms << " ms waiting for " << what;
    return false;
}

static bool post_job(Job* job)
{
    return s_thread_id && !gui_ended() && PostThreadMessageA(s_thread_id, s_job_message, 0, (LPARAM)job);
}

bool gui_call(void (*function)(void*), void* argument)
{
    Job* job = new Job{function, argument, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    if (!post_job(job)) {
        CloseHandle(job->done);
        delete job;
        return false;
    }
    HANDLE waits[] = {job->done, s_thread};
    if (WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0) {
        CloseHandle(job->done);
        delete job;
        return true;
    }
    // Still queued, or the thread ended: the job and its event are left alive,
    // since the thread may yet run it.
    if (!gui_ended()) ADD_FAILURE() << "the program's thread took no message off its queue for 30 s";
    return false;
}

bool gui_sync() { return gui_call(nullptr, nullptr); }

// Runs on the program's thread, so that both messages are queued before the
// search starts: the click starts it, and its first look at the queue takes
// the second message, where the hook holds it.
static void click_repair_then_nudge(void*)
{
    PostMessageA(child(s_main, IDC_REPAIR), BM_CLICK, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), s_job_message, 0, (LPARAM)new Job{nullptr, nullptr, nullptr});
}

bool gui_start_repair_held()
{
    ResetEvent(s_held);
    ResetEvent(s_release);
    s_hold_armed = true;
    if (gui_call(click_repair_then_nudge, nullptr) && WaitForSingleObject(s_held, 30000) == WAIT_OBJECT_0) return true;
    s_hold_armed = false;
    ADD_FAILURE() << "the repair took no message off the queue: it did not start, or it ended at once";
    return false;
}

void gui_release() { SetEvent(s_release); }

// ---- records ----------------------------------------------------------------

std::vector<std::string> windows_opened()
{
    std::vector<WindowRecord> records;
    {
        std::lock_guard<std::mutex> guard(s_lock);
        records = s_windows;
    }
    std::vector<std::string> lines;
    for (const WindowRecord& record : records) {
        std::string caption = IsWindow(record.window) ? window_text(record.window) : record.caption;
        lines.push_back(record.class_name + "|" + caption);
    }
    return lines;
}

void clear_windows_opened()
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_windows.clear();
}

std::vector<std::string> status_history()
{
    std::lock_guard<std::mutex> guard(s_lock);
    return s_status;
}

void clear_status_history()
{
    std::lock_guard<std::mutex> guard(s_lock);
    s_status.clear();
}

// ---- reading ----------------------------------------------------------------

std::string window_text(HWND window)
{
    if (!window || !IsWindow(window)) return "";
    char text[1024] = {0};
    send(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return utf8(text);
}

std::string stored_text(HWND window)
{
    wchar_t text[1024] = {0};
    InternalGetWindowText(window, text, 1024);
    int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], length, nullptr, nullptr);
    return out;
}

std::string window_class(HWND window) { return class_of(window); }
std::string status_text() { return window_text(gui_item(IDC_STATUS)); }
std::string notice_text() { return window_text(gui_item(IDC_NOTICE)); }

int row_count() { return (int)send(gui_item(IDC_CHUNK_TABLE), LVM_GETITEMCOUNT, 0, 0); }

std::string table_row(int row)
{
    std::string line;
    for (int column = 0; column < 12; column++) {
        char text[512] = {0};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        send(gui_item(IDC_CHUNK_TABLE), LVM_GETITEMTEXTA, row, (LPARAM)&item);
        line += (column ? "|" : "") + utf8(text);
    }
    return line;
}

std::vector<std::string> table_rows()
{
    std::vector<std::string> rows;
    int count = row_count();
    for (int row = 0; row < count; row++) rows.push_back(table_row(row));
    return rows;
}

std::vector<int> selected_rows()
{
    std::vector<int> rows;
    int count = row_count();
    for (int row = 0; row < count; row++) {
        if (send(gui_item(IDC_CHUNK_TABLE), LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) rows.push_back(row);
    }
    return rows;
}

void select_rows(const std::vector<int>& rows)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    send(gui_item(IDC_CHUNK_TABLE), LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    item.state = LVIS_SELECTED;
    for (int row : rows) send(gui_item(IDC_CHUNK_TABLE), LVM_SETITEMSTATE, row, (LPARAM)&item);
}

RECT window_rect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT child_rect(HWND control)
{
    RECT rect = window_rect(control);
    MapWindowPoints(nullptr, GetParent(control), (POINT*)&rect, 2);
    return rect;
}

struct DialogSearch {
    std::string caption;
    int control_id;
    HWND found;
};

static BOOL CALLBACK match_dialog(HWND window, LPARAM lparam)
{
    DialogSearch* search = (DialogSearch*)lparam;
    if (!IsWindowVisible(window) || class_of(window) != "#32770") return TRUE;
    if (search->control_id ? child(window, search->control_id) != nullptr : window_text(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND find_dialog(const std::string& caption)
{
    DialogSearch search = {caption, 0, nullptr};
    if (s_thread_id) EnumThreadWindows(s_thread_id, match_dialog, (LPARAM)&search);
    return search.found;
}

HWND file_dialog() { return find_dialog_with(FILE_TYPES); }

std::string wide_window_text(HWND window)
{
    int length = GetWindowTextLengthW(window);
    std::wstring text((size_t)length + 1, L'\0');
    length = GetWindowTextW(window, &text[0], length + 1);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out((size_t)bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &out[0], bytes, nullptr, nullptr);
    return out;
}

HWND find_dialog_with(int control_id)
{
    DialogSearch search = {"", control_id, nullptr};
    if (s_thread_id) EnumThreadWindows(s_thread_id, match_dialog, (LPARAM)&search);
    return search.found;
}

static BOOL CALLBACK match_menu(HWND window, LPARAM lparam)
{
    if (IsWindowVisible(window) && class_of(window) == "#32768") {
        *(HWND*)lparam = window;
        return FALSE;
    }
    return TRUE;
}

HWND find_popup_menu()
{
    HWND found = nullptr;
    if (s_thread_id) EnumThreadWindows(s_thread_id, match_menu, (LPARAM)&found);
    return found;
}

bool takes_mouse(HWND control)
{
    RECT r = window_rect(control);
    return send(control, WM_NCHITTEST, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2)) != HTTRANSPARENT;
}

HWND focused_window()
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!s_thread_id || !GetGUIThreadInfo(s_thread_id, &info)) return nullptr;
    return info.hwndFocus;
}

static void list_menu(HMENU menu, const std::string& indent, std::vector<std::string>& lines)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; i++) {
        char text[256] = {0};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (info.fType & MFT_SEPARATOR) {
            lines.push_back(indent + "-");
        } else if (info.hSubMenu) {
            lines.push_back(indent + utf8(text) + ">");
            list_menu(info.hSubMenu, indent + "  ", lines);
        } else {
            lines.push_back(indent + utf8(text) + "=" + std::to_string(info.wID));
        }
    }
}

std::vector<std::string> menu_items(HMENU menu)
{
    std::vector<std::string> lines;
    if (menu) list_menu(menu, "", lines);
    return lines;
}

std::vector<unsigned char> shared_read(const std::string& path)
{
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), (DWORD)bytes.size(), &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// ---- input ------------------------------------------------------------------

static void set_control_key(void* down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

void press_key(UINT virtual_key, bool control)
{
    HWND target = focused_window();
    if (!target) target = s_main;
    // The key state belongs to the program's thread: set it there, in queue order.
    if (control) post_job(new Job{set_control_key, (void*)1, nullptr});
    LPARAM data = 1 | (MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC) << 16);
    PostMessageA(target, WM_KEYDOWN, virtual_key, data);
    PostMessageA(target, WM_KEYUP, virtual_key, data | 0xC0000000);
    if (control) post_job(new Job{set_control_key, nullptr, nullptr});
}

void post_command(int id) { PostMessageA(s_main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void click_button(int id, HWND dialog)
{
    PostMessageA(child(dialog ? dialog : s_main, id), BM_CLICK, 0, 0);
}

HGLOBAL drop_files(const std::vector<std::string>& paths)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL drop = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    DROPFILES* files = (DROPFILES*)GlobalLock(drop);
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* name = (char*)(files + 1);
    for (const std::string& path : paths) {
        memcpy(name, path.c_str(), path.size() + 1);
        name += path.size() + 1;
    }
    GlobalUnlock(drop);
    PostMessageA(s_main, WM_DROPFILES, (WPARAM)drop, 0);
    return drop;
}

bool hdrop_released(HGLOBAL drop) { return GlobalFlags(drop) == GMEM_INVALID_HANDLE; }
