// The last page (IDD_COPY): half a second after it is shown it runs the installation, with the progress
// bar at the middle while the run lasts and at the end afterwards.
#pragma once
#include "framework/Controls.h"
#include "wizard/NewWizPage.h"

// Timer that starts the installation, and its delay after the page is shown.
constexpr UINT_PTR kInstallTimerId = 1;
constexpr UINT kInstallDelayMs = 500;

class CCopyDlg : public CNewWizPage {
public:
    explicit CCopyDlg(CWnd* parent = nullptr);
    ~CCopyDlg() override;

    CBrush m_brush;  // white background of the header frame
    CStatic m_picture;
    CProgressCtrl m_progress;
    CButton m_frame;

    static const MessageMap kMessageMap;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    const MessageMap* GetMessageMap() const override;

    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    void OnTimer(UINT_PTR id);
    void OnShowWindow(BOOL show, UINT status);

private:
    static const MessageMapEntry kMessageEntries[];
};
