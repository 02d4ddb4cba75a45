// The bad-input corpus (tests/corpus/cases.tsv) on the in-memory Windows: each case is built by its name, the
// program starts and installs, and the outcome written beside the case is checked.
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "install/InstallCommandText.h"
#include "tests/unit/UnitSupport.h"

namespace {

const std::string kSetting = "C:\\Setup\\setting.dll";
const std::string kTable = "C:\\Setup\\Language\\Multi_ch.dll";
const std::string kOemInf = "C:\\WINDOWS\\inf\\oem4.inf";
const char* const kWorking[] = {"KX47.GPD", "UNIDRV.DLL", "uninstallKX47.exe", "3\\KX47.GPD"};

struct Case {
    std::string name, where, outcome, input;
};

std::vector<Case> Corpus() {
    std::ifstream in(std::string(SETUP_SOURCE_DIR) + "/tests/corpus/cases.tsv");
    std::vector<Case> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::stringstream fields(line);
        Case c;
        std::getline(fields, c.name, '\t');
        std::getline(fields, c.where, '\t');
        std::getline(fields, c.outcome, '\t');
        std::getline(fields, c.input);
        cases.push_back(c);
    }
    return cases;
}

std::string Utf16(const std::string& text, bool bom) {
    std::string out = bom ? std::string("\xFF\xFE", 2) : std::string();
    for (char c : text) out += std::string(1, c) + std::string(1, '\0');
    return out;
}

Bytes Junk(std::size_t size) {
    Bytes junk(size);
    std::uint32_t x = 2463534242u;
    for (unsigned char& b : junk) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        b = static_cast<unsigned char>(x);
    }
    return junk;
}

Bytes SettingNaming(const std::string& name) { return ToBytes("[Setting]\r\nLanguage=English\r\nPrinterName=" + name + "\r\n"); }
const Bytes kMarkers = ToBytes("Class=Printer\r\n[Manufacturer]\r\nW36\r\n");

using Arrange = std::function<void(MemoryFileSystem&)>;

const std::map<std::string, Arrange>& Arrangements() {
    static const std::map<std::string, Arrange> arrangements = {
        {"setting-empty", [](MemoryFileSystem& f) { f.Put(kSetting, Bytes()); }},
        {"setting-utf16-bom", [](MemoryFileSystem& f) { f.Put(kSetting, ToBytes(Utf16("[Setting]\r\nPrinterName=ABC\r\n", true))); }},
        {"setting-utf16-no-bom", [](MemoryFileSystem& f) { f.Put(kSetting, ToBytes(Utf16("[Setting]\r\nPrinterName=ABC\r\n", false))); }},
        {"setting-junk-20mb", [](MemoryFileSystem& f) { f.Put(kSetting, Junk(20u << 20)); }},
        {"setting-directory", [](MemoryFileSystem& f) { f.PutDirectories(kSetting); }},
        {"setting-line-100kb", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming(std::string(100000, 'N'))); }},
        {"name-198", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming(std::string(198, 'N'))); }},
        {"name-199", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming(std::string(199, 'N'))); }},
        {"name-200", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming(std::string(200, 'N'))); }},
        {"name-259", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming(std::string(259, 'N'))); }},
        {"name-dot-dot", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming("..\\KX47")); }},
        {"name-slash", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming("a/b")); }},
        {"name-colon", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming("C:KX47")); }},
        {"name-control", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming("KX\x1b" "47")); }},
        {"name-lone-lead-byte", [](MemoryFileSystem& f) { f.Put(kSetting, SettingNaming("KX47\xB9")); }},
        {"language-directory-as-table", [](MemoryFileSystem& f) { f.PutDirectories(kTable); }},
        {"language-non-table", [](MemoryFileSystem& f) { f.Put(kTable, Junk(40000)); }},
        {"language-utf16-table", [](MemoryFileSystem& f) { f.Put(kTable, ToBytes(Utf16("[IDD100]\r\n1019=x\r\n", true))); }},
        {"language-thousands", [](MemoryFileSystem& f) {
             for (int i = 0; i < 3000; ++i) f.Put("C:\\Setup\\Language\\other" + std::to_string(i) + ".dll", ToBytes("x"));
         }},
        {"oem-utf16", [](MemoryFileSystem& f) { f.Put(kOemInf, ToBytes(Utf16(ToString(kMarkers), true))); }},
        {"oem-line-300k", [](MemoryFileSystem& f) { f.Put(kOemInf, ToBytes(std::string(300000, 'x') + "\r\n" + ToString(kMarkers))); }},
        {"oem-w36-split", [](MemoryFileSystem& f) {
             f.Put(kOemInf, ToBytes("Class=Printer\r\n[Manufacturer]\r\n" + std::string(257, 'x') + "W36\r\n"));
         }},
        {"oem-unreadable", [](MemoryFileSystem& f) {
             f.Put(kOemInf, kMarkers);
             f.SetUnreadable(kOemInf);
         }},
        {"oem-sparse-1.5gb", [](MemoryFileSystem& f) {
             f.Put(kOemInf, kMarkers);
             f.SetApparentSize(kOemInf, 1536ull << 20);
         }},
        {"destination-read-only", [](MemoryFileSystem& f) {
             f.Put("C:\\TEMP\\KX47.GPD", ToBytes("planted"));
             f.SetAttributes("C:\\TEMP\\KX47.GPD", kAttributeReadOnly);
         }},
        {"destination-held-open", [](MemoryFileSystem& f) {
             f.Put("C:\\TEMP\\x86\\KX47D.dll", ToBytes("planted"));
             f.HoldOpen("C:\\TEMP\\x86\\KX47D.dll", MemoryFileSystem::kShareRead | MemoryFileSystem::kShareWrite);
         }},
        {"temp-is-a-file", [](MemoryFileSystem& f) { f.Put("C:\\TEMP", ToBytes("a file")); }},
        {"x86-is-a-file", [](MemoryFileSystem& f) { f.Put("C:\\TEMP\\x86", ToBytes("a file")); }},
        {"scratch-is-a-directory", [](MemoryFileSystem& f) { f.PutDirectories("C:\\TEMP\\temp.txt"); }},
    };
    return arrangements;
}

class BadInputCorpus : public AppTest {};

TEST_F(BadInputCorpus, EveryCaseEndsAsWrittenBesideIt) {
    const std::vector<Case> cases = Corpus();
    ASSERT_GE(cases.size(), 25u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + ": " + c.input);
        auto arrangement = Arrangements().find(c.name);
        ASSERT_NE(arrangement, Arrangements().end()) << "no arrangement for the case";
        ResetGlobals();
        g_nOSType = 7;
        MemoryWindows w;
        LoadMarkedEntries(w.resources);
        w.system.langId = 0x0804;
        w.system.codePage = 936;
        w.system.modulePath = "C:\\Setup\\setup.exe";
        w.files.PutDirectories("C:\\Setup\\Language");
        w.files.PutDirectories(kDriverDir + "\\3");
        for (const char* f : kWorking) w.files.Put(kDriverDir + "\\" + f, ToBytes(std::string("working ") + f));
        w.processes.onRun = [&w](const std::string&) {
            if (w.files.Exists("C:\\TEMP\\KX47.INF")) w.spooler.printers.push_back("KX47");
            return RunOutcome::Ended;
        };
        arrangement->second(w.files);
        CSetupApp app(w.platform);
        ASSERT_NO_THROW(app.PrepareStartup());
        ASSERT_NO_THROW(app.InstallPrinterDriver());

        bool commandRan = false;
        for (const auto& run : w.processes.runs) commandRan = commandRan || run.waited;
        const std::string name = PrinterName();
        const bool installed = c.outcome == "installed" || c.outcome.rfind("oem-", 0) == 0;
        ASSERT_EQ(w.ui.messages.size(), 1u);
        EXPECT_EQ(w.ui.messages[0].text, ResultMessage(installed, g_wLanguage, 0x0804));
        EXPECT_EQ(commandRan, installed);
        const bool entry = w.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name + " printer");
        if (installed) {
            EXPECT_EQ(name, "KX47");
            EXPECT_TRUE(entry);
        } else if (c.outcome == "other-name") {
            EXPECT_NE(name, "KX47");
            EXPECT_TRUE(w.files.Exists("C:\\TEMP\\" + name + ".GPD"));
            EXPECT_TRUE(w.files.Exists(kDriverDir + "\\" + name + ".GPD"));
            EXPECT_TRUE(entry);
        } else if (c.outcome == "refused") {
            EXPECT_FALSE(w.files.Exists("C:\\TEMP"));
            EXPECT_FALSE(w.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
        } else {
            ASSERT_EQ(c.outcome, "untouched");
            EXPECT_FALSE(w.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
        }
        if (c.outcome == "refused" || c.outcome == "untouched") {
            for (const char* f : kWorking) EXPECT_EQ(TextAt(w.files, kDriverDir + "\\" + f), std::string("working ") + f) << f;
        }
        if (c.outcome.rfind("oem-", 0) == 0) {
            EXPECT_EQ(w.files.Exists(kOemInf), c.outcome == "oem-kept");
        }
    }
}

}  // namespace
