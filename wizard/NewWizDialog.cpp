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

void CNewWizDialog::EnableButton(int id, bool enable) { ::EnableWindow(GetDlgItem(id), enable ? TRUE : FALSE); }
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
    ShowFirstPage();
    return TRUE;
}

void CNewWizDialog::OnNextClicked() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr) return;
    CNewWizPage* target = MoveTarget(active, active->GetNextTarget(), +1);
    if (target == nullptr || !ActivatePage(target)) return;
    if (target == GetLastPage()) {
        EnableNext(false);
        EnableFinish(true);
    }
    EnableBack(true);
}

void CNewWizDialog::OnBackClicked() {
    CNewWizPage* active = GetActivePage();
    if (active == nullptr) return;
    CNewWizPage* target = MoveTarget(active, active->GetBackTarget(), -1);
    if (target == nullptr || !ActivatePage(target)) return;
    if (target == GetFirstPage()) {
        EnableBack(false);
        EnableFinish(false);
    }
    g_bInstalled = false;  // the progress page installs again when it is next shown
    EnableNext(true);
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
