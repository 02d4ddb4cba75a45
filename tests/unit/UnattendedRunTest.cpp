// The command line and the unattended run: options, exit codes, no window, the same installation as the
// wizard's, and the log.
#include "app/CommandLine.h"
#include "install/InstallCommandText.h"
#include "tests/unit/UnitSupport.h"

namespace {

TEST(CommandLine, OptionsAreReadInAnyCaseWithEitherPrefixAndAnythingElseIsRefused) {
    CommandLineOptions o = ParseCommandLine("");
    EXPECT_TRUE(o.valid && !o.quiet && !o.help && o.logPath.empty() && o.language == LanguagePreset::System);

    o = ParseCommandLine("  -QUIET   /Lang=ZH \"/log=C:\\Deploy Logs\\till 7.log\"  ");
    EXPECT_TRUE(o.valid && o.quiet && !o.help);
    EXPECT_EQ(o.language, LanguagePreset::Chinese);
    EXPECT_EQ(o.logPath, "C:\\Deploy Logs\\till 7.log");
    o = ParseCommandLine("/s -lang=en /log=\"C:\\a b\\c.log\"");
    EXPECT_TRUE(o.valid && o.quiet);
    EXPECT_EQ(o.language, LanguagePreset::English);
    EXPECT_EQ(o.logPath, "C:\\a b\\c.log");
    EXPECT_TRUE(ParseCommandLine("/?").help);

    const std::string longest = "C:\\" + std::string(kPathBuffer - 4, 'x');
    EXPECT_TRUE(ParseCommandLine("/log=" + longest).valid);
    EXPECT_TRUE(ParseCommandLine("/log=\\\\server\\logs\\till.log").valid);
    // A log path must be a full path: a relative one would land wherever the run's current directory is.
    for (const std::string& bad : std::vector<std::string>{"/quiet /verysilent", "quiet", "/", "/quiet=1", "/lang=fr", "/lang=", "/lang", "/log=", "/log",
          "/lang=zh /lang=en", "/log=C:\\a /log=C:\\b", "/log=" + longest + "x", "/S /? /x", "\"\"", "/log=till.log",
          "/log=logs\\till.log", "/log=C:till.log", "/log=\\till.log", "/log=\\\\\\x", "/log=1:\\x"}) {
        o = ParseCommandLine(bad);
        EXPECT_FALSE(o.valid) << bad;
        EXPECT_TRUE(!o.problem.empty() || bad == "\"\"") << bad;
    }
    EXPECT_EQ(ParseCommandLine("/quiet /verysilent").problem, "/verysilent");
    // A bad option is refused also when it comes with /quiet: that run opens no window to say so.
    EXPECT_TRUE(ParseCommandLine("/x /quiet").quiet);
}

TEST(CommandLine, ThePresetOverridesTheSystemsLanguage) {
    EXPECT_EQ(PreselectedLanguage(LanguagePreset::System, 0x0804), 0);
    EXPECT_EQ(PreselectedLanguage(LanguagePreset::System, 0x0C04), 0);
    EXPECT_EQ(PreselectedLanguage(LanguagePreset::System, 0x0409), 1);
    EXPECT_EQ(PreselectedLanguage(LanguagePreset::English, 0x0804), 1);
    EXPECT_EQ(PreselectedLanguage(LanguagePreset::Chinese, 0x0409), 0);
}

class UnattendedRun : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win);
    }
    static void Prepare(MemoryWindows& w) {
        LoadMarkedEntries(w.resources);
        LoadStoreEntries(w.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
        PrepareXpHost(w, 0x0804, 936);
    }
    int Run(CSetupApp& a, const char* commandLine) {
        a.m_lpCmdLine = commandLine;
        EXPECT_FALSE(a.InitInstance());
        return a.ExitInstance();
    }
    // Every file of the staging area and the driver directory with its bytes.
    static std::vector<std::string> Installed(const MemoryWindows& w) {
        std::vector<std::string> out;
        for (const std::string& path : w.files.AllFiles())
            if (path.rfind("C:\\TEMP", 0) == 0 || path.rfind(kDriverDir, 0) == 0)
                out.push_back(path + "=" + TextAt(w.files, path));
        return out;
    }
    std::string LogText(const std::string& path) const {
        const std::string text = At(path);
        return text.rfind("\xEF\xBB\xBF", 0) == 0 ? text.substr(3) : "<no byte order mark> " + text;
    }
};

TEST_F(UnattendedRun, QuietInstallsWhatTheWizardInstallsWithNoWindowAndExitsZero) {
    // The wizard's run: start-up, then the installation as the progress page starts it with the page's
    // preselected language.
    MemoryWindows wizard;
    Prepare(wizard);
    {
        CSetupApp wizardApp(wizard.platform, [](CSetupApp& a) {
            g_wLanguage = PreselectedLanguage(LanguagePreset::System, a.platform().system.SystemDefaultLangId());
            a.InstallPrinterDriver();
        });
        EXPECT_EQ(Run(wizardApp, ""), 0);
    }
    EXPECT_EQ(wizard.ui.events.size(), 2u);  // the result message and the quit

    g_wLanguage = 7;  // whatever it held: the quiet run sets it as the page would
    EXPECT_EQ(Run(app, "/quiet"), kExitSuccess);
    EXPECT_TRUE(win.ui.events.empty());
    EXPECT_EQ(app.Outcome(), InstallOutcome::Installed);
    EXPECT_FALSE(Installed(win).empty());
    EXPECT_EQ(Installed(win), Installed(wizard));
    EXPECT_EQ(win.processes.runs.size(), wizard.processes.runs.size());
    EXPECT_TRUE(win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
}

TEST_F(UnattendedRun, ExitCodesTellWhatHappenedAndNoWindowOpensOnAnyPath) {
    const struct {
        const char* what;
        std::function<void(MemoryWindows&)> arrange;
        int code;
    } cases[] = {
        {"the command installs nothing", [](MemoryWindows& w) { w.processes.onRun = nullptr; }, kExitInstallFailed},
        {"the command does not start", [](MemoryWindows& w) { w.processes.startFails = true; }, kExitInstallFailed},
        // A name is not an installation: a leftover printer whose name holds the model word, with nothing
        // installed by the command, or with a driver whose files are not this run's.
        {"a leftover printer, the command installs nothing",
         [](MemoryWindows& w) {
             w.spooler.printers = {"Office KX47"};
             w.processes.onRun = nullptr;
         },
         kExitInstallFailed},
        {"a leftover printer, the command is not run (another printer name)",
         [](MemoryWindows& w) {
             w.spooler.printers = {"Office KX47"};
             w.files.Put("C:\\Setup\\setting.dll", ToBytes("[Setting]\r\nPrinterName=Shop\r\n"));
         },
         kExitInstallFailed},
        {"the driver installed with files that are not this run's",
         [](MemoryWindows& w) {
             w.processes.onRun = [&w](const std::string&) {
                 InstallLikeTheSystemCommand(w);
                 w.files.Put(kDriverDir + "\\3\\KX47D.DLL", ToBytes("another plug-in"));
                 return RunOutcome::Ended;
             };
         },
         kExitInstallFailed},
        {"the staging area cannot be written",
         [](MemoryWindows& w) { w.files.Put("C:\\TEMP", ToBytes("a file")); }, kExitInstallFailed},
        {"not an administrator", [](MemoryWindows& w) { w.system.administrator = false; }, kExitNotAdministrator},
        {"64-bit Windows", [](MemoryWindows& w) { w.system.wow64 = true; }, kExitUnsupportedHost},
        {"64-bit Windows and not an administrator",
         [](MemoryWindows& w) { w.system.wow64 = true; w.system.administrator = false; }, kExitUnsupportedHost},
        {"the second listing of the printers fails (the clean-up's ERROR box)",
         [](MemoryWindows& w) {
             w.spooler.printers = {"Fax"};
             w.spooler.failEnumerationNumber = 1;
         },
         kExitSuccess},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryWindows w;
        Prepare(w);
        c.arrange(w);
        CSetupApp quiet(w.platform);
        EXPECT_EQ(Run(quiet, "/S"), c.code);
        EXPECT_TRUE(w.ui.events.empty());
        EXPECT_TRUE(w.ui.messages.empty());
    }
}

TEST_F(UnattendedRun, TheLanguageOptionChoosesThePluginsAsThePageWould) {
    EXPECT_EQ(Run(app, "/quiet /lang=en"), kExitSuccess);
    EXPECT_EQ(g_wLanguage, 1);
    // Windows XP on a simplified Chinese system: the English plug-in and its strings.
    EXPECT_EQ(At("C:\\TEMP\\KX47F.dll"), Entry(kPluginEnglishUiPluginSlot.ids[kXp]));
    EXPECT_EQ(At("C:\\TEMP\\KX47RES.DLL"), Entry(kPluginEnglishResourcesSlot.ids[kXp]));
    // The wizard's page starts with the same choice.
    EXPECT_EQ(g_languagePreset, LanguagePreset::English);
}

TEST_F(UnattendedRun, BadOptionsExitWithInvalidParameterBeforeAnythingIsWritten) {
    EXPECT_EQ(Run(app, "/quiet /lang=de /log=C:\\x.log"), kExitBadArguments);
    EXPECT_TRUE(win.files.Log().empty());
    EXPECT_TRUE(win.ui.events.empty());
    EXPECT_TRUE(win.processes.runs.empty());

    // With windows, the program says why; it writes nothing either.
    bool wizardRan = false;
    static bool* ran = nullptr;
    ran = &wizardRan;
    CSetupApp withWindows(win.platform, [](CSetupApp&) { *ran = true; });
    EXPECT_EQ(Run(withWindows, "/install"), kExitBadArguments);
    ASSERT_EQ(win.ui.events.size(), 1u);
    EXPECT_NE(win.ui.events[0].find("Unknown option: /install"), std::string::npos);
    EXPECT_FALSE(wizardRan);
    EXPECT_TRUE(win.files.Log().empty());
}

TEST_F(UnattendedRun, TheLogHoldsTheStepsAndErrorCodesAndGoesOnlyWhereAsked) {
    // A staged file that cannot be replaced: the step's system error code is in the log.
    win.files.Put("C:\\TEMP\\x86\\KX47D.dll", ToBytes("planted"));
    win.files.SetAttributes("C:\\TEMP\\x86\\KX47D.dll", 1);  // read-only
    win.files.PutDirectories("C:\\Logs");
    EXPECT_EQ(Run(app, "/quiet /log=C:\\Logs\\till.log"), kExitInstallFailed);
    const std::string log = LogText("C:\\Logs\\till.log");
    for (const char* line : {"setup.exe: unattended (/quiet), command line: /quiet /log=C:\\Logs\\till.log\r\n",
                             "host: release code 7, system language 0x0804, code page 936\r\n",
                             "printer name: KX47\r\n", "driver directory: " , "staging: writing C:\\TEMP\\x86\\KX47D.dll: failed, Win32 error 5\r\n",
                             "result: not installed\r\n", "exit code: 1603\r\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("command: "), std::string::npos) << log;

    // A successful wizard run with a log; the log is the only file outside the installation's places.
    MemoryWindows w;
    Prepare(w);
    w.files.PutDirectories("C:\\Logs");
    CSetupApp wizardApp(w.platform, [](CSetupApp& a) { a.InstallPrinterDriver(); });
    EXPECT_EQ(Run(wizardApp, "/log=C:\\Logs\\wizard.log"), 0);
    const std::string wizardLog = TextAt(w.files, "C:\\Logs\\wizard.log");
    EXPECT_NE(wizardLog.find("setup.exe: wizard"), std::string::npos) << wizardLog;
    EXPECT_NE(wizardLog.find("command: C:\\WINDOWS\\system32\\rundll32.exe printui.dll,PrintUIEntry /if"),
              std::string::npos) << wizardLog;
    EXPECT_NE(wizardLog.find("printer KX47: installed\r\n"), std::string::npos) << wizardLog;
    EXPECT_NE(wizardLog.find("result: installed\r\n"), std::string::npos) << wizardLog;
    for (const std::string& path : w.files.AllFiles())
        EXPECT_TRUE(EqualNoCase(path.substr(0, 7), "C:\\TEMP") || path.rfind(kDriverDir, 0) == 0 ||
                    path.rfind("C:\\Setup\\", 0) == 0 || path == "C:\\Logs\\wizard.log") << path;
}

TEST(RunLogText, LinesBecomeUtf8AndWhatCannotBeConvertedStaysReadable) {
    const Bytes text = RenderRunLog({"printer name: caf\xE9", "path: C:\\\xB3\xC9\xB9\xA6"}, [](const std::string& s) {
        return s.find('\xB3') != std::string::npos ? std::string() : std::string("converted ") + s;
    });
    EXPECT_EQ(ToString(text), "\xEF\xBB\xBF" "converted printer name: caf\xE9\r\npath: C:\\????\r\n");
}

}  // namespace
