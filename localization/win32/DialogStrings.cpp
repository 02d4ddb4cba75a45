#include "localization/win32/DialogStrings.h"

#include <algorithm>
#include <vector>

#include "platform/BoundedFormat.h"
#include "platform/Platform.h"
#include "platform/ProfileText.h"
#include "resources/resource.h"

namespace {
constexpr DWORD kTextBuffer = 1000;
constexpr int kOwnTextControl = IDC_PRINTER_NAME;  // the settings page's name field, which that page fills itself
constexpr char kSection[] = "String";

// The language table in use, read once for the whole run: GetPrivateProfileStringA opens and parses the whole
// file again for every key (the first page alone asks for some 45; under Wine 0.1 to 0.4 ms each, one read of
// the file 0.05 ms), and every dialog of the wizard asks for its texts. Looked up with the same rules
// (platform/ProfileText, which the contract tests hold to the system's); a table that cannot be read goes
// through GetPrivateProfileStringA as before. Naming another table drops the copy.
class LanguageTable {
public:
    void Use(const std::string& path) {
        path_ = path;
        loaded_ = false;
        read_ = false;
        bytes_.clear();
    }
    const std::string& Path() const { return path_; }

    DWORD LookUp(const std::string& key, char* buffer) {
        if (!loaded_) {
            read_ = !path_.empty() && HostPlatform().files.ReadWholeFile(path_, bytes_);
            loaded_ = true;
        }
        if (!read_) return ::GetPrivateProfileStringA(kSection, key.c_str(), "", buffer, kTextBuffer, path_.c_str());
        std::string value;
        const std::uint32_t n = ProfileReadString(&bytes_, kSection, key, "", value, kTextBuffer);
        const std::size_t copied = std::min<std::size_t>(value.size(), kTextBuffer - 1);
        std::copy(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(copied), buffer);
        buffer[copied] = '\0';
        return n;
    }

private:
    std::string path_;
    Bytes bytes_;
    bool loaded_ = false;
    bool read_ = false;
};

LanguageTable& Table() {
    static LanguageTable table;
    return table;
}

// The controls' Arial, made the first time a dialog needs it and kept for the run: the controls that receive
// it use it for as long as they exist.
HFONT ArialControlFont() {
    static const HFONT arial = ::CreateFontA(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                             FF_SWISS | DEFAULT_PITCH, "Arial");
    return arial;
}
}  // namespace

void SetDialogStringsTable(const std::string& tablePath) { Table().Use(tablePath); }

const std::string& DialogStringsTable() { return Table().Path(); }

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
    std::vector<char> buffer(kTextBuffer, '\0');
    LanguageTable& table = Table();
    const bool arial = UsesArialControlFont(::GetSystemDefaultLangID());

    if (table.LookUp(DialogCaptionKey(dialogId), buffer.data()) != 0) dialog->SetWindowTextA(buffer.data());

    for (HWND child = ::GetWindow(dialog->m_hWnd, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        // The id as the window stores it: 65535 from a classic template, -1 from an extended one.
        int id = static_cast<int>(::GetWindowLongA(child, GWL_ID));
        std::string key = DialogControlKey(dialogId, id);
        if (arial && ::IsWindow(child)) ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(ArialControlFont()), TRUE);
        if (id == kOwnTextControl) continue;
        if (table.LookUp(key, buffer.data()) != 0) ::SetWindowTextA(child, buffer.data());
    }
}
