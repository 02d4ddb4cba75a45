#include "pages/LanguageDlg.h"

#include <iterator>

#include "app/CommandLine.h"
#include "app/OSType.h"
#include "app/globals.h"
#include "framework/DataExchange.h"
#include "localization/win32/DialogStrings.h"
#include "pages/HeaderLayout.h"
#include "resources/resource.h"

int SystemIndexForOSType(int osType) { return osType >= 6 && osType <= 10 ? osType - 6 : -1; }

int LanguageIndexForLangId(unsigned short systemLangId) { return PreselectedLanguage(LanguagePreset::System, systemLangId); }

const MessageMapEntry CLanguageDlg::kMessageEntries[] = {
    OnCommand(BN_CLICKED, IDC_LANGUAGE_CHINESE, &CLanguageDlg::OnLanguageClicked),
    OnCommand(BN_CLICKED, IDC_LANGUAGE_ENGLISH, &CLanguageDlg::OnLanguageClicked),
    OnShowWindowMsg(&CLanguageDlg::OnShowWindow),
};
const MessageMap CLanguageDlg::kMessageMap = {&CNewWizPage::kMessageMap, kMessageEntries,
                                              static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CLanguageDlg::GetMessageMap() const { return &kMessageMap; }

CLanguageDlg::CLanguageDlg(CWnd* parent) : CNewWizPage(IDD_LANGUAGE, parent) {}

void CLanguageDlg::DoDataExchange(CDataExchange* pDX) {
    CNewWizPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HEADER_PICTURE, m_picture);
    DDX_Control(pDX, IDC_HEADER_FRAME, m_frame);
    DDX_Radio(pDX, IDC_LANGUAGE_CHINESE, m_nLanguage);
    DDX_Radio(pDX, IDC_OS_WIN2000, m_nOS);
}

BOOL CLanguageDlg::OnInitDialog() {
    CNewWizPage::OnInitDialog();
    m_nLanguage = PreselectedLanguage(g_languagePreset, ::GetSystemDefaultLangID());
    g_wLanguage = static_cast<std::uint16_t>(m_nLanguage);
    m_nOS = SystemIndexForOSType(GetOSType());
    g_SetDialogStrings(this, IDD_LANGUAGE);
    ApplyHeaderLayout(*this, m_frame, m_picture);
    UpdateData(false);
    return TRUE;
}

void CLanguageDlg::OnLanguageClicked() {
    UpdateData(true);
    g_wLanguage = static_cast<std::uint16_t>(m_nLanguage);
}

void CLanguageDlg::OnShowWindow(BOOL, UINT) { ApplyHeaderLayout(*this, m_frame, m_picture); }
