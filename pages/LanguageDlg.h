// The second page (IDD_LANGUAGE): the detected Windows release as a preselected radio button, and the
// language of the installation (Chinese or English), published in g_wLanguage.
#pragma once
#include "framework/Controls.h"
#include "wizard/NewWizPage.h"

// The system radio index for a host operating-system code: 6..10 -> 0..4 (2000, XP, 2003, Vista, 7), else -1.
int SystemIndexForOSType(int osType);
// The language radio index for the system's default language: 0 Chinese (low byte 4), else 1 English.
int LanguageIndexForLangId(unsigned short systemLangId);

class CLanguageDlg : public CNewWizPage {
public:
    explicit CLanguageDlg(CWnd* parent = nullptr);

    CStatic m_picture;
    CButton m_frame;
    int m_nLanguage = -1;  // 0 Chinese (IDC_LANGUAGE_CHINESE), 1 English (IDC_LANGUAGE_ENGLISH), -1 none
    int m_nOS = -1;        // 0..4 for IDC_OS_WIN2000..IDC_OS_WIN7, -1 none

    static const MessageMap kMessageMap;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

    void OnLanguageClicked();
    void OnShowWindow(BOOL show, UINT status);

private:
    static const MessageMapEntry kMessageEntries[];
};
