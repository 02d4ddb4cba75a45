// The progress page: timer 1 is armed when the page is shown before an installation, and only then; leaving
// the page disarms it, so the installation never starts behind another page.
#include <gtest/gtest.h>

#include "app/globals.h"
#include "framework/WinApp.h"
#include "pages/CopyDlg.h"
#include "pages/LanguageDlg.h"
#include "pages/SettingDlg.h"
#include "pages/WelcomeDlg.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"
#include "wizard/setupDlg.h"

namespace {

class CopyPageTest : public testing::Test {
protected:
    void SetUp() override {
        table = std::make_unique<ScopedLanguageTable>("[String]\r\nIDD140_1060=Installing...\r\n");
        g_bInstalled = false;
        wizard.AddPage(&welcome, IDD_WELCOME);
        wizard.AddPage(&language, IDD_LANGUAGE);
        wizard.AddPage(&setting, IDD_SETTING);
        wizard.AddPage(&copy, IDD_COPY);
        AfxGetApp()->m_pMainWnd = &wizard;
        ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG));
        hwnd = wizard.m_hWnd;
    }
    void TearDown() override {
        if (copy.IsWindow()) ::KillTimer(copy.m_hWnd, kInstallTimerId);  // never let it fire here
        if (wizard.IsWindow()) wizard.DestroyWindow();
        AfxGetApp()->m_pMainWnd = nullptr;
        g_bInstalled = false;
    }
    void GoToProgressPage() {
        Click(hwnd, ID_WIZNEXT);
        Click(hwnd, ID_WIZNEXT);
        HWND list = setting.GetDlgItem(IDC_SERIES_LIST);
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        ::SendMessageA(setting.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SERIES_LIST, LBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(list));
        Click(hwnd, ID_WIZNEXT);
        ASSERT_TRUE(copy.IsWindowVisible());
    }
    // Whether timer 1 is armed on the page; the probe disarms it.
    bool TimerArmed() { return ::KillTimer(copy.m_hWnd, kInstallTimerId) != FALSE; }

    std::unique_ptr<ScopedLanguageTable> table;
    CSetupDlg wizard;
    CWelcomeDlg welcome;
    CLanguageDlg language;
    CSettingDlg setting;
    CCopyDlg copy;
    HWND hwnd = nullptr;
};

TEST_F(CopyPageTest, ShowingThePageArmsTheTimerAndLeavesTheBarAtZero) {
    GoToProgressPage();
    EXPECT_EQ(copy.m_progress.GetPos(), 0);
    EXPECT_EQ(TextOf(copy.GetDlgItem(IDC_COPY_STATUS)), "Installing...");
    EXPECT_TRUE(TimerArmed());
}

TEST_F(CopyPageTest, BackBeforeTheTimerFiresDisarmsIt) {
    GoToProgressPage();
    Click(hwnd, ID_WIZBACK);
    EXPECT_TRUE(setting.IsWindowVisible());
    EXPECT_FALSE(copy.IsWindowVisible());
    EXPECT_FALSE(TimerArmed());
}

TEST_F(CopyPageTest, NoTimerOnceInstalled) {
    g_bInstalled = true;
    GoToProgressPage();
    EXPECT_FALSE(TimerArmed());
}

TEST_F(CopyPageTest, HeaderFrameIsPaintedOnWhite) {
    GoToProgressPage();
    HDC dc = ::GetDC(copy.m_hWnd);
    HBRUSH brush = reinterpret_cast<HBRUSH>(::SendMessageA(copy.m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                           reinterpret_cast<LPARAM>(copy.m_frame.m_hWnd)));
    EXPECT_EQ(brush, copy.m_brush.GetSafeHandle());
    EXPECT_EQ(::GetBkColor(dc), RGB(255, 255, 255));
    ::ReleaseDC(copy.m_hWnd, dc);
}

}  // namespace
