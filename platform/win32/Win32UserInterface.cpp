// Message boxes, system error texts and the quit message for the main window.
#include "platform/win32/Win32Platform.h"

namespace {

std::string& Title() {
    static std::string title;
    return title;
}

std::function<HWND()>& MainWindowProvider() {
    static std::function<HWND()> provider;
    return provider;
}

}  // namespace

void SetMainWindowProvider(std::function<HWND()> provider) { MainWindowProvider() = std::move(provider); }

HWND MainWindowHandle() {
    const std::function<HWND()>& provider = MainWindowProvider();
    HWND main = provider ? provider() : nullptr;
    return main ? main : GetActiveWindow();
}

void SetApplicationTitle(const std::string& title) { Title() = title; }

std::string ApplicationTitle() {
    if (!Title().empty()) return Title();
    char buf[kPathBuffer];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf) return std::string();
    // CharNextA steps over double-byte characters, whose second byte may be 0x5C.
    const char* base = buf;
    for (const char* p = buf; *p != '\0'; p = CharNextA(p))
        if (*p == '\\' || *p == '/') base = p + 1;
    std::string name(base);
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

void Win32UserInterface::ShowAppMessage(const std::string& text) {
    std::string caption = ApplicationTitle();
    MessageBoxA(MainWindowHandle(), text.c_str(), caption.c_str(), MB_OK);
}

void Win32UserInterface::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

bool Win32UserInterface::AskYesNo(const std::string& text, const std::string& caption) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}

std::string Win32UserInterface::SystemMessageText(std::uint32_t code) {
    char* buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (n != 0 && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    return text;
}

void Win32UserInterface::PostQuitToMainWindow() { PostMessageA(MainWindowHandle(), WM_QUIT, 0, 0); }
