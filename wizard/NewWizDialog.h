// A dialog that hosts an ordered list of pages at a placeholder control and drives Back, Next, Finish and
// Cancel, asking the pages before each step. The page objects belong to the caller; the container owns
// only their windows, which it creates the first time each page is shown and destroys with its own.
//
// The keyboard, in the modal run: each page window is made a control parent, so the system's dialog manager
// takes the active page's controls into the wizard's navigation. Tab and Shift+Tab cycle through the active
// page's tab stops and then the enabled buttons (Back, Next, Finish, Cancel); Alt plus a button's mnemonic
// presses it wherever the focus is; Enter on the wizard's own controls presses the focused
// button or else the default one, while Enter and Escape inside a page stay the page's. The default button
// is always an enabled one (Next, else Finish, Back, Cancel); after every move the focus is on the page's
// first tab stop, or on the default button when the page has none; a button disabled while it has the focus
// hands it to the default button.
#pragma once
#include <vector>

#include "framework/Dialog.h"
#include "wizard/NewWizPage.h"

class CNewWizDialog : public CDialog {
public:
    CNewWizDialog(UINT templateId, CWnd* parent = nullptr);
    ~CNewWizDialog() override;

    // Before the window exists: appends a page whose window will be built from template dialogId.
    void AddPage(CNewWizPage* page, UINT dialogId);
    void SetPlaceholderID(UINT id) { m_nPlaceholderID = id; }
    // The id of the template's Cancel button (IDCANCEL unless set), for the Tab order.
    void SetCancelID(UINT id) { m_nCancelID = id; }

    void EnableBack(bool enable);
    void EnableNext(bool enable);
    void EnableFinish(bool enable);

    CNewWizPage* GetActivePage() const;
    CNewWizPage* FindPage(UINT dialogId) const;
    CNewWizPage* GetFirstPage() const { return m_pageList.front(); }
    CNewWizPage* GetLastPage() const { return m_pageList.back(); }

    static const MessageMap kMessageMap;

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;
    bool PreTranslateMessage(MSG* msg) override;

    BOOL ActivatePage(CNewWizPage* target);
    BOOL DeactivatePage();
    BOOL DestroyPage(CNewWizPage* page);
    BOOL ShowFirstPage();

    void OnDestroy();
    void OnFinishClicked();
    void OnBackClicked();
    void OnNextClicked();

    std::vector<CNewWizPage*> m_pageList;
    UINT m_nPlaceholderID = 0;
    UINT m_nCancelID = IDCANCEL;

private:
    // The page the given target of a move names: 0 the neighbour in direction step (+1 or -1), another value
    // the page with that dialog id; null when there is none (or for -1).
    CNewWizPage* MoveTarget(CNewWizPage* from, LONG target, int step) const;
    void EnableButton(int id, bool enable);

    // The buttons in their Tab order.
    void GetButtons(HWND (&buttons)[4]) const;
    // Makes the first enabled of Next, Finish, Back and Cancel the default button.
    void UpdateDefaultButton();
    // Gives the default frame to the focused button, or to the default button while no button has the focus.
    void ShowDefaultFrame(HWND focus) const;
    void FocusControl(HWND control);
    // The active page's first tab stop, else the default button.
    void FocusFirstStop();
    // After a move (moved) or an attempt: the focus on the first stop, or kept where it is when it is still
    // on an enabled, visible control of the wizard.
    void FocusAfterMove(bool moved);
    void PressButton(HWND button);
    bool InActivePage(HWND w) const;

    UINT m_nDefaultID = 0;

    static const MessageMapEntry kMessageEntries[];
};
