// servolt_driver: drives a running Servolt.exe from outside, the way an
// operator would, for the end-to-end suite.
//
// It reads one command per line on stdin and answers each with one line on
// stdout, "ok ..." or "error ...". Texts in commands and answers use C-style
// escapes (\n \r \t \\ \xHH) so that every byte survives the line protocol.
//
// Input goes to the program through its own message queue or window
// procedures: clicks are BM_CLICK / WM_LBUTTONDOWN sent to the control (the
// control then takes the focus itself, as with a real click), typing is
// WM_CHAR to the focused control, and navigation keys are posted as
// WM_KEYDOWN/WM_KEYUP so that they pass through the program's message loop
// (and its dialog keyboard handling) exactly like keys from the keyboard.
//
// Texts are read with the wide-character messages: across processes Wine 8
// hands back only the first character of some ANSI list and text messages.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kMainClass[] = "VANTREL_SERVER_SETUP";
const DWORD kSendTimeoutMs = 4000;

HWND g_main = nullptr;
DWORD g_pid = 0;
DWORD g_tid = 0;
HWND g_box = nullptr;  // the message box last found

std::string Escape(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7f) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        switch (c) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'x':
                if (i + 2 < s.size()) {
                    out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
                    i += 2;
                }
                break;
            default: out += c;
        }
    }
    return out;
}

void Reply(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Ok(const std::string& rest = std::string()) { Reply(rest.empty() ? "ok" : "ok " + rest); }
void Fail(const std::string& why) { Reply("error " + why); }

std::string WindowText(HWND w) {
    int n = static_cast<int>(SendMessageW(w, WM_GETTEXTLENGTH, 0, 0));
    std::vector<wchar_t> wide(static_cast<size_t>(n) + 2);
    SendMessageW(w, WM_GETTEXT, static_cast<WPARAM>(wide.size()), reinterpret_cast<LPARAM>(wide.data()));
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, &out[0], bytes, nullptr, nullptr);
    out.resize(std::strlen(out.c_str()));
    return out;
}

std::string ClassOf(HWND w) {
    char name[128] = "";
    GetClassNameA(w, name, sizeof name);
    return name;
}

bool Wait(DWORD ms, bool (*done)()) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        Sleep(20);
    }
}

HWND TabControl() { return g_main ? FindWindowExA(g_main, nullptr, "SysTabControl32", nullptr) : nullptr; }

HWND CurrentPage() {
    HWND tab = TabControl();
    return tab ? FindWindowExA(tab, nullptr, "#32770", nullptr) : nullptr;
}

HWND ControlBar() { return g_main ? FindWindowExA(g_main, nullptr, "#32770", nullptr) : nullptr; }

// A control by id: the live page first, then the control bar, then the box.
HWND Control(int id) {
    HWND w = nullptr;
    if (HWND page = CurrentPage()) w = GetDlgItem(page, id);
    if (!w) {
        if (HWND bar = ControlBar()) w = GetDlgItem(bar, id);
    }
    if (!w && g_box && IsWindow(g_box)) w = GetDlgItem(g_box, id);
    return w;
}

HWND FocusWindow() {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!g_tid || !GetGUIThreadInfo(g_tid, &info)) return nullptr;
    return info.hwndFocus;
}

// The control that holds the focus, as the id of the page or bar control
// (the edit part of a combo box counts as the combo box).
int FocusId() {
    HWND f = FocusWindow();
    if (!f) return 0;
    HWND parent = GetParent(f);
    if (parent && ClassOf(parent) == "ComboBox") f = parent;
    return GetDlgCtrlID(f);
}

HWND ClickTarget(HWND control) {
    // The edit part of a drop-down combo box is what a click lands on.
    if (ClassOf(control) == "ComboBox") {
        if (HWND edit = FindWindowExA(control, nullptr, "Edit", nullptr)) return edit;
    }
    return control;
}

bool MainExists() { return FindWindowA(kMainClass, nullptr) != nullptr; }
bool MainVisible() {
    HWND w = FindWindowA(kMainClass, nullptr);
    if (!w || !IsWindowVisible(w)) return false;
    HWND tab = FindWindowExA(w, nullptr, "SysTabControl32", nullptr);
    return tab && FindWindowExA(tab, nullptr, "#32770", nullptr) != nullptr;
}
bool MainGone() { return !MainExists(); }

struct BoxSearch {
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<BoxSearch*>(lp);
    if (!IsWindowVisible(w) || ClassOf(w) != "#32770") return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HWND owner = GetWindow(w, GW_OWNER);
    if ((g_main && owner == g_main) || (g_pid && pid == g_pid)) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}

HWND FindBox() {
    BoxSearch search = {nullptr};
    EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool BoxShown() { return FindBox() != nullptr; }

std::string RectText(HWND w, char separator = ' ') {
    RECT r;
    GetWindowRect(w, &r);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%ld%c%ld%c%ld%c%ld", r.left, separator, r.top, separator, r.right - r.left,
                  separator, r.bottom - r.top);
    return buf;
}

// Sends a message, giving up after a while: a click may open a modal box,
// and the driver must stay free to answer it.
bool SendWithTimeout(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr) {
    DWORD_PTR r = 0;
    LRESULT ok = SendMessageTimeoutA(w, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &r);
    if (result) *result = static_cast<LRESULT>(r);
    return ok != 0;
}

void ClickInside(HWND target) {
    SendWithTimeout(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendWithTimeout(target, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

void PostKey(HWND target, UINT vk) {
    UINT scan = MapVirtualKeyA(vk, 0);
    PostMessageA(target, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, vk, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

UINT KeyCode(const std::string& name) {
    if (name == "tab") return VK_TAB;
    if (name == "enter") return VK_RETURN;
    if (name == "space") return VK_SPACE;
    if (name == "escape") return VK_ESCAPE;
    if (name == "down") return VK_DOWN;
    if (name == "up") return VK_UP;
    if (name == "home") return VK_HOME;
    return 0;
}

bool SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!mem) {
        CloseClipboard();
        return false;
    }
    std::memcpy(GlobalLock(mem), text.c_str(), text.size() + 1);
    GlobalUnlock(mem);
    bool ok = SetClipboardData(CF_TEXT, mem) != nullptr;
    CloseClipboard();
    return ok;
}

std::vector<std::string> Split(const std::string& line, size_t maxParts) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < line.size() && parts.size() + 1 < maxParts) {
        size_t sp = line.find(' ', i);
        if (sp == std::string::npos) break;
        parts.push_back(line.substr(i, sp - i));
        i = sp + 1;
    }
    if (i <= line.size()) parts.push_back(line.substr(i));
    return parts;
}

int ToInt(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 0)); }

HWND RequireControl(const std::string& idText) {
    HWND w = Control(ToInt(idText));
    if (!w) Fail("no control " + idText);
    return w;
}

void Handle(const std::string& line) {
    std::vector<std::string> a = Split(line, 3);
    const std::string& cmd = a[0];

    if (cmd == "attach") {  // attach <timeout ms>
        DWORD ms = a.size() > 1 ? static_cast<DWORD>(ToInt(a[1])) : 20000;
        if (!Wait(ms, MainVisible)) return Fail("no visible main window");
        g_main = FindWindowA(kMainClass, nullptr);
        g_tid = GetWindowThreadProcessId(g_main, &g_pid);
        return Ok(std::to_string(g_pid));
    }
    if (cmd == "waitclass") {  // waitclass <class> <timeout ms>: a visible top-level window
        if (a.size() < 3) return Fail("waitclass <class> <timeout ms>");
        DWORD start = GetTickCount(), ms = static_cast<DWORD>(ToInt(a[2]));
        for (;;) {
            HWND w = FindWindowA(a[1].c_str(), nullptr);
            if (w && IsWindowVisible(w)) return Ok();
            if (GetTickCount() - start >= ms) return Fail("no such window");
            Sleep(2);
        }
    }
    if (cmd == "closeclass") {  // closeclass <class>: WM_CLOSE posted to that window
        HWND w = a.size() > 1 ? FindWindowA(a[1].c_str(), nullptr) : nullptr;
        if (!w) return Fail("no such window");
        PostMessageA(w, WM_CLOSE, 0, 0);
        return Ok();
    }
    if (cmd == "gone") {  // gone <timeout ms>: the main window has closed
        DWORD ms = a.size() > 1 ? static_cast<DWORD>(ToInt(a[1])) : 10000;
        return Wait(ms, MainGone) ? Ok() : Fail("main window still open");
    }
    if (!g_main || !IsWindow(g_main)) return Fail("not attached");

    if (cmd == "info") {  // geometry and styles, for the layout checks
        HWND tab = TabControl(), page = CurrentPage(), bar = ControlBar();
        char buf[512];
        RECT client, tabRect, pageRect, barRect;
        GetClientRect(g_main, &client);
        GetWindowRect(tab, &tabRect);
        GetWindowRect(page, &pageRect);
        GetWindowRect(bar, &barRect);
        POINT origin = {0, 0};
        ClientToScreen(g_main, &origin);
        std::snprintf(buf, sizeof buf,
                      "window=%s style=0x%08lX exstyle=0x%08lX classstyle=0x%08lX client=%ldx%ld "
                      "tab=%ld,%ld,%ld,%ld page=%ld,%ld,%ld,%ld bar=%ld,%ld,%ld,%ld screen=%dx%d",
                      RectText(g_main, ',').c_str(), GetWindowLongA(g_main, GWL_STYLE),
                      GetWindowLongA(g_main, GWL_EXSTYLE), GetClassLongA(g_main, GCL_STYLE),
                      client.right, client.bottom, tabRect.left - origin.x, tabRect.top - origin.y,
                      tabRect.right - tabRect.left, tabRect.bottom - tabRect.top,
                      pageRect.left - tabRect.left, pageRect.top - tabRect.top,
                      pageRect.right - pageRect.left, pageRect.bottom - pageRect.top,
                      barRect.left - origin.x, barRect.top - origin.y, barRect.right - barRect.left,
                      barRect.bottom - barRect.top, GetSystemMetrics(SM_CXSCREEN),
                      GetSystemMetrics(SM_CYSCREEN));
        return Ok(buf);
    }
    if (cmd == "title") return Ok(Escape(WindowText(g_main)));
    if (cmd == "rect") {  // rect main|box
        HWND w = (a.size() > 1 && a[1] == "box") ? g_box : g_main;
        if (!w || !IsWindow(w)) return Fail("no such window");
        return Ok(RectText(w));
    }
    if (cmd == "tabs") {  // the tab labels, tab-separated
        // The tab control fills a TCITEM in its own address space, so the
        // item and its text buffer are placed there.
        HWND tab = TabControl();
        int n = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, g_pid);
        if (!process) return Fail("cannot open the process");
        const size_t textSize = 256;
        char* remote = static_cast<char*>(
            VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + textSize, MEM_COMMIT, PAGE_READWRITE));
        std::string out;
        for (int i = 0; remote && i < n; ++i) {
            TCITEMA item = {};
            item.mask = TCIF_TEXT;
            item.pszText = remote + sizeof(TCITEMA);
            item.cchTextMax = static_cast<int>(textSize);
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
            char text[textSize + 1] = "";
            ReadProcessMemory(process, remote + sizeof(TCITEMA), text, textSize, nullptr);
            if (i) out += '\t';
            out += text;
        }
        if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        return Ok(Escape(out));
    }
    if (cmd == "cursel") return Ok(std::to_string(SendMessageA(TabControl(), TCM_GETCURSEL, 0, 0)));
    if (cmd == "tab") {  // tab <index>: selects it like a click on the tab
        int index = a.size() > 1 ? ToInt(a[1]) : 0;
        if (!SendWithTimeout(TabControl(), TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0))
            return Fail("tab control did not answer");
        int sel = static_cast<int>(SendMessageA(TabControl(), TCM_GETCURSEL, 0, 0));
        return Ok(std::to_string(sel));
    }
    if (cmd == "haspage") return Ok(CurrentPage() ? "1" : "0");
    if (cmd == "ids") {  // the ids of the live page's controls, in z-order
        HWND page = CurrentPage();
        if (!page) return Fail("no page");
        std::string out;
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (!out.empty()) out += ' ';
            out += std::to_string(GetDlgCtrlID(c));
        }
        return Ok(out);
    }
    if (cmd == "get") {  // get <id>: the control's text
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(Escape(WindowText(w)));
    }
    if (cmd == "checked") {
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(std::to_string(SendMessageA(w, BM_GETCHECK, 0, 0)));
    }
    if (cmd == "visible") {
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(IsWindowVisible(w) ? "1" : "0");
    }
    if (cmd == "style") {
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        char buf[64];
        std::snprintf(buf, sizeof buf, "0x%08lX %s", GetWindowLongA(w, GWL_STYLE), ClassOf(w).c_str());
        return Ok(buf);
    }
    if (cmd == "cursor") {  // cursor <id>: the selected index of a combo box
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(std::to_string(SendMessageA(w, CB_GETCURSEL, 0, 0)));
    }
    if (cmd == "count") {  // count <id>: the entries of a list box
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(std::to_string(SendMessageA(w, LB_GETCOUNT, 0, 0)));
    }
    // List boxes (Maps/Rotation and Mods pages).
    if (cmd == "lbitems") {  // lbitems <id>: "<item data> <text>" per entry, tab-separated
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        int n = static_cast<int>(SendMessageA(w, LB_GETCOUNT, 0, 0));
        std::string out;
        for (int i = 0; i < n; ++i) {
            LRESULT length = SendMessageW(w, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            std::vector<wchar_t> wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
            SendMessageW(w, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide.data()));
            std::vector<char> text(wide.size() * 2 + 1, '\0');
            WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text.data(), static_cast<int>(text.size()), nullptr,
                                nullptr);
            if (i) out += '\t';
            out += std::to_string(SendMessageA(w, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) + " " + text.data();
        }
        return Ok(Escape(out));
    }
    if (cmd == "lbcursel") {  // lbcursel <id>: the selected index of a list box, -1 for none
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        return Ok(std::to_string(SendMessageA(w, LB_GETCURSEL, 0, 0)));
    }
    if (cmd == "lbpick" || cmd == "lbdouble") {  // lbpick|lbdouble <id> <index>: a click or double-click on it
        if (a.size() < 3) return Fail(cmd + " <id> <index>");
        HWND w = RequireControl(a[1]);
        if (!w) return;
        int index = ToInt(a[2]);
        if (index < 0 || index >= SendMessageA(w, LB_GETCOUNT, 0, 0)) return Fail("no such entry");
        SendWithTimeout(w, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        LRESULT top = SendMessageA(w, LB_GETTOPINDEX, 0, 0);
        LRESULT height = SendMessageA(w, LB_GETITEMHEIGHT, 0, 0);
        LPARAM at = MAKELPARAM(5, static_cast<int>((index - top) * height + height / 2));
        SendWithTimeout(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendWithTimeout(w, WM_LBUTTONUP, 0, at);
        if (cmd == "lbdouble") {
            SendWithTimeout(w, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendWithTimeout(w, WM_LBUTTONUP, 0, at);
        }
        return Ok(std::to_string(SendMessageA(w, LB_GETCURSEL, 0, 0)));
    }
    if (cmd == "items") {  // items <id>: a combo box's entries, tab-separated
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        int n = static_cast<int>(SendMessageA(w, CB_GETCOUNT, 0, 0));
        std::string out;
        for (int i = 0; i < n; ++i) {
            wchar_t wide[512] = L"";
            SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
            char text[1024] = "";
            WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
            if (i) out += '\t';
            out += text;
        }
        return Ok(Escape(out));
    }
    if (cmd == "focus") {  // focus <id>: clicks into the control
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        ClickInside(ClickTarget(w));
        return Ok(std::to_string(FocusId()));
    }
    if (cmd == "focusid") return Ok(std::to_string(FocusId()));
    if (cmd == "selectall") {  // selects the whole text of the focused box
        HWND f = FocusWindow();
        if (!f) return Fail("no focus");
        SendWithTimeout(f, EM_SETSEL, 0, -1);
        return Ok();
    }
    if (cmd == "type") {  // type <text>: characters into the focused control
        HWND f = FocusWindow();
        if (!f) return Fail("no focus");
        std::string text = Unescape(line.size() > 5 ? line.substr(5) : std::string());
        for (unsigned char c : text) {
            if (c == '\n') {
                SendWithTimeout(f, WM_CHAR, '\r', 1);
                continue;
            }
            SendWithTimeout(f, WM_CHAR, c, 1);
        }
        return Ok();
    }
    if (cmd == "paste") {  // paste <count> <text>: the text repeated, via the clipboard
        if (a.size() < 3) return Fail("paste <count> <text>");
        HWND f = FocusWindow();
        if (!f) return Fail("no focus");
        std::string unit = Unescape(a[2]), text;
        for (int i = 0; i < ToInt(a[1]); ++i) text += unit;
        if (!SetClipboardText(text)) return Fail("clipboard");
        SendWithTimeout(f, WM_PASTE, 0, 0);
        return Ok(std::to_string(text.size()));
    }
    if (cmd == "key") {  // key <name>: through the program's message queue
        UINT vk = KeyCode(a.size() > 1 ? a[1] : "");
        HWND f = FocusWindow();
        if (!vk || !f) return Fail("no key or no focus");
        HWND before = f;
        PostKey(f, vk);
        if (vk == VK_TAB) {
            DWORD start = GetTickCount();
            while (FocusWindow() == before && GetTickCount() - start < 3000) Sleep(10);
        } else {
            Sleep(150);
        }
        return Ok(std::to_string(FocusId()));
    }
    if (cmd == "altf4") {  // Alt+F4 on the focused control, through the queue
        HWND f = FocusWindow();
        if (!f) return Fail("no focus");
        UINT scan = MapVirtualKeyA(VK_F4, 0);
        PostMessageA(f, WM_SYSKEYDOWN, VK_F4, 1 | (scan << 16) | (1u << 29));
        PostMessageA(f, WM_SYSKEYUP, VK_F4, 1 | (scan << 16) | (1u << 29) | (1u << 30) | (1u << 31));
        return Ok();
    }
    if (cmd == "keys") {  // keys <digits and letters>: key presses through the queue
        HWND f = FocusWindow();
        if (!f) return Fail("no focus");
        std::string text = line.size() > 5 ? line.substr(5) : std::string();
        for (char c : text) {
            SHORT vk = VkKeyScanA(c);
            if (vk == -1 || (vk & 0xFF00)) return Fail("only unshifted keys");
            PostKey(f, static_cast<UINT>(vk & 0xFF));
        }
        // The keys are handled in order; wait until the last one has been.
        int n = GetWindowTextLengthA(f);
        DWORD start = GetTickCount();
        for (;;) {
            Sleep(50);
            int now = GetWindowTextLengthA(f);
            if (now == n && GetTickCount() - start > 300) break;
            n = now;
            if (GetTickCount() - start > 5000) break;
        }
        return Ok(Escape(WindowText(f)));
    }
    if (cmd == "choose") {  // choose <id> <index>: picks an entry with the arrow keys
        if (a.size() < 3) return Fail("choose <id> <index>");
        HWND w = RequireControl(a[1]);
        if (!w) return;
        int want = ToInt(a[2]);
        ClickInside(ClickTarget(w));
        for (int step = 0; step < 64; ++step) {
            int cur = static_cast<int>(SendMessageA(w, CB_GETCURSEL, 0, 0));
            if (cur == want) return Ok(std::to_string(cur));
            PostKey(ClickTarget(w), cur < want ? VK_DOWN : VK_UP);
            DWORD start = GetTickCount();
            while (SendMessageA(w, CB_GETCURSEL, 0, 0) == cur && GetTickCount() - start < 2000) Sleep(10);
        }
        return Fail("could not reach the entry");
    }
    if (cmd == "click") {  // click <id>: a button, as with the mouse
        HWND w = RequireControl(a.size() > 1 ? a[1] : "");
        if (!w) return;
        bool done = SendWithTimeout(w, BM_CLICK, 0, 0);
        return Ok(done ? "done" : "pending");
    }
    if (cmd == "box") {  // box <timeout ms>: waits for a message box
        DWORD ms = a.size() > 1 ? static_cast<DWORD>(ToInt(a[1])) : 5000;
        if (!Wait(ms, BoxShown)) return Fail("no message box");
        g_box = FindBox();
        Sleep(200);  // let it finish painting before a screenshot
        HWND text = GetDlgItem(g_box, 0xFFFF);
        HWND owner = GetWindow(g_box, GW_OWNER);
        std::string ownerText = owner == g_main ? "main" : owner ? "other" : "none";
        return Ok(ownerText + "\t" + Escape(WindowText(g_box)) + "\t" +
                  Escape(text ? WindowText(text) : std::string()));
    }
    if (cmd == "nobox") {  // nobox <ms>: no message box appears in that time
        DWORD ms = a.size() > 1 ? static_cast<DWORD>(ToInt(a[1])) : 1000;
        return Wait(ms, BoxShown) ? Fail("a message box is shown") : Ok();
    }
    if (cmd == "buttons") {  // the ids of the box's buttons
        if (!g_box || !IsWindow(g_box)) return Fail("no box");
        std::string out;
        for (HWND c = GetWindow(g_box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            if (ClassOf(c) != "Button") continue;
            if (!out.empty()) out += ' ';
            out += std::to_string(GetDlgCtrlID(c));
        }
        return Ok(out);
    }
    if (cmd == "answer") {  // answer ok|cancel: clicks that button of the box
        if (!g_box || !IsWindow(g_box)) return Fail("no box");
        int id = (a.size() > 1 && a[1] == "cancel") ? IDCANCEL : IDOK;
        HWND button = GetDlgItem(g_box, id);
        if (!button) return Fail("the box has no such button");
        PostMessageA(button, BM_CLICK, 0, 0);
        HWND box = g_box;
        DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < 5000) Sleep(20);
        if (IsWindow(box)) return Fail("box still open");
        g_box = nullptr;
        return Ok();
    }
    if (cmd == "close") {  // the caption's close box
        PostMessageA(g_main, WM_SYSCOMMAND, SC_CLOSE, 0);
        return Ok();
    }
    if (cmd == "post-close") {  // a WM_CLOSE posted to the queue
        PostMessageA(g_main, WM_CLOSE, 0, 0);
        return Ok();
    }
    Fail("unknown command " + cmd);
}

}  // namespace

int main() {
    char line[1 << 16];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
        if (s.empty()) continue;
        if (s == "quit") break;
        Handle(s);
    }
    return 0;
}
