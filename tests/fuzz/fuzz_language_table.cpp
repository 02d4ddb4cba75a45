// The language-table lookup: which table start-up chooses and provisions for a system language id, and the
// dialog-text lookups ("IDD<dialog>_Title", "IDD<dialog>_<control>" in section "String", 1000-character
// buffer, empty default) and the language-name lookup (section "Setting", key "Language") over arbitrary
// table bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "localization/LanguageChoice.h"
#include "platform/ProfileText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr std::uint32_t kTextBuffer = 1000;

std::string LookUp(const Bytes& table, const std::string& section, const std::string& key, std::uint32_t buffer) {
    std::string out;
    const std::uint32_t n = ProfileReadString(&table, section, key, "", out, buffer);
    FUZZ_CHECK(n == out.size());
    FUZZ_CHECK(out.size() < buffer);
    FUZZ_CHECK(out.find_first_of("\r\n") == std::string::npos);
    return out;
}

// What the dialogs see for a key, and that nothing around the table's sections changes it.
void CheckLookup(const Bytes& table, const std::string& section, const std::string& key) {
    const std::string text = LookUp(table, section, key, kTextBuffer);
    const std::string whole = LookUp(table, section, key, 1 << 20);
    // The 1000-character buffer cuts, never alters: at most its 999 characters, one fewer when a quoted value's
    // closing quote no longer fits.
    FUZZ_CHECK(whole.compare(0, text.size(), text) == 0);
    FUZZ_CHECK(text.size() + 1 >= std::min<std::size_t>(whole.size(), kTextBuffer - 1));

    // Empty lines in front, and a later section of another name with the same key, change nothing (in an 8-bit
    // table: in front of a byte order mark they would hide it, behind UTF-16 text they are no text).
    const bool marked = (table.size() >= 2 && ((table[0] == 0xFF && table[1] == 0xFE) || (table[0] == 0xFE && table[1] == 0xFF))) ||
                        (table.size() >= 3 && table[0] == 0xEF && table[1] == 0xBB && table[2] == 0xBF);
    if (marked) return;
    Bytes padded = ToBytes("\r\n\r\n");
    padded.insert(padded.end(), table.begin(), table.end());
    FUZZ_CHECK(LookUp(padded, section, key, kTextBuffer) == text);
    Bytes extended = table;
    const std::string later = "\r\n[" + section + "_Other]\r\n" + key + "=later\r\n";
    extended.insert(extended.end(), later.begin(), later.end());
    FUZZ_CHECK(LookUp(extended, section, key, kTextBuffer) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::uint16_t langId = in.ConsumeIntegral<std::uint16_t>();
    // The templates and controls that the tables carry keys for, and ids next to them.
    const int dialogId = in.PickValueInArray({100, 102, 137, 138, 139, 140, 143}) + in.ConsumeIntegralInRange<int>(-1, 1);
    const int controlId = in.PickValueInArray({-1,   0,    65535, 1000, 1006, 1019, 1032, 1033, 1035, 1036, 1037,
                                               1038, 1039, 1040,  1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049,
                                               1050, 1051, 1052,  1053, 1054, 1055, 1056, 1057, 1058, 1059, 1060,
                                               1061, 1065, 12323, 12324, 12325}) +
                          in.ConsumeIntegralInRange<int>(-1, 1);
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const Bytes table(rest.begin(), rest.end());

    // The chosen table is always one of the tables written when none of the wanted language exists, the
    // English one first; Chinese ids ask for Chinese.
    const char* chosen = LanguageTableFileFor(langId);
    const auto plan = ProvisioningPlanFor(langId);
    FUZZ_CHECK(std::strcmp(plan[0].fileName, kEnglishTableFile) == 0 && plan[0].entry == kEnglishTableEntry);
    FUZZ_CHECK(std::strcmp(chosen, plan[0].fileName) == 0 || std::strcmp(chosen, plan[1].fileName) == 0);
    FUZZ_CHECK(std::strcmp(LanguageWordFor(langId), IsChineseLangId(langId) ? "Chinese" : "English") == 0);
    FUZZ_CHECK(IsChineseLangId(langId) == ((langId & 0xFF) == 4));
    if (IsSimplifiedChineseLangId(langId)) FUZZ_CHECK(IsChineseLangId(langId));

    char caption[32], control[40];
    std::snprintf(caption, sizeof caption, "IDD%d_Title", dialogId);
    std::snprintf(control, sizeof control, "IDD%d_%d", dialogId, controlId);
    CheckLookup(table, "String", caption);
    CheckLookup(table, "String", control);
    CheckLookup(table, "Setting", "Language");
    return 0;
}
