// The common base of the wizard's pages: a modeless child dialog that the container creates, shows, hides
// and asks before each move, with the look all pages share (black text on white, background left alone).
#pragma once
#include "framework/Dialog.h"
#include "framework/Gdi.h"

class CNewWizPage : public CDialog {
public:
    explicit CNewWizPage(UINT dialogId, CWnd* parent = nullptr);
    ~CNewWizPage() override;

    // Navigation hooks the container calls (see CNewWizDialog). Each default says yes or "the list order".

    // Right after the page's window was created and initialised; FALSE stops the activation.
    virtual BOOL OnPageCreated() { return TRUE; }
    // Before the page's window is destroyed with the wizard.
    virtual void OnPageDestroying() {}
    // Before the page is hidden for another, before its window is destroyed, and on Finish; FALSE keeps it.
    virtual BOOL CanLeavePage() { return TRUE; }
    // After the page has been placed, enabled and shown, before it counts as the active page.
    virtual void OnPageShown() {}
    // On Cancel, for every created page; FALSE keeps the wizard open.
    virtual BOOL CanCancel() { return TRUE; }
    // On Back: 0 the previous page, -1 stay, any other value the dialog id of the page to show.
    virtual LONG GetBackTarget() { return 0; }
    // On Next: 0 the next page, -1 stay, any other value the dialog id of the page to show.
    virtual LONG GetNextTarget() { return 0; }
    // On Finish, for every created page; FALSE keeps the wizard open.
    virtual BOOL CanFinish() { return TRUE; }

    UINT m_nDialogID;
    BOOL m_bCreated = FALSE;
    BOOL m_bActive = FALSE;

    // The white brush every page returns for the printer name field (IDC_PRINTER_NAME); created on first use, never released.
    static HBRUSH SharedWhiteBrush();

    static const MessageMap kMessageMap;

protected:
    BOOL OnInitDialog() override;
    // A cancel command addressed to a page (Escape in one of its controls) does nothing: the wizard cancels.
    void OnCancel() override {}
    // Likewise Enter inside a page: the dialog default would end (hide) the page and leave the wizard blank.
    void OnOK() override {}
    const MessageMap* GetMessageMap() const override;

    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    BOOL OnEraseBkgnd(HDC dc);

    CBrush m_brWhite;

private:
    static const MessageMapEntry kMessageEntries[];
};
