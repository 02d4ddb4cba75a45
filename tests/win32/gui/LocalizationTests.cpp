// Dialog texts from a language table: caption and direct children, the keys by control id as the window
// stores it, and the Arial font on English systems.
#include <gtest/gtest.h>

#include "localization/win32/DialogStrings.h"
#include "tests/win32/gui/GuiSupport.h"

namespace {

constexpr int kDialog = 555;

std::vector<TemplateItem> Children() {
    return {
        {500, L"Static", L"first of two", SS_LEFT},
        {500, L"Static", L"second of two", SS_LEFT},
        {-1, L"Static", L"no id", SS_LEFT},
        {1019, L"Edit", L"own text", ES_AUTOHSCROLL},
        {501, L"Static", L"long", SS_LEFT},
        {502, L"Static", L"empty value", SS_LEFT},
        {503, L"Static", L"no key", SS_LEFT},
    };
}

class DialogStringsTest : public testing::Test {
protected:
    HWND Open(bool extended, const wchar_t* caption = L"template caption") {
        hwnd = CreateDialogFromTemplate(BuildDialogTemplate(extended, caption, Children()));
        return hwnd;
    }
    void TearDown() override {
        if (hwnd != nullptr) ::DestroyWindow(hwnd);
    }
    // The texts of the direct children, in window order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (HWND c = ::GetWindow(hwnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) out.push_back(TextOf(c));
        return out;
    }
    void Localise() {
        CWnd wnd(hwnd);
        g_SetDialogStrings(&wnd, kDialog);
        wnd.Detach();
    }
    HWND hwnd = nullptr;
};

std::string Table(const std::string& longValue) {
    return "[String]\r\n"
           "IDD555_Title=New caption\r\n"
           "IDD555_500=shared text\r\n"
           "IDD555_65535=classic anonymous\r\n"
           "IDD555_-1=extended anonymous\r\n"
           "IDD555_1019=never shown\r\n"
           "IDD555_501=" + longValue + "\r\n"
           "IDD555_502=\r\n";
}

TEST(DialogStringKeys, Format) {
    EXPECT_EQ(DialogCaptionKey(102), "IDD102_Title");
    EXPECT_EQ(DialogControlKey(138, 1042), "IDD138_1042");
    EXPECT_EQ(DialogControlKey(100, 65535), "IDD100_65535");
    EXPECT_EQ(DialogControlKey(102, -1), "IDD102_-1");
}

TEST(DialogStringFont, ArialOnlyForEnglishSystems) {
    for (unsigned short id : {0x0409, 0x0809, 0x0C09, 0x1009}) EXPECT_TRUE(UsesArialControlFont(id)) << std::hex << id;
    for (unsigned short id : {0x0804, 0x0404, 0x0411, 0x0407, 0x0000}) EXPECT_FALSE(UsesArialControlFont(id)) << std::hex << id;
}

TEST_F(DialogStringsTest, ClassicTemplateKeysAndRules) {
    ScopedLanguageTable table(Table(std::string(1200, 'x')));
    ASSERT_NE(Open(false), nullptr);
    Localise();
    EXPECT_EQ(TextOf(hwnd), "New caption");
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[0], "shared text") << "two children with one id get the same text";
    EXPECT_EQ(texts[1], "shared text");
    EXPECT_EQ(texts[2], "classic anonymous") << "a classic template stores the id as 65535";
    EXPECT_EQ(texts[3], "own text") << "control 1019 is left alone";
    EXPECT_EQ(texts[4], std::string(999, 'x')) << "1000-byte buffer";
    EXPECT_EQ(texts[5], "empty value") << "an empty value keeps the template text";
    EXPECT_EQ(texts[6], "no key");
}

TEST_F(DialogStringsTest, ExtendedTemplateMatchesMinusOne) {
    ScopedLanguageTable table(Table("short"));
    ASSERT_NE(Open(true), nullptr);
    Localise();
    std::vector<std::string> texts = Texts();
    ASSERT_EQ(texts.size(), 7u);
    EXPECT_EQ(texts[2], "extended anonymous");
    EXPECT_EQ(texts[4], "short");
}

TEST_F(DialogStringsTest, MissingTableOrEmptyCaptionKeepsTemplateTexts) {
    {
        ScopedMissingTable missing;
        ASSERT_NE(Open(false), nullptr);
        Localise();
        EXPECT_EQ(TextOf(hwnd), "template caption");
        EXPECT_EQ(Texts()[0], "first of two");
        ::DestroyWindow(hwnd);
    }
    ScopedLanguageTable table("[String]\r\nIDD555_Title=\r\n[Other]\r\nIDD555_500=wrong section\r\n");
    ASSERT_NE(Open(false), nullptr);
    Localise();
    EXPECT_EQ(TextOf(hwnd), "template caption");
    EXPECT_EQ(Texts()[0], "first of two");
}

TEST_F(DialogStringsTest, DialogWithoutChildrenGetsItsCaption) {
    ScopedLanguageTable table(Table("x"));
    hwnd = CreateDialogFromTemplate(BuildDialogTemplate(false, L"bare", {}));
    ASSERT_NE(hwnd, nullptr);
    Localise();
    EXPECT_EQ(TextOf(hwnd), "New caption");
}

std::string FaceAndHeight(HWND w) {
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(w, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    if (font == nullptr || ::GetObjectA(font, sizeof lf, &lf) == 0) return "(none)";
    return std::string(lf.lfFaceName) + "/" + std::to_string(lf.lfHeight);
}

TEST_F(DialogStringsTest, ArialFontFollowsTheSystemLanguage) {
    ScopedLanguageTable table(Table("x"));
    ASSERT_NE(Open(false), nullptr);
    std::vector<std::string> before;
    for (HWND c = ::GetWindow(hwnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT)) before.push_back(FaceAndHeight(c));
    Localise();
    bool english = UsesArialControlFont(::GetSystemDefaultLangID());
    size_t i = 0;
    for (HWND c = ::GetWindow(hwnd, GW_CHILD); c != nullptr; c = ::GetWindow(c, GW_HWNDNEXT), ++i) {
        if (english)
            EXPECT_EQ(FaceAndHeight(c), "Arial/13") << "child " << i << ", 1019 included";
        else
            EXPECT_EQ(FaceAndHeight(c), before[i]) << "child " << i;
    }
    std::printf("system language 0x%04x: %s\n", ::GetSystemDefaultLangID(), english ? "Arial" : "template font");
}

}  // namespace
