#include "tests/win32/gui/GuiSupport.h"

#include <fstream>
#include <utility>

#include "app/globals.h"
#include "framework/WinApp.h"
#include "localization/win32/DialogStrings.h"
#include "resources/resource.h"

ScopedLanguageTable::ScopedLanguageTable(const char* content) : previous_(DialogStringsTable()) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    path_ = std::string(dir) + (content != nullptr ? "gui_tests_table.ini" : "gui_tests_no_such_table.ini");
    ::DeleteFileA(path_.c_str());
    if (content != nullptr) std::ofstream(path_, std::ios::binary) << content;
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());  // drop any cached copy
    SetDialogStringsTable(path_);
}

ScopedLanguageTable::~ScopedLanguageTable() {
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path_.c_str());
    ::DeleteFileA(path_.c_str());
    SetDialogStringsTable(previous_);
}

std::string TextOf(HWND w) {
    char buffer[2048] = {};
    ::GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::string Buttons(HWND wizard) {
    return {Enabled(wizard, ID_WIZBACK) ? 'B' : '-', Enabled(wizard, ID_WIZNEXT) ? 'N' : '-',
            Enabled(wizard, ID_WIZFINISH) ? 'F' : '-'};
}

void PostKey(WPARAM key) {
    ::PostMessageA(::GetFocus(), WM_KEYDOWN, key, 1);
    ::PostMessageA(::GetFocus(), WM_KEYUP, key, 0xC0000001);
}

void PostAlt(char c) { ::PostMessageA(::GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(c), 0x20000001); }

void HoldShift(bool down) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

bool FocusUsable(HWND wizard) {
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(wizard, focus) || !::IsWindowVisible(focus)) return false;
    for (HWND w = focus; w != wizard; w = ::GetParent(w))
        if (!::IsWindowEnabled(w)) return false;
    return true;
}

int EnabledDefault(HWND wizard) {
    LRESULT id = ::SendMessageA(wizard, DM_GETDEFID, 0, 0);
    return HIWORD(id) == DC_HASDEFID && Enabled(wizard, LOWORD(id)) ? LOWORD(id) : 0;
}

RECT RectIn(HWND window, HWND parent) {
    RECT r;
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {
struct Script { CDialog* dialog; std::vector<std::function<void()>> steps; size_t next; int idleTicks; };
Script* g_script = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (Script* s = g_script) {
        if (s->next < s->steps.size())
            s->steps[s->next++]();  // may run a nested modal loop, in which the next steps run
        else if (++s->idleTicks > 50)
            s->dialog->EndDialog(-2);
    }
}
}  // namespace

INT_PTR RunModalScript(CDialog& dialog, std::vector<std::function<void()>> steps) {
    Script script{&dialog, std::move(steps), 0, 0};
    Script* outer = std::exchange(g_script, &script);
    UINT_PTR timer = ::SetTimer(nullptr, 0, 20, &ScriptTick);
    INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, timer);
    g_script = outer;
    return result;
}

HWND FindVisibleDialog(const char* caption) {
    HWND w = ::FindWindowA("#32770", caption);
    return w != nullptr && ::IsWindowVisible(w) ? w : nullptr;
}

void RealWizardTest::SetUp() {
    table = std::make_unique<ScopedLanguageTable>(
        "[String]\r\nIDD102_Title=\r\nIDD102_12324=&Next\r\nIDD138_1042=Welcome to the Printer Driver Setup Wizard\r\n"
        "IDD137_1038=English\r\nIDD143_1019=must not appear\r\nIDD140_1060=Installing...\r\n");
    g_bInstalled = false;
    wizard.AddPage(&welcome, IDD_WELCOME);
    wizard.AddPage(&language, IDD_LANGUAGE);
    wizard.AddPage(&setting, IDD_SETTING);
    wizard.AddPage(&copy, IDD_COPY);
    AfxGetApp()->m_pMainWnd = &wizard;
    ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
    hwnd = wizard.m_hWnd;
}

void RealWizardTest::TearDown() {
    if (copy.IsWindow()) ::KillTimer(copy.m_hWnd, kInstallTimerId);  // the installation never runs here
    if (wizard.IsWindow()) wizard.DestroyWindow();
    AfxGetApp()->m_pMainWnd = nullptr;
    g_bInstalled = false;
}

void RealWizardTest::SelectSeries() {
    HWND list = setting.GetDlgItem(IDC_SERIES_LIST);
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    ::SendMessageA(setting.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SERIES_LIST, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
}

void RealWizardTest::ToProgressPage() {
    Press(ID_WIZNEXT, ID_WIZNEXT);
    SelectSeries();
    Press(ID_WIZNEXT);
    ASSERT_TRUE(::IsWindowVisible(copy.m_hWnd));
}
