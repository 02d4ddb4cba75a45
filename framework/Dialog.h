// Dialogs built from numbered templates, modal or modeless, with one dialog procedure for all of them.
//
// Each dialog class lists the messages it handles in a static table (its message map) and links that table
// to its base class's table, so an entry in a derived class takes precedence and everything else reaches
// the base. The handler's signature is fixed by the kind of entry; the builder functions below check it and
// store with the handler the one function that calls it, so that dispatching is a match and one call.
#pragma once
#include <cstring>
#include <string>

#include "framework/Wnd.h"

class CDialog;
class CDataExchange;

// An entry's handler, stored in one member-pointer type; the entry's call function casts it back to the
// type its builder took and calls it with the message's arguments.
using MessageHandler = void (CDialog::*)();
// Calls the entry's handler for the message and gives what the dialog procedure returns for it.
using MessageCall = INT_PTR (*)(CDialog& dialog, MessageHandler handler, UINT message, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT first, last;  // the messages the entry takes: one (first == last) or the WM_CTLCOLOR* range
    UINT code;         // WM_COMMAND only: the notification code
    UINT id;           // WM_COMMAND only: the control id
    MessageHandler handler;
    MessageCall call;
};

struct MessageMap {
    const MessageMap* base;  // the base class's map, or null
    const MessageMapEntry* entries;
    int count;
};

// Entry builders: T is the class that declares the handler (a CDialog). Each builder fixes the handler's
// signature and what the dialog procedure reports for the message; the call functions are shared by all
// classes (framework/Dialog.cpp).
namespace message_map_detail {
// A member pointer of one signature kept in, and taken back from, the stored type (same size and layout).
template <class To, class From>
To Recast(From from) {
    static_assert(sizeof(To) == sizeof(From), "member pointers of one class have one size");
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}
template <class Handler>
MessageMapEntry Entry(UINT first, UINT last, UINT code, UINT id, Handler handler, MessageCall call) {
    return MessageMapEntry{first, last, code, id, Recast<MessageHandler>(handler), call};
}
INT_PTR CallCommand(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);        // void (); handled
INT_PTR CallVoid(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);           // void (); default processing follows
INT_PTR CallBool(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);           // bool (); false: default processing
INT_PTR CallShowWindow(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);     // void (BOOL show, UINT status)
INT_PTR CallSysCommand(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);     // bool (UINT id, LPARAM)
INT_PTR CallCtlColor(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);       // HBRUSH (HDC, HWND, UINT kind)
INT_PTR CallEraseBkgnd(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);     // BOOL (HDC), the message's result
INT_PTR CallQueryDragIcon(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);  // HCURSOR ()
INT_PTR CallTimer(CDialog&, MessageHandler, UINT, WPARAM, LPARAM);          // void (UINT_PTR id)
}  // namespace message_map_detail

// WM_COMMAND with notification code and control id: handled.
template <class T>
MessageMapEntry OnCommand(UINT code, UINT id, void (T::*h)()) {
    return message_map_detail::Entry(WM_COMMAND, WM_COMMAND, code, id, static_cast<void (CDialog::*)()>(h),
                                     &message_map_detail::CallCommand);
}
// Any other message: the handler, then the system's default processing.
template <class T>
MessageMapEntry OnMessage(UINT message, void (T::*h)()) {
    return message_map_detail::Entry(message, message, 0, 0, static_cast<void (CDialog::*)()>(h),
                                     &message_map_detail::CallVoid);
}
// The handler's false lets the system's default processing run.
template <class T>
MessageMapEntry OnMessageBool(UINT message, bool (T::*h)()) {
    return message_map_detail::Entry(message, message, 0, 0, static_cast<bool (CDialog::*)()>(h),
                                     &message_map_detail::CallBool);
}
// WM_SHOWWINDOW, then the default processing.
template <class T>
MessageMapEntry OnShowWindowMsg(void (T::*h)(BOOL, UINT)) {
    return message_map_detail::Entry(WM_SHOWWINDOW, WM_SHOWWINDOW, 0, 0, static_cast<void (CDialog::*)(BOOL, UINT)>(h),
                                     &message_map_detail::CallShowWindow);
}
// WM_SYSCOMMAND: false lets the system handle the command.
template <class T>
MessageMapEntry OnSysCommandMsg(bool (T::*h)(UINT, LPARAM)) {
    return message_map_detail::Entry(WM_SYSCOMMAND, WM_SYSCOMMAND, 0, 0, static_cast<bool (CDialog::*)(UINT, LPARAM)>(h),
                                     &message_map_detail::CallSysCommand);
}
// Every WM_CTLCOLOR* message, with its kind (CTLCOLOR_*); the brush is the result.
template <class T>
MessageMapEntry OnCtlColorMsg(HBRUSH (T::*h)(HDC, HWND, UINT)) {
    return message_map_detail::Entry(WM_CTLCOLORMSGBOX, WM_CTLCOLORSTATIC, 0, 0,
                                     static_cast<HBRUSH (CDialog::*)(HDC, HWND, UINT)>(h),
                                     &message_map_detail::CallCtlColor);
}
// WM_ERASEBKGND: the handler's value is the message's result.
template <class T>
MessageMapEntry OnEraseBkgndMsg(BOOL (T::*h)(HDC)) {
    return message_map_detail::Entry(WM_ERASEBKGND, WM_ERASEBKGND, 0, 0, static_cast<BOOL (CDialog::*)(HDC)>(h),
                                     &message_map_detail::CallEraseBkgnd);
}
// WM_QUERYDRAGICON: the cursor is the result.
template <class T>
MessageMapEntry OnQueryDragIconMsg(HCURSOR (T::*h)()) {
    return message_map_detail::Entry(WM_QUERYDRAGICON, WM_QUERYDRAGICON, 0, 0, static_cast<HCURSOR (CDialog::*)()>(h),
                                     &message_map_detail::CallQueryDragIcon);
}
// WM_TIMER, then the default processing.
template <class T>
MessageMapEntry OnTimerMsg(void (T::*h)(UINT_PTR)) {
    return message_map_detail::Entry(WM_TIMER, WM_TIMER, 0, 0, static_cast<void (CDialog::*)(UINT_PTR)>(h),
                                     &message_map_detail::CallTimer);
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

    // The answer to the message being handled for the messages that a dialog answers through DWLP_MSGRESULT
    // (all but WM_CTLCOLOR*, WM_QUERYDRAGICON and a few others, whose answer is the handler's value).
    void SetMsgResult(LRESULT result) const { ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result); }

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
    // Every message of the modal run (DoModal) before the dialog manager sees it; true when this took it.
    virtual bool PreTranslateMessage(MSG*) { return false; }

    // The system's brush and colours for a WM_CTLCOLOR* request of this kind.
    HBRUSH DefaultCtlColor(HDC dc, HWND control, UINT kind) const;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // True when a map entry or a built-in handler took the message; result is what the procedure returns.
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    bool m_bInModalLoop = false;  // DoModal is running this dialog
    bool m_bEnded = false;        // EndDialog ended the modal run
    INT_PTR m_nModalResult = -1;

public:
    // This class's map; derived maps chain to it. Entries: IDOK to OnOK, IDCANCEL to OnCancel.
    static const MessageMap kMessageMap;

private:
    static const MessageMapEntry kMessageEntries[];
};
