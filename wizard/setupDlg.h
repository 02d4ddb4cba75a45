// The program's main window (the concrete wizard, IDD_SETUP_DIALOG) and its About box (IDD_ABOUTBOX).
#pragma once
#include "wizard/NewWizDialog.h"

class CSetupDlg : public CNewWizDialog {
public:
    explicit CSetupDlg(CWnd* parent = nullptr);

    static const MessageMap kMessageMap;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;

    // Command ids 0x10 to 0x1F open the About box; everything else is the system's.
    bool OnSysCommand(UINT id, LPARAM param);
    // Minimised: the icon centred on the erased background; otherwise the system paints.
    bool OnPaint();
    HCURSOR OnQueryDragIcon();

    HICON m_hIcon;

private:
    static const MessageMapEntry kMessageEntries[];
};

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
};
