// The application object of setup.exe and the wizard it runs once the program's files are prepared.
#include <windows.h>

#include "app/globals.h"
#include "app/setup.h"
#include "framework/CommonControls.h"
#include "localization/win32/DialogStrings.h"
#include "pages/CopyDlg.h"
#include "pages/LanguageDlg.h"
#include "pages/SettingDlg.h"
#include "pages/WelcomeDlg.h"
#include "platform/win32/Win32Platform.h"
#include "resources/resource.h"
#include "wizard/setupDlg.h"

namespace {

// The wizard window with its four pages, run modally; its result is not acted on.
void RunSetupWizard(CSetupApp& app) {
    // The dialogs' control support: the progress bar class of the last page lives in comctl32.
    EnableDialogControls();
    SetDialogStringsTable(g_strLanguageFile);

    CSetupDlg dlg;
    CWelcomeDlg welcome;
    CLanguageDlg language;
    CSettingDlg setting;
    CCopyDlg copy;
    dlg.AddPage(&welcome, IDD_WELCOME);
    dlg.AddPage(&language, IDD_LANGUAGE);
    dlg.AddPage(&setting, IDD_SETTING);
    dlg.AddPage(&copy, IDD_COPY);

    app.m_pMainWnd = &dlg;
    SetMainWindowProvider([&app]() -> HWND { return app.m_pMainWnd != nullptr ? app.m_pMainWnd->m_hWnd : nullptr; });
    dlg.DoModal();
    app.m_pMainWnd = nullptr;  // the wizard window goes with this scope
}

}  // namespace

CSetupApp theApp(RunSetupWizard);
