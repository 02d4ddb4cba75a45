// What deployment tools rely on: the uninstall entry's added values (only after a verified installation),
// setup.exe's unattended edges and its log written as the run goes, and the uninstaller's options, exit codes
// and log.
#include "app/CommandLine.h"
#include "resources/product.h"
#include "system/UninstallDetails.h"
#include "tests/unit/UnitSupport.h"
#include "uninstall/UninstallOptions.h"
#include "uninstall/Uninstaller.h"

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer";
const std::string kProgram = kDriverDir + "\\uninstallKX47.exe";
const char* const kEntryValues[] = {"DisplayName", "UninstallString", "DisplayIcon", "Publisher"};

// A quiet installation on a simplified Chinese Windows XP, the system's command doing its work.
class Deployment : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win);
    }
    static void Prepare(MemoryWindows& w) {
        LoadStoreInto(w.resources);
        PrepareXpHost(w, 0x0804, 936);
        w.files.PutDirectories("C:\\Logs");
    }
    static int Install(MemoryWindows& w, const char* commandLine) {
        CSetupApp a(w.platform);
        a.m_lpCmdLine = commandLine;
        EXPECT_FALSE(a.InitInstance());
        return a.ExitInstance();
    }
    // "<type>:<text or number>" of a value of the entry, "<missing>" when it is not there.
    static std::string Value(const MemoryWindows& w, const std::string& name) {
        std::uint32_t type = 0;
        Bytes data;
        if (!w.registry.QueryValue(kKey, name, type, data)) return "<missing>";
        if (type == kRegDword && data.size() == 4)
            return "4:" + std::to_string(data[0] | data[1] << 8 | data[2] << 16 | std::uint32_t(data[3]) << 24);
        return std::to_string(type) + ":" + ToString(data);
    }
    static std::string Values(const MemoryWindows& w, std::initializer_list<const char*> names) {
        std::string out;
        for (const char* name : names) out += std::string(name) + "=" + Value(w, name) + ";";
        return out;
    }
    static std::string EntryValues(const MemoryWindows& w) {
        std::string out;
        for (const char* name : kEntryValues) out += std::string(name) + "=" + Value(w, name) + ";";
        return out;
    }
    static int AddedValuesPresent(const MemoryWindows& w) {
        int present = 0;
        for (const char* name : kUninstallDetailNames) present += Value(w, name) != "<missing>";
        return present;
    }
    static std::string LogOf(const MemoryWindows& w, const std::string& path) {
        const std::string text = TextAt(w.files, path);
        return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : "<no byte order mark> " + text;
    }
};

TEST_F(Deployment, AVerifiedInstallationAddsTheValuesAndKeepsTheEntrysOwn) {
    // The entry's own values as an installation whose outcome check fails writes them.
    MemoryWindows failed;
    Prepare(failed);
    failed.processes.onRun = nullptr;
    EXPECT_EQ(Install(failed, "/quiet"), kExitInstallFailed);
    ASSERT_TRUE(failed.registry.KeyExists(kKey));

    EXPECT_EQ(Install(win, "/quiet"), kExitSuccess);
    EXPECT_EQ(Value(win, "DisplayVersion"), std::string("1:") + PRODUCT_VERSION_TEXT + '\0');
    EXPECT_EQ(std::string(PRODUCT_VERSION_TEXT), std::to_string(PRODUCT_VERSION_MAJOR) + "." +
                                                     std::to_string(PRODUCT_VERSION_MINOR) + "." +
                                                     std::to_string(PRODUCT_VERSION_PATCH) + "." +
                                                     std::to_string(PRODUCT_VERSION_BUILD));
    EXPECT_EQ(Value(win, "QuietUninstallString"), "1:\"" + kProgram + "\" /quiet" + '\0');
    EXPECT_EQ(Values(win, {"NoModify", "NoRepair"}), "NoModify=4:1;NoRepair=4:1;");
    // The size in KB of what the run installed: at least every file it left in the staging area and the
    // driver directory's copies, at most twice that.
    std::uint64_t bytes = 0;
    for (const std::string& path : win.files.AllFiles()) {
        Bytes data;
        if ((path.rfind("C:\\TEMP\\", 0) == 0 && path != "C:\\TEMP\\temp.txt") ||
            (path.rfind(kDriverDir + "\\", 0) == 0 && path.find('\\', kDriverDir.size() + 1) == std::string::npos))
            bytes += win.files.Contents(path, data) ? data.size() : 0;
    }
    const std::string size = Value(win, "EstimatedSize");
    ASSERT_EQ(size.rfind("4:", 0), 0u) << size;
    const std::uint64_t kb = std::stoull(size.substr(2));
    EXPECT_GE(kb * 1024, bytes);
    EXPECT_LE(kb * 1024, 2 * bytes + 1024);
    // The four values stay exactly as the installation always wrote them, in their order.
    EXPECT_EQ(EntryValues(win), EntryValues(failed));
    const std::vector<std::string> names = win.registry.ValueNames(kKey);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              std::vector<std::string>(std::begin(kEntryValues), std::end(kEntryValues)));
}

TEST_F(Deployment, NoFailedRunLeavesTheValuesNotEvenAfterASuccessfulOne) {
    const struct {
        const char* what;
        std::function<void(MemoryWindows&)> arrange;
    } failures[] = {
        {"the command installs nothing", [](MemoryWindows& w) { w.processes.onRun = nullptr; }},
        {"the command does not start", [](MemoryWindows& w) { w.processes.startFails = true; }},
        {"the command does not end in time",
         [](MemoryWindows& w) { w.processes.onRun = [](const std::string&) { return RunOutcome::TimedOut; }; }},
        {"the driver installed with files that are not this run's",
         [](MemoryWindows& w) {
             w.processes.onRun = [&w](const std::string&) {
                 InstallLikeTheSystemCommand(w);
                 w.files.Put(kDriverDir + "\\3\\KX47D.DLL", ToBytes("another plug-in"));
                 return RunOutcome::Ended;
             };
         }},
        {"a printer carries the model word, the driver is not this run's",
         [](MemoryWindows& w) {
             w.processes.onRun = [&w](const std::string&) {
                 w.spooler.printers.push_back("KX47");
                 return RunOutcome::Ended;
             };
         }},
        {"a staged file cannot be written",
         [](MemoryWindows& w) {
             w.files.Put("C:\\TEMP\\x86\\KX47D.dll", ToBytes("planted"));
             w.files.SetAttributes("C:\\TEMP\\x86\\KX47D.dll", 1);
         }},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.what);
        // Alone: the entry's four values and none of the added ones.
        MemoryWindows once;
        Prepare(once);
        f.arrange(once);
        EXPECT_EQ(Install(once, "/quiet"), kExitInstallFailed);
        EXPECT_EQ(AddedValuesPresent(once), 0);
        // After a successful run: its values go, the entry's own stay.
        MemoryWindows twice;
        Prepare(twice);
        ASSERT_EQ(Install(twice, "/quiet"), kExitSuccess);
        ASSERT_EQ(AddedValuesPresent(twice), 5);
        const std::string own = EntryValues(twice);
        // The printer and the driver removed by hand since (the next run's command would otherwise find the
        // earlier run's driver, which holds the same bytes, and rightly call it installed).
        twice.spooler.printers.clear();
        twice.spooler.driverOf.clear();
        twice.spooler.drivers.clear();
        f.arrange(twice);
        EXPECT_EQ(Install(twice, "/quiet"), kExitInstallFailed);
        EXPECT_EQ(AddedValuesPresent(twice), 0);
        EXPECT_EQ(EntryValues(twice), own);
    }
}

TEST_F(Deployment, TheEarlierValuesAreGoneBeforeTheRunChangesAnythingOrItChangesNothing) {
    ASSERT_EQ(Install(win, "/quiet"), kExitSuccess);
    // The second run looks at the entry at the moment it first changes the staging area or the driver directory.
    int atFirstWrite = -1;
    win.files.onChange = [&](const std::string& line) {
        if (atFirstWrite < 0 && (line.find("C:\\TEMP") != std::string::npos || line.find(kDriverDir) != std::string::npos))
            atFirstWrite = AddedValuesPresent(win);
    };
    EXPECT_EQ(Install(win, "/quiet"), kExitSuccess);
    EXPECT_EQ(atFirstWrite, 0);
    win.files.onChange = nullptr;
    EXPECT_EQ(AddedValuesPresent(win), 5);

    // When the earlier values cannot be removed, the run touches nothing and fails.
    MemoryWindows w;
    Prepare(w);
    ASSERT_EQ(Install(w, "/quiet"), kExitSuccess);
    w.files.ClearLog();
    MemoryRegistry& registry = w.registry;
    // A registry that refuses to delete values.
    struct RefusingDelete : IRegistry {
        explicit RefusingDelete(MemoryRegistry& r) : inner(r) {}
        bool CreateKey(const std::string& p, RegKeyHandle& k) override { return inner.CreateKey(p, k); }
        Status OpenKey(const std::string& p, RegKeyHandle& k) override { return inner.OpenKey(p, k); }
        Status SetValue(RegKeyHandle k, const std::string& n, std::uint32_t t, const unsigned char* d,
                        std::uint32_t s) override {
            return inner.SetValue(k, n, t, d, s);
        }
        Status DeleteValue(RegKeyHandle, const std::string&) override { return FailedWith(kErrorAccessDenied); }
        void CloseKey(RegKeyHandle k) override { inner.CloseKey(k); }
        Status DeleteKey(const std::string& p) override { return inner.DeleteKey(p); }
        bool ReadString(const std::string& p, const std::string& n, std::string& t) override {
            return inner.ReadString(p, n, t);
        }
        MemoryRegistry& inner;
    } refusing(registry);
    Platform platform{w.files, w.profile, w.resources, w.system, refusing, w.spooler, w.processes, w.ui};
    CSetupApp a(platform);
    a.m_lpCmdLine = "/quiet";
    a.InitInstance();
    EXPECT_EQ(a.ExitInstance(), kExitInstallFailed);
    for (const std::string& line : w.files.Log())
        EXPECT_TRUE(line.find("C:\\TEMP") == std::string::npos && line.find(kDriverDir) == std::string::npos) << line;
    EXPECT_EQ(AddedValuesPresent(w), 5);
}

TEST_F(Deployment, SetupsQuietEdgesOpenNoWindowAndAnOptionTwiceIsRefused) {
    for (const char* twice : {"/quiet /S", "/S -s", "/quiet /QUIET", "/? /?", "/lang=zh /lang=zh"}) {
        MemoryWindows w;
        Prepare(w);
        EXPECT_EQ(Install(w, twice), kExitBadArguments) << twice;
        EXPECT_TRUE(w.files.Log().empty()) << twice;
    }
    // /? with /quiet: no window, the list goes to the log, exit 0, nothing installed.
    EXPECT_EQ(Install(win, "/? /quiet /log=C:\\Logs\\help.log"), kExitSuccess);
    EXPECT_TRUE(win.ui.events.empty());
    EXPECT_TRUE(win.processes.runs.empty());
    const std::string log = LogOf(win, "C:\\Logs\\help.log");
    EXPECT_EQ(log.rfind(std::string("setup.exe version ") + PRODUCT_VERSION_TEXT + ", local time 2010-06-01 09:30:00, "
                        "command line: /? /quiet /log=C:\\Logs\\help.log\r\n", 0), 0u) << log;
    EXPECT_NE(log.find("/quiet, /S\tinstall without showing any window\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("740 not an administrator, 1633 64-bit Windows, 87 bad options."), std::string::npos) << log;
    MemoryWindows bare;
    Prepare(bare);
    EXPECT_EQ(Install(bare, "-S /?"), kExitSuccess);
    EXPECT_TRUE(bare.ui.events.empty());
    // Without /quiet the list is a box, as always.
    MemoryWindows boxed;
    Prepare(boxed);
    EXPECT_EQ(Install(boxed, "/?"), kExitSuccess);
    ASSERT_EQ(boxed.ui.messages.size(), 1u);
    EXPECT_EQ(boxed.ui.messages[0].text, UsageText());
}

TEST_F(Deployment, SetupsLogIsOnTheDiskStepByStep) {
    // What the log holds while the system's command runs, and later while the result is being reported.
    std::string whileCommand;
    win.processes.onRun = [this, &whileCommand](const std::string&) {
        whileCommand = LogOf(win, "C:\\Logs\\run.log");
        InstallLikeTheSystemCommand(win);
        return RunOutcome::Ended;
    };
    EXPECT_EQ(Install(win, "/quiet /log=C:\\Logs\\run.log"), kExitSuccess);
    EXPECT_EQ(whileCommand.rfind(std::string("setup.exe version ") + PRODUCT_VERSION_TEXT, 0), 0u) << whileCommand;
    EXPECT_NE(whileCommand.find("staging: "), std::string::npos) << whileCommand;
    EXPECT_NE(whileCommand.find("command: C:\\WINDOWS\\system32\\rundll32.exe"), std::string::npos) << whileCommand;
    EXPECT_EQ(whileCommand.find("result: "), std::string::npos) << whileCommand;
    const std::string log = LogOf(win, "C:\\Logs\\run.log");
    EXPECT_EQ(log.rfind(whileCommand, 0), 0u);
    EXPECT_NE(log.find(std::string("uninstall entry: version ") + PRODUCT_VERSION_TEXT), std::string::npos) << log;
    EXPECT_NE(log.find("result: installed\r\nexit code: 0\r\n"), std::string::npos) << log;
    EXPECT_EQ(win.files.HeldCount(), 0u);
}

// ---- the uninstaller ------------------------------------------------------------------------------------

TEST(UninstallOptionsGrammar, ReadAsSetupReadsItsOwn) {
    UninstallOptions o = ParseUninstallOptions("");
    EXPECT_TRUE(o.valid && !o.quiet && !o.help && o.logPath.empty());
    o = ParseUninstallOptions("  -QUIET \"/Log=C:\\Deploy Logs\\remove 7.log\" ");
    EXPECT_TRUE(o.valid && o.quiet && !o.help);
    EXPECT_EQ(o.logPath, "C:\\Deploy Logs\\remove 7.log");
    EXPECT_TRUE(ParseUninstallOptions("/s").quiet);
    EXPECT_TRUE(ParseUninstallOptions("-S").quiet);
    EXPECT_TRUE(ParseUninstallOptions("/?").help);
    EXPECT_EQ(ParseUninstallOptions("-log=\\\\server\\logs\\x.log").logPath, "\\\\server\\logs\\x.log");
    const std::string longest = "C:\\" + std::string(kPathBuffer - 4, 'x');
    EXPECT_TRUE(ParseUninstallOptions("/log=" + longest).valid);
    for (const std::string& bad : std::vector<std::string>{
             "/quiet /S", "/S /s", "/? /?", "/log=C:\\a /log=C:\\b", "/x", "quiet", "/", "/quiet=1", "/log=", "/log",
             "/log=x.log", "/log=C:x.log", "/log=\\x.log", "/log=" + longest + "x", "/lang=en", "/verysilent", "\"\""}) {
        o = ParseUninstallOptions(bad);
        EXPECT_FALSE(o.valid) << bad;
        EXPECT_TRUE(!o.problem.empty() || bad == "\"\"") << bad;
    }
    EXPECT_EQ(ParseUninstallOptions("/quiet /verysilent").problem, "/verysilent");
    EXPECT_TRUE(ParseUninstallOptions("/x /quiet").quiet);
}

class QuietRemoval : public Deployment {
protected:
    void SetUp() override {
        Deployment::SetUp();
        ASSERT_EQ(Install(win, "/quiet"), kExitSuccess);
        win.system.modulePath = kProgram;
        win.ui.messages.clear();
        win.ui.events.clear();
    }
    int Remove(const std::string& commandLine) { return RunUninstaller(win.platform, commandLine); }
};

TEST_F(QuietRemoval, RemovesEverythingWithNoWindowAndExitsZero) {
    EXPECT_EQ(Remove("/quiet /log=C:\\Logs\\remove.log"), kExitSuccess);
    EXPECT_TRUE(win.ui.events.empty());
    EXPECT_TRUE(win.ui.messages.empty());
    EXPECT_TRUE(win.spooler.printers.empty());
    EXPECT_TRUE(win.spooler.drivers.empty());
    EXPECT_FALSE(win.registry.KeyExists(kKey));
    EXPECT_EQ(win.files.removeAtRestart, std::vector<std::string>{kProgram});
    const std::string log = LogOf(win, "C:\\Logs\\remove.log");
    EXPECT_EQ(log.rfind(std::string("uninstallKX47.exe version ") + PRODUCT_VERSION_TEXT +
                        ", local time 2010-06-01 09:30:00, command line: /quiet /log=C:\\Logs\\remove.log\r\n", 0), 0u)
        << log;
    for (const std::string& line : std::vector<std::string>{"printer KX47: removed\r\n", "printer driver KX47: removed\r\n",
                                   "registry key HKEY_LOCAL_MACHINE\\" + kKey + ": removed\r\n",
                                   "this uninstaller " + kProgram + ": removed at the next restart\r\n",
                                   std::string("exit code: 0\r\n")})
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    EXPECT_EQ(win.files.HeldCount(), 0u);
}

TEST_F(QuietRemoval, ExitCodesOnEachPathAndNeverAWindow) {
    const struct {
        const char* what;
        std::function<void(MemoryWindows&)> arrange;
        int code;
    } cases[] = {
        {"not an administrator", [](MemoryWindows& w) { w.system.administrator = false; }, kExitNotAdministrator},
        {"64-bit Windows", [](MemoryWindows& w) { w.system.wow64 = true; }, kExitUnsupportedHost},
        {"renamed", [](MemoryWindows& w) { w.system.modulePath = kDriverDir + "\\uninstall.exe"; }, kExitInstallFailed},
        {"no driver directory", [](MemoryWindows& w) { w.spooler.driverDirectoryFails = true; }, kExitInstallFailed},
        {"the printer cannot be deleted", [](MemoryWindows& w) { w.spooler.undeletable.insert("KX47"); },
         kExitInstallFailed},
        {"a printer of another installation keeps the driver",
         [](MemoryWindows& w) {
             w.spooler.printers.push_back("Front desk");
             w.spooler.driverOf["Front desk"] = "KX47";
         },
         kExitInstallFailed},
        {"run from the staging area, it stays",
         [](MemoryWindows& w) { w.system.modulePath = "C:\\TEMP\\uninstallKX47.exe"; }, kExitInstallFailed},
        {"another driver names a file: kept, rightly", [](MemoryWindows& w) {
             w.spooler.drivers.push_back(InstalledDriver{"Other", {kDriverDir + "\\3\\UNIDRV.DLL"}});
         }, kExitSuccess},
        {"a staged file changed: kept, rightly",
         [](MemoryWindows& w) { w.files.Put("C:\\TEMP\\KX47.INI", ToBytes("a user's")); }, kExitSuccess},
        {"an unexpected error", [](MemoryWindows& w) {
             w.files.onTouch = [](const std::string& path) {
                 if (path.find("KX47.GPD") != std::string::npos) throw std::bad_alloc();
             };
         }, kExitInstallFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryWindows w;
        Prepare(w);
        ASSERT_EQ(Install(w, "/quiet"), kExitSuccess);
        w.system.modulePath = kProgram;
        w.ui.events.clear();
        w.ui.messages.clear();
        c.arrange(w);
        EXPECT_EQ(RunUninstaller(w.platform, "/S"), c.code);
        w.files.onTouch = nullptr;
        EXPECT_TRUE(w.ui.events.empty());
        EXPECT_TRUE(w.ui.messages.empty());
    }
}

TEST_F(QuietRemoval, BadOptionsRemoveNothingAndOnlyAWindowedRunSaysWhy) {
    const std::vector<std::string> files = win.files.AllFiles();
    for (const char* bad : {"/quiet /x", "/quiet /S", "/quiet /log=remove.log", "/uninstall"}) {
        EXPECT_EQ(Remove(bad), kExitBadArguments) << bad;
        EXPECT_EQ(win.files.AllFiles(), files) << bad;
        EXPECT_TRUE(win.registry.KeyExists(kKey)) << bad;
        EXPECT_EQ(win.spooler.printers, std::vector<std::string>{"KX47"}) << bad;
    }
    // Only "/uninstall" came without /quiet: one box naming it.
    ASSERT_EQ(win.ui.messages.size(), 1u);
    EXPECT_EQ(win.ui.messages[0].text.rfind("Unknown option: /uninstall\r\n\r\n" + UninstallUsageText(), 0), 0u);
}

TEST_F(QuietRemoval, HelpIsABoxOrWithQuietALogLineAndRemovesNothing) {
    EXPECT_EQ(Remove("/?"), kExitSuccess);
    ASSERT_EQ(win.ui.messages.size(), 1u);
    EXPECT_EQ(win.ui.messages[0].text, UninstallUsageText());
    EXPECT_EQ(Remove("/quiet /? /log=C:\\Logs\\help.log"), kExitSuccess);
    EXPECT_EQ(win.ui.messages.size(), 1u);
    EXPECT_NE(LogOf(win, "C:\\Logs\\help.log").find("/quiet, /S\tremove without showing any window"), std::string::npos);
    EXPECT_TRUE(win.registry.KeyExists(kKey));
    EXPECT_EQ(win.spooler.printers, std::vector<std::string>{"KX47"});
}

TEST_F(QuietRemoval, WithoutOptionsItAsksAndReportsAsAlways) {
    win.ui.answerYes = false;
    EXPECT_EQ(Remove(""), 2);
    ASSERT_EQ(win.ui.messages.size(), 1u);  // the question only
    EXPECT_TRUE(win.registry.KeyExists(kKey));
    win.ui.answerYes = true;
    EXPECT_EQ(Remove(""), 0);
    EXPECT_EQ(win.ui.messages.size(), 3u);  // the question and the report
    EXPECT_FALSE(win.registry.KeyExists(kKey));
}

TEST_F(QuietRemoval, TheLogIsOnTheDiskAsEachRemovalHappens) {
    // What the log holds when the uninstaller comes to the driver files: the removals before them.
    std::string atKey;
    win.files.onTouch = [this, &atKey](const std::string& path) {
        if (atKey.empty() && path == kDriverDir + "\\KX47.GPD") atKey = LogOf(win, "C:\\Logs\\r.log");
    };
    EXPECT_EQ(Remove("/quiet /log=C:\\Logs\\r.log"), kExitSuccess);
    win.files.onTouch = nullptr;
    EXPECT_NE(atKey.find("printer KX47: removed\r\n"), std::string::npos) << atKey;
    EXPECT_NE(atKey.find("printer driver KX47: removed\r\n"), std::string::npos) << atKey;
    EXPECT_EQ(atKey.find("exit code"), std::string::npos) << atKey;
}

TEST_F(QuietRemoval, ADriverFileInUseGoesAtTheRestartOnlyInARunWithoutWindows) {
    // The spooler still has a plug-in loaded: it cannot be opened for deleting.
    const std::string plugin = kDriverDir + "\\3\\KX47D.dll";
    MemoryWindows interactive;
    Prepare(interactive);
    ASSERT_EQ(Install(interactive, "/quiet"), kExitSuccess);
    interactive.system.modulePath = kProgram;
    interactive.files.HoldOpen(plugin, MemoryFileSystem::kShareRead);
    EXPECT_EQ(RunUninstaller(interactive.platform, ""), 1);  // as always: could not be removed
    EXPECT_EQ(interactive.files.removeAtRestart, std::vector<std::string>{kProgram});

    win.files.HoldOpen(plugin, MemoryFileSystem::kShareRead);
    EXPECT_EQ(Remove("/quiet /log=C:\\Logs\\r.log"), kExitRestartRequired);
    EXPECT_EQ(win.files.removeAtRestart, (std::vector<std::string>{plugin, kProgram}));
    EXPECT_NE(LogOf(win, "C:\\Logs\\r.log").find("file " + plugin + ": removed at the next restart\r\nfile "),
              std::string::npos);
    EXPECT_FALSE(win.registry.KeyExists(kKey));
    // One that another installed driver names is never scheduled.
    MemoryWindows shared;
    Prepare(shared);
    ASSERT_EQ(Install(shared, "/quiet"), kExitSuccess);
    shared.system.modulePath = kProgram;
    shared.spooler.drivers.push_back(InstalledDriver{"Other", {kDriverDir + "\\3\\UNIDRV.DLL"}});
    shared.files.HoldOpen(kDriverDir + "\\3\\UNIDRV.DLL", MemoryFileSystem::kShareRead);
    RunUninstaller(shared.platform, "/quiet");
    EXPECT_EQ(shared.files.removeAtRestart, std::vector<std::string>{kProgram});
}

TEST(UninstallExitCodes, ARestartStillToComeIs3010AndTheProgramsOwnIsNot) {
    UninstallReport report;
    report.removals = {{RemovalKind::Printer, "KX47", RemovalOutcome::Removed},
                       {RemovalKind::Program, kProgram, RemovalOutcome::AtRestart}};
    EXPECT_EQ(QuietExitCode(report), kExitSuccess);
    report.removals.push_back({RemovalKind::File, kDriverDir + "\\KX47D.DLL", RemovalOutcome::AtRestart});
    EXPECT_EQ(QuietExitCode(report), kExitRestartRequired);
    report.removals.push_back({RemovalKind::File, kDriverDir + "\\KX47F.DLL", RemovalOutcome::Failed});
    EXPECT_EQ(QuietExitCode(report), kExitInstallFailed);
}

}  // namespace
