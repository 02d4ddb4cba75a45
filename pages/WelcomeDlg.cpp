#include "pages/WelcomeDlg.h"

#include "localization/win32/DialogStrings.h"
#include "resources/resource.h"

CWelcomeDlg::CWelcomeDlg(CWnd* parent) : CNewWizPage(IDD_WELCOME, parent) {}

BOOL CWelcomeDlg::OnInitDialog() {
    CNewWizPage::OnInitDialog();
    g_SetDialogStrings(this, IDD_WELCOME);
    return TRUE;
}
