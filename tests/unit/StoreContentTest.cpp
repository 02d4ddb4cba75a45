// The generated embedded store: entry sizes and grouping against the manifest, and the content we write
// ourselves (language tables, settings file, plug-in list and printer description templates, INF).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/ProfileText.h"
#include "resources/StoreEntries.h"
#include "tests/support/StoreFiles.h"

namespace {

Bytes Entry(std::uint16_t id) {
    Bytes data;
    EXPECT_TRUE(ReadStoreEntry(id, data)) << "store entry " << id << " missing";
    return data;
}

// The lines of a text whose every line ends in CR LF (no bare CR or LF, the last byte closes a line).
std::vector<std::string> CrLfLines(const Bytes& data) {
    std::vector<std::string> lines;
    const std::string text = ToString(data);
    std::size_t begin = 0;
    for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
        EXPECT_TRUE(end > begin && text[end - 1] == '\r') << "bare LF at " << end;
        lines.push_back(text.substr(begin, end > begin ? end - begin - 1 : 0));
        EXPECT_EQ(lines.back().find('\r'), std::string::npos) << "bare CR in " << lines.back();
    }
    EXPECT_EQ(begin, text.size()) << "last line without CR LF";
    return lines;
}

std::string Read(const Bytes& file, const std::string& section, const std::string& key, const std::string& def = "") {
    std::string out;
    ProfileReadString(&file, section, key, def, out, 1000);
    return out;
}

TEST(StoreCatalogue, OnlyTheManifestsIdsEachOfItsSizeSameBytesWithinARowDifferentBetweenRows) {
    const std::vector<ManifestEntry>& manifest = StoreManifest();
    ASSERT_FALSE(manifest.empty()) << "the generated manifest is missing or malformed";
    std::map<std::string, std::pair<std::uint16_t, Bytes>> rows;  // row -> its first entry and that entry's bytes
    std::set<std::uint16_t> ids;
    for (const ManifestEntry& e : manifest) {
        ids.insert(e.id);
        const Bytes data = Entry(e.id);
        EXPECT_EQ(data.size(), e.size) << "entry " << e.id;
        const auto [first, added] = rows.emplace(e.row, std::make_pair(e.id, data));
        EXPECT_TRUE(first->second.second == data) << "entry " << e.id << " differs from " << first->second.first;
        if (!added) continue;
        for (const auto& [row, other] : rows)
            EXPECT_TRUE(row == e.row || other.second != data) << "entry " << e.id << " equals row " << row;
    }
    for (unsigned id = 1; id < 1000; ++id) {
        Bytes data;
        EXPECT_EQ(ReadStoreEntry(static_cast<std::uint16_t>(id), data), ids.count(static_cast<std::uint16_t>(id)) == 1)
            << "entry " << id;
    }
}

// The 49 keys in file order with the English texts; "" marks the 18 keys that are empty in every table.
const std::vector<std::pair<std::string, std::string>> kEnglish = {
    {"IDD138_Title", ""}, {"IDD138_65535", ""},
    {"IDD138_1042", "Welcome to the Printer Driver Setup Wizard"},
    {"IDD138_1043", "This will install Printer Driver on your computer."},
    {"IDD138_1044", "It is recommended that you close all other applications before continuing."},
    {"IDD138_1045", "Click Next to continue,or Cancel to exit Setup."},
    {"IDD102_Title", ""}, {"IDD102_1000", ""},
    {"IDD102_12323", "&Back"}, {"IDD102_12324", "&Next"}, {"IDD102_1061", "Cancel"}, {"IDD102_12325", "Finish"},
    {"IDD102_-1", ""}, {"IDD102_0", ""}, {"IDD139_Title", ""}, {"IDD139_1040", ""}, {"IDD139_1065", ""},
    {"IDD139_1046", "License Agreement"},
    {"IDD139_1047", "Please read the following important information before continuing."},
    {"IDD139_1048", "Please read the following License Agreement.You must accept the terms of this agreement "
                    "before continuing with installation."},
    {"IDD139_1019", "*"},  // the agreement heading, checked apart
    {"IDD139_1049", "I accept the agreement"}, {"IDD139_1050", "I do not accept the agreement"},
    {"IDD137_Title", ""}, {"IDD137_1040", ""}, {"IDD137_1065", ""},
    {"IDD137_1051", "Please select the operation system"}, {"IDD137_1052", "Please select the operation system"},
    {"IDD137_1032", "Windows 2000"}, {"IDD137_1033", "Windows XP"}, {"IDD137_1036", "Windows 2003"},
    {"IDD137_1053", "operation system"}, {"IDD137_1054", "language"},
    {"IDD137_1037", "Chinese"}, {"IDD137_1038", "English"}, {"IDD143_Title", ""},
    {"IDD143_1055", "Printer Series"}, {"IDD143_1056", "Setting"}, {"IDD143_1039", "Default Printer"},
    {"IDD143_1057", "Name:"}, {"IDD143_1019", ""}, {"IDD143_1006", ""}, {"IDD140_Title", ""}, {"IDD140_1040", ""},
    {"IDD140_1065", ""},
    {"IDD140_1058", "Please wait while Setup installs Printer Driver on your computer"},
    {"IDD140_1059", "Please wait while Setup installs Printer Driver on your computer"},
    {"IDD140_1060", "Installing the driver..."}, {"IDD140_1035", "Progress1"},
};

const std::pair<std::uint16_t, const char*> kTables[] = {{kEnglishTableEntry, "English"}, {kSimplifiedTableEntry, "Chinese"}, {kTraditionalTableEntry, "Chinese"}};

TEST(LanguageTables, FixedHeaderThenEveryKeyInOrderReadableWithTheEmptyOnesEmpty) {
    for (const auto& [id, language] : kTables) {
        SCOPED_TRACE(id);
        const Bytes file = Entry(id);
        const std::vector<std::string> lines = CrLfLines(file);
        const std::vector<std::string> head = {"", "", "[Setting]", "Language=" + std::string(language), "", "", "",
                                               "[String]"};
        ASSERT_GT(lines.size(), head.size());
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8), head);

        // After [String]: the key lines in order, the agreement's further lines only between 1019 and 1049.
        std::vector<std::string> keys;
        std::size_t agreementLines = 0;
        for (auto it = lines.begin() + 8; it != lines.end(); ++it) {
            ASSERT_FALSE(!it->empty() && (*it)[0] == '[') << *it;
            const std::size_t eq = it->find('=');
            if (eq == std::string::npos) {
                EXPECT_EQ(keys.empty() ? "" : keys.back(), "IDD139_1019") << "stray line: " << *it;
                ++agreementLines;
                continue;
            }
            keys.push_back(it->substr(0, eq));
            EXPECT_LE(it->size() - eq - 1, 999u) << keys.back() << " would be cut by the 1000-byte buffer";
        }
        EXPECT_GT(agreementLines, 10u) << "the agreement follows its heading";
        EXPECT_EQ(Read(file, "Setting", "Language"), language);
        std::vector<std::string> expectedKeys;
        for (const auto& [key, english] : kEnglish) {
            expectedKeys.push_back(key);
            const std::string value = Read(file, "String", key, "<missing>");
            EXPECT_NE(value, "<missing>") << key;
            EXPECT_EQ(value.empty(), english.empty()) << key;
            if (id == kEnglishTableEntry && english != "*") {
                EXPECT_EQ(value, english) << key;
            }
        }
        EXPECT_EQ(keys, expectedKeys);
    }
}

TEST(LanguageTables, EnglishIsAsciiAndTheChineseTablesHoldTheirEncodedTexts) {
    const Bytes english = Entry(kEnglishTableEntry), simplified = Entry(kSimplifiedTableEntry), traditional = Entry(kTraditionalTableEntry);
    EXPECT_TRUE(std::all_of(english.begin(), english.end(), [](unsigned char c) { return c < 128; }));
    // GBK and Big5 bytes of a few texts; the Big5 "同意" has trail bytes in the ASCII range.
    const struct {
        const Bytes& table;
        const char* key;
        std::string text;
    } cases[] = {
        {simplified, "IDD102_12323", ToString({0xBA, 0xF3, 0xCD, 0xCB})},
        {simplified, "IDD137_1037", ToString({0xD6, 0xD0, 0xCE, 0xC4})},
        {simplified, "IDD139_1049", ToString({0xCD, 0xAC, 0xD2, 0xE2})},
        {traditional, "IDD102_12323", ToString({0xAB, 0xE1, 0xB0, 0x68})},
        {traditional, "IDD137_1037", ToString({0xA4, 0xA4, 0xA4, 0xE5})},
        {traditional, "IDD139_1049", ToString({0xA6, 0x50, 0xB7, 0x4E})},
        {simplified, "IDD137_1033", "Windows XP"}, {traditional, "IDD137_1033", "Windows XP"},
        {simplified, "IDD140_1035", "Progress1"},  {traditional, "IDD140_1035", "Progress1"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.table, "String", c.key), c.text) << c.key;
    // The agreement heading is in the table's own language: no ASCII-only heading in the Chinese tables.
    for (const Bytes* t : {&simplified, &traditional}) {
        const std::string heading = Read(*t, "String", "IDD139_1019");
        EXPECT_TRUE(std::any_of(heading.begin(), heading.end(), [](unsigned char c) { return c >= 0x81; }));
    }
    EXPECT_NE(Read(simplified, "String", "IDD139_1019"), Read(traditional, "String", "IDD139_1019"));
}

TEST(StoreTexts, SettingsFileAndPluginListAreExact) {
    EXPECT_EQ(ToString(Entry(kSettingsEntry)), "[Setting]\r\nLanguage=English\r\nPrinterName=KX47");
    EXPECT_EQ(ToString(Entry(kCommonIniSlot.ids[kXp])), "[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n");
}

TEST(StoreTexts, PrinterDescriptionHasShortLinesAndExactlyTheThreeNameLines) {
    const Bytes gpd = Entry(kCommonGpdSlot.ids[kXp]);
    std::map<std::string, std::vector<std::string>> byPrefix;  // the lines that name-line rewriting replaces
    int depth = 0;
    for (const std::string& line : CrLfLines(gpd)) {
        EXPECT_LE(line.size(), 70u) << line;
        for (const char* prefix :
             {"OEMDriverFile1=", "OEMConfigFile1=", "*GPDFileName:", "*ModelName:", "*ResourceDLL:"})
            if (line.find(prefix) != std::string::npos) byPrefix[prefix].push_back(line);
        depth += static_cast<int>(std::count(line.begin(), line.end(), '{')) -
                 static_cast<int>(std::count(line.begin(), line.end(), '}'));
        EXPECT_GE(depth, 0) << line;
    }
    EXPECT_EQ(depth, 0) << "unbalanced braces";
    EXPECT_EQ(byPrefix["*GPDFileName:"], std::vector<std::string>{"*GPDFileName: \"LBQ33.GPD\""});
    EXPECT_EQ(byPrefix["*ModelName:"], std::vector<std::string>{"*ModelName: \"LBQ33\""});
    EXPECT_EQ(byPrefix["*ResourceDLL:"], std::vector<std::string>{"*ResourceDLL: \"KX47RES.DLL\""});
    EXPECT_TRUE(byPrefix["OEMDriverFile1="].empty());
    EXPECT_TRUE(byPrefix["OEMConfigFile1="].empty());

    // The facts of the description: resolution, paper, custom size, colour depth, property callbacks.
    const std::string text = ToString(gpd);
    for (const char* fact : {"*GPDSpecVersion:", "*Include: \"StdNames.gpd\"", "*MasterUnits: PAIR(203, 203)",
                             "*PrinterType: SERIAL", "*Feature: Orientation", "*Feature: InputBin",
                             "*Feature: PaperSize", "*Option: FORM58", "*PageDimensions: PAIR(464, 3357)",
                             "*PrintableArea: PAIR(384, 3357)", "*Option: CUSTOMSIZE", "*MinSize: PAIR(384, 128)",
                             "*MaxSize: PAIR(384, 26182)", "*DPI: PAIR(203, 203)", "*DevBPP: 1",
                             "*DevNumOfPlanes: 1", "*FeatureType: PRINTER_PROPERTY", "*CallbackID:"})
        EXPECT_NE(text.find(fact), std::string::npos) << fact;
}

TEST(StoreTexts, InfHasItsSectionsAndEntriesInOrder) {
    std::vector<std::pair<std::string, std::vector<std::string>>> expected = {
        {"Version", {"Signature=\"$Windows NT$\"", "Provider=%MICROSOFT%", "LayoutFile=ntprint.inf",
                     "ClassGUID={4D36E979-E325-11CE-BFC1-08002BE10318}", "Class=Printer", "DriverVer=08/07/2004"}},
        {"Manufacturer", {"\"KX47\"=Driver_KX47,NTx86"}},
        {"Driver_KX47", {"\"KX47\"         =Driver_Files"}},
        {"Driver_KX47.NTx86", {"\"KX47\"         =Driver_Files"}},
        {"Driver_KX47.amd64", {"\"KX47\"         =Driver_Files"}},
        {"Driver_KX47.ia64", {"\"KX47\"         =Driver_Files"}},
        {"Driver_Files", {"CopyFiles=@KX47.GPD", "CopyFiles=@ZIKU.UFM", "CopyFiles=@KX47.INI",
                          "CopyFiles=@KX47RES.DLL", "CopyFiles=DriverFiles", "DataSection=UNIDRV_DATA",
                          "DataFile=KX47.GPD", "Include=NTPRINT.INF", "Needs=UNIDRV.OEM,UNIDRV_DATA",
                          "Addreg = port_AddReg"}},
        {"port_AddReg", {}},  // filled below
        {"DriverFiles", {"KX47D.DLL", "KX47F.DLL"}},
        {"SourceDisksNames", {"100 = %OEMSample%"}},
        {"SourceDisksFiles", {"KX47RES.DLL =100", "KX47.ini =100", "KX47.GPD=100", "ZIKU.UFM =100"}},
        {"SourceDisksFiles.x86", {"KX47D.DLL     = 100,x86", "KX47F.DLL      = 100,x86"}},
        {"SourceDisksFiles.amd64", {"KX47D.DLL     = 100,amd64", "KX47F.DLL      = 100,amd64"}},
        {"SourceDisksFiles.ia64", {"KX47D.DLL     = 100,ia64", "KX47F.DLL      = 100,ia64"}},
        {"DestinationDirs", {"DefaultDestDir=66000", "LMDir=12"}},
        {"ControlFlags", {"ExcludeFromSelect = 2369"}},
        {"Strings", {"MICROSOFT=\"Microsoft\"", "COMMCONFIG=\"38400,n,8,1,p\""}},
    };
    for (const char* port : {"COM1:", "COM2:", "COM3:", "COM4:"})
        expected[7].second.push_back(std::string("HKLM,\"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Ports\",\"") +
                                 port + "\",0x00000000,%COMMCONFIG%");

    std::vector<std::pair<std::string, std::vector<std::string>>> got;
    for (const std::string& line : CrLfLines(Entry(kInfEntry))) {
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            ASSERT_EQ(line.back(), ']') << line;
            got.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        ASSERT_FALSE(got.empty()) << "entry before the first section: " << line;
        got.back().second.push_back(line);
    }
    EXPECT_EQ(got, expected);
}

}  // namespace
