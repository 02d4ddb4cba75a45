// The user interface the engine sees: the host's, or, in an unattended run, one that opens no window.
#pragma once
#include "platform/UserInterface.h"

class WindowGate : public IUserInterface {
public:
    explicit WindowGate(IUserInterface& host) : host_(host) {}
    void SetQuiet(bool quiet) { quiet_ = quiet; }
    bool Quiet() const { return quiet_; }

    void ShowAppMessage(const std::string& text) override {
        if (!quiet_) host_.ShowAppMessage(text);
    }
    void ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) override {
        if (!quiet_) host_.ShowMessage(text, caption, flags);
    }
    // Nobody is there to answer in an unattended run: No, which changes nothing.
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        return !quiet_ && host_.AskYesNo(text, caption);
    }
    std::string SystemMessageText(std::uint32_t code) override { return host_.SystemMessageText(code); }
    void PostQuitToMainWindow() override {
        if (!quiet_) host_.PostQuitToMainWindow();
    }

private:
    IUserInterface& host_;
    bool quiet_ = false;
};
