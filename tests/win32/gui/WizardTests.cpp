// The wizard container and window: page order, button states, vetoes and targets, the ends of the run, the
// keyboard, the system menu and the About box.
#include "app/globals.h"
#include "framework/WinApp.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"

namespace {

using Log = std::vector<std::string>;

// A page whose eight navigation answers are set by the test, and which logs each call as "<call>:<id>"
// ("shown" while no page is active, "destroying" while its window exists; "?" marks the opposite).
class ProbePage : public CNewWizPage {
public:
    ProbePage(UINT id, Log* log, CNewWizDialog* wizard) : CNewWizPage(id), log_(log), wizard_(wizard) {}

    BOOL created = TRUE, canLeave = TRUE, canCancel = TRUE, canFinish = TRUE;
    LONG backTarget = 0, nextTarget = 0;

    BOOL OnPageCreated() override { return Note("created", created); }
    void OnPageDestroying() override { Note(IsWindow() ? "destroying" : "destroying?", TRUE); }
    BOOL CanLeavePage() override { return Note("leave", canLeave); }
    void OnPageShown() override { Note(wizard_->GetActivePage() == nullptr ? "shown" : "shown?", TRUE); }
    BOOL CanCancel() override { return Note("cancel", canCancel); }
    LONG GetBackTarget() override { Note("back", TRUE); return backTarget; }
    LONG GetNextTarget() override { Note("next", TRUE); return nextTarget; }
    BOOL CanFinish() override { return Note("finish", canFinish); }

private:
    BOOL Note(const char* what, BOOL answer) {
        log_->push_back(std::string(what) + ":" + std::to_string(m_nDialogID));
        return answer;
    }
    Log* log_;
    CNewWizDialog* wizard_;
};

// The wizard window; Wine gives every dialog WS_EX_CONTROLPARENT, so it is cleared first to show the container's.
class TestWizard : public CSetupDlg {
    BOOL OnInitDialog() override { ModifyExStyle(WS_EX_CONTROLPARENT, 0); return CSetupDlg::OnInitDialog(); }
};

// The wizard window with probe pages on the four page templates.
class WizardTest : public testing::Test {
protected:
    void Build(int pageCount, bool open = true) {
        const UINT ids[] = {IDD_WELCOME, IDD_LANGUAGE, IDD_SETTING, IDD_COPY};
        for (int i = 0; i < pageCount; ++i) {
            pages.push_back(std::make_unique<ProbePage>(ids[i], &log, &wizard));
            wizard.AddPage(pages.back().get(), ids[i]);
        }
        AfxGetApp()->m_pMainWnd = &wizard;  // as start-up does: the About box belongs to the main window
        if (open) ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
    }
    // Before another modal run: the pages as before the first.
    void Reset() { for (auto& page : pages) page->m_bActive = page->m_bCreated = FALSE; }
    void TearDown() override {
        if (wizard.IsWindow()) wizard.DestroyWindow();
        AfxGetApp()->m_pMainWnd = nullptr;
        g_bInstalled = false;
    }
    template <class... Ids>
    void Press(Ids... ids) { (Click(wizard.m_hWnd, ids), ...); }  // the buttons in turn
    std::string Buttons() const { return ::Buttons(wizard.m_hWnd); }
    UINT Active() const { return wizard.GetActivePage() != nullptr ? wizard.GetActivePage()->m_nDialogID : 0; }
    ProbePage& Page(int i) { return *pages[static_cast<size_t>(i)]; }
    ProbePage& ActivePage() { return *static_cast<ProbePage*>(wizard.GetActivePage()); }

    Log log;
    std::vector<std::unique_ptr<ProbePage>> pages;
    TestWizard wizard;
};

TEST_F(WizardTest, FourDefaultPagesFollowTheButtonTable) {
    Build(4);
    EXPECT_EQ(Active(), 138u);
    EXPECT_EQ(Buttons(), "-N-");
    EXPECT_FALSE(Page(1).m_bCreated) << "pages are created when first shown";
    const struct { int button; UINT active; const char* buttons; } moves[] = {
        {ID_WIZNEXT, 137, "BN-"}, {ID_WIZNEXT, 143, "BN-"}, {ID_WIZNEXT, 140, "B-F"},
        {ID_WIZNEXT, 140, "B-F"},  // no page after the last
        {ID_WIZBACK, 143, "BNF"},  // Finish stays enabled on the middle pages once the last was reached
        {ID_WIZBACK, 137, "BNF"}, {ID_WIZBACK, 138, "-N-"},
        {ID_WIZBACK, 138, "-N-"},  // no page before the first
    };
    for (const auto& m : moves) {
        Press(m.button);
        EXPECT_EQ(Active(), m.active);
        EXPECT_EQ(Buttons(), m.buttons) << "on " << m.active;
        for (auto& page : pages) EXPECT_EQ(::IsWindowVisible(page->m_hWnd), page->m_nDialogID == m.active);
        EXPECT_TRUE(::IsWindowEnabled(ActivePage().m_hWnd));
        RECT r = RectIn(ActivePage().m_hWnd, wizard.m_hWnd);
        EXPECT_TRUE(r.left == 0 && r.top == 0) << "at the placeholder's corner, not " << r.left << "," << r.top;
    }
}

// One page: Finish only, set before the page is created; a first page that refuses its creation stays hidden.
TEST_F(WizardTest, OnePageStartsWithFinishOnlyAndARefusedFirstPageStaysHidden) {
    Build(1, false);
    Page(0).created = FALSE;
    ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
    EXPECT_EQ(Buttons(), "--F");
    EXPECT_EQ(Active(), 0u) << "no page is active";
    EXPECT_TRUE(Page(0).m_bCreated && !::IsWindowVisible(Page(0).m_hWnd));
}

TEST_F(WizardTest, PageCallsInOrder) {
    Build(3);
    Press(ID_WIZNEXT);
    EXPECT_EQ(log, (Log{"created:138", "shown:138", "next:138", "created:137", "leave:138", "shown:137"}));
    log.clear();
    wizard.DestroyWindow();  // each created page is asked, then told before its window goes
    EXPECT_EQ(log, (Log{"leave:138", "destroying:138", "leave:137", "destroying:137"}));
    EXPECT_FALSE(Page(0).m_bCreated || Page(0).IsWindow());
}

TEST_F(WizardTest, NextTargetsAndVetoes) {
    Build(4);
    const struct { LONG target; UINT active; const char* buttons; } nexts[] = {
        {-1, 138, "-N-"},   // stays
        {999, 138, "-N-"},  // an id no page carries
        {143, 143, "BN-"},  // a target id jumps to that page
        {138, 138, "BN-"},  // to an earlier page, and Back is enabled even on the first
    };
    for (const auto& n : nexts) {
        ActivePage().nextTarget = n.target;
        Press(ID_WIZNEXT);
        EXPECT_EQ(Active(), n.active) << n.target;
        EXPECT_EQ(Buttons(), n.buttons) << n.target;
    }
    EXPECT_FALSE(Page(1).m_bCreated) << "a page jumped over is not created";

    Page(0).nextTarget = 0;
    Page(0).canLeave = FALSE;
    Press(ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "the page refused to be left";
    EXPECT_TRUE(Page(1).m_bCreated && !::IsWindowVisible(Page(1).m_hWnd)) << "the window made for the attempt stays hidden";

    Page(0).canLeave = TRUE;
    Page(0).nextTarget = 140;
    Page(3).created = FALSE;
    Press(ID_WIZNEXT);
    EXPECT_EQ(Active(), 138u) << "OnPageCreated said no";
    EXPECT_TRUE(Page(3).m_bCreated && !::IsWindowVisible(Page(3).m_hWnd));
    EXPECT_TRUE(::IsWindowVisible(Page(0).m_hWnd));
}

TEST_F(WizardTest, BackTargetsAndTheInstalledFlag) {
    Build(4);
    Press(ID_WIZNEXT);
    const struct { LONG target; UINT active; bool installedAfter; } backs[] = {
        {-1, 137, true}, {4242, 137, true},  // no move leaves the flag
        {143, 143, false},                    // a target may lie ahead; every successful Back clears the flag
        {-1, 143, true},
    };
    for (const auto& b : backs) {
        ActivePage().backTarget = b.target;
        g_bInstalled = true;
        Press(ID_WIZBACK);
        EXPECT_EQ(Active(), b.active) << b.target;
        EXPECT_EQ(g_bInstalled, b.installedAfter) << b.target;
    }
}

TEST_F(WizardTest, FinishOnAMiddlePageOnceEveryCreatedPageAgrees) {
    Build(3, false);
    INT_PTR result = RunModalScript(wizard, {
        [&] {
            Press(ID_WIZNEXT, ID_WIZNEXT, ID_WIZBACK);  // the middle page, with Finish enabled by the visit to the last
            Page(1).canLeave = FALSE;
            Press(ID_WIZFINISH);
        },
        [&] {
            EXPECT_TRUE(::IsWindowVisible(wizard.m_hWnd)) << "the active page refused to be left";
            Page(1).canLeave = TRUE;
            Page(2).canFinish = FALSE;  // a hidden page that was created says no
            Press(ID_WIZFINISH);
        },
        [&] {
            EXPECT_TRUE(::IsWindowVisible(wizard.m_hWnd)) << "a created page refused to finish";
            Page(2).canFinish = TRUE;
            log.clear();
            Press(ID_WIZFINISH);
        },
    });
    EXPECT_EQ(result, ID_WIZFINISH);
    EXPECT_EQ(Log(log.begin(), log.begin() + 4), (Log{"leave:137", "finish:138", "finish:137", "finish:143"}));
}

TEST_F(WizardTest, EndsOfTheRun) {
    Build(2, false);
    const struct { const char* how; void (*end)(HWND); INT_PTR result; } ends[] = {
        {"Cancel button", [](HWND w) { Click(w, IDC_CANCEL_BUTTON); }, IDCANCEL},
        {"close command", [](HWND w) { ::PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
        {"OK command", [](HWND w) { ::SendMessageA(w, WM_COMMAND, IDOK, 0); }, IDOK},
        {"quit message", [](HWND w) { ::PostMessageA(w, WM_QUIT, 0, 0); }, -1},
    };
    for (const auto& e : ends) {
        Reset();
        bool vetoed = false;
        INT_PTR result = RunModalScript(wizard, {
            [&] {
                Page(0).canCancel = Page(0).canLeave = Page(0).canFinish = FALSE;
                log.clear();
                e.end(wizard.m_hWnd);
            },
            [&] {
                vetoed = true;
                Page(0).canCancel = Page(0).canLeave = TRUE;
                log.clear();
                e.end(wizard.m_hWnd);
            },
        });
        EXPECT_EQ(result, e.result) << e.how;
        bool cancel = e.result == IDCANCEL;
        EXPECT_EQ(vetoed, cancel) << e.how << ": only a cancel asks the pages, and a page can veto it";
        // Then the window's destruction asks the created page (the one not yet shown is never asked); a page
        // that refuses loses its window with the wizard's, without OnPageDestroying.
        EXPECT_EQ(log, cancel ? (Log{"cancel:138", "leave:138", "destroying:138"}) : Log{"leave:138"}) << e.how;
    }
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message is passed on";
}

TEST_F(WizardTest, EscapeAndEnterInsideAPageKeepThePage) {
    Build(2, false);
    auto key = [](HWND w, WPARAM k) {
        ::SetFocus(w);
        ::PostMessageA(w, WM_KEYDOWN, k, 0);
        ::PostMessageA(w, WM_KEYUP, k, 0);
    };
    bool kept = false;
    INT_PTR result = RunModalScript(wizard, {
        [&] { Press(ID_WIZNEXT); },
        [&] {
            key(Page(1).GetDlgItem(IDC_LANGUAGE_CHINESE), VK_ESCAPE);
            key(Page(1).GetDlgItem(IDC_LANGUAGE_ENGLISH), VK_RETURN);
        },
        [&] {
            kept = ::IsWindowVisible(Page(1).m_hWnd) && ::IsWindowVisible(wizard.m_hWnd);
            key(wizard.GetDlgItem(ID_WIZBACK), VK_ESCAPE);
        },
    });
    EXPECT_TRUE(kept) << "the page's own cancel and OK do nothing";
    EXPECT_EQ(result, IDCANCEL) << "Escape on the wizard's own controls cancels";
}

// After every move the focus is on the page's first tab stop (the settings template's check box) or on the
// default button, which is always an enabled one; a focused button that is disabled hands the focus on.
TEST_F(WizardTest, FocusAndDefaultButtonAfterEveryMove) {
    Build(4);
    const struct { int button; UINT active; int focus; int defaultId; } moves[] = {
        {0, 138, ID_WIZNEXT, ID_WIZNEXT},           {ID_WIZNEXT, 137, ID_WIZNEXT, ID_WIZNEXT},
        {ID_WIZNEXT, 143, IDC_DEFAULT_PRINTER, ID_WIZNEXT}, {ID_WIZNEXT, 140, ID_WIZFINISH, ID_WIZFINISH},
        {ID_WIZBACK, 143, IDC_DEFAULT_PRINTER, ID_WIZNEXT}, {ID_WIZBACK, 137, ID_WIZNEXT, ID_WIZNEXT},
        {ID_WIZBACK, 138, ID_WIZNEXT, ID_WIZNEXT},
    };
    for (const auto& m : moves) {
        if (m.button != 0) Press(m.button);
        ASSERT_EQ(Active(), m.active);
        EXPECT_TRUE(FocusUsable(wizard.m_hWnd)) << "on " << m.active;
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), m.focus) << "on " << m.active;
        EXPECT_EQ(EnabledDefault(wizard.m_hWnd), m.defaultId) << "on " << m.active;
    }
    ::SetFocus(wizard.GetDlgItem(ID_WIZNEXT));
    wizard.EnableNext(false);
    EXPECT_TRUE(FocusUsable(wizard.m_hWnd)) << "the focus went on from the disabled Next";
    EXPECT_EQ(EnabledDefault(wizard.m_hWnd), IDC_CANCEL_BUTTON) << "Back and Finish are disabled too";
}

// Keys as the modal loop receives them: Tab and Shift+Tab through the page's tab stop and the enabled buttons
// in their visual order; Enter presses the focused button or the default; Alt+N and Alt+B from inside a page.
TEST_F(WizardTest, TabEnterAndMnemonics) {
    ScopedLanguageTable table("[String]\r\nIDD102_12323=&Back\r\nIDD102_12324=&Next\r\n");
    Build(4, false);
    std::vector<int> focus;
    std::vector<UINT> active;
    auto at = [&] { active.push_back(Active()); };
    std::vector<int> framed;  // the button drawn as the default: the focused one, else the default
    auto key = [&](WPARAM k, bool shift = false) {
        return [&, k, shift] {
            focus.push_back(::GetDlgCtrlID(::GetFocus()));
            for (int id : {ID_WIZBACK, ID_WIZNEXT, ID_WIZFINISH, IDC_CANCEL_BUTTON})
                if (::SendMessageA(wizard.GetDlgItem(id), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) framed.push_back(id);
            HoldShift(shift);
            PostKey(k);
        };
    };
    auto alt = [&](char c, HWND from) { return [&, c, from] { at(); ::SetFocus(from); PostAlt(c); }; };
    HWND radio = nullptr, check = nullptr;
    HoldShift(false);
    INT_PTR result = RunModalScript(wizard, {
        [&] { PostKey(VK_RETURN); },  // the focused Next
        [&] { at(); ::SetFocus(radio = Page(1).GetDlgItem(IDC_LANGUAGE_ENGLISH)); PostAlt('n'); },
        [&] { at(); check = Page(2).GetDlgItem(IDC_DEFAULT_PRINTER); key(VK_TAB)(); },
        key(VK_TAB), key(VK_TAB), key(VK_TAB), key(VK_TAB, true), key(VK_TAB, true), key(VK_RETURN),
        [&] { at(); key(VK_TAB)(); }, key(VK_TAB), key(VK_RETURN),
        [&] { alt('B', check)(); },
        [&] { alt('x', radio)(); },  // no button has it
        [&] { at(); ::SetFocus(wizard.GetDlgItem(ID_WIZBACK)); PostKey(VK_RETURN); },  // focused as a click does
        [&] { at(); Press(IDC_CANCEL_BUTTON); },
    });
    HoldShift(false);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(active, (std::vector<UINT>{137, 143, 140, 143, 137, 137, 138}));
    // 143: from the check box Back, Next, Cancel (Finish is disabled), the check box; backwards Cancel, Next;
    // 140, without a tab stop: Finish, Cancel, Back.
    EXPECT_EQ(focus, (std::vector<int>{IDC_DEFAULT_PRINTER, ID_WIZBACK, ID_WIZNEXT, IDC_CANCEL_BUTTON,
                                       IDC_DEFAULT_PRINTER, IDC_CANCEL_BUTTON, ID_WIZNEXT, ID_WIZFINISH,
                                       IDC_CANCEL_BUTTON, ID_WIZBACK}));
    EXPECT_EQ(framed, (std::vector<int>{ID_WIZNEXT, ID_WIZBACK, ID_WIZNEXT, IDC_CANCEL_BUTTON, ID_WIZNEXT,
                                        IDC_CANCEL_BUTTON, ID_WIZNEXT, ID_WIZFINISH, IDC_CANCEL_BUTTON, ID_WIZBACK}));
}

TEST_F(WizardTest, AboutBoxCentredOnTheWizard) {
    Build(2, false);
    ::SetWindowPos(wizard.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT about = {}, main = {};
    RunModalScript(wizard, {
        [&] { ::SetWindowPos(wizard.m_hWnd, nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
              ::PostMessageA(wizard.m_hWnd, WM_SYSCOMMAND, IDM_ABOUTBOX, 0); },
        [&] { HWND box = FindVisibleDialog("About setup wizard");
              if (box != nullptr) ::GetWindowRect(box, &about), Click(box, IDOK);
              ::GetWindowRect(wizard.m_hWnd, &main); },
        [&] { Press(IDC_CANCEL_BUTTON); },
    });
    EXPECT_NEAR(about.left + about.right, main.left + main.right, 2);
    EXPECT_NEAR(about.top + about.bottom, main.top + main.bottom, 2);
}

TEST_F(WizardTest, WindowStyleMenuAndIcon) {
    Build(2);
    EXPECT_TRUE(wizard.GetExStyle() & WS_EX_CONTROLPARENT);
    LRESULT big = wizard.SendMessageA(WM_GETICON, ICON_BIG);
    EXPECT_NE(big, 0);
    EXPECT_NE(wizard.SendMessageA(WM_GETICON, ICON_SMALL), 0);
    EXPECT_EQ(wizard.SendMessageA(WM_QUERYDRAGICON), big);

    HMENU menu = wizard.GetSystemMenu(false);
    int count = ::GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    char text[128] = {};
    ::GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "About setup wizard (&A)...");
    EXPECT_EQ(::GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_TRUE(::GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR);
}

TEST_F(WizardTest, AboutBoxFromTheSystemMenu) {
    Build(2, false);
    // Any command 0x10 to 0x1F opens it (closed with OK or with its close command); 0x20 is the system's.
    const struct { UINT command; bool opens; UINT closeWith; } commands[] = {
        {0x10, true, IDOK}, {0x1F, true, SC_CLOSE}, {0x20, false, 0}};
    for (const auto& c : commands) {
        Reset();
        bool opened = false;
        INT_PTR result = RunModalScript(wizard, {
            [&] { ::PostMessageA(wizard.m_hWnd, WM_SYSCOMMAND, c.command, 0); },
            [&] {
                HWND about = FindVisibleDialog("About setup wizard");
                if (!(opened = about != nullptr)) return;
                EXPECT_EQ(TextOf(::GetDlgItem(about, IDC_ABOUT_VERSION)), "setup wizard version 1.0");
                EXPECT_FALSE(TextOf(::GetDlgItem(about, IDC_ABOUT_NOTICE)).empty());
                EXPECT_FALSE(::IsWindowEnabled(wizard.m_hWnd)) << "the About box is modal on the wizard";
                EXPECT_TRUE(::SendMessageA(::GetDlgItem(about, IDOK), WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON);
                if (c.closeWith == IDOK) Click(about, IDOK);
                else ::PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
            },
            [&] {
                EXPECT_EQ(FindVisibleDialog("About setup wizard"), nullptr) << "closed";
                EXPECT_TRUE(::IsWindowEnabled(wizard.m_hWnd));
                EXPECT_EQ(Active(), 138u) << "the wizard is unchanged";
                Press(IDC_CANCEL_BUTTON);
            },
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(opened, c.opens) << "command " << c.command;
    }
}

}  // namespace
