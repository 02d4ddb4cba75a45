// The real pages in the real wizard window: welcome, system and language, printer settings (with a plain page
// on the progress template last), the header layout and the page colours.
#include <gtest/gtest.h>

#include "app/OSType.h"
#include "app/globals.h"
#include "framework/WinApp.h"
#include "pages/HeaderLayout.h"
#include "pages/LanguageDlg.h"
#include "pages/SettingDlg.h"
#include "pages/WelcomeDlg.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"
#include "wizard/setupDlg.h"

namespace {

const char kEnglishTable[] =
    "[String]\r\n"
    "IDD102_Title=\r\n"
    "IDD102_12323=&Back\r\n"
    "IDD102_12324=&Next\r\n"
    "IDD102_12325=Finish\r\n"
    "IDD102_1061=Cancel\r\n"
    "IDD138_1042=Welcome to the Printer Driver Setup Wizard\r\n"
    "IDD137_1037=Chinese\r\n"
    "IDD137_1038=English\r\n"
    "IDD143_1055=Printer Series\r\n"
    "IDD143_1019=must not appear\r\n";

// All texts of a window and its descendants, in window order.
void CollectTexts(HWND w, std::vector<std::string>& out) {
    out.push_back(TextOf(w));
    for (HWND c = ::GetWindow(w, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) CollectTexts(c, out);
}

class RealPagesTest : public testing::Test {
protected:
    void SetUp() override {
        table = std::make_unique<ScopedLanguageTable>(kEnglishTable);
        wizard.AddPage(&welcome, IDD_WELCOME);
        wizard.AddPage(&language, IDD_LANGUAGE);
        wizard.AddPage(&setting, IDD_SETTING);
        wizard.AddPage(&progress, IDD_COPY);
        AfxGetApp()->m_pMainWnd = &wizard;
        ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
        hwnd = wizard.m_hWnd;
    }
    void TearDown() override {
        if (wizard.IsWindow()) wizard.DestroyWindow();
        AfxGetApp()->m_pMainWnd = nullptr;
        g_bInstalled = false;
    }
    std::string Buttons() const {
        std::string s;
        s += Enabled(hwnd, ID_WIZBACK) ? 'B' : '-';
        s += Enabled(hwnd, ID_WIZNEXT) ? 'N' : '-';
        s += Enabled(hwnd, ID_WIZFINISH) ? 'F' : '-';
        return s;
    }
    void SelectSeries() {
        HWND list = setting.GetDlgItem(IDC_SERIES_LIST);
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        ::SendMessageA(setting.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SERIES_LIST, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
    }
    int Checked(CDialog& page, int id) { return static_cast<int>(::SendMessageA(page.GetDlgItem(id), BM_GETCHECK, 0, 0)); }

    std::unique_ptr<ScopedLanguageTable> table;
    CSetupDlg wizard;
    CWelcomeDlg welcome;
    CLanguageDlg language;
    CSettingDlg setting;
    CNewWizPage progress{IDD_COPY};
    HWND hwnd = nullptr;
};

TEST_F(RealPagesTest, WalkThroughWithTheButtonTable) {
    EXPECT_EQ(Buttons(), "-N-") << "welcome page";
    EXPECT_EQ(TextOf(welcome.GetDlgItem(IDC_WELCOME_TITLE)), "Welcome to the Printer Driver Setup Wizard");
    EXPECT_EQ(TextOf(wizard.GetDlgItem(ID_WIZNEXT)), "&Next") << "the wizard's texts from the table";
    EXPECT_EQ(TextOf(hwnd), "") << "the caption key is empty";

    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Buttons(), "BN-") << "system and language page";
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Buttons(), "B--") << "settings page: Next waits for a series";
    SelectSeries();
    EXPECT_EQ(Buttons(), "BN-");
    Click(hwnd, ID_WIZNEXT);
    EXPECT_TRUE(progress.IsWindowVisible());
    EXPECT_EQ(Buttons(), "B-F");
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Buttons(), "BNF");
}

TEST_F(RealPagesTest, WelcomePageInitialisesOnce) {
    std::string title = TextOf(welcome.GetDlgItem(IDC_WELCOME_TITLE));
    ::SetWindowTextA(welcome.GetDlgItem(IDC_WELCOME_TITLE), "changed by the user");
    Click(hwnd, ID_WIZNEXT);
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(TextOf(welcome.GetDlgItem(IDC_WELCOME_TITLE)), "changed by the user");
    EXPECT_NE(title, "changed by the user");
}

TEST(LanguagePageRules, SystemIndexAndLanguageIndex) {
    const struct { int os; int index; } os[] = {{6, 0}, {7, 1}, {8, 2}, {9, 3}, {10, 4}, {0, -1}, {4, -1}, {5, -1}, {11, -1}};
    for (const auto& c : os) EXPECT_EQ(SystemIndexForOSType(c.os), c.index) << "code " << c.os;
    const struct { unsigned short lang; int index; } langs[] = {
        {0x0804, 0}, {0x0404, 0}, {0x0C04, 0}, {0x1404, 0}, {0x0409, 1}, {0x0809, 1}, {0x0411, 1}, {0x0104, 0}};
    for (const auto& c : langs) EXPECT_EQ(LanguageIndexForLangId(c.lang), c.index) << std::hex << c.lang;
}

TEST_F(RealPagesTest, LanguagePagePreselectsAndPublishesTheLanguage) {
    g_wLanguage = 7;
    Click(hwnd, ID_WIZNEXT);
    int wantLanguage = LanguageIndexForLangId(::GetSystemDefaultLangID());
    int wantOs = SystemIndexForOSType(GetOSType());
    EXPECT_EQ(language.m_nLanguage, wantLanguage);
    EXPECT_EQ(g_wLanguage, wantLanguage);
    EXPECT_EQ(Checked(language, IDC_LANGUAGE_CHINESE), wantLanguage == 0 ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(Checked(language, IDC_LANGUAGE_ENGLISH), wantLanguage == 1 ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(language.m_nOS, wantOs);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Checked(language, IDC_OS_WIN2000 + i), i == wantOs ? BST_CHECKED : BST_UNCHECKED) << i;
    EXPECT_EQ(TextOf(language.GetDlgItem(IDC_LANGUAGE_ENGLISH)), "English");

    std::vector<std::string> before;
    CollectTexts(hwnd, before);
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_CHINESE), BM_CLICK, 0, 0);
    EXPECT_EQ(g_wLanguage, 0);
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_ENGLISH), BM_CLICK, 0, 0);
    EXPECT_EQ(g_wLanguage, 1);
    EXPECT_EQ(language.m_nLanguage, 1);
    std::vector<std::string> after;
    CollectTexts(hwnd, after);
    EXPECT_EQ(before, after) << "the language choice changes no text of the wizard";

    // A system radio click has no handler; the next language click refreshes m_nOS.
    ::SendMessageA(language.GetDlgItem(IDC_OS_WINXP), BM_CLICK, 0, 0);
    int osType = g_nOSType;
    ::SendMessageA(language.GetDlgItem(IDC_LANGUAGE_ENGLISH), BM_CLICK, 0, 0);
    EXPECT_EQ(language.m_nOS, 1);
    EXPECT_EQ(g_nOSType, osType);
}

TEST_F(RealPagesTest, SettingsPageFirstArrivalSelectionAndReturn) {
    Click(hwnd, ID_WIZNEXT);
    Click(hwnd, ID_WIZNEXT);
    HWND list = setting.GetDlgItem(IDC_SERIES_LIST);
    ASSERT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(setting.m_listSeries.GetText(0), "58mm series");
    EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(TextOf(setting.GetDlgItem(IDC_PRINTER_NAME)), "") << "1019 is never filled from the table";
    EXPECT_EQ(Checked(setting, IDC_DEFAULT_PRINTER), BST_CHECKED);
    EXPECT_FALSE(Enabled(hwnd, ID_WIZNEXT));
    EXPECT_TRUE(::GetWindowLongA(setting.GetDlgItem(IDC_PRINTER_NAME), GWL_STYLE) & ES_READONLY);

    // Back before any selection, then Next: Next enabled by Back, still nothing selected.
    Click(hwnd, ID_WIZBACK);
    EXPECT_TRUE(Enabled(hwnd, ID_WIZNEXT));
    Click(hwnd, ID_WIZNEXT);
    EXPECT_TRUE(setting.IsWindowVisible());
    EXPECT_TRUE(Enabled(hwnd, ID_WIZNEXT)) << "only the first initialisation disables Next";
    EXPECT_EQ(::SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(::SendMessageA(list, LB_GETCOUNT, 0, 0), 1) << "the entry is added once";

    // The user clears the check box, leaves and comes back: a selection then keeps the box as left.
    ::SendMessageA(setting.GetDlgItem(IDC_DEFAULT_PRINTER), BM_CLICK, 0, 0);
    Click(hwnd, ID_WIZBACK);
    Click(hwnd, ID_WIZNEXT);
    SelectSeries();
    EXPECT_TRUE(Enabled(hwnd, ID_WIZNEXT));
    EXPECT_EQ(TextOf(setting.GetDlgItem(IDC_PRINTER_NAME)), "58mm series");
    EXPECT_EQ(setting.m_strName, "58mm series");
    EXPECT_EQ(Checked(setting, IDC_DEFAULT_PRINTER), BST_UNCHECKED);
    EXPECT_EQ(setting.m_bDefault, 0);
}

// The frame takes the wizard's outer left, top and right (in its client coordinates) and keeps its bottom;
// the picture keeps its size, top 18, right edge 5 inside the wizard's outer right.
void ExpectHeaderLayout(CWnd& wizard, CDialog& page, const RECT& frameTemplate) {
    RECT outer;
    wizard.GetWindowRect(&outer);
    wizard.ScreenToClient(&outer);
    EXPECT_LT(outer.left, 0);
    EXPECT_LT(outer.top, 0);

    RECT frame;
    ::GetWindowRect(page.GetDlgItem(IDC_HEADER_FRAME), &frame);
    page.ScreenToClient(&frame);
    EXPECT_EQ(frame.left, outer.left);
    EXPECT_EQ(frame.top, outer.top);
    EXPECT_EQ(frame.right, outer.right);
    EXPECT_EQ(frame.bottom, frameTemplate.bottom);

    HWND pictureWnd = page.GetDlgItem(IDC_HEADER_PICTURE);
    RECT picture;
    ::GetWindowRect(pictureWnd, &picture);
    page.ScreenToClient(&picture);
    BITMAP bm = {};
    ::GetObjectA(reinterpret_cast<HBITMAP>(::SendMessageA(pictureWnd, STM_GETIMAGE, IMAGE_BITMAP, 0)), sizeof bm, &bm);
    EXPECT_EQ(picture.top, 18);
    EXPECT_EQ(picture.right, outer.right - 5);
    EXPECT_EQ(picture.right - picture.left, bm.bmWidth);
    EXPECT_EQ(picture.bottom - picture.top, bm.bmHeight);
}

TEST_F(RealPagesTest, HeaderLayoutOnInitAndOnEveryShow) {
    Click(hwnd, ID_WIZNEXT);
    RECT frameTemplate = {0, 0, 240, 53};
    ::MapDialogRect(language.m_hWnd, &frameTemplate);
    ExpectHeaderLayout(wizard, language, frameTemplate);

    // Moved away by hand, the controls come back on the next show (and hide).
    ::MoveWindow(language.GetDlgItem(IDC_HEADER_PICTURE), 3, 3, 10, 10, TRUE);
    Click(hwnd, ID_WIZBACK);
    Click(hwnd, ID_WIZNEXT);
    RECT picture;
    ::GetWindowRect(language.GetDlgItem(IDC_HEADER_PICTURE), &picture);
    language.ScreenToClient(&picture);
    EXPECT_EQ(picture.top, 18);
    EXPECT_EQ(picture.right - picture.left, 10) << "the picture keeps the size it has";
}

TEST(HeaderLayoutRules, FrameAndPictureRectangles) {
    RECT outer = {-3, -22, 401, 389};
    RECT frame = HeaderFrameRect(RECT{0, 0, 360, 86}, outer);
    EXPECT_EQ(frame.left, -3);
    EXPECT_EQ(frame.top, -22);
    EXPECT_EQ(frame.right, 401);
    EXPECT_EQ(frame.bottom, 86);
    RECT picture = HeaderPictureRect(RECT{303, 13, 350, 65}, outer);
    EXPECT_EQ(picture.left, 401 - 5 - 47);
    EXPECT_EQ(picture.top, 18);
    EXPECT_EQ(picture.right, 396);
    EXPECT_EQ(picture.bottom, 18 + 52);
}

// What a page answers to each colour request, read back from a memory device context.
struct ColourAnswer {
    HBRUSH brush;
    COLORREF text, background;
    int mode;
};
ColourAnswer AskColour(CDialog& page, UINT message, int controlId) {
    HDC dc = ::CreateCompatibleDC(nullptr);
    ::SetTextColor(dc, RGB(1, 2, 3));
    ::SetBkColor(dc, RGB(4, 5, 6));
    ::SetBkMode(dc, OPAQUE);
    HWND control = controlId != 0 ? page.GetDlgItem(controlId) : page.m_hWnd;
    ColourAnswer a;
    a.brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(page.m_hWnd, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    a.text = ::GetTextColor(dc);
    a.background = ::GetBkColor(dc);
    a.mode = ::GetBkMode(dc);
    ::DeleteDC(dc);
    return a;
}

TEST_F(RealPagesTest, PageColours) {
    Click(hwnd, ID_WIZNEXT);
    Click(hwnd, ID_WIZNEXT);
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);

    ColourAnswer name = AskColour(setting, WM_CTLCOLORSTATIC, IDC_PRINTER_NAME);
    EXPECT_EQ(name.brush, CNewWizPage::SharedWhiteBrush());
    EXPECT_EQ(name.text, black);
    EXPECT_EQ(name.background, white);
    EXPECT_EQ(name.mode, OPAQUE);
    EXPECT_EQ(AskColour(setting, WM_CTLCOLOREDIT, IDC_PRINTER_NAME).brush, name.brush);

    ColourAnswer text = AskColour(setting, WM_CTLCOLORSTATIC, IDC_SERIES_CAPTION);
    EXPECT_EQ(text.text, black);
    EXPECT_EQ(text.mode, TRANSPARENT);
    EXPECT_EQ(text.brush, ::GetStockObject(HOLLOW_BRUSH)) << "nothing is filled: the white behind shows";

    ColourAnswer listbox = AskColour(setting, WM_CTLCOLORLISTBOX, IDC_SERIES_LIST);
    EXPECT_EQ(listbox.text, black);
    EXPECT_EQ(listbox.mode, TRANSPARENT);
    EXPECT_EQ(listbox.brush, ::GetSysColorBrush(COLOR_WINDOW)) << "the system's brush for a list box";

    ColourAnswer dialog = AskColour(setting, WM_CTLCOLORDLG, 0);
    // The page keeps the system's colours for its own background request and only answers its white brush.
    EXPECT_EQ(dialog.text, ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(dialog.background, ::GetSysColor(COLOR_3DFACE));
    LOGBRUSH lb = {};
    ::GetObjectA(dialog.brush, sizeof lb, &lb);
    EXPECT_EQ(lb.lbColor, white);
    EXPECT_NE(dialog.brush, CNewWizPage::SharedWhiteBrush()) << "the page's own white brush";

    ColourAnswer button = AskColour(language, WM_CTLCOLORBTN, IDC_HEADER_FRAME);
    EXPECT_EQ(button.brush, AskColour(language, WM_CTLCOLORDLG, 0).brush) << "1040 gets the page's brush";
    EXPECT_EQ(button.background, white);
    ColourAnswer otherButton = AskColour(language, WM_CTLCOLORBTN, IDC_LANGUAGE_CHINESE);
    EXPECT_NE(otherButton.brush, button.brush);
    EXPECT_EQ(otherButton.text, black);

    ColourAnswer box = AskColour(setting, WM_CTLCOLORMSGBOX, 0);
    EXPECT_EQ(box.text, ::GetSysColor(COLOR_WINDOWTEXT));

    // The shared brush stays the same across visits and pages.
    Click(hwnd, ID_WIZBACK);
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(AskColour(setting, WM_CTLCOLORSTATIC, IDC_PRINTER_NAME).brush, name.brush);
    EXPECT_EQ(::SendMessageA(setting.m_hWnd, WM_ERASEBKGND, 0, 0), TRUE);
}

}  // namespace
