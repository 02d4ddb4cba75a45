// Another user's process at work while the program runs: on the Nth touch of a path it replaces or rewrites a
// file, gives the name to a file of its choosing (a hard link), or turns a directory into a junction. Over
// every path the installation stages, the command's window, the copies into the driver directory, start-up's
// writes, the log and the uninstaller, nothing outside the program's places is written or deleted, nothing
// that is not this run's is installed, and a success is only ever told for this run's bytes.
#include <map>
#include <set>

#include "install/InstallCommandText.h"
#include "tests/unit/UnitSupport.h"
#include "uninstall/Uninstaller.h"

namespace {

const std::string kVictimDir = "C:\\Victim";
const std::string kVictim = kVictimDir + "\\victim.dll";
const std::string kSystemFile = "C:\\WINDOWS\\system32\\kernel32.dll";
// The places the program may change; anything else on the disk must stay as it was.
const char* const kProgramPlaces[] = {"C:\\TEMP", "C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\W32X86", "C:\\SETUP",
                                      "C:\\WINDOWS\\INF", "C:\\LOGS"};

bool Below(const std::string& norm, const std::string& root) {
    return norm == root || (norm.size() > root.size() && norm.compare(0, root.size(), root) == 0 && norm[root.size()] == '\\');
}

// Every file outside the program's places, with its bytes.
std::map<std::string, std::string> Outside(const MemoryFileSystem& files) {
    std::map<std::string, std::string> out;
    for (const std::string& path : files.AllFiles()) {
        const std::string norm = NormalizeMemoryPath(path);
        bool mine = false;
        for (const char* root : kProgramPlaces) mine = mine || Below(norm, root);
        if (!mine) out[norm] = TextAt(files, path);
    }
    return out;
}

// The driver directory's version subdirectory, by name: what the command installed.
std::map<std::string, std::string> Installed(const MemoryFileSystem& files) {
    std::map<std::string, std::string> out;
    for (const std::string& path : files.AllFiles())
        if (Below(NormalizeMemoryPath(path), NormalizeMemoryPath(kDriverDir + "\\3"))) out[NormalizeMemoryPath(path)] = TextAt(files, path);
    return out;
}

enum class Act { Replace, Write, Link, Junction };
const char* ActName(Act act) {
    switch (act) {
        case Act::Replace: return "replace";
        case Act::Write: return "write";
        case Act::Link: return "link";
        case Act::Junction: return "junction";
    }
    return "";
}

// One interference: at the nth touch of path (normalized), act.
struct Interference {
    std::string path;
    int nth = 0;
    Act act = Act::Replace;
};

bool Perform(MemoryFileSystem& files, const std::string& path, Act act) {
    switch (act) {
        case Act::Replace: return files.OtherReplace(path, ToBytes("foreign"));
        case Act::Write: return files.OtherWrite(path, ToBytes("foreign"));
        case Act::Link: return files.OtherHardLink(kVictim, path);
        case Act::Junction: return files.OtherJunction(path, kVictimDir);
    }
    return false;
}

// A machine with a setup.exe in C:\Setup, the store, XP with a simplified Chinese system, and a victim: a
// directory of someone else's with a file of its own and files under the names the run stages (so that a
// junction to it would be written through, installed or deleted if it were followed).
class Machine {
public:
    Machine() {
        LoadMarkedEntries(win.resources);
        LoadStoreEntries(win.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
        win.files.PutDirectories("C:\\Setup");
        win.files.PutDirectories("C:\\Logs");
        win.files.PutDirectories(kDriverDir + "\\3");
        win.files.Put(kSystemFile, ToBytes("the system's own"));
        win.files.Put(kVictim, ToBytes("victim"));
        for (const char* name : {"KX47D.dll", "KX47F.dll", "KX47RES.DLL", "KX47.GPD", "KX47.INF", "Multi_eng.dll"})
            win.files.Put(kVictimDir + "\\" + name, ToBytes(std::string("the victim's ") + name));
        win.system.langId = 0x0804;
        win.system.codePage = 936;
        win.processes.onRun = [this](const std::string&) {
            if (onCommand) onCommand();
            InstallLikeTheSystemCommand(win);
            return RunOutcome::Ended;
        };
        win.files.onTouch = [this](const std::string& path) {
            const std::string norm = NormalizeMemoryPath(path);
            const int count = ++touches[norm];
            if (!armed || done || norm != target.path || count != target.nth) return;
            done = true;
            acted = Perform(win.files, path, target.act);
        };
    }
    // setup.exe with these options, as start-up and the installation run it; its exit code.
    int Setup(const char* commandLine) {
        g_nOSType = 7;
        CSetupApp app(win.platform);
        app.m_lpCmdLine = const_cast<char*>(commandLine);
        app.InitInstance();
        outcome = app.Outcome();
        return app.ExitInstance();
    }
    MemoryWindows win;
    std::map<std::string, int> touches;
    Interference target;
    bool armed = false, done = false, acted = false;
    std::function<void()> onCommand;
    InstallOutcome outcome = InstallOutcome::NotRun;
};

class MidRun : public AppTest {
protected:
    // Every interference that can happen on the paths of a run: each act that fits the path (a directory can
    // become a junction; a file can be replaced, rewritten or made a link), at each touch of it.
    static std::vector<Interference> Interferences(const Machine& reference, const std::set<std::string>& directories,
                                                   const std::function<bool(const std::string&)>& wanted) {
        std::vector<Interference> out;
        for (const auto& [path, count] : reference.touches) {
            if (!wanted(path)) continue;
            for (int nth = 1; nth <= count; ++nth) {
                if (directories.count(path)) {
                    out.push_back(Interference{path, nth, Act::Junction});
                    continue;
                }
                for (Act act : {Act::Replace, Act::Write, Act::Link}) out.push_back(Interference{path, nth, act});
            }
        }
        return out;
    }
    static std::string Describe(const Interference& i) {
        return std::string(ActName(i.act)) + " " + i.path + " at touch " + std::to_string(i.nth);
    }
};

TEST_F(MidRun, NothingForeignIsInstalledAndNothingOutsideIsTouchedWhateverAnotherUserDoesMeanwhile) {
    const char* const kOptions = "/quiet /log=C:\\Logs\\till.log";
    Machine reference;
    const std::map<std::string, std::string> outsideBefore = Outside(reference.win.files);
    ASSERT_EQ(reference.Setup(kOptions), kExitSuccess);
    ASSERT_EQ(reference.outcome, InstallOutcome::Installed);
    const std::map<std::string, std::string> installed = Installed(reference.win.files);
    ASSERT_EQ(installed.size(), 6u);  // the six files the INF takes from the staging area

    const std::set<std::string> directories = {"C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\X86", "C:\\SETUP\\LANGUAGE"};
    // Everything the program writes or reads in a place another user can reach, and the driver directory. In
    // the version subdirectory only the system's command writes (it would write through a link planted there,
    // which no standard user can plant): there a file is replaced or rewritten after the command.
    const std::string versionDir = NormalizeMemoryPath(kDriverDir + "\\3");
    std::vector<Interference> cases;
    for (const Interference& c : Interferences(reference, directories, [](const std::string& path) {
             return Below(path, "C:\\TEMP") || Below(path, "C:\\SETUP\\LANGUAGE") || path == "C:\\SETUP\\SETTING.DLL" ||
                    path == "C:\\LOGS\\TILL.LOG" || Below(path, NormalizeMemoryPath(kDriverDir));
         }))
        if (!(c.act == Act::Link && Below(c.path, versionDir))) cases.push_back(c);
    ASSERT_GT(cases.size(), 150u);

    int refused = 0, installedCount = 0;
    std::set<std::string> touchedPaths;
    for (const Interference& c : cases) {
        SCOPED_TRACE(Describe(c));
        touchedPaths.insert(c.path);
        ResetGlobals();
        Machine m;
        m.target = c;
        m.armed = true;
        const int code = m.Setup(kOptions);
        EXPECT_TRUE(m.done);
        refused += m.done && !m.acted;

        EXPECT_EQ(Outside(m.win.files), outsideBefore);
        EXPECT_EQ(m.win.files.HeldCount(), 0u);
        // An installation is only ever reported for this run's bytes in the driver directory.
        if (code == kExitSuccess) {
            ++installedCount;
            EXPECT_EQ(Installed(m.win.files), installed);
        }
        // The command never took a file that is not this run's: what it installed is the reference's, or it
        // installed nothing (the run stopped before it, or it was not run).
        if (!m.win.spooler.drivers.empty() && code != kExitSuccess) {
            EXPECT_NE(m.outcome, InstallOutcome::Installed);
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(installedCount, 0);
    std::cout << "mid-run interference: " << cases.size() << " cases over " << touchedPaths.size() << " paths, "
              << refused << " refused by a held handle, " << installedCount << " still installed" << std::endl;
}

TEST_F(MidRun, WhileTheCommandRunsTheStagedFilesAndDirectoriesCannotBeChanged) {
    // The command's window: another user tries every staged file and directory while the command runs.
    Machine m;
    std::vector<std::string> attempts;
    m.onCommand = [&m, &attempts]() {
        for (const char* name : {"KX47.INF", "KX47.GPD", "ZIKU.UFM", "KX47.INI", "KX47RES.DLL", "x86\\KX47D.DLL",
                                 "x86\\KX47F.DLL", "I386\\KX47D.DLL"}) {
            const std::string path = std::string("C:\\TEMP\\") + name;
            if (m.win.files.OtherReplace(path, ToBytes("foreign"))) attempts.push_back("replaced " + path);
            if (m.win.files.OtherWrite(path, ToBytes("foreign"))) attempts.push_back("wrote " + path);
        }
        for (const char* dir : {"C:\\TEMP\\x86", "C:\\TEMP\\I386", "C:\\TEMP"})
            if (m.win.files.OtherJunction(dir, kVictimDir)) attempts.push_back(std::string("junction ") + dir);
    };
    EXPECT_EQ(m.Setup("/quiet"), kExitSuccess);
    EXPECT_EQ(attempts, std::vector<std::string>());
    EXPECT_EQ(TextAt(m.win.files, kDriverDir + "\\3\\KX47D.DLL"), ToString(m.win.resources.entries.at(kCommonRenderPluginSlot.ids[kXp])));
    EXPECT_EQ(m.win.files.HeldCount(), 0u);

    // Once the run is over, the files are let go.
    EXPECT_TRUE(m.win.files.OtherWrite("C:\\TEMP\\KX47.GPD", ToBytes("after the run")));
}

TEST_F(MidRun, ACommandThatOutlivesItsLimitIsEndedBeforeTheFilesAreLetGo) {
    Machine m;
    bool heldWhenEnded = false;
    m.win.processes.onRun = [&m, &heldWhenEnded](const std::string&) {
        // The platform ends a command past its limit before it returns; the files are still held then.
        heldWhenEnded = m.win.files.IsHeld("C:\\TEMP\\KX47.INF") && m.win.files.IsHeld("C:\\TEMP\\x86");
        return RunOutcome::TimedOut;
    };
    EXPECT_EQ(m.Setup("/quiet"), kExitInstallFailed);
    EXPECT_TRUE(heldWhenEnded);
    EXPECT_EQ(m.win.files.HeldCount(), 0u);
}

TEST_F(MidRun, AnInstalledDriverWithFilesThatAreNotThisRunsIsAFailureEvenWithThePrinterThere) {
    for (const char* changed : {"KX47D.DLL", "KX47.GPD", "ZIKU.UFM"}) {
        SCOPED_TRACE(changed);
        ResetGlobals();
        Machine m;
        m.win.processes.onRun = [&m, changed](const std::string&) {
            InstallLikeTheSystemCommand(m.win);
            m.win.files.Put(kDriverDir + "\\3\\" + changed, ToBytes("not this run's"));
            return RunOutcome::Ended;
        };
        g_nOSType = 7;
        CSetupApp wizard(m.win.platform, [](CSetupApp& a) {
            g_wLanguage = 0;
            a.InstallPrinterDriver();
        });
        wizard.m_lpCmdLine = const_cast<char*>("");
        wizard.InitInstance();
        EXPECT_EQ(wizard.Outcome(), InstallOutcome::Failed);
        EXPECT_EQ(m.win.ui.events, (std::vector<std::string>{"message:" + ResultMessage(false, 0, 0x0804), "quit"}));
    }

    // A leftover printer whose name holds the model word still counts for the wizard's message when the
    // command installed no driver of that name, as it always did; an unattended run reports no installation.
    ResetGlobals();
    Machine leftover;
    leftover.win.spooler.printers = {"Office KX47"};
    leftover.win.processes.onRun = nullptr;
    g_nOSType = 7;
    CSetupApp wizard(leftover.win.platform, [](CSetupApp& a) { a.InstallPrinterDriver(); });
    wizard.m_lpCmdLine = const_cast<char*>("");
    wizard.InitInstance();
    EXPECT_EQ(wizard.Outcome(), InstallOutcome::PrinterFound);
    EXPECT_EQ(leftover.win.ui.events, (std::vector<std::string>{"message:" + ResultMessage(true, 0, 0x0804), "quit"}));
    EXPECT_EQ(ExitCodeFor(InstallOutcome::PrinterFound), kExitInstallFailed);
}

TEST_F(MidRun, TheVersionSubdirectoryKeepsFilesAnotherInstalledDriverNames) {
    // A printer named like another vendor's GPD: that vendor's driver keeps its file in 3.
    Machine m;
    m.win.files.Put("C:\\Setup\\setting.dll", ToBytes("[Setting]\r\nPrinterName=ACME\r\n"));
    m.win.files.Put(kDriverDir + "\\3\\ACME.GPD", ToBytes("the other vendor's"));
    m.win.files.Put(kDriverDir + "\\3\\ACME.INI", ToBytes("an earlier ACME installation's"));
    m.win.spooler.drivers.push_back(InstalledDriver{"ACME Receipt", {kDriverDir + "\\3\\UNIDRV.DLL", kDriverDir + "\\3\\ACME.GPD"}});
    m.Setup("/quiet");
    EXPECT_EQ(TextAt(m.win.files, kDriverDir + "\\3\\ACME.GPD"), "the other vendor's");
    EXPECT_FALSE(m.win.files.Exists(kDriverDir + "\\3\\ACME.INI"));

    // Drivers that cannot be listed: nothing in 3 is removed.
    ResetGlobals();
    Machine unlisted;
    unlisted.win.files.Put(kDriverDir + "\\3\\KX47.GPD", ToBytes("an earlier installation's"));
    unlisted.win.spooler.driverEnumerationFails = true;
    unlisted.win.processes.onRun = nullptr;
    unlisted.Setup("/quiet");
    EXPECT_EQ(TextAt(unlisted.win.files, kDriverDir + "\\3\\KX47.GPD"), "an earlier installation's");
}

TEST_F(MidRun, StartUpAndTheLogNeverWriteThroughALinkOrIntoAJunction) {
    // Planted before the run: a hard link to someone else's file at every name start-up and the log write, and
    // a junction in place of the Language directory.
    for (const char* planted : {"C:\\Setup\\Language\\Multi_eng.dll", "C:\\Setup\\Language\\Multi_ch.dll",
                                "C:\\Setup\\setting.dll", "C:\\Logs\\till.log"}) {
        SCOPED_TRACE(planted);
        ResetGlobals();
        Machine m;
        m.win.files.PutDirectories("C:\\Setup\\Language");
        ASSERT_TRUE(m.win.files.OtherHardLink(kVictim, planted));
        m.Setup("/quiet /log=C:\\Logs\\till.log");
        EXPECT_EQ(TextAt(m.win.files, kVictim), "victim");
    }
    ResetGlobals();
    Machine m;
    m.win.files.Junction("C:\\Setup\\Language", kVictimDir);
    const std::map<std::string, std::string> before = Outside(m.win.files);
    m.Setup("/quiet");
    EXPECT_EQ(Outside(m.win.files), before);
}

TEST_F(MidRun, TheUninstallerNeverDeletesAFileItDidNotCheckAndNeverFollowsAJunction) {
    Machine reference;
    ASSERT_EQ(reference.Setup("/quiet"), kExitSuccess);
    const std::string program = kDriverDir + "\\uninstallKX47.exe";
    reference.win.system.modulePath = program;
    reference.touches.clear();
    const std::map<std::string, std::string> outsideBefore = Outside(reference.win.files);
    ASSERT_EQ(RunUninstaller(reference.win.platform), 0);

    const std::set<std::string> directories = {"C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\X86",
                                               NormalizeMemoryPath(kDriverDir + "\\3")};
    const std::vector<Interference> cases = Interferences(reference, directories, [&](const std::string& path) {
        return path != NormalizeMemoryPath(program) && path != NormalizeMemoryPath(kDriverDir) &&
               (Below(path, "C:\\TEMP") || Below(path, NormalizeMemoryPath(kDriverDir)));
    });
    ASSERT_GT(cases.size(), 50u);
    int refused = 0;
    for (const Interference& c : cases) {
        SCOPED_TRACE(Describe(c));
        ResetGlobals();
        Machine m;
        ASSERT_EQ(m.Setup("/quiet"), kExitSuccess);
        m.win.system.modulePath = program;
        m.touches.clear();
        m.target = c;
        m.armed = true;
        RunUninstaller(m.win.platform);
        EXPECT_TRUE(m.done);
        refused += !m.acted;
        EXPECT_EQ(Outside(m.win.files), outsideBefore);
        EXPECT_EQ(m.win.files.HeldCount(), 0u);
        // What another user put in the staging area stays: the uninstaller deletes only what it checked,
        // through the handle it checked it with. (The driver directory is the administrators': its driver
        // files go by name when no installed driver names them.)
        if (m.acted && c.act == Act::Replace && Below(c.path, "C:\\TEMP")) {
            EXPECT_EQ(TextAt(m.win.files, c.path), "foreign");
        }
    }
    EXPECT_GT(refused, 0);
}

TEST_F(MidRun, TheUninstallerReadsNoHugeFileAndSchedulesNoDeleteInTheStagingDirectory) {
    Machine m;
    ASSERT_EQ(m.Setup("/quiet"), kExitSuccess);
    // A sparse file of 4 GB at a staged name: kept, never read.
    m.win.files.Put("C:\\TEMP\\KX47.INI", ToBytes("sparse"));
    m.win.files.SetApparentSize("C:\\TEMP\\KX47.INI", 4ull << 30);
    // Run from the staging directory: the copy there is not scheduled for a restart-time delete.
    m.win.system.modulePath = "C:\\TEMP\\uninstallKX47.exe";
    UninstallReport report;
    EXPECT_NO_THROW(report = Uninstall(m.win.platform));
    EXPECT_FALSE(report.interrupted);
    EXPECT_TRUE(m.win.files.removeAtRestart.empty());
    EXPECT_TRUE(m.win.files.Exists("C:\\TEMP\\KX47.INI"));
    bool keptItself = false;
    for (const Removal& r : report.removals)
        keptItself = keptItself || (r.kind == RemovalKind::Program && r.outcome == RemovalOutcome::Failed);
    EXPECT_TRUE(keptItself);

    // A driver file that another process holds open without delete sharing cannot be checked or removed:
    // reported as a failure, not passed over.
    ResetGlobals();
    Machine held;
    ASSERT_EQ(held.Setup("/quiet"), kExitSuccess);
    held.win.system.modulePath = kDriverDir + "\\uninstallKX47.exe";
    held.win.files.HoldOpen(kDriverDir + "\\KX47.INI", MemoryFileSystem::kShareRead);
    report = Uninstall(held.win.platform);
    bool failedIni = false;
    for (const Removal& r : report.removals)
        failedIni = failedIni || (r.what == kDriverDir + "\\KX47.INI" && r.outcome == RemovalOutcome::Failed);
    EXPECT_TRUE(failedIni);
    EXPECT_TRUE(held.win.files.Exists(kDriverDir + "\\KX47.INI"));

    // The model word compared as the installation compares it: under "kx47" the installation never ran the
    // command, so the printer and driver KX47 are not this uninstaller's.
    ResetGlobals();
    Machine lower;
    ASSERT_EQ(lower.Setup("/quiet"), kExitSuccess);
    lower.win.system.modulePath = kDriverDir + "\\uninstallkx47.exe";
    Uninstall(lower.win.platform);
    EXPECT_EQ(lower.win.spooler.printers, std::vector<std::string>{"KX47"});
    EXPECT_EQ(lower.win.spooler.drivers.size(), 1u);
}

}  // namespace
