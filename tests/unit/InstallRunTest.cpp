// The installation run against the in-memory Windows (staging, copies, clean-up order, the refusals), the
// staging plan behind it and the printer-name check.
#include "install/InstallCommandText.h"
#include "install/InstallRun.h"
#include "install/PrinterNameCheck.h"
#include "install/StagingPlan.h"
#include "tests/support/FaultyPlatform.h"
#include "tests/unit/UnitSupport.h"

namespace {

class InstallRun : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win, 7, 0x0804, 0);
        win.files.PutDirectories(kDriverDir + "\\3");
        SetPrinterName("KX47");
    }
    static void Prepare(MemoryWindows& w, int osType, std::uint16_t langId, std::uint16_t wLanguage) {
        LoadMarkedEntries(w.resources);
        w.files.PutDirectories(kDriverDir);
        g_nOSType = osType;
        w.system.langId = langId;
        g_wLanguage = wLanguage;
    }
    // The stand-in for the system command: registers the printer when the staged INF is there.
    void CommandInstallsFromInf() {
        win.processes.onRun = [this](const std::string&) {
            InstallLikeTheSystemCommand(win);
            return RunOutcome::Ended;
        };
    }
    static std::vector<std::string> Outcome(bool installed, std::uint16_t langId = 0x0804) {
        return {"message:" + ResultMessage(installed, g_wLanguage, langId), "quit"};
    }
};

TEST_F(InstallRun, XpSimplifiedChineseStagesCopiesAndInstalls) {
    CommandInstallsFromInf();
    app.InstallPrinterDriver();

    // Staged beside the plan's files (checked below): the uninstaller, the INF and the rewritten templates.
    EXPECT_EQ(At("C:\\TEMP\\uninstallKX47.exe"), Entry(kUninstallerEntry));
    EXPECT_EQ(At("C:\\TEMP\\KX47.INF"), Entry(kInfEntry));
    EXPECT_EQ(At("C:\\TEMP\\KX47.INI"),
              "[OEMFiles]\nOEMDriverFile1=KX47D.DLL\nOEMConfigFile1=KX47F.DLL\n\n; entry 159\n");
    EXPECT_EQ(At("C:\\TEMP\\KX47.GPD"), "*GPDSpecVersion: \"1.0\"\n*GPDFileName: \"KX47.GPD\"\n*ModelName: \"KX47\"\n"
                                        "*ResourceDLL: \"KX47RES.DLL\"\n*% entry 155\n");

    // The uninstaller first, then the driver file set in copy order, each written from the bytes staged
    // (never copied from C:\TEMP by path) and equal to its staged file.
    std::vector<std::string> expectedCopies;
    for (const char* name : {"uninstallKX47.exe", "UNIDRV.DLL", "KX47.GPD", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL",
                             "STDNAMES.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL", "KX47D.dll", "KX47F.dll"}) {
        expectedCopies.push_back(kDriverDir + "\\" + name);
        EXPECT_NE(At(kDriverDir + "\\" + name), "<missing>") << name;
        EXPECT_EQ(At(kDriverDir + "\\" + name), At(std::string("C:\\TEMP\\") + name)) << name;
    }
    std::vector<std::string> driverDirectoryWrites;
    for (const std::string& line : LogLines(win.files, "write "))
        if (line.rfind(kDriverDir + "\\", 0) == 0) driverDirectoryWrites.push_back(line);
    EXPECT_EQ(driverDirectoryWrites, expectedCopies);
    for (const std::string& line : LogLines(win.files, "copy ")) EXPECT_NE(line.find(" -> " + kDriverDir + "\\3\\"), std::string::npos) << line;
    EXPECT_EQ(win.files.HeldCount(), 0u);  // everything the run held is let go

    EXPECT_TRUE(win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
    EXPECT_EQ(win.ui.events, Outcome(true));
}

TEST_F(InstallRun, TheEngineWorksOnItsInputsAloneNotOnTheProcessWideState) {
    // The process-wide state names another printer, host and language; the run follows its inputs.
    SetPrinterName("ABC");
    g_nOSType = 6;
    g_wLanguage = 1;
    CommandInstallsFromInf();
    RunLog log;
    EXPECT_EQ(RunInstallation(win.platform, InstallInputs{"KX47", 7, 0}, log), InstallOutcome::Installed);
    EXPECT_EQ(At("C:\\TEMP\\STDNAMES.GPD"), Entry(kCommonStdnamesSlot.ids[kXp]));  // Windows XP
    EXPECT_EQ(At("C:\\TEMP\\KX47F.dll"), Entry(kPluginSimplifiedUiPluginSlot.ids[kXp]));     // the simplified Chinese plug-in
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\ABC.INF"));
    EXPECT_EQ(win.ui.events, (std::vector<std::string>{"message:" + ResultMessage(true, 0, 0x0804), "quit"}));
}

TEST_F(InstallRun, StagedEntriesFollowSystemReleaseSystemLanguageAndChoice) {
    // Each case names the manifest's plan column and the groups whose slots fill the plan.
    const struct {
        const char* what;
        int osType;
        std::uint16_t langId, wLanguage;
        const char *column, *core, *plugin;
    } cases[] = {
        {"XP, PRC, Chinese", 7, 0x0804, 0, "xp", "core-chinese", "plugin-simplified"},
        {"XP, Taiwan, Chinese", 7, 0x0404, 0, "xp", "core-chinese", "plugin-traditional"},
        {"XP, Singapore, Chinese", 7, 0x1004, 0, "xp", "core-chinese", "plugin-traditional"},
        {"XP, PRC, English", 7, 0x0804, 1, "xp", "core-chinese", "plugin-english"},
        {"XP, US, English", 7, 0x0409, 1, "xp", "core-other", "plugin-english"},
        {"XP, US, Chinese", 7, 0x0409, 0, "xp", "core-other", "plugin-traditional"},
        {"2000, Taiwan, Chinese", 6, 0x0404, 0, "win2000", "core-chinese", "plugin-traditional"},
        {"2000, PRC, Chinese", 6, 0x0804, 0, "win2000", "core-chinese", "plugin-simplified"},
        {"2000, Japan, English", 6, 0x0411, 1, "win2000", "core-other", "plugin-english"},
        {"7, Hong Kong, Chinese", 10, 0x0C04, 0, "other", "core-chinese", "plugin-traditional"},
        {"Vista, US, English", 9, 0x0409, 1, "other", "core-other", "plugin-english"},
        {"2003, PRC, Chinese", 8, 0x0804, 0, "other", "core-chinese", "plugin-simplified"},
        {"Vista, PRC, Chinese", 9, 0x0804, 0, "other", "core-chinese", "plugin-simplified"},
        {"7, PRC, Chinese", 10, 0x0804, 0, "other", "core-chinese", "plugin-simplified"},
        {"NT 4, PRC, Chinese", 4, 0x0804, 0, "other", "core-chinese", "plugin-simplified"},
        {"unknown, PRC, Chinese", 0, 0x0804, 0, "other", "core-chinese", "plugin-simplified"},
    };
    const std::string names[] = {"STDNAMES.GPD", "KX47.GPD",   "KX47.INI",     "KX47D.dll",  "ZIKU.UFM",   "UNIDRV.DLL",
                                 "UNIDRV.HLP",   "UNIDRVUI.DLL", "UNIRES.DLL", "KX47F.dll", "KX47RES.DLL"};
    ASSERT_FALSE(StoreManifest().empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<StagedFile> plan = StagingPlan(c.osType, c.langId, c.wLanguage, "KX47");
        ASSERT_EQ(plan.size(), std::size(names));
        MemoryWindows w;
        Prepare(w, c.osType, c.langId, c.wLanguage);
        CSetupApp(w.platform).InstallPrinterDriver();
        for (std::size_t i = 0; i < plan.size(); ++i) {
            const std::string& name = names[i];
            // The one entry of the case's groups and column that the manifest writes under this name.
            std::vector<const ManifestEntry*> slot;
            for (const ManifestEntry& e : StoreManifest())
                if ((e.Group() == "common" || e.Group() == c.core || e.Group() == c.plugin) && e.Fills(c.column) &&
                    e.WrittenFor("KX47") == name)
                    slot.push_back(&e);
            ASSERT_EQ(slot.size(), 1u) << name;
            const ManifestEntry& want = *slot[0];
            EXPECT_EQ(plan[i].id, want.id) << name;
            EXPECT_EQ(plan[i].fileName, name);
            EXPECT_EQ(plan[i].patchNames, want.rewriteNames) << name;
            EXPECT_EQ(plan[i].alsoI386x86, want.alsoI386x86) << name;
            // What the run extracted: each entry's own bytes, the templates rewritten around their mark.
            const std::string entry = ToString(w.resources.entries.at(want.id));
            const std::string staged = TextAt(w.files, "C:\\TEMP\\" + name);
            if (want.rewriteNames) {
                EXPECT_NE(staged.find("entry " + std::to_string(want.id)), std::string::npos) << name;
                EXPECT_EQ(staged.find("LBQ33"), std::string::npos) << name;
            } else {
                EXPECT_EQ(staged, entry) << name;
            }
            for (const char* sub : {"C:\\TEMP\\I386\\", "C:\\TEMP\\x86\\"})
                EXPECT_EQ(TextAt(w.files, sub + name), want.alsoI386x86 ? entry : "<missing>") << sub << name;
        }
        // Nothing installs a printer here: the failure text in the run's language, then the quit.
        EXPECT_EQ(w.ui.events, Outcome(false, c.langId));
    }
}

TEST_F(InstallRun, EarlierCopiesAreRemovedBeforeAnyWriteAndOnlyNamedFilesFromTheVersionDirectory) {
    const char* fixed[] = {"STDNAMES.GPD", "ZIKU.UFM", "UNIDRV.DLL", "UNIDRV.HLP", "UNIDRVUI.DLL", "UNIRES.DLL"};
    const char* named[] = {"KX47.GPD", "KX47.INI", "KX47D.dll", "KX47F.dll", "KX47RES.DLL"};
    const std::string temp = "C:\\TEMP\\", driver = kDriverDir + "\\", version = kDriverDir + "\\3\\";
    for (const std::string& dir : {temp, driver, version})
        for (const char* f : fixed) win.files.Put(dir + f, ToBytes("old"));
    for (const std::string& dir : {temp, driver, version})
        for (const char* f : named) win.files.Put(dir + f, ToBytes("old"));
    win.files.ClearLog();
    app.InstallPrinterDriver();

    const std::vector<std::string> deletes = LogLines(win.files, "delete ");
    auto deleted = [&](const std::string& path) { return std::count(deletes.begin(), deletes.end(), path); };
    for (const char* f : fixed) {
        EXPECT_EQ((std::vector<long>{deleted(temp + f), deleted(driver + f), deleted(version + f)}),
                  (std::vector<long>{1, 1, 0})) << f;
        EXPECT_EQ(At(version + f), "old") << f;
    }
    for (const char* f : named) {
        EXPECT_EQ(deleted(version + f), 1) << f;
        EXPECT_FALSE(win.files.Exists(version + f)) << f;
        EXPECT_NE(At(driver + f), "old") << f;
    }
    // An old file in the staging area is removed before its name is written; in the driver directory every
    // removal comes before the first copy.
    const std::vector<std::string> log = win.files.Log();
    auto at = [&](const std::string& line) { return std::find(log.begin(), log.end(), line) - log.begin(); };
    for (const char* f : fixed) EXPECT_LT(at("delete " + temp + f), at("write " + temp + f)) << f;
    for (const char* f : named) EXPECT_LT(at("delete " + temp + f), at("write " + temp + f)) << f;
    auto starts = [](const char* prefix) { return [prefix](const std::string& l) { return l.rfind(prefix, 0) == 0; }; };
    EXPECT_EQ(std::count_if(std::find_if(log.begin(), log.end(), starts("copy ")), log.end(), starts("delete ")), 0);
}

TEST_F(InstallRun, OtherPrinterNameNamesTheFilesButTheCommandKeepsTheModelWord) {
    SetPrinterName("Shop A");
    CommandInstallsFromInf();
    win.files.Put("C:\\TEMP\\KX47.INF", ToBytes("planted"));
    app.InstallPrinterDriver();
    for (const char* name : {"Shop A.GPD", "Shop A.INI", "Shop AD.dll", "Shop AF.dll", "Shop ARES.DLL", "Shop A.INF",
                             "uninstallShop A.exe", "I386\\Shop AD.dll", "x86\\Shop ARES.DLL"})
        EXPECT_TRUE(win.files.Exists(std::string("C:\\TEMP\\") + name)) << name;
    EXPECT_TRUE(win.files.Exists(kDriverDir + "\\uninstallShop A.exe"));
    EXPECT_TRUE(win.files.Exists(kDriverDir + "\\Shop ARES.DLL"));
    // The command would install C:\TEMP\KX47.INF and the KX47 files, which this run did not stage: it is not
    // run, whatever is there. The printer check alone decides.
    EXPECT_TRUE(win.processes.runs.empty());
    EXPECT_EQ(win.ui.events, Outcome(false));

    MemoryWindows w;
    Prepare(w, 7, 0x0804, 0);
    w.files.Put("C:\\TEMP\\KX47.INF", ToBytes("planted"));
    w.spooler.printers = {"KX47"};
    CSetupApp(w.platform).InstallPrinterDriver();
    ASSERT_EQ(w.processes.runs.size(), 1u);  // only the default printer command
    EXPECT_FALSE(w.processes.runs[0].waited);
    EXPECT_EQ(w.ui.events, Outcome(true));
}

TEST_F(InstallRun, UnsafePrinterNameOrNoDriverDirectoryTouchesNothing) {
    const std::string names[] = {"", std::string(200, 'P'), "..\\..\\WINDOWS\\KX47", "a/b", "C:KX47", "KX<47>",
                                 "KX\"47", "KX|47", "KX?47", "KX*47", "KX\t47", "KX\n47", "LPT1", "LPT1.x", "nul ",
                                 "Com1 .a", "CLOCK$", "conin$", "KX47"};  // KX47 itself: with no driver directory
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        MemoryWindows w;
        Prepare(w, 7, 0x0409, 1);
        w.spooler.driverDirectoryFails = name == "KX47";
        w.files.ClearLog();
        SetPrinterName(name);
        CSetupApp(w.platform).InstallPrinterDriver();
        EXPECT_TRUE(w.files.Log().empty());
        EXPECT_FALSE(w.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"));
        EXPECT_TRUE(w.processes.runs.empty());
        EXPECT_TRUE(w.spooler.removedForms.empty());
        EXPECT_EQ(w.ui.events, Outcome(false, 0x0409));
    }
}

// The log names the Win32 error that the failing call came back with.
bool Logged(const RunLog& log, const std::string& line) {
    return std::find(log.Lines().begin(), log.Lines().end(), line) != log.Lines().end();
}
std::string Joined(const RunLog& log) {
    std::string all;
    for (const std::string& line : log.Lines()) all += line + "\n";
    return all;
}

TEST_F(InstallRun, AStagingWriteRefusedLogsItsOwnErrorCode) {
    // A directory nobody may write to: the new file is refused (access denied).
    {
        MemoryWindows w;
        Prepare(w, 7, 0x0804, 0);
        w.files.PutDirectories("C:\\TEMP\\x86");
        w.files.SetReadOnlyDirectory("C:\\TEMP\\x86");
        RunLog log;
        EXPECT_EQ(RunInstallation(w.platform, InstallInputs{"KX47", 7, 0}, log), InstallOutcome::Failed);
        EXPECT_TRUE(Logged(log, "staging: creating C:\\TEMP\\x86: failed, Win32 error 183")) << Joined(log);
        const std::string all = Joined(log);
        const std::size_t at = all.find("staging: writing C:\\TEMP\\x86\\");
        ASSERT_NE(at, std::string::npos) << all;
        EXPECT_EQ(all.substr(all.find(": failed", at), all.find('\n', at) - all.find(": failed", at)),
                  ": failed, Win32 error 5") << all;
    }
    // A file another program holds open without sharing its deletion: the removal before the write is
    // refused (sharing violation), and the look that follows it, which succeeds, does not replace the code.
    {
        MemoryWindows w;
        Prepare(w, 7, 0x0804, 0);
        w.files.Put("C:\\TEMP\\KX47.GPD", ToBytes("held by another program"));
        w.files.HoldOpen("C:\\TEMP\\KX47.GPD", MemoryFileSystem::kShareRead);
        RunLog log;
        EXPECT_EQ(RunInstallation(w.platform, InstallInputs{"KX47", 7, 0}, log), InstallOutcome::Failed);
        EXPECT_TRUE(Logged(log, "staging: writing C:\\TEMP\\KX47.GPD: failed, Win32 error 32")) << Joined(log);
    }
}

// The uninstall entry's added values: the write refused (access denied) is the failure logged, not what the
// clean-up after it (removing what was written) runs into.
TEST_F(InstallRun, TheCleanUpAfterAFailedWriteDoesNotReplaceItsErrorCode) {
    auto run = [](FaultPlan& plan, RunLog& log) {
        MemoryWindows w;
        Prepare(w, 7, 0x0804, 0);
        w.files.PutDirectories(kDriverDir + "\\3");
        w.processes.onRun = [&w](const std::string&) {
            InstallLikeTheSystemCommand(w);
            return RunOutcome::Ended;
        };
        w.registry.deniedValues = {"ESTIMATEDSIZE"};
        FaultyPlatform faulty(w.platform, plan);
        return RunInstallation(faulty.platform(), InstallInputs{"KX47", 7, 0}, log);
    };
    FaultPlan recording;
    RunLog firstLog;
    EXPECT_EQ(run(recording, firstLog), InstallOutcome::Installed);
    EXPECT_TRUE(Logged(firstLog, "uninstall entry: adding the version, quiet removal and size: failed, Win32 error 5"))
        << Joined(firstLog);
    // Again, with the clean-up's first removal failing too (the key deleted under it).
    const std::vector<FaultPlan::Call>& calls = recording.Calls();
    std::size_t lastWrite = calls.size(), cleanUp = calls.size();
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].site == "IRegistry::SetValue") lastWrite = i;
    for (std::size_t i = lastWrite; i < calls.size() && cleanUp == calls.size(); ++i)
        if (calls[i].site == "IRegistry::DeleteValue") cleanUp = i;
    ASSERT_LT(cleanUp, calls.size());
    FaultPlan plan;
    plan.Arm(cleanUp, Fault::Fail);
    RunLog log;
    EXPECT_EQ(run(plan, log), InstallOutcome::Installed);
    EXPECT_TRUE(plan.Injected());
    EXPECT_TRUE(Logged(log, "uninstall entry: adding the version, quiet removal and size: failed, Win32 error 5"))
        << Joined(log);
}

TEST(PrinterNameCheck, FileNameRulesDevicesAndTheLongestPathAndKey) {
    const std::string dir = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    for (const char* fine : {"KX47", "Shop printer #2 (front)", "CONSOLE", "LPT", "COM10", "LPT0", "NULL", "CON1.x",
                             ".CON", "AUXx.GPD", "CONIN", "CLOCK"})
        EXPECT_EQ(CheckPrinterName(fine, dir), PrinterNameProblem::None) << fine;
    EXPECT_EQ(CheckPrinterName("", dir), PrinterNameProblem::Empty);
    for (const char* bad : {"a\\b", "a/b", "a:b", "a<b", "a>b", "a\"b", "a|b", "a?b", "a*b", "a\x01" "b", "a\x7f"})
        EXPECT_EQ(CheckPrinterName(bad, dir), PrinterNameProblem::ForbiddenCharacter) << bad;
    // The part before the first dot, trailing blanks dropped, in any case, opens the device.
    for (const char* device : {"CON", "nul", "Lpt1", "COM9", "aux", "PRN", "LPT1.x", "nul ", "Com1 .a", "prn.GPD",
                               "AUX  ", "nul.", "con.a.b", "CLOCK$", "clock$.x", "CONIN$", "conout$ .txt"})
        EXPECT_EQ(CheckPrinterName(device, dir), PrinterNameProblem::ReservedName) << device;
    // The uninstall key "...\Uninstall\<name> printer" holds at most 199 name characters.
    EXPECT_EQ(CheckPrinterName(std::string(199, 'N'), dir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName(std::string(200, 'N'), dir), PrinterNameProblem::TooLong);
    // With a long driver directory the icon reference "<dir>\uninstall<name>.exe,-0" decides.
    const std::string longDir = "D:\\" + std::string(137, 'd');  // 140 characters
    EXPECT_EQ(CheckPrinterName(std::string(102, 'N'), longDir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName(std::string(103, 'N'), longDir), PrinterNameProblem::TooLong);
}

}  // namespace
