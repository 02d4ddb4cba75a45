// The first page (IDD_WELCOME): greeting, what will be installed and how to go on, next to the banner.
#pragma once
#include "wizard/NewWizPage.h"

class CWelcomeDlg : public CNewWizPage {
public:
    explicit CWelcomeDlg(CWnd* parent = nullptr);

protected:
    BOOL OnInitDialog() override;
};
