#include "wizard/NewWizPage.h"

#include <iterator>

#include "resources/resource.h"

const MessageMapEntry CNewWizPage::kMessageEntries[] = {
    OnCtlColorMsg(&CNewWizPage::OnCtlColor),
    OnEraseBkgndMsg(&CNewWizPage::OnEraseBkgnd),
};
const MessageMap CNewWizPage::kMessageMap = {&CDialog::kMessageMap, kMessageEntries,
                                             static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CNewWizPage::GetMessageMap() const { return &kMessageMap; }

CNewWizPage::CNewWizPage(UINT dialogId, CWnd* parent) : CDialog(dialogId, parent), m_nDialogID(dialogId) {}

CNewWizPage::~CNewWizPage() { m_brWhite.DeleteObject(); }

HBRUSH CNewWizPage::SharedWhiteBrush() {
    static HBRUSH brush = ::CreateSolidBrush(RGB(255, 255, 255));
    return brush;
}

BOOL CNewWizPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_brWhite.CreateSolidBrush(RGB(255, 255, 255));
    return TRUE;
}

HBRUSH CNewWizPage::OnCtlColor(HDC dc, HWND control, UINT kind) {
    HBRUSH brush = DefaultCtlColor(dc, control, kind);
    int id = ::GetDlgCtrlID(control);
    switch (kind) {
    case CTLCOLOR_EDIT:
    case CTLCOLOR_STATIC:
        ::SetTextColor(dc, RGB(0, 0, 0));
        if (id == IDC_PRINTER_NAME) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return SharedWhiteBrush();
        }
        ::SetBkMode(dc, TRANSPARENT);
        if (kind == CTLCOLOR_STATIC) {
            // Texts, group boxes, radio buttons and check boxes: nothing is filled behind them, so the white
            // the wizard painted under the page shows through (the system's brush would be the dialog face).
            ::SetBkColor(dc, RGB(255, 255, 255));
            return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
        }
        return brush;
    case CTLCOLOR_LISTBOX:
    case CTLCOLOR_SCROLLBAR:
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkMode(dc, TRANSPARENT);
        return brush;
    case CTLCOLOR_BTN:
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::SetBkColor(dc, RGB(255, 255, 255));
        return id == IDC_HEADER_FRAME ? m_brWhite.GetSafeHandle() : brush;
    case CTLCOLOR_DLG:
        return m_brWhite.GetSafeHandle();
    default:
        return brush;
    }
}

BOOL CNewWizPage::OnEraseBkgnd(HDC) { return TRUE; }
