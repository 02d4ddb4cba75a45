#include "tests/win32/gui/GuiSupport.h"

#include <cstdio>
#include <cwchar>

#include "app/globals.h"

namespace {
std::string TempFile(const char* name) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}
}  // namespace

ScopedLanguageTable::ScopedLanguageTable(const std::string& content)
    : path_(TempFile("gui_tests_table.ini")), previous_(g_strLanguageFile) {
    if (FILE* f = std::fopen(path_.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());  // drop any cached copy
    g_strLanguageFile = path_;
}

ScopedLanguageTable::~ScopedLanguageTable() {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());
    ::DeleteFileA(path_.c_str());
    g_strLanguageFile = previous_;
}

ScopedMissingTable::ScopedMissingTable() : previous_(g_strLanguageFile) {
    g_strLanguageFile = TempFile("gui_tests_no_such_table.ini");
    ::DeleteFileA(g_strLanguageFile.c_str());
}

ScopedMissingTable::~ScopedMissingTable() { g_strLanguageFile = previous_; }

std::string TextOf(HWND w) {
    char buffer[2048] = {};
    ::GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

namespace {
struct Script {
    CDialog* dialog;
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    int idleTicks = 0;
};
Script* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    Script* s = g_script;
    if (s == nullptr) return;
    if (s->next < s->steps.size()) {
        std::function<void()> step = s->steps[s->next++];
        step();
    } else if (++s->idleTicks > 50) {
        s->dialog->EndDialog(-2);
    }
}
}  // namespace

INT_PTR RunModalScript(CDialog& dialog, std::vector<std::function<void()>> steps) {
    Script script{&dialog, std::move(steps)};
    Script* outer = g_script;
    g_script = &script;
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ScriptTick);
    INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    g_script = outer;
    return result;
}

namespace {
struct Found {
    std::string caption;
    HWND hwnd = nullptr;
};
BOOL CALLBACK MatchDialog(HWND w, LPARAM param) {
    Found* f = reinterpret_cast<Found*>(param);
    char cls[32] = {};
    ::GetClassNameA(w, cls, sizeof cls);
    if (std::string(cls) == "#32770" && ::IsWindowVisible(w) && TextOf(w) == f->caption) {
        f->hwnd = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND FindThreadDialog(const std::string& caption) {
    Found f{caption};
    ::EnumThreadWindows(::GetCurrentThreadId(), &MatchDialog, reinterpret_cast<LPARAM>(&f));
    return f.hwnd;
}

namespace {
void PutString(std::vector<WORD>& t, const wchar_t* s) {
    for (; *s != L'\0'; ++s) t.push_back(static_cast<WORD>(*s));
    t.push_back(0);
}
void PutDword(std::vector<WORD>& t, DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
}
void AlignDword(std::vector<WORD>& t) {
    if (t.size() % 2 != 0) t.push_back(0);
}
}  // namespace

std::vector<WORD> BuildDialogTemplate(bool extended, const wchar_t* caption, const std::vector<TemplateItem>& items) {
    std::vector<WORD> t;
    DWORD style = WS_POPUP | WS_CAPTION | DS_SETFONT;
    if (extended) {
        t.push_back(1);
        t.push_back(0xFFFF);
        PutDword(t, 0);  // help id
        PutDword(t, 0);  // extended style
        PutDword(t, style);
    } else {
        PutDword(t, style);
        PutDword(t, 0);
    }
    t.push_back(static_cast<WORD>(items.size()));
    for (short v : {short(0), short(0), short(200), short(100)}) t.push_back(static_cast<WORD>(v));
    t.push_back(0);  // no menu
    t.push_back(0);  // default class
    PutString(t, caption);
    t.push_back(8);
    if (extended) {
        t.push_back(FW_NORMAL);
        t.push_back(0);  // italic, charset
    }
    PutString(t, L"MS Sans Serif");
    short y = 5;
    for (const TemplateItem& item : items) {
        AlignDword(t);
        DWORD itemStyle = WS_CHILD | WS_VISIBLE | item.style;
        if (extended) {
            PutDword(t, 0);
            PutDword(t, 0);
            PutDword(t, itemStyle);
        } else {
            PutDword(t, itemStyle);
            PutDword(t, 0);
        }
        for (short v : {short(5), y, short(150), short(10)}) t.push_back(static_cast<WORD>(v));
        y = static_cast<short>(y + 12);
        if (extended)
            PutDword(t, static_cast<DWORD>(item.id));
        else
            t.push_back(static_cast<WORD>(item.id));
        PutString(t, item.windowClass);
        PutString(t, item.text);
        t.push_back(0);  // no creation data
    }
    return t;
}

namespace {
INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }
}  // namespace

HWND CreateDialogFromTemplate(const std::vector<WORD>& dialogTemplate) {
    return ::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), nullptr,
                                        &InertDialogProc, 0);
}
