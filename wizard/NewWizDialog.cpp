#include "wizard/NewWizDialog.h"

#include <algorithm>
#include <iterator>

#include "app/globals.h"
#include "resources/resource.h"

const MessageMapEntry CNewWizDialog::kMessageEntries[] = {
    OnMessage(WM_DESTROY, &CNewWizDialog::OnDestroy),
    OnCommand(BN_CLICKED, ID_WIZFINISH, &CNewWizDialog::OnFinishClicked),
    OnCommand(BN_CLICKED, ID_WIZBACK, &CNewWizDialog::OnBackClicked),
    OnCommand(BN_CLICKED, ID_WIZNEXT, &CNewWizDialog::OnNextClicked),
    OnCommand(BN_CLICKED, IDCANCEL, &CNewWizDialog::OnCancel),  // virtual: a derived OnCancel is reached
};
const MessageMap CNewWizDialog::kMessageMap = {&CDialog::kMessageMap, kMessageEntries,
                                               static_cast<int>(std::size(kMessageEntries))};
const MessageMap* CNewWizDialog::GetMessageMap() const { return &kMessageMap; }

CNewWizDialog::CNewWizDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CNewWizDialog::~CNewWizDialog() = default;

void CNewWizDialog::AddPage(CNewWizPage* page, UINT dialogId) {
    page->m_nDialogID = dialogId;
    m_pageList.push_back(page);
}

void CNewWizDialog::EnableButton(int id, bool enable) {
    HWND button = GetDlgItem(id);
    // The system takes the focus from a window it disables and gives it to none.
    bool hadFocus = !enable && button != nullptr && ::GetFocus() == button;
    ::EnableWindow(button, enable ? TRUE : FALSE);
    UpdateDefaultButton();
    if (hadFocus) FocusControl(GetDlgItem(static_cast<int>(m_nDefaultID)));
}
void CNewWizDialog::EnableBack(bool enable) { EnableButton(ID_WIZBACK, enable); }
void CNewWizDialog::EnableNext(bool enable) { EnableButton(ID_WIZNEXT, enable); }
void CNewWizDialog::EnableFinish(bool enable) { EnableButton(ID_WIZFINISH, enable); }

CNewWizPage* CNewWizDialog::GetActivePage() const {
    for (CNewWizPage* page : m_pageList)
        if (page->m_bActive) return page;
    return nullptr;
}

CNewWizPage* CNewWizDialog::FindPage(UINT dialogId) const {
    for (CNewWizPage* page : m_pageList)
        if (page->m_nDialogID == dialogId) return page;
    return nullptr;
}

CNewWizPage* CNewWizDialog::MoveTarget(CNewWizPage* from, LONG target, int step) const {
    if (target == -1) return nullptr;
    if (target != 0) return FindPage(static_cast<UINT>(target));
    auto it = std::find(m_pageList.begin(), m_pageList.end(), from);
    if (it == m_pageList.end()) return nullptr;
    std::ptrdiff_t index = (it - m_pageList.begin()) + step;
    if (index < 0 || index >= static_cast<std::ptrdiff_t>(m_pageList.size())) return nullptr;
    return m_pageList[static_cast<size_t>(index)];
}

BOOL CNewWizDialog::ActivatePage(CNewWizPage* target) {
    if (!target->m_bCreated) {
        if (!target->Create(target->m_nDialogID, this)) return FALSE;
        // The page's controls take part in the wizard's dialog navigation: the page, created after the
        // template's controls, comes after Cancel in the Tab cycle and before Back.
        target->ModifyExStyle(0, WS_EX_CONTROLPARENT);
        target->m_bCreated = TRUE;
        if (!target->OnPageCreated()) return FALSE;
    }
    if (!DeactivatePage()) return FALSE;
    // Paint what the old page uncovered now, so that the wizard's own late painting cannot cover the new page.
    UpdateWindow();

    RECT place;
    ::GetWindowRect(GetDlgItem(static_cast<int>(m_nPlaceholderID)), &place);
    ScreenToClient(&place);
    target->SetWindowPos(nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    target->EnableWindow(true);
    target->ShowWindow(SW_SHOW);
    target->Invalidate(true);
    target->UpdateWindow();
    target->OnPageShown();
    target->m_bActive = TRUE;
    return TRUE;
}

BOOL CNewWizDialog::DeactivatePage() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr) return TRUE;
    if (!active->CanLeavePage()) return FALSE;
    active->ShowWindow(SW_HIDE);
    active->m_bActive = FALSE;
    return TRUE;
}

BOOL CNewWizDialog::DestroyPage(CNewWizPage* page) {
    if (!page->m_bCreated) return TRUE;
    if (!page->CanLeavePage()) return FALSE;
    page->OnPageDestroying();
    page->DestroyWindow();
    page->m_bCreated = FALSE;
    return TRUE;
}

BOOL CNewWizDialog::ShowFirstPage() {
    CNewWizPage* first = GetFirstPage();
    if (!DeactivatePage()) return FALSE;
    EnableBack(false);
    bool several = m_pageList.size() > 1;
    EnableFinish(!several);
    EnableNext(several);
    return ActivatePage(first);
}

BOOL CNewWizDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    ModifyExStyle(0, WS_EX_CONTROLPARENT);
    // The Tab order is the buttons' visual one: Finish stands between Next and Cancel.
    if (HWND finish = GetDlgItem(ID_WIZFINISH))
        ::SetWindowPos(finish, GetDlgItem(ID_WIZNEXT), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FocusAfterMove(ShowFirstPage() != FALSE);
    return FALSE;  // the focus is set
}

void CNewWizDialog::OnNextClicked() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr) return;
    CNewWizPage* target = MoveTarget(active, active->GetNextTarget(), +1);
    if (target == nullptr || !ActivatePage(target)) return FocusAfterMove(false);
    if (target == GetLastPage()) {
        EnableNext(false);
        EnableFinish(true);
    }
    EnableBack(true);
    FocusAfterMove(true);
}

void CNewWizDialog::OnBackClicked() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr) return;
    CNewWizPage* target = MoveTarget(active, active->GetBackTarget(), -1);
    if (target == nullptr || !ActivatePage(target)) return FocusAfterMove(false);
    if (target == GetFirstPage()) {
        EnableBack(false);
        EnableFinish(false);
    }
    g_bInstalled = false;  // the progress page installs again when it is next shown
    EnableNext(true);
    FocusAfterMove(true);
}

void CNewWizDialog::OnFinishClicked() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr || !active->CanLeavePage()) return;
    for (CNewWizPage* page : m_pageList)
        if (page->m_bCreated && !page->CanFinish()) return;
    EndDialog(ID_WIZFINISH);
}

void CNewWizDialog::OnCancel() {
    for (CNewWizPage* page : m_pageList)
        if (page->m_bCreated && !page->CanCancel()) return;
    CDialog::OnCancel();
}

void CNewWizDialog::OnDestroy() {
    for (CNewWizPage* page : m_pageList) DestroyPage(page);
}

// The keyboard.

void CNewWizDialog::GetButtons(HWND (&buttons)[4]) const {
    buttons[0] = GetDlgItem(ID_WIZBACK);
    buttons[1] = GetDlgItem(ID_WIZNEXT);
    buttons[2] = GetDlgItem(ID_WIZFINISH);
    buttons[3] = GetDlgItem(static_cast<int>(m_nCancelID));
}

namespace {
// The control's own state: the wizard is still hidden while it shows its first page.
bool Usable(HWND w) {
    return w != nullptr && (::GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) != 0 && ::IsWindowEnabled(w);
}
bool IsTabStop(HWND w) { return Usable(w) && (::GetWindowLongA(w, GWL_STYLE) & WS_TABSTOP) != 0; }
}  // namespace

void CNewWizDialog::UpdateDefaultButton() {
    const int order[] = {ID_WIZNEXT, ID_WIZFINISH, ID_WIZBACK, static_cast<int>(m_nCancelID)};
    m_nDefaultID = 0;
    for (int id : order) {
        if (Usable(GetDlgItem(id))) {
            m_nDefaultID = static_cast<UINT>(id);
            break;
        }
    }
    if (m_nDefaultID != 0) SendMessageA(DM_SETDEFID, m_nDefaultID);
    ShowDefaultFrame(::GetFocus());
}

void CNewWizDialog::ShowDefaultFrame(HWND focus) const {
    HWND buttons[4];
    GetButtons(buttons);
    HWND framed = GetDlgItem(static_cast<int>(m_nDefaultID));
    if (focus != nullptr && Usable(focus) && std::find(std::begin(buttons), std::end(buttons), focus) != std::end(buttons))
        framed = focus;
    for (HWND b : buttons) {
        if (b == nullptr) continue;
        bool isDefault = (::GetWindowLongA(b, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        if (isDefault != (b == framed)) ::SendMessageA(b, BM_SETSTYLE, b == framed ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
}

void CNewWizDialog::FocusControl(HWND control) {
    if (control == nullptr) return;
    if (::SendMessageA(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageA(control, EM_SETSEL, 0, -1);
    ::SetFocus(control);
    ShowDefaultFrame(control);
}

void CNewWizDialog::FocusFirstStop() {
    if (CNewWizPage* page = GetActivePage()) {
        for (HWND w = ::GetWindow(page->m_hWnd, GW_CHILD); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) {
            if (IsTabStop(w)) return FocusControl(w);
        }
    }
    FocusControl(GetDlgItem(static_cast<int>(m_nDefaultID)));
}

void CNewWizDialog::FocusAfterMove(bool moved) {
    HWND focus = ::GetFocus();
    bool usable = focus != nullptr && ::IsChild(m_hWnd, focus) && ::IsWindowVisible(focus);
    for (HWND w = focus; usable && w != m_hWnd; w = ::GetParent(w)) usable = ::IsWindowEnabled(w) != FALSE;
    // A page created for a move takes the focus with it even when the move is then refused.
    if (moved || !usable) FocusFirstStop();
}

bool CNewWizDialog::InActivePage(HWND w) const {
    CNewWizPage* page = GetActivePage();
    return page != nullptr && (w == page->m_hWnd || ::IsChild(page->m_hWnd, w));
}

void CNewWizDialog::PressButton(HWND button) {
    SendMessageA(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

// The system's dialog manager moves the focus (Tab, Shift+Tab, the arrows) through the active page, a control
// parent, and the buttons, and presses a button by its mnemonic. The wizard keeps to itself what the system
// would do otherwise: the default frame stays on the focused button, else on the default one; Enter and
// Escape inside a page do nothing (the page's own OK and cancel would end nothing); Enter on the wizard's own
// controls presses the focused button, else the default one, which is always an enabled one.
bool CNewWizDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd))) return false;
    if (msg->wParam == VK_TAB) {
        const bool taken = ::IsDialogMessageA(m_hWnd, msg) != FALSE;
        ShowDefaultFrame(::GetFocus());
        return taken;
    }
    if (msg->wParam != VK_RETURN && msg->wParam != VK_ESCAPE) return false;
    LRESULT code = ::SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;  // a control that takes the key
    if (InActivePage(msg->hwnd)) return true;
    if (msg->wParam == VK_ESCAPE) return false;  // the dialog manager's cancel
    HWND buttons[4];
    GetButtons(buttons);
    HWND target = GetDlgItem(static_cast<int>(m_nDefaultID));
    if (Usable(msg->hwnd) && std::find(std::begin(buttons), std::end(buttons), msg->hwnd) != std::end(buttons))
        target = msg->hwnd;
    if (Usable(target)) PressButton(target);
    return true;
}
