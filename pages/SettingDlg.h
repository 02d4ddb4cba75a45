// The third page (IDD_SETTING): the printer series to install, which must be selected before the wizard
// goes on, with a default-printer check box and a read-only name field that stay inside the page.
#pragma once
#include <string>

#include "framework/Controls.h"
#include "wizard/NewWizPage.h"

class CSettingDlg : public CNewWizPage {
public:
    explicit CSettingDlg(CWnd* parent = nullptr);

    CListBox m_listSeries;
    int m_bDefault = 1;
    std::string m_strName;

    static const MessageMap kMessageMap;
    static constexpr const char* kSeriesName = "58mm series";

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

    void OnSeriesSelChange();
    void OnShowWindow(BOOL show, UINT status);

private:
    // The wizard that hosts the page, when it is one.
    class CNewWizDialog* Wizard() const;
    static const MessageMapEntry kMessageEntries[];
};
