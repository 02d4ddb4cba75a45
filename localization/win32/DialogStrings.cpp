#include "localization/win32/DialogStrings.h"

#include <algorithm>
#include <vector>

#include "platform/BoundedFormat.h"
#include "platform/Platform.h"
#include "platform/ProfileText.h"
#include "resources/resource.h"

namespace {
std::string g_tablePath;  // the language table in use, as start-up settled it
constexpr DWORD kTextBuffer = 1000;
constexpr int kOwnTextControl = IDC_PRINTER_NAME;  // the settings page's name field, which that page fills itself
constexpr char kSection[] = "String";

// The language table of one dialog's texts, read once: GetPrivateProfileStringA opens and parses the whole
// file again for every key (the first page alone asks for some 45; under Wine 0.1 to 0.4 ms each, one read of
// the file 0.05 ms). Looked up with the same rules (platform/ProfileText, which the contract tests hold to the
// system's); a table that cannot be read goes through GetPrivateProfileStringA as before.
class LanguageTable {
public:
    LanguageTable() : read_(!g_tablePath.empty() && HostPlatform().files.ReadWholeFile(g_tablePath, bytes_)) {}

    DWORD LookUp(const std::string& key, char* buffer) const {
        if (!read_)
            return ::GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, kTextBuffer, g_tablePath.c_str());
        std::string value;
        const std::uint32_t n = ProfileReadString(&bytes_, kSection, key, "", value, kTextBuffer);
        const std::size_t copied = std::min<std::size_t>(value.size(), kTextBuffer - 1);
        std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
        buffer[copied] = '\0';
        return n;
    }

private:
    Bytes bytes_;
    bool read_;
};
}  // namespace

void SetDialogStringsTable(const std::string& tablePath) { g_tablePath = tablePath; }

const std::string& DialogStringsTable() { return g_tablePath; }

std::string DialogCaptionKey(int dialogId) {
    std::string key;
    FormatBounded(key, 32, "IDD%d_Title", dialogId);
    return key;
}

std::string DialogControlKey(int dialogId, int controlId) {
    std::string key;
    FormatBounded(key, 40, "IDD%d_%d", dialogId, controlId);
    return key;
}

bool UsesArialControlFont(unsigned short systemLangId) { return (systemLangId & 0xFF) == 9; }

void g_SetDialogStrings(CWnd* dialog, int dialogId) {
    // One font per call, never deleted: the controls that receive it use it for as long as they exist.
    HFONT arial = ::CreateFontA(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, "Arial");
    std::vector<char> buffer(kTextBuffer, '\0');
    const LanguageTable table;

    if (table.LookUp(DialogCaptionKey(dialogId), buffer.data()) != 0) dialog->SetWindowTextA(buffer.data());

    for (HWND child = ::GetWindow(dialog->m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        // The id as the window stores it: 65535 from a classic template, -1 from an extended one.
        int id = static_cast<int>(::GetWindowLongA(child, GWL_ID));
        std::string key = DialogControlKey(dialogId, id);
        if (UsesArialControlFont(::GetSystemDefaultLangID()) && ::IsWindow(child))
            ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(arial), TRUE);
        if (id == kOwnTextControl) continue;
        if (table.LookUp(key, buffer.data()) != 0) ::SetWindowTextA(child, buffer.data());
    }
}
