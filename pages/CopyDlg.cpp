#include "pages/CopyDlg.h"

#include <iterator>

#include "app/globals.h"
#include "app/setup.h"
#include "framework/DataExchange.h"
#include "localization/win32/DialogStrings.h"
#include "pages/HeaderLayout.h"
#include "resources/resource.h"

namespace {

// The wait cursor for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
    ~WaitCursor() { ::SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

}  // namespace

const MessageMapEntry CCopyDlg::kMessageEntries[] = {
    OnCtlColorMsg(&CCopyDlg::OnCtlColor),
    OnTimerMsg(&CCopyDlg::OnTimer),
    OnShowWindowMsg(&CCopyDlg::OnShowWindow),
};
const MessageMap CCopyDlg::kMessageMap = {&CNewWizPage::kMessageMap, kMessageEntries,
                                          static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CCopyDlg::GetMessageMap() const { return &kMessageMap; }

CCopyDlg::CCopyDlg(CWnd* parent) : CNewWizPage(IDD_COPY, parent) {}

CCopyDlg::~CCopyDlg() = default;

void CCopyDlg::DoDataExchange(CDataExchange* pDX) {
    CNewWizPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HEADER_PICTURE, m_picture);
    DDX_Control(pDX, IDC_COPY_PROGRESS, m_progress);
    DDX_Control(pDX, IDC_HEADER_FRAME, m_frame);
}

BOOL CCopyDlg::OnInitDialog() {
    CNewWizPage::OnInitDialog();
    m_brush.CreateSolidBrush(RGB(255, 255, 255));
    g_SetDialogStrings(this, IDD_COPY);
    ApplyHeaderLayout(*this, m_frame, m_picture);
    return TRUE;
}

void CCopyDlg::OnShowWindow(BOOL show, UINT) {
    if (!show) {
        // A page left before the timer fired does not install behind the user's back.
        ::KillTimer(m_hWnd, kInstallTimerId);
        return;
    }
    if (!g_bInstalled) ::SetTimer(m_hWnd, kInstallTimerId, kInstallDelayMs, nullptr);
    ApplyHeaderLayout(*this, m_frame, m_picture);
}

void CCopyDlg::OnTimer(UINT_PTR) {
    WaitCursor wait;
    ::KillTimer(m_hWnd, kInstallTimerId);
    m_progress.SetPos(50);
    static_cast<CSetupApp*>(AfxGetApp())->InstallPrinterDriver();
    m_progress.SetPos(100);
    g_bInstalled = true;
}

HBRUSH CCopyDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    HBRUSH brush = CNewWizPage::OnCtlColor(dc, control, kind);
    if (control == m_frame.m_hWnd) {
        ::SetBkColor(dc, RGB(255, 255, 255));
        return m_brush;
    }
    return brush;
}
