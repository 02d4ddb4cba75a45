// The few user-interface services the installation engine needs.
#pragma once
#include "platform/Types.h"

constexpr std::uint32_t kMbOk = 0x00000000;               // MB_OK
constexpr std::uint32_t kMbIconInformation = 0x00000040;  // MB_ICONINFORMATION
constexpr std::uint32_t kMbTaskModal = 0x00002000;        // MB_TASKMODAL: the thread's windows wait for it

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // Message box owned by the main window, captioned with the application's title, OK button.
    virtual void ShowAppMessage(const std::string& text) = 0;
    // Message box without owner window.
    virtual void ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) = 0;
    // Message box without owner window with Yes and No (MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL); true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // FormatMessageA(FROM_SYSTEM | IGNORE_INSERTS | ALLOCATE_BUFFER, ..., code, default language).
    virtual std::string SystemMessageText(std::uint32_t code) = 0;
    // PostMessageA(main window, WM_QUIT, 0, 0).
    virtual void PostQuitToMainWindow() = 0;
};
