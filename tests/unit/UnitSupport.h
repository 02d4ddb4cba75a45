// Helpers shared by the native unit tests: process-wide state, store entries, the in-memory file log.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/setup.h"
#include "platform/memory/MemoryWindows.h"
#include "resources/StoreEntries.h"
#include "tests/support/StoreFiles.h"

// g_szPrinterName zero-filled, then name (at most 259 characters).
inline void SetPrinterName(const std::string& name) {
    std::memset(g_szPrinterName, 0, sizeof g_szPrinterName);
    std::memcpy(g_szPrinterName, name.data(), std::min(name.size(), sizeof g_szPrinterName - 1));
}

// The generated store's entries with these ids.
inline void LoadStoreEntries(MemoryResources& resources, std::initializer_list<std::uint16_t> ids) {
    for (std::uint16_t id : ids) EXPECT_TRUE(ReadStoreEntry(id, resources.entries[id])) << "store entry " << id;
}

// The file-system log lines that begin with prefix ("write ", "delete ", "copy "), without it.
inline std::vector<std::string> LogLines(const MemoryFileSystem& files, const std::string& prefix) {
    std::vector<std::string> lines;
    for (const std::string& line : files.Log())
        if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
    return lines;
}

inline const std::string kDriverDir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";

inline const std::string kX64Dir = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";

// What the system's command does with C:\TEMP\KX47.INF, as a command stand-in: when the INF is there, copies
// the files it names (from C:\TEMP and C:\TEMP\x86; on x64 from C:\TEMP\amd64) into the driver directory's 3
// (on x64 the "Windows x64" one), registers the driver KX47 with them and the Unidrv core, and creates the
// printer KX47 on it. False when the INF is missing or a file cannot be copied (then nothing is registered).
inline bool InstallLikeTheSystemCommand(MemoryWindows& w, bool x64 = false) {
    if (!w.files.Exists("C:\\TEMP\\KX47.INF")) return false;
    const std::string three = (x64 ? kX64Dir : kDriverDir) + "\\3\\";
    const std::string plugins = x64 ? "amd64\\" : "x86\\";
    InstalledDriver driver{"KX47", {}};
    for (const char* core : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"})
        driver.files.push_back(three + core);
    for (const std::string& from : {std::string("KX47.GPD"), std::string("ZIKU.UFM"), std::string("KX47.INI"),
                                    std::string("KX47RES.DLL"), plugins + "KX47D.DLL", plugins + "KX47F.DLL"}) {
        const std::string to = three + from.substr(from.rfind('\\') + 1);
        if (!w.files.CopyFileTo("C:\\TEMP\\" + from, to, false)) return false;
        driver.files.push_back(to);
    }
    (x64 ? w.spooler.x64Drivers : w.spooler.drivers).push_back(driver);
    w.spooler.printers.push_back("KX47");
    w.spooler.driverOf["KX47"] = "KX47";
    return true;
}

// A Windows XP host in the system language langId (ANSI code page codePage) with the program's directory
// C:\Setup and the driver directory, whose system command installs as InstallLikeTheSystemCommand does.
inline void PrepareXpHost(MemoryWindows& w, std::uint16_t langId, std::uint32_t codePage) {
    w.files.PutDirectories("C:\\Setup");
    w.files.PutDirectories(kDriverDir + "\\3");
    w.system.langId = langId;
    w.system.codePage = codePage;
    g_nOSType = 7;
    w.processes.onRun = [&w](const std::string&) {
        InstallLikeTheSystemCommand(w);
        return RunOutcome::Ended;
    };
}

// The file's bytes as text, "<missing>" when there is no such file.
inline std::string TextAt(const MemoryFileSystem& files, const std::string& path) {
    Bytes b;
    return files.Contents(path, b) ? ToString(b) : "<missing>";
}

inline const std::string kIniTemplate = "[OEMFiles]\r\nOEMDriverFile1=LBQ33D.DLL\r\nOEMConfigFile1=LBQ33F.DLL\r\n\r\n";
inline const std::string kGpdTemplate = "*GPDSpecVersion: \"1.0\"\r\n*GPDFileName: \"LBQ33.GPD\"\r\n*ModelName: \"LBQ33\"\r\n"
                                 "*ResourceDLL: \"KX47RES.DLL\"\r\n";

// Every entry of the generated manifest with bytes of its own (in the real store the entries of one catalogue
// row are identical), so that a staged file tells which entry it came from; the templates keep their name lines.
inline void LoadMarkedEntries(MemoryResources& resources) {
    ASSERT_FALSE(StoreManifest().empty()) << "the generated manifest is missing or malformed";
    for (const ManifestEntry& e : StoreManifest()) {
        const std::string mark = "entry " + std::to_string(e.id) + "\r\n";
        const bool gpd = e.rewriteNames && e.written == "<name>.GPD", ini = e.rewriteNames && e.written == "<name>.INI";
        resources.entries[e.id] = ToBytes(gpd ? kGpdTemplate + "*% " + mark : ini ? kIniTemplate + "; " + mark : mark);
    }
}

// A fresh in-memory Windows and application object per case, the process-wide state as before start-up
// around it.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override {
        ResetGlobals();
        g_nOSType = hostOsType_;
    }
    static void ResetGlobals() {
        g_strLanguageFile.clear();
        g_strSettingFile.clear();
        g_strAppDir.clear();
        SetPrinterName("");
        std::memset(g_szScratch, 0, sizeof g_szScratch);
        g_wLanguage = 0;
        g_languagePreset = LanguagePreset::System;
        g_strPortOption.clear();
        g_strPortSetting.clear();
        g_bInstalled = false;
    }
    std::string Entry(std::uint16_t id) const { return ToString(win.resources.entries.at(id)); }
    std::string At(const std::string& path) const { return TextAt(win.files, path); }

    MemoryWindows win;
    CSetupApp app{win.platform};

private:
    const int hostOsType_ = g_nOSType;
};
