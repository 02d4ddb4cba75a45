// The installation run and the uninstaller on 64-bit Windows: a 32-bit process on an x64 processor installs
// the x64 driver (its plan, staging, environment, driver directory and 64-bit rundll32); other processors stay
// refused; a process that is not under WOW64 keeps the 32-bit driver.
#include "install/InstallCommandText.h"
#include "install/InstallRun.h"
#include "install/StagingPlan.h"
#include "tests/unit/UnitSupport.h"
#include "uninstall/Uninstaller.h"

namespace {

const std::string kSysnativeRundll = "C:\\WINDOWS\\Sysnative\\rundll32.exe";
const std::string kInstallArguments = " printui.dll,PrintUIEntry /if /f C:\\TEMP\\KX47.INF /r \"LPT1:\" /b \"KX47\" /m \"KX47\" ";

class X64Host : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win, 0x0804, 0);
        SetPrinterName("KX47");
    }
    // Windows 7 x64 in the system language, with the 32-bit and the x64 driver directories and Sysnative.
    static void Prepare(MemoryWindows& w, std::uint16_t langId, std::uint16_t wLanguage) {
        LoadMarkedEntries(w.resources);
        w.system.SetVersion(6, 1, true, 7601);
        g_nOSType = 10;
        w.system.wow64 = true;
        w.system.nativeArchitecture = kProcessorAmd64;
        w.system.langId = langId;
        g_wLanguage = wLanguage;
        w.files.PutDirectories(kDriverDir + "\\3");
        w.files.PutDirectories(kX64Dir + "\\3");
        w.files.Put(kSysnativeRundll, ToBytes("64-bit rundll32"));
    }
    void CommandInstallsFromInf() {
        win.processes.onRun = [this](const std::string&) {
            InstallLikeTheSystemCommand(win, true);
            return RunOutcome::Ended;
        };
    }
    // Every file below C:\TEMP and the driver directories.
    std::vector<std::string> FilesBelow(const std::string& dir) const {
        std::vector<std::string> found;
        for (const std::string& path : win.files.AllFiles())
            if (path.rfind(dir + "\\", 0) == 0) found.push_back(path);
        return found;
    }
    // The manifest's entry of the x64 column in these groups that is written under name.
    static const ManifestEntry* X64Entry(const std::string& plugin, const std::string& name) {
        const ManifestEntry* found = nullptr;
        for (const ManifestEntry& e : StoreManifest())
            if ((e.Group() == "common" || e.Group() == plugin) && e.Fills("x64") && e.WrittenFor("KX47") == name) {
                EXPECT_EQ(found, nullptr) << name << " twice in the x64 column";
                found = &e;
            }
        return found;
    }
};

TEST_F(X64Host, StagesTheX64PlanAndInstallsThroughThe64BitRundll32) {
    CommandInstallsFromInf();
    RunLog log;
    EXPECT_EQ(RunInstallation(win.platform, InstallInputs{"KX47", 10, 0}, log), InstallOutcome::Installed);

    // Staged: the common files, the x64 INF and the strings in C:\TEMP, the x64 plug-ins in C:\TEMP\amd64;
    // no Unidrv core and nothing in the 32-bit plug-ins' subdirectories.
    EXPECT_EQ(FilesBelow("C:\\TEMP"),
              (std::vector<std::string>{"C:\\TEMP\\amd64\\KX47D.dll", "C:\\TEMP\\amd64\\KX47F.dll", "C:\\TEMP\\KX47.GPD",
                                        "C:\\TEMP\\KX47.INF", "C:\\TEMP\\KX47.INI", "C:\\TEMP\\KX47RES.DLL",
                                        "C:\\TEMP\\STDNAMES.GPD", "C:\\TEMP\\uninstallKX47.exe",
                                        "C:\\TEMP\\ZIKU.UFM"}));
    EXPECT_EQ(At("C:\\TEMP\\KX47.INF"), Entry(kInfX64Entry));
    EXPECT_EQ(At("C:\\TEMP\\amd64\\KX47D.dll"), Entry(kCommonRenderPluginSlot.ids[kX64]));
    EXPECT_EQ(At("C:\\TEMP\\amd64\\KX47F.dll"), Entry(kPluginSimplifiedUiPluginSlot.ids[kX64]));
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\I386"));
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\x86"));

    // The x64 driver directory: the uninstaller and the driver's own files, each what was staged; the 32-bit
    // one untouched.
    for (const char* name : {"uninstallKX47.exe", "KX47.GPD", "STDNAMES.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL"})
        EXPECT_EQ(At(kX64Dir + "\\" + name), At(std::string("C:\\TEMP\\") + name)) << name;
    EXPECT_EQ(At(kX64Dir + "\\KX47D.dll"), At("C:\\TEMP\\amd64\\KX47D.dll"));
    EXPECT_EQ(At(kX64Dir + "\\KX47F.dll"), At("C:\\TEMP\\amd64\\KX47F.dll"));
    for (const char* core : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL"})
        EXPECT_FALSE(win.files.Exists(kX64Dir + "\\" + core)) << core;
    EXPECT_TRUE(FilesBelow(kDriverDir).empty());

    // The command: the same text, through the 64-bit rundll32; the driver found in "Windows x64".
    ASSERT_FALSE(win.processes.runs.empty());
    EXPECT_EQ(win.processes.runs[0].commandLine, kSysnativeRundll + kInstallArguments);
    EXPECT_FALSE(win.processes.runs[0].native);
    EXPECT_EQ(win.spooler.environment, kEnvironmentX64);
    ASSERT_EQ(win.spooler.x64Drivers.size(), 1u);
    EXPECT_TRUE(win.spooler.drivers.empty());

    // The uninstall entry names the uninstaller in the x64 driver directory.
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer";
    std::uint32_t type = 0;
    Bytes value;
    ASSERT_TRUE(win.registry.QueryValue(key, "UninstallString", type, value));
    EXPECT_EQ(ToString(value), kX64Dir + "\\uninstallKX47.exe" + std::string(1, '\0'));
}

TEST_F(X64Host, WithoutSysnativeTheCommandStartsWithTheRedirectionOff) {
    win.files.RemoveFile(kSysnativeRundll);
    CommandInstallsFromInf();
    app.InstallPrinterDriver();
    EXPECT_EQ(app.Outcome(), InstallOutcome::Installed);
    ASSERT_FALSE(win.processes.runs.empty());
    EXPECT_EQ(win.processes.runs[0].commandLine, "C:\\WINDOWS\\system32\\rundll32.exe" + kInstallArguments);
    EXPECT_TRUE(win.processes.runs[0].native);
    // The default-printer command, the same from either program, through the 32-bit one as always.
    ASSERT_EQ(win.processes.runs.size(), 2u);
    EXPECT_FALSE(win.processes.runs[1].native);
    EXPECT_EQ(win.processes.runs[1].commandLine, "C:\\WINDOWS\\system32\\rundll32.exe printui.dll,PrintUIEntry /y /n \"KX47\"");
}

TEST_F(X64Host, RedirectionThatCannotBeTurnedOffRunsNoCommandAndFails) {
    win.files.RemoveFile(kSysnativeRundll);
    win.processes.redirectionCannotBeTurnedOff = true;
    CommandInstallsFromInf();
    app.InstallPrinterDriver();
    EXPECT_EQ(app.Outcome(), InstallOutcome::Failed);
    EXPECT_TRUE(win.processes.runs.empty());
    EXPECT_TRUE(win.spooler.x64Drivers.empty());
}

TEST_F(X64Host, TheOutcomeCheckLooksInTheX64Environment) {
    // A command that registers the driver as a 32-bit one: the printer is there, but no x64 driver of this run.
    win.processes.onRun = [this](const std::string&) {
        InstallLikeTheSystemCommand(win, true);
        win.spooler.drivers = win.spooler.x64Drivers;
        win.spooler.x64Drivers.clear();
        return RunOutcome::Ended;
    };
    app.InstallPrinterDriver();
    EXPECT_EQ(app.Outcome(), InstallOutcome::PrinterFound);
}

TEST_F(X64Host, ThePlanIsTheManifestsX64Column) {
    const struct {
        const char* what;
        std::uint16_t langId, wLanguage;
        const char* plugin;
    } cases[] = {
        {"PRC, Chinese", 0x0804, 0, "plugin-simplified"},
        {"Taiwan, Chinese", 0x0404, 0, "plugin-traditional"},
        {"US, Chinese", 0x0409, 0, "plugin-traditional"},
        {"PRC, English", 0x0804, 1, "plugin-english"},
        {"US, English", 0x0409, 1, "plugin-english"},
    };
    const std::string names[] = {"STDNAMES.GPD", "KX47.GPD", "KX47.INI", "KX47D.dll", "ZIKU.UFM", "KX47F.dll", "KX47RES.DLL"};
    ASSERT_FALSE(StoreManifest().empty());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<StagedFile> plan = StagingPlanX64(c.langId, c.wLanguage, "KX47");
        ASSERT_EQ(plan.size(), std::size(names));
        MemoryWindows w;
        Prepare(w, c.langId, c.wLanguage);
        CSetupApp(w.platform).InstallPrinterDriver();
        for (std::size_t i = 0; i < plan.size(); ++i) {
            const ManifestEntry* want = X64Entry(c.plugin, names[i]);
            ASSERT_NE(want, nullptr) << names[i];
            EXPECT_EQ(plan[i].id, want->id) << names[i];
            EXPECT_EQ(plan[i].fileName, names[i]);
            EXPECT_EQ(plan[i].patchNames, want->rewriteNames) << names[i];
            EXPECT_FALSE(plan[i].alsoI386x86) << names[i];
            // The x64 plug-ins, and only they, go to C:\TEMP\amd64.
            const bool amd64 = want->use.find("+amd64") != std::string::npos;
            EXPECT_EQ(plan[i].inAmd64, amd64) << names[i];
            const std::string staged = TextAt(w.files, (amd64 ? "C:\\TEMP\\amd64\\" : "C:\\TEMP\\") + names[i]);
            if (want->rewriteNames) EXPECT_NE(staged.find("entry " + std::to_string(want->id)), std::string::npos);
            else EXPECT_EQ(staged, ToString(w.resources.entries.at(want->id))) << names[i];
            EXPECT_EQ(TextAt(w.files, (amd64 ? "C:\\TEMP\\" : "C:\\TEMP\\amd64\\") + names[i]), "<missing>") << names[i];
        }
    }
}

TEST_F(X64Host, OtherProcessorsAreRefusedWithNothingTouched) {
    for (const std::uint16_t processor : {kProcessorIa64, kProcessorArm64, kProcessorIntel, std::uint16_t{0xFFFF}}) {
        SCOPED_TRACE(processor);
        MemoryWindows w;
        Prepare(w, 0x0804, 0);
        w.system.nativeArchitecture = processor;
        CSetupApp setup(w.platform);
        setup.InstallPrinterDriver();
        EXPECT_EQ(setup.Outcome(), InstallOutcome::UnsupportedHost);
        EXPECT_FALSE(w.files.Exists("C:\\TEMP"));
        EXPECT_TRUE(w.processes.runs.empty());
        EXPECT_FALSE(w.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
    }
}

TEST_F(X64Host, AProcessNotUnderWow64KeepsThe32BitDriver) {
    // A 64-bit build of the program on an x64 processor (as the tests run it in a 64-bit prefix): IsWow64Process
    // says no, so it is a "32-bit host" and stages and installs exactly as on 32-bit Windows.
    win.system.wow64 = false;
    win.processes.onRun = [this](const std::string&) {
        InstallLikeTheSystemCommand(win);
        return RunOutcome::Ended;
    };
    app.InstallPrinterDriver();
    EXPECT_EQ(app.Outcome(), InstallOutcome::Installed);
    EXPECT_EQ(win.spooler.environment, kEnvironmentX86);
    EXPECT_TRUE(win.files.Exists("C:\\TEMP\\x86\\KX47D.dll"));
    EXPECT_TRUE(win.files.Exists("C:\\TEMP\\UNIDRV.DLL"));
    EXPECT_FALSE(win.files.Exists("C:\\TEMP\\amd64"));
    EXPECT_EQ(At("C:\\TEMP\\KX47.INF"), Entry(kInfEntry));
    ASSERT_FALSE(win.processes.runs.empty());
    EXPECT_EQ(win.processes.runs[0].commandLine, "C:\\WINDOWS\\system32\\rundll32.exe" + kInstallArguments);
    EXPECT_TRUE(FilesBelow(kX64Dir).empty());
}

TEST_F(X64Host, TheUninstallerRemovesTheX64InstallationAndLeavesTheSystemsCore) {
    LoadStoreInto(win.resources);  // the uninstaller compares staged files with the real store
    CommandInstallsFromInf();
    app.InstallPrinterDriver();
    ASSERT_EQ(app.Outcome(), InstallOutcome::Installed);
    // The system's Unidrv core in the x64 driver directory, named by no driver once ours is gone.
    for (const char* core : {"UNIDRV.DLL", "UNIDRVUI.DLL", "UNIDRV.HLP", "UNIRES.DLL", "STDNAMES.GPD"})
        win.files.Put(kX64Dir + "\\3\\" + core, ToBytes("the system's"));
    win.spooler.UseEnvironment(kEnvironmentX86);  // a new process: the uninstaller chooses the environment itself
    win.system.modulePath = kX64Dir + "\\uninstallKX47.exe";

    EXPECT_EQ(RunUninstaller(win.platform), 0);
    EXPECT_TRUE(win.spooler.x64Drivers.empty());
    EXPECT_TRUE(win.spooler.printers.empty());
    EXPECT_FALSE(win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
    EXPECT_TRUE(FilesBelow("C:\\TEMP").empty());
    EXPECT_EQ(FilesBelow(kX64Dir),
              (std::vector<std::string>{kX64Dir + "\\3\\STDNAMES.GPD", kX64Dir + "\\3\\UNIDRV.DLL",
                                        kX64Dir + "\\3\\UNIDRV.HLP", kX64Dir + "\\3\\UNIDRVUI.DLL",
                                        kX64Dir + "\\3\\UNIRES.DLL", kX64Dir + "\\uninstallKX47.exe"}));
    EXPECT_EQ(win.files.removeAtRestart, std::vector<std::string>{kX64Dir + "\\uninstallKX47.exe"});
}

TEST_F(X64Host, TheUninstallerRefusesOtherProcessors) {
    win.system.nativeArchitecture = kProcessorArm64;
    win.system.modulePath = kX64Dir + "\\uninstallKX47.exe";
    EXPECT_EQ(Uninstall(win.platform).stop, UninstallStop::Wow64);
}

}  // namespace
