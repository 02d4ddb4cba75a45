// Dialog texts from a language table: caption and direct children, the keys by control id as the window
// stores it, and the Arial font on English systems.
#include <cstdio>
#include <fstream>

#include "localization/win32/DialogStrings.h"
#include "resources/resource.h"
#include "tests/win32/gui/GuiSupport.h"

namespace {

const std::vector<std::string> kTemplateTexts = {"first of two", "second of two", "no id", "own text",
                                                 "long", "empty value", "no key"};
const std::string kTable = "[String]\r\nIDD555_Title=New caption\r\nIDD555_500=shared text\r\n"
                           "IDD555_65535=classic anonymous\r\nIDD555_-1=extended anonymous\r\nIDD555_1019=never shown\r\n"
                           "IDD555_501=" + std::string(1200, 'x') + "\r\nIDD555_502=\r\n";

// A dialog with the caption "template caption" and, unless bare, the children of kTemplateTexts (two with one
// id, an anonymous one, the name field IDC_PRINTER_NAME) in the "MS Sans Serif" font, as the dialog manager builds them: an
// anonymous child's id is 65535 from a classic template and -1 from an extended one.
HWND MakeDialog(bool extended, bool bare = false) {
    static const HFONT font = ::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                            "MS Sans Serif");
    HWND dialog = ::CreateWindowExA(0, "#32770", "template caption", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                    nullptr, nullptr);
    const UINT ids[] = {500, 500, extended ? ~0u : 65535u, IDC_PRINTER_NAME, 501, 502, 503};
    for (size_t i = 0; !bare && i < kTemplateTexts.size(); ++i) {
        HWND child = ::CreateWindowExA(0, ids[i] == IDC_PRINTER_NAME ? "Edit" : "Static", kTemplateTexts[i].c_str(), WS_CHILD,
                                       0, 0, 100, 10, dialog, reinterpret_cast<HMENU>(UINT_PTR{ids[i]}), nullptr, nullptr);
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return dialog;
}

std::vector<std::string> ChildTexts(HWND dialog, std::string (*of)(HWND) = &TextOf) {
    std::vector<std::string> out;
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) out.push_back(of(c));
    return out;
}

void Localise(HWND dialog) {
    CWnd wnd(dialog);
    g_SetDialogStrings(&wnd, 555);
    wnd.Detach();
}

TEST(DialogStringFont, ArialOnlyForEnglishSystems) {
    for (unsigned short id : {0x0409, 0x0809, 0x0C09, 0x1009}) EXPECT_TRUE(UsesArialControlFont(id)) << std::hex << id;
    for (unsigned short id : {0x0804, 0x0404, 0x0411, 0x0407, 0x0000}) EXPECT_FALSE(UsesArialControlFont(id)) << std::hex << id;
}

TEST(DialogStrings, CaptionAndChildTexts) {
    std::vector<std::string> classic = {"shared text", "shared text", "classic anonymous", "own text",
                                        std::string(999, 'x'), "empty value", "no key"};
    std::vector<std::string> extended = classic;
    extended[2] = "extended anonymous";
    // Two children with one id share the text; IDC_PRINTER_NAME keeps its own; a value is cut to the 1000-byte buffer; an
    // empty value or a missing key keeps the template text; so does a missing table, an empty caption value
    // or a key in another section.
    struct Case { const char *what; bool extended, bare; const char *table, *caption; const std::vector<std::string>& texts; };
    const Case cases[] = {
        {"classic", false, false, kTable.c_str(), "New caption", classic},
        {"extended", true, false, kTable.c_str(), "New caption", extended},
        {"missing table", false, false, nullptr, "template caption", kTemplateTexts},
        {"empty caption, other section", false, false, "[String]\r\nIDD555_Title=\r\n[Other]\r\nIDD555_500=wrong\r\n",
         "template caption", kTemplateTexts},
        {"no children", false, true, kTable.c_str(), "New caption", {}},
    };
    for (const auto& c : cases) {
        ScopedLanguageTable table(c.table);
        HWND dialog = MakeDialog(c.extended, c.bare);
        Localise(dialog);
        EXPECT_EQ(TextOf(dialog), c.caption) << c.what;
        EXPECT_EQ(ChildTexts(dialog), c.texts) << c.what;
        ::DestroyWindow(dialog);
    }
}

std::string FaceAndHeight(HWND w) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(w, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (font == nullptr || ::GetObjectA(font, sizeof lf, &lf) == 0) return "(none)";
    return std::string(lf.lfFaceName) + "/" + std::to_string(lf.lfHeight);
}

// tools/test runs this on a US English (0x0409), a simplified Chinese (0x0804) and a British English (0x0809)
// system: every direct child, IDC_PRINTER_NAME included, gets Arial 13 when the low byte is 9 and keeps its font otherwise.
TEST(DialogStrings, ArialFontFollowsTheSystemLanguage) {
    ScopedLanguageTable table(kTable.c_str());
    HWND dialog = MakeDialog(false);
    Localise(dialog);
    LANGID system = ::GetSystemDefaultLangID();
    std::string want = (system & 0xFF) == 9 ? "Arial/13" : "MS Sans Serif/-11";
    EXPECT_EQ(ChildTexts(dialog, &FaceAndHeight), std::vector<std::string>(kTemplateTexts.size(), want))
        << "system language " << std::hex << system;
    std::printf("system language 0x%04x: %s\n", system, want.c_str());
    ::DestroyWindow(dialog);
}

// The table is read once for the run: a second dialog takes its texts from the copy read for the first, even
// when the file has changed since; naming a table again reads it anew.
TEST(DialogStrings, TableReadOnceUntilATableIsNamed) {
    ScopedLanguageTable table(kTable.c_str());
    HWND first = MakeDialog(false, true);
    Localise(first);
    EXPECT_EQ(TextOf(first), "New caption");
    {
        std::ofstream(DialogStringsTable(), std::ios::binary | std::ios::trunc) << "[String]\r\nIDD555_Title=Changed\r\n";
    }
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, DialogStringsTable().c_str());
    HWND second = MakeDialog(false, true);
    Localise(second);
    EXPECT_EQ(TextOf(second), "New caption");
    SetDialogStringsTable(DialogStringsTable());
    HWND third = MakeDialog(false, true);
    Localise(third);
    EXPECT_EQ(TextOf(third), "Changed");
    for (HWND w : {first, second, third}) ::DestroyWindow(w);
}

// One Arial for every dialog of the run, made only on an English system.
TEST(DialogStrings, OneArialForTheWholeRun) {
    ScopedLanguageTable table(kTable.c_str());
    HWND a = MakeDialog(false), b = MakeDialog(true);
    const HFONT before = reinterpret_cast<HFONT>(::SendMessageA(::GetWindow(a, GW_CHILD), WM_GETFONT, 0, 0));
    Localise(a);
    Localise(b);
    Localise(a);
    const HFONT fa = reinterpret_cast<HFONT>(::SendMessageA(::GetWindow(a, GW_CHILD), WM_GETFONT, 0, 0));
    const HFONT fb = reinterpret_cast<HFONT>(::SendMessageA(::GetWindow(b, GW_CHILD), WM_GETFONT, 0, 0));
    if ((::GetSystemDefaultLangID() & 0xFF) == 9) {
        EXPECT_NE(fa, before);
        EXPECT_EQ(fa, fb);
    } else {
        EXPECT_EQ(fa, before);
        EXPECT_EQ(fb, before);
    }
    ::DestroyWindow(a);
    ::DestroyWindow(b);
}

}  // namespace
