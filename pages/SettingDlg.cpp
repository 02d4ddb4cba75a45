#include "pages/SettingDlg.h"

#include <iterator>

#include "framework/DataExchange.h"
#include "localization/win32/DialogStrings.h"
#include "resources/resource.h"
#include "wizard/NewWizDialog.h"

const MessageMapEntry CSettingDlg::kMessageEntries[] = {
    OnCommand(LBN_SELCHANGE, IDC_SERIES_LIST, &CSettingDlg::OnSeriesSelChange),
    OnShowWindowMsg(&CSettingDlg::OnShowWindow),
};
const MessageMap CSettingDlg::kMessageMap = {&CNewWizPage::kMessageMap, kMessageEntries,
                                             static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CSettingDlg::GetMessageMap() const { return &kMessageMap; }

CSettingDlg::CSettingDlg(CWnd* parent) : CNewWizPage(IDD_SETTING, parent) {}

CNewWizDialog* CSettingDlg::Wizard() const {
    // The page is created as a child of the container passed to Create.
    return dynamic_cast<CNewWizDialog*>(m_pParentWnd);
}

void CSettingDlg::DoDataExchange(CDataExchange* pDX) {
    CNewWizPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SERIES_LIST, m_listSeries);
    DDX_Check(pDX, IDC_DEFAULT_PRINTER, m_bDefault);
    DDX_Text(pDX, IDC_PRINTER_NAME, m_strName);
}

BOOL CSettingDlg::OnInitDialog() {
    CNewWizPage::OnInitDialog();
    UpdateData(true);
    m_listSeries.AddString(kSeriesName);
    // The series must be chosen before the wizard goes on, so the keyboard must reach the list, to which the
    // template gives no tab stop.
    ::SetWindowLongA(m_listSeries.m_hWnd, GWL_STYLE, ::GetWindowLongA(m_listSeries.m_hWnd, GWL_STYLE) | WS_TABSTOP);
    if (CNewWizDialog* wizard = Wizard()) wizard->EnableNext(m_listSeries.GetCurSel() != LB_ERR);
    g_SetDialogStrings(this, IDD_SETTING);
    return TRUE;
}

void CSettingDlg::OnSeriesSelChange() {
    if (CNewWizDialog* wizard = Wizard()) wizard->EnableNext(true);
    if (m_listSeries.GetCurSel() == 0) m_strName = kSeriesName;
    UpdateData(false);
}

void CSettingDlg::OnShowWindow(BOOL, UINT) { UpdateData(true); }
