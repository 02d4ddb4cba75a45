// The wizard container and window: page order, button states, vetoes and targets, Cancel, Finish, the
// system menu and the About box.
#include <gtest/gtest.h>

#include <memory>

#include "app/globals.h"
#include "framework/WinApp.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"
#include "wizard/setupDlg.h"

namespace {

// A page whose eight navigation answers are set by the test, and which records when it is asked.
class ProbePage : public CNewWizPage {
public:
    explicit ProbePage(UINT id, std::vector<std::string>* log) : CNewWizPage(id), log_(log) {}

    BOOL created = TRUE, canLeave = TRUE, canCancel = TRUE, canFinish = TRUE;
    LONG backTarget = 0, nextTarget = 0;
    bool activeSeenWhenShown = false;
    CNewWizDialog* wizard = nullptr;

    BOOL OnPageCreated() override { return Note("created", created); }
    void OnPageDestroying() override { Note("destroying", TRUE); }
    BOOL CanLeavePage() override { return Note("leave", canLeave); }
    void OnPageShown() override {
        Note("shown", TRUE);
        if (wizard != nullptr) activeSeenWhenShown = wizard->GetActivePage() != nullptr;
    }
    BOOL CanCancel() override { return Note("cancel", canCancel); }
    LONG GetBackTarget() override {
        Note("back", TRUE);
        return backTarget;
    }
    LONG GetNextTarget() override {
        Note("next", TRUE);
        return nextTarget;
    }
    BOOL CanFinish() override { return Note("finish", canFinish); }

private:
    BOOL Note(const char* what, BOOL answer) {
        if (log_ != nullptr) log_->push_back(std::string(what) + ":" + std::to_string(m_nDialogID));
        return answer;
    }
    std::vector<std::string>* log_;
};

const UINT kPageIds[] = {IDD_WELCOME, IDD_LANGUAGE, IDD_SETTING, IDD_COPY};

// The wizard window with probe pages on the four page templates, created modeless.
class WizardTest : public testing::Test {
protected:
    void Build(int pageCount) {
        for (int i = 0; i < pageCount; ++i) {
            pages.push_back(std::make_unique<ProbePage>(kPageIds[i], &log));
            pages.back()->wizard = &wizard;
            wizard.AddPage(pages.back().get(), kPageIds[i]);
        }
    }
    void Open() {
        AfxGetApp()->m_pMainWnd = &wizard;
        ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
        hwnd = wizard.m_hWnd;
    }
    void TearDown() override {
        if (wizard.IsWindow()) wizard.DestroyWindow();
        AfxGetApp()->m_pMainWnd = nullptr;
    }
    // "BNF" with letters for enabled buttons and '-' for disabled ones: Back, Next, Finish.
    std::string Buttons() const {
        std::string s;
        s += Enabled(hwnd, ID_WIZBACK) ? 'B' : '-';
        s += Enabled(hwnd, ID_WIZNEXT) ? 'N' : '-';
        s += Enabled(hwnd, ID_WIZFINISH) ? 'F' : '-';
        return s;
    }
    UINT Active() const {
        CNewWizPage* page = wizard.GetActivePage();
        return page != nullptr ? page->m_nDialogID : 0;
    }
    ProbePage& Page(int i) { return *pages[static_cast<size_t>(i)]; }

    std::vector<std::string> log;
    std::vector<std::unique_ptr<ProbePage>> pages;
    CSetupDlg wizard;
    HWND hwnd = nullptr;
};

TEST_F(WizardTest, FourDefaultPagesFollowTheButtonTable) {
    Build(4);
    Open();
    EXPECT_EQ(Active(), 138u);
    EXPECT_EQ(Buttons(), "-N-");
    EXPECT_TRUE(Page(0).IsWindowVisible());
    EXPECT_FALSE(Page(1).m_bCreated) << "pages are created when first shown";

    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 137u);
    EXPECT_EQ(Buttons(), "BN-");
    EXPECT_FALSE(Page(0).IsWindowVisible());
    Click(hwnd, ID_WIZNEXT);
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 140u);
    EXPECT_EQ(Buttons(), "B-F");
    Click(hwnd, ID_WIZNEXT);  // disabled as a button, and there is no next page either
    EXPECT_EQ(Active(), 140u);

    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Active(), 143u);
    EXPECT_EQ(Buttons(), "BNF") << "Finish stays enabled on the middle pages once the last was reached";
    Click(hwnd, ID_WIZBACK);
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Active(), 138u);
    EXPECT_EQ(Buttons(), "-N-");
    Click(hwnd, ID_WIZBACK);  // no page before the first
    EXPECT_EQ(Active(), 138u);

    // Every page window sits at the placeholder's corner, in the wizard's client coordinates.
    for (auto& page : pages) {
        RECT r;
        page->GetWindowRect(&r);
        wizard.ScreenToClient(&r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
    }
}

TEST_F(WizardTest, OnePageStartsWithFinishOnly) {
    Build(1);
    Open();
    EXPECT_EQ(Buttons(), "--F");
}

TEST_F(WizardTest, ActivationOrderAndNoActivePageWhileShown) {
    Build(2);
    Open();
    Click(hwnd, ID_WIZNEXT);
    std::vector<std::string> expected = {"created:138", "shown:138", "next:138", "created:137", "leave:138",
                                         "shown:137"};
    EXPECT_EQ(log, expected);
    EXPECT_FALSE(Page(0).activeSeenWhenShown);
    EXPECT_FALSE(Page(1).activeSeenWhenShown);
}

TEST_F(WizardTest, TargetsAndVetoes) {
    Build(4);
    Open();
    Page(0).nextTarget = -1;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "-1 stays";
    Page(0).nextTarget = 999;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "an id no page carries";
    EXPECT_FALSE(Page(1).m_bCreated);

    Page(0).nextTarget = 143;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 143u) << "a target id jumps to that page";
    EXPECT_EQ(Buttons(), "BN-");

    Page(2).nextTarget = 138;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "Next may go to an earlier page";
    EXPECT_EQ(Buttons(), "BN-") << "and enables Back even on the first page";

    Page(0).nextTarget = 0;
    Page(0).canLeave = FALSE;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "the page refused to be left";
    EXPECT_TRUE(Page(1).m_bCreated) << "the window made for the attempt stays";
    EXPECT_FALSE(Page(1).IsWindowVisible());

    Page(0).canLeave = TRUE;
    Page(3).created = FALSE;
    Page(0).nextTarget = 140;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "OnPageCreated said no";
    EXPECT_TRUE(Page(3).m_bCreated);
    EXPECT_TRUE(Page(0).IsWindowVisible());

    Page(0).nextTarget = 0;
    Click(hwnd, ID_WIZNEXT);
    EXPECT_EQ(Active(), 137u);
    Page(1).backTarget = -1;
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Active(), 137u);
    Page(1).backTarget = 4242;
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Active(), 137u);
    Page(1).backTarget = 143;
    g_bInstalled = true;
    Click(hwnd, ID_WIZBACK);
    EXPECT_EQ(Active(), 143u) << "a Back target may lie ahead";
    EXPECT_FALSE(g_bInstalled) << "every successful Back clears the flag";
    g_bInstalled = true;
    Page(2).backTarget = -1;
    Click(hwnd, ID_WIZBACK);
    EXPECT_TRUE(g_bInstalled) << "a Back that does not move leaves it";
    g_bInstalled = false;
}

TEST_F(WizardTest, FinishAsksActivePageThenEveryCreatedPage) {
    Build(3);
    INT_PTR result = RunModalScript(wizard, {
        [&] { AfxGetApp()->m_pMainWnd = &wizard; },
        [&] { Click(wizard.m_hWnd, ID_WIZNEXT); },
        [&] { Click(wizard.m_hWnd, ID_WIZNEXT); },
        [&] {
            Page(2).canLeave = FALSE;
            Click(wizard.m_hWnd, ID_WIZFINISH);
        },
        [&] {
            Page(2).canLeave = TRUE;
            Page(0).canFinish = FALSE;
            Click(wizard.m_hWnd, ID_WIZFINISH);
        },
        [&] {
            EXPECT_TRUE(wizard.IsWindowVisible()) << "a page said no to Finish";
            Page(0).canFinish = TRUE;
            log.clear();
            Click(wizard.m_hWnd, ID_WIZFINISH);
        },
    });
    EXPECT_EQ(result, ID_WIZFINISH);
    std::vector<std::string> asked(log.begin(), log.begin() + 4);
    std::vector<std::string> expected = {"leave:143", "finish:138", "finish:137", "finish:143"};
    EXPECT_EQ(asked, expected);
}

TEST_F(WizardTest, CancelButtonAndCloseCommandEndWithCancel) {
    Build(4);
    INT_PTR byButton = RunModalScript(wizard, {[&] {
        Page(0).canCancel = FALSE;
        Click(wizard.m_hWnd, IDC_CANCEL_BUTTON);
    },
                                               [&] {
                                                   EXPECT_TRUE(wizard.IsWindowVisible()) << "the page vetoed";
                                                   Page(0).canCancel = TRUE;
                                                   log.clear();
                                                   Click(wizard.m_hWnd, IDC_CANCEL_BUTTON);
                                               }});
    EXPECT_EQ(byButton, IDCANCEL);
    EXPECT_EQ(log.front(), "cancel:138");
    for (const std::string& entry : log) EXPECT_NE(entry, "cancel:137") << "pages not yet shown are not asked";

    for (auto& page : pages) page->m_bActive = page->m_bCreated = FALSE;
    INT_PTR byClose = RunModalScript(
        wizard, {[&] { ::PostMessageA(wizard.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); }});
    EXPECT_EQ(byClose, IDCANCEL);
}

TEST_F(WizardTest, EscapeInsideAPageLeavesTheWizardOpen) {
    Build(2);
    INT_PTR result = RunModalScript(wizard, {
        [&] { Click(wizard.m_hWnd, ID_WIZNEXT); },
        [&] {
            HWND radio = Page(1).GetDlgItem(IDC_LANGUAGE_CHINESE);
            ::SetFocus(radio);
            ::PostMessageA(radio, WM_KEYDOWN, VK_ESCAPE, 0);
            ::PostMessageA(radio, WM_KEYUP, VK_ESCAPE, 0);
        },
        [&] {
            EXPECT_TRUE(wizard.IsWindowVisible());
            EXPECT_TRUE(Page(1).IsWindowVisible()) << "the page's own cancel does nothing";
            HWND back = wizard.GetDlgItem(ID_WIZBACK);
            ::SetFocus(back);
            ::PostMessageA(back, WM_KEYDOWN, VK_ESCAPE, 0);
        },
    });
    EXPECT_EQ(result, IDCANCEL) << "Escape on the wizard's own controls cancels";
}

TEST_F(WizardTest, EnterInsideAPageKeepsThePage) {
    Build(2);
    INT_PTR result = RunModalScript(wizard, {
        [&] { Click(wizard.m_hWnd, ID_WIZNEXT); },
        [&] {
            HWND radio = Page(1).GetDlgItem(IDC_LANGUAGE_ENGLISH);
            ::SetFocus(radio);
            ::PostMessageA(radio, WM_KEYDOWN, VK_RETURN, 0);
            ::PostMessageA(radio, WM_KEYUP, VK_RETURN, 0);
        },
        [&] {
            EXPECT_TRUE(Page(1).IsWindowVisible()) << "Enter must not end the page's child dialog";
            EXPECT_TRUE(wizard.IsWindowVisible());
            Click(wizard.m_hWnd, IDC_CANCEL_BUTTON);
        },
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(WizardTest, OkCommandEndsTheWizardWithoutAskingPages) {
    Build(2);
    INT_PTR result = RunModalScript(wizard, {[&] {
        Page(0).canLeave = Page(0).canFinish = Page(0).canCancel = FALSE;
        log.clear();
        ::SendMessageA(wizard.m_hWnd, WM_COMMAND, IDOK, 0);
    }});
    EXPECT_EQ(result, IDOK);
    // Only the window's destruction asked the page, which refused: its window went with the wizard's,
    // without OnPageDestroying.
    std::vector<std::string> expected = {"leave:138"};
    EXPECT_EQ(log, expected);
    Page(0).canLeave = TRUE;
}

TEST_F(WizardTest, QuitMessageEndsTheRunWithMinusOne) {
    Build(2);
    INT_PTR result = RunModalScript(wizard, {[&] { ::PostMessageA(wizard.m_hWnd, WM_QUIT, 0, 0); }});
    EXPECT_EQ(result, -1);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message is passed on";
}

TEST_F(WizardTest, WindowStyleMenuAndIcon) {
    Build(2);
    Open();
    EXPECT_TRUE(wizard.GetExStyle() & WS_EX_CONTROLPARENT);
    EXPECT_NE(wizard.SendMessageA(WM_GETICON, ICON_BIG), 0);
    EXPECT_NE(wizard.SendMessageA(WM_GETICON, ICON_SMALL), 0);
    EXPECT_EQ(wizard.SendMessageA(WM_QUERYDRAGICON), wizard.SendMessageA(WM_GETICON, ICON_BIG));

    HMENU menu = wizard.GetSystemMenu(false);
    ASSERT_NE(menu, nullptr);
    int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    char text[128] = {};
    ::GetMenuStringA(menu, IDM_ABOUTBOX, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "About setup wizard (&A)...");
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    ::GetMenuItemInfoA(menu, static_cast<UINT>(count - 2), TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_SEPARATOR);
}

TEST_F(WizardTest, AboutBoxFromTheSystemMenu) {
    Build(2);
    AfxGetApp()->m_pMainWnd = &wizard;  // as start-up does: the About box belongs to the main window
    for (UINT command : {0x10u, 0x1Fu}) {
        for (auto& page : pages) page->m_bActive = page->m_bCreated = FALSE;
        std::string version, notice;
        bool wizardDisabled = false, found = false, closed = false;
        INT_PTR result = RunModalScript(wizard, {
            [&] { ::PostMessageA(wizard.m_hWnd, WM_SYSCOMMAND, command, 0); },
            [&] {
                HWND about = FindThreadDialog("About setup wizard");
                found = about != nullptr;
                if (!found) return;
                version = TextOf(::GetDlgItem(about, IDC_ABOUT_VERSION));
                notice = TextOf(::GetDlgItem(about, IDC_ABOUT_NOTICE));
                wizardDisabled = !wizard.IsWindowEnabled();
                Click(about, IDOK);
            },
            [&] {
                closed = FindThreadDialog("About setup wizard") == nullptr;
                EXPECT_TRUE(wizard.IsWindowEnabled());
                EXPECT_EQ(Active(), 138u) << "the wizard is unchanged";
                Click(wizard.m_hWnd, IDC_CANCEL_BUTTON);
            },
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(found) << "command " << command;
        EXPECT_TRUE(closed);
        EXPECT_TRUE(wizardDisabled) << "the About box is modal on the wizard";
        EXPECT_EQ(version, "setup wizard version 1.0");
        EXPECT_FALSE(notice.empty());
    }
    // Other system commands are the system's: 0x20 opens nothing.
    for (auto& page : pages) page->m_bActive = page->m_bCreated = FALSE;
    bool opened = true;
    RunModalScript(wizard, {[&] { ::PostMessageA(wizard.m_hWnd, WM_SYSCOMMAND, 0x20, 0); },
                            [&] {
                                opened = FindThreadDialog("About setup wizard") != nullptr;
                                Click(wizard.m_hWnd, IDC_CANCEL_BUTTON);
                            }});
    EXPECT_FALSE(opened);
}

}  // namespace
