// The real pages in the real wizard window: welcome, system and language, printer settings, progress (its
// installation timer), the header layout and the page colours.
#include "app/OSType.h"
#include "app/globals.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"

namespace {

// All texts of a window and its descendants, in window order.
void CollectTexts(HWND w, std::vector<std::string>& out) {
    out.push_back(TextOf(w));
    for (HWND c = ::GetWindow(w, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) CollectTexts(c, out);
}

// The position of the checked one of count radio buttons from firstId on: -1 none, -2 more than one.
int CheckedRadio(const CDialog& page, int firstId, int count) {
    int found = -1;
    for (int i = 0; i < count; ++i)
        if (::SendMessageA(page.GetDlgItem(firstId + i), BM_GETCHECK, 0, 0) == BST_CHECKED) found = found == -1 ? i : -2;
    return found;
}

RECT ChildRect(const CDialog& page, int id) { return RectIn(page.GetDlgItem(id), page.m_hWnd); }

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST_F(RealWizardTest, WalkThroughWithTheButtonTable) {
    EXPECT_EQ(Buttons(hwnd), "-N-") << "welcome page";
    HWND title = welcome.GetDlgItem(IDC_WELCOME_TITLE);
    EXPECT_EQ(TextOf(title), "Welcome to the Printer Driver Setup Wizard");
    EXPECT_EQ(TextOf(wizard.GetDlgItem(ID_WIZNEXT)), "&Next") << "the wizard's texts from the table";
    EXPECT_EQ(TextOf(hwnd), "") << "the caption key is empty";
    ::SetWindowTextA(title, "changed by the user");

    Press(ID_WIZNEXT);
    EXPECT_EQ(Buttons(hwnd), "BN-") << "system and language page";
    Press(ID_WIZNEXT);
    EXPECT_EQ(Buttons(hwnd), "B--") << "settings page: Next waits for a series";
    SelectSeries();
    EXPECT_EQ(Buttons(hwnd), "BN-");
    Press(ID_WIZNEXT);
    EXPECT_TRUE(::IsWindowVisible(copy.m_hWnd));
    EXPECT_EQ(Buttons(hwnd), "B-F");
    Press(ID_WIZBACK);
    EXPECT_EQ(Buttons(hwnd), "BNF");
    Press(ID_WIZBACK, ID_WIZBACK);
    EXPECT_EQ(Buttons(hwnd), "-N-");
    EXPECT_EQ(TextOf(title), "changed by the user") << "a page initialises (and localises) itself once";
}

TEST(LanguagePageRules, SystemIndexAndLanguageIndex) {
    const struct { int os; int index; } os[] = {{6, 0}, {7, 1}, {8, 2}, {9, 3}, {10, 4}, {0, -1}, {4, -1}, {5, -1}, {11, -1}};
    for (const auto& c : os) EXPECT_EQ(SystemIndexForOSType(c.os), c.index) << "code " << c.os;
    const struct { unsigned short lang; int index; } langs[] = {
        {0x0804, 0}, {0x0404, 0}, {0x0C04, 0}, {0x1404, 0}, {0x0409, 1}, {0x0809, 1}, {0x0411, 1}, {0x0104, 0}};
    for (const auto& c : langs) EXPECT_EQ(LanguageIndexForLangId(c.lang), c.index) << std::hex << c.lang;
}

TEST_F(RealWizardTest, LanguagePagePreselectsAndPublishesTheLanguage) {
    g_wLanguage = 7;
    Press(ID_WIZNEXT);
    int wantLanguage = LanguageIndexForLangId(::GetSystemDefaultLangID());
    int wantOs = SystemIndexForOSType(GetOSType());
    EXPECT_EQ(language.m_nLanguage, wantLanguage);
    EXPECT_EQ(g_wLanguage, wantLanguage);
    EXPECT_EQ(CheckedRadio(language, IDC_LANGUAGE_CHINESE, 2), wantLanguage);
    EXPECT_EQ(language.m_nOS, wantOs);
    EXPECT_EQ(CheckedRadio(language, IDC_OS_WIN2000, 5), wantOs);
    EXPECT_EQ(TextOf(language.GetDlgItem(IDC_LANGUAGE_ENGLISH)), "English");

    std::vector<std::string> before, after;
    CollectTexts(hwnd, before);
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_CHINESE), BM_CLICK, 0, 0);
    EXPECT_EQ(g_wLanguage, 0);
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_ENGLISH), BM_CLICK, 0, 0);
    EXPECT_EQ(g_wLanguage, 1);
    CollectTexts(hwnd, after);
    EXPECT_EQ(before, after) << "the language choice changes no text of the wizard";

    // A system radio click has no handler; the next language click refreshes m_nOS.
    ::SendMessageA(language.GetDlgItem(IDC_OS_WINXP), BM_CLICK, 0, 0);
    int osType = g_nOSType;
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_ENGLISH), BM_CLICK, 0, 0);
    EXPECT_EQ(language.m_nOS, 1);
    EXPECT_EQ(g_nOSType, osType);
}

TEST_F(RealWizardTest, SettingsPageFirstArrivalSelectionAndReturn) {
    Press(ID_WIZNEXT, ID_WIZNEXT);
    HWND list = setting.GetDlgItem(IDC_SERIES_LIST);
    ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    char entry[64] = {};
    ::SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(entry));
    EXPECT_STREQ(entry, "58mm series");
    EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(TextOf(setting.GetDlgItem(IDC_PRINTER_NAME)), "") << "the name field is never filled from the table";
    EXPECT_EQ(::SendMessageA(setting.GetDlgItem(IDC_DEFAULT_PRINTER), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(::GetWindowLongA(setting.GetDlgItem(IDC_PRINTER_NAME), GWL_STYLE) & ES_READONLY);

    // Back before any selection, then Next: Next enabled by Back, still nothing selected.
    Press(ID_WIZBACK, ID_WIZNEXT);
    EXPECT_TRUE(Enabled(hwnd, ID_WIZNEXT)) << "only the first initialisation disables Next";
    EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 1) << "the entry is added once";

    // The user clears the check box, leaves and comes back: a selection then keeps the box as left.
    ::SendMessageA(setting.GetDlgItem(IDC_DEFAULT_PRINTER), BM_CLICK, 0, 0);
    Press(ID_WIZBACK, ID_WIZNEXT);
    SelectSeries();
    EXPECT_EQ(TextOf(setting.GetDlgItem(IDC_PRINTER_NAME)), "58mm series");
    EXPECT_EQ(setting.m_strName, "58mm series");
    EXPECT_EQ(::SendMessageA(setting.GetDlgItem(IDC_DEFAULT_PRINTER), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(setting.m_bDefault, 0);
}

// The real pages from the keyboard alone, in the modal run: the language page's checked radio button is its
// first tab stop; the settings page disables Next on arrival, so the default is Back until the series, which
// Tab reaches, is chosen with an arrow key; the last page disables Next, and the focus and the default go to
// Finish.
TEST_F(RealWizardTest, KeyboardAloneThroughThePages) {
    wizard.DestroyWindow();
    for (CNewWizPage* page : {static_cast<CNewWizPage*>(&welcome), static_cast<CNewWizPage*>(&language),
                              static_cast<CNewWizPage*>(&setting), static_cast<CNewWizPage*>(&copy)})
        page->m_bActive = FALSE;
    struct Seen { UINT page; int focus; int defaultId; bool usable; };
    std::vector<Seen> seen;
    auto look = [&](UINT page) {
        HWND w = wizard.m_hWnd;
        seen.push_back({::IsWindowVisible(wizard.FindPage(page)->m_hWnd) ? page : 0, ::GetDlgCtrlID(::GetFocus()),
                        EnabledDefault(w), FocusUsable(w)});
    };
    INT_PTR result = RunModalScript(wizard, {
        [&] { PostKey(VK_RETURN); },
        [&] { look(IDD_LANGUAGE); PostAlt('n'); },
        [&] { look(IDD_SETTING); PostKey(VK_TAB); },
        [&] { look(IDD_SETTING); PostKey(VK_DOWN); },
        [&] { look(IDD_SETTING); g_bInstalled = true; PostAlt('n'); },  // no installation run here
        [&] { look(IDD_COPY); Click(wizard.m_hWnd, IDC_CANCEL_BUTTON); },
    });
    EXPECT_EQ(result, IDCANCEL);
    const int radio = language.m_nLanguage == 0 ? IDC_LANGUAGE_CHINESE : IDC_LANGUAGE_ENGLISH;
    const Seen want[] = {{IDD_LANGUAGE, radio, ID_WIZNEXT, true}, {IDD_SETTING, IDC_DEFAULT_PRINTER, ID_WIZBACK, true},
                         {IDD_SETTING, IDC_SERIES_LIST, ID_WIZBACK, true}, {IDD_SETTING, IDC_SERIES_LIST, ID_WIZNEXT, true},
                         {IDD_COPY, ID_WIZFINISH, ID_WIZFINISH, true}};
    ASSERT_EQ(seen.size(), std::size(want));
    for (size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].page, want[i].page) << i;
        EXPECT_EQ(seen[i].focus, want[i].focus) << "on " << want[i].page;
        EXPECT_EQ(seen[i].defaultId, want[i].defaultId) << "on " << want[i].page;
        EXPECT_TRUE(seen[i].usable) << "on " << want[i].page;
    }
}

TEST_F(RealWizardTest, HeaderLayoutOnInitAndOnEveryShowAndHide) {
    ToProgressPage();
    RECT outer;  // the wizard's outer rectangle in its client coordinates
    wizard.GetWindowRect(&outer);
    wizard.ScreenToClient(&outer);
    ASSERT_TRUE(outer.left < 0 && outer.top < 0);
    const struct { CDialog* page; RECT frameTemplate; } headers[] = {{&language, {0, 0, 240, 53}}, {&copy, {0, 0, 332, 65}}};
    for (const auto& h : headers) {
        // The frame takes the wizard's outer left, top and right and keeps its bottom; the picture keeps its
        // size, top 18, right edge 5 inside the wizard's outer right.
        RECT frame = h.frameTemplate;
        ::MapDialogRect(h.page->m_hWnd, &frame);
        EXPECT_EQ(Str(ChildRect(*h.page, IDC_HEADER_FRAME)), Str(RECT{outer.left, outer.top, outer.right, frame.bottom}));
        BITMAP bm = {};
        HGDIOBJ image = reinterpret_cast<HGDIOBJ>(
            ::SendMessageA(h.page->GetDlgItem(IDC_HEADER_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(::GetObjectA(image, sizeof bm, &bm), 0);
        EXPECT_EQ(Str(ChildRect(*h.page, IDC_HEADER_PICTURE)),
                  Str(RECT{outer.right - 5 - bm.bmWidth, 18, outer.right - 5, 18 + bm.bmHeight}));
    }
    // Moved away by hand, the picture comes back when the page is hidden and when it is shown, keeping the
    // size it has.
    Press(ID_WIZBACK, ID_WIZBACK);
    for (int button : {ID_WIZBACK, ID_WIZNEXT}) {
        ::MoveWindow(language.GetDlgItem(IDC_HEADER_PICTURE), 3, 3, 10, 10, TRUE);
        Press(button);
        RECT picture = ChildRect(language, IDC_HEADER_PICTURE);
        EXPECT_EQ(Str(picture), Str(RECT{outer.right - 15, 18, outer.right - 5, 28})) << button;
    }
}

constexpr COLORREF kUnpainted = RGB(10, 20, 30);

// Sends a colour request (or an erase) with a memory device context on one pixel of kUnpainted, or with
// systemDefault gives it to the system's default handling: the colours and mode it leaves in the context,
// the pixel after painting with the brush returned (an erase paints itself), and the result.
struct Answer { COLORREF text, background; int mode; COLORREF paints; LRESULT result; };
Answer Ask(const CDialog& page, UINT message, int controlId, bool systemDefault = false) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateBitmap(1, 1, 1, 32, nullptr);
    ::SelectObject(dc, bitmap);
    ::SetPixel(dc, 0, 0, kUnpainted);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkColor(dc, RGB(4, 5, 6));
    ::SetBkMode(dc, OPAQUE);
    WPARAM w = reinterpret_cast<WPARAM>(dc);
    LPARAM l = reinterpret_cast<LPARAM>(controlId != 0 ? page.GetDlgItem(controlId) : page.m_hWnd);
    LRESULT result =
        systemDefault ? ::DefWindowProcA(page.m_hWnd, message, w, l) : ::SendMessageA(page.m_hWnd, message, w, l);
    Answer a{::GetTextColor(dc), ::GetBkColor(dc), ::GetBkMode(dc), 0, result};
    RECT pixel = {0, 0, 1, 1};
    if (message != WM_ERASEBKGND) ::FillRect(dc, &pixel, reinterpret_cast<HBRUSH>(result));
    a.paints = ::GetPixel(dc, 0, 0);
    ::DeleteDC(dc);
    ::DeleteObject(bitmap);
    return a;
}

TEST_F(RealWizardTest, PageColours) {
    ToProgressPage();
    const COLORREF same = CLR_INVALID, black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    // "same": as the system's default handling leaves it (mode 0 likewise, brush: the system's brush).
    struct Row { const char* what; CDialog* page; UINT message; int id; COLORREF text, bk; int mode; COLORREF paints; };
    const Row rows[] = {
        {"name field, static", &setting, WM_CTLCOLORSTATIC, IDC_PRINTER_NAME, black, white, 0, white},
        {"name field, edit", &setting, WM_CTLCOLOREDIT, IDC_PRINTER_NAME, black, white, 0, white},
        {"other static: unfilled", &setting, WM_CTLCOLORSTATIC, IDC_SERIES_CAPTION, black, white, TRANSPARENT, kUnpainted},
        {"other edit", &setting, WM_CTLCOLOREDIT, IDC_SERIES_LIST, black, same, TRANSPARENT, same},
        {"list box", &setting, WM_CTLCOLORLISTBOX, IDC_SERIES_LIST, black, same, TRANSPARENT, same},
        {"scroll bar", &setting, WM_CTLCOLORSCROLLBAR, IDC_SERIES_LIST, black, same, TRANSPARENT, same},
        {"page background", &setting, WM_CTLCOLORDLG, 0, same, same, 0, white},
        {"header frame", &language, WM_CTLCOLORBTN, IDC_HEADER_FRAME, black, white, 0, white},
        {"other button", &language, WM_CTLCOLORBTN, IDC_LANGUAGE_CHINESE, black, white, 0, same},
        {"progress page's header frame", &copy, WM_CTLCOLORBTN, IDC_HEADER_FRAME, black, white, 0, white},
        {"message box", &setting, WM_CTLCOLORMSGBOX, 0, same, same, 0, same},
    };
    for (const auto& r : rows) {
        Answer got = Ask(*r.page, r.message, r.id), def = Ask(*r.page, r.message, r.id, true);
        EXPECT_EQ(got.text, r.text == same ? def.text : r.text) << r.what;
        EXPECT_EQ(got.background, r.bk == same ? def.background : r.bk) << r.what;
        EXPECT_EQ(got.mode, r.mode == 0 ? def.mode : r.mode) << r.what;
        if (r.paints == same)
            EXPECT_EQ(got.result, def.result) << r.what;
        else
            EXPECT_EQ(got.paints, r.paints) << r.what;
    }
    // One white brush for the name field, the same across visits.
    LRESULT shared = Ask(setting, WM_CTLCOLORSTATIC, IDC_PRINTER_NAME).result;
    EXPECT_EQ(Ask(setting, WM_CTLCOLOREDIT, IDC_PRINTER_NAME).result, shared);
    Press(ID_WIZBACK, ID_WIZBACK, ID_WIZNEXT);
    EXPECT_EQ(Ask(setting, WM_CTLCOLORSTATIC, IDC_PRINTER_NAME).result, shared);

    Answer erase = Ask(setting, WM_ERASEBKGND, 0);  // a page paints no background of its own
    EXPECT_EQ(erase.result, TRUE);
    EXPECT_EQ(erase.paints, kUnpainted);
}

TEST_F(RealWizardTest, ProgressPageArmsTheInstallTimerOnlyWhileShownBeforeAnInstallation) {
    // Whether timer 1 is armed on the page; the probe disarms it.
    auto timerArmed = [&] { return ::KillTimer(copy.m_hWnd, kInstallTimerId) != FALSE; };
    ToProgressPage();
    EXPECT_EQ(copy.m_progress.SendMessageA(PBM_GETPOS), 0);
    EXPECT_EQ(TextOf(copy.GetDlgItem(IDC_COPY_STATUS)), "Installing...");
    EXPECT_TRUE(timerArmed());

    Press(ID_WIZBACK, ID_WIZNEXT, ID_WIZBACK);  // armed again on the way (Back cleared g_bInstalled), then left
    EXPECT_FALSE(timerArmed());

    g_bInstalled = true;
    Press(ID_WIZNEXT);
    EXPECT_TRUE(::IsWindowVisible(copy.m_hWnd));
    EXPECT_FALSE(timerArmed()) << "no timer once installed";
}

}  // namespace
