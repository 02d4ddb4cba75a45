// The application object and its start-up: prepare the program's files, then run the wizard modally.
#include <windows.h>

#include "app/setup.h"
#include "framework/CommonControls.h"
#include "pages/CopyDlg.h"
#include "pages/LanguageDlg.h"
#include "pages/SettingDlg.h"
#include "pages/WelcomeDlg.h"
#include "platform/win32/Win32Platform.h"
#include "resources/resource.h"
#include "wizard/setupDlg.h"

CSetupApp theApp;

BOOL CSetupApp::InitInstance() {
    // The dialogs' control support: the progress bar class of the last page lives in comctl32.
    EnableDialogControls();

    PrepareStartup();

    CSetupDlg dlg;
    CWelcomeDlg welcome;
    CLanguageDlg language;
    CSettingDlg setting;
    CCopyDlg copy;
    dlg.AddPage(&welcome, IDD_WELCOME);
    dlg.AddPage(&language, IDD_LANGUAGE);
    dlg.AddPage(&setting, IDD_SETTING);
    dlg.AddPage(&copy, IDD_COPY);

    m_pMainWnd = &dlg;
    SetMainWindowProvider([this]() -> HWND { return m_pMainWnd != nullptr ? m_pMainWnd->m_hWnd : nullptr; });
    dlg.DoModal();
    m_pMainWnd = nullptr;  // the wizard window goes with this scope
    return FALSE;
}
