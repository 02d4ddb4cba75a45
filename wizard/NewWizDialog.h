// A dialog that hosts an ordered list of pages at a placeholder control and drives Back, Next, Finish and
// Cancel, asking the pages before each step. The page objects belong to the caller; the container owns
// only their windows, which it creates the first time each page is shown and destroys with its own.
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

private:
    // The page the given target of a move names: 0 the neighbour in direction step (+1 or -1), another value
    // the page with that dialog id; null when there is none (or for -1).
    CNewWizPage* MoveTarget(CNewWizPage* from, LONG target, int step) const;
    void EnableButton(int id, bool enable);

    static const MessageMapEntry kMessageEntries[];
};
