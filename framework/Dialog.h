// Dialogs built from numbered templates, modal or modeless, with one dialog procedure for all of them.
//
// Each dialog class lists the messages it handles in a static table (its message map) and links that table
// to its base class's table, so an entry in a derived class takes precedence and everything else reaches
// the base. The handler's signature is fixed by the kind of entry; the helper functions below check it.
#pragma once
#include <string>

#include "framework/Wnd.h"

class CDialog;
class CDataExchange;

// How a handler is called and what the dialog procedure reports for it.
enum class MsgSig : unsigned char {
    Command,        // void (): WM_COMMAND with a notification code and a control id; handled
    Void,           // void (): the message, then the system's default processing
    Bool,           // bool (): false lets the system's default processing run
    ShowWindow,     // void (BOOL show, UINT status): then the default processing
    SysCommand,     // bool (UINT id, LPARAM): false lets the system handle the command
    CtlColor,       // HBRUSH (HDC, HWND control, UINT kind): any WM_CTLCOLOR* message; the brush is the result
    EraseBkgnd,     // BOOL (HDC): the result
    QueryDragIcon,  // HCURSOR (): the result
    Timer,          // void (UINT_PTR id): then the default processing
};

// The handler of an entry, one member per signature; MessageMapEntry::sig says which one is set.
union MessageHandler {
    void (CDialog::*command)();
    void (CDialog::*notify)();
    bool (CDialog::*query)();
    void (CDialog::*showWindow)(BOOL, UINT);
    bool (CDialog::*sysCommand)(UINT, LPARAM);
    HBRUSH (CDialog::*ctlColor)(HDC, HWND, UINT);
    BOOL (CDialog::*eraseBkgnd)(HDC);
    HCURSOR (CDialog::*queryDragIcon)();
    void (CDialog::*timer)(UINT_PTR);
};

struct MessageMapEntry {
    UINT message;
    UINT code;  // WM_COMMAND only: the notification code
    UINT id;    // WM_COMMAND only: the control id
    MsgSig sig;
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;  // the base class's map, or null
    const MessageMapEntry* entries;
    int count;
};

// Entry builders: T is the class that declares the handler (a CDialog).
namespace message_map_detail {
inline MessageMapEntry Entry(UINT message, UINT code, UINT id, MsgSig sig) {
    MessageMapEntry e{};
    e.message = message;
    e.code = code;
    e.id = id;
    e.sig = sig;
    return e;
}
}  // namespace message_map_detail

template <class T>
MessageMapEntry OnCommand(UINT code, UINT id, void (T::*h)()) {
    MessageMapEntry e = message_map_detail::Entry(WM_COMMAND, code, id, MsgSig::Command);
    e.handler.command = static_cast<void (CDialog::*)()>(h);
    return e;
}
template <class T>
MessageMapEntry OnMessage(UINT message, void (T::*h)()) {
    MessageMapEntry e = message_map_detail::Entry(message, 0, 0, MsgSig::Void);
    e.handler.notify = static_cast<void (CDialog::*)()>(h);
    return e;
}
template <class T>
MessageMapEntry OnMessageBool(UINT message, bool (T::*h)()) {
    MessageMapEntry e = message_map_detail::Entry(message, 0, 0, MsgSig::Bool);
    e.handler.query = static_cast<bool (CDialog::*)()>(h);
    return e;
}
template <class T>
MessageMapEntry OnShowWindowMsg(void (T::*h)(BOOL, UINT)) {
    MessageMapEntry e = message_map_detail::Entry(WM_SHOWWINDOW, 0, 0, MsgSig::ShowWindow);
    e.handler.showWindow = static_cast<void (CDialog::*)(BOOL, UINT)>(h);
    return e;
}
template <class T>
MessageMapEntry OnSysCommandMsg(bool (T::*h)(UINT, LPARAM)) {
    MessageMapEntry e = message_map_detail::Entry(WM_SYSCOMMAND, 0, 0, MsgSig::SysCommand);
    e.handler.sysCommand = static_cast<bool (CDialog::*)(UINT, LPARAM)>(h);
    return e;
}
template <class T>
MessageMapEntry OnCtlColorMsg(HBRUSH (T::*h)(HDC, HWND, UINT)) {
    MessageMapEntry e = message_map_detail::Entry(WM_CTLCOLORMSGBOX, 0, 0, MsgSig::CtlColor);
    e.handler.ctlColor = static_cast<HBRUSH (CDialog::*)(HDC, HWND, UINT)>(h);
    return e;
}
template <class T>
MessageMapEntry OnEraseBkgndMsg(BOOL (T::*h)(HDC)) {
    MessageMapEntry e = message_map_detail::Entry(WM_ERASEBKGND, 0, 0, MsgSig::EraseBkgnd);
    e.handler.eraseBkgnd = static_cast<BOOL (CDialog::*)(HDC)>(h);
    return e;
}
template <class T>
MessageMapEntry OnQueryDragIconMsg(HCURSOR (T::*h)()) {
    MessageMapEntry e = message_map_detail::Entry(WM_QUERYDRAGICON, 0, 0, MsgSig::QueryDragIcon);
    e.handler.queryDragIcon = static_cast<HCURSOR (CDialog::*)()>(h);
    return e;
}
template <class T>
MessageMapEntry OnTimerMsg(void (T::*h)(UINT_PTR)) {
    MessageMapEntry e = message_map_detail::Entry(WM_TIMER, 0, 0, MsgSig::Timer);
    e.handler.timer = static_cast<void (CDialog::*)(UINT_PTR)>(h);
    return e;
}

class CDialog : public CWnd {
public:
    CDialog(UINT templateId, CWnd* parent);
    ~CDialog() override;

    // Modal run from the template: the result of EndDialog; -1 when the dialog could not be created or when
    // the run ended by a quit message.
    virtual INT_PTR DoModal();
    // Modeless window from the template (the parent given here, else the constructor's); false on failure.
    bool Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(INT_PTR result);

    // Copies member values into the controls (false) or the controls' state into the members (true).
    bool UpdateData(bool saveAndValidate = true);

    UINT GetTemplateId() const { return m_nIDTemplate; }

protected:
    // WM_INITDIALOG: the first exchange of member values into the controls; TRUE lets the system set the focus.
    virtual BOOL OnInitDialog();
    // IDOK: takes the controls' state into the members and ends the dialog with IDOK.
    virtual void OnOK();
    // IDCANCEL: ends the dialog with IDCANCEL.
    virtual void OnCancel();
    // Binds controls and members; nothing in the base.
    virtual void DoDataExchange(CDataExchange* pDX);
    // The message map of the most derived class.
    virtual const MessageMap* GetMessageMap() const;

    // The system's brush and colours for a WM_CTLCOLOR* request of this kind.
    HBRUSH DefaultCtlColor(HDC dc, HWND control, UINT kind) const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // True when a map entry or a built-in handler took the message; result is what the procedure returns.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    bool CallEntry(const MessageMapEntry& entry, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // Keyboard messages to the innermost of our dialogs around the focus, up to the modal one.
    static bool PreTranslateDialogMessage(HWND modal, MSG* msg);
    static bool IsDialogWindow(HWND hWnd);

    bool m_bInModalLoop = false;  // DoModal is running this dialog
    bool m_bEnded = false;        // EndDialog ended the modal run
    INT_PTR m_nModalResult = -1;

public:
    // This class's map; derived maps chain to it. Entries: IDOK to OnOK, IDCANCEL to OnCancel.
    static const MessageMap kMessageMap;

private:
    static const MessageMapEntry kMessageEntries[];
};
