// The printer's port: the accepted forms, the option and the setting that choose it and their precedence,
// the refusals before anything is touched, and the network port the run creates and the uninstaller removes.
#include "app/CommandLine.h"
#include "install/InstallCommandText.h"
#include "install/PrinterPort.h"
#include "system/UninstallEntry.h"
#include "tests/unit/UnitSupport.h"
#include "uninstall/Uninstaller.h"

namespace {

const std::string kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer";
const std::string kSetting = "C:\\Setup\\setting.dll";

TEST(PrinterPortForms, EachAcceptedFormComesOutInTheSpoolersSpelling) {
    struct Case {
        const char* text;
        const char* name;
        PortKind kind;
        const char* address;
        std::uint32_t number;
    };
    const Case cases[] = {
        {"LPT1:", "LPT1:", PortKind::Parallel, "", 0},
        {"lpt256:", "LPT256:", PortKind::Parallel, "", 0},
        {"COM1:", "COM1:", PortKind::Serial, "", 0},
        {"Com17:", "COM17:", PortKind::Serial, "", 0},
        {"COM256:", "COM256:", PortKind::Serial, "", 0},
        {"USB001", "USB001", PortKind::Usb, "", 0},
        {"usb120", "USB120", PortKind::Usb, "", 0},
        {"FILE:", "FILE:", PortKind::File, "", 0},
        {"file:", "FILE:", PortKind::File, "", 0},
        {"IP_192.168.1.50", "IP_192.168.1.50", PortKind::Network, "192.168.1.50", 9100},
        {"ip_10.0.0.7:9101", "IP_10.0.0.7", PortKind::Network, "10.0.0.7", 9101},
        {"IP_0.0.0.0:1", "IP_0.0.0.0", PortKind::Network, "0.0.0.0", 1},
        {"IP_255.255.255.255:65535", "IP_255.255.255.255", PortKind::Network, "255.255.255.255", 65535},
    };
    for (const Case& c : cases) {
        PrinterPort port;
        ASSERT_TRUE(ParsePrinterPort(c.text, port)) << c.text;
        EXPECT_EQ(port.name, c.name) << c.text;
        EXPECT_EQ(port.kind, c.kind) << c.text;
        EXPECT_EQ(port.address, c.address) << c.text;
        EXPECT_EQ(port.portNumber, c.number) << c.text;
    }
}

TEST(PrinterPortForms, EveryOtherTextIsRefused) {
    const std::string refused[] = {
        "", "LPT0:", "LPT257:", "LPT01:", "LPT1", "LPT:", "LPT-1:", "LPT1::", "COM0:", "COM1000:", "COM1", "COMX:",
        "USB01", "USB0001", "USBabc", "USB 01", "USB", "FILE", "FILE:1", "IP_", "IP_10.0.0", "IP_10.0.0.256",
        "IP_10.0.0.07", "IP_10.0.0.7.1", "IP_10..0.7", "IP_+10.0.0.7", "IP_10.0.0.7:", "IP_10.0.0.7:0",
        "IP_10.0.0.7:65536", "IP_10.0.0.7:09100", "IP_10.0.0.7:9100:1", "IP_printer.example", "10.0.0.7",
        " LPT1:", "LPT1: ", "LPT 1:", "\"LPT1:\"", "LPT1:\" /b \"X", "LPT1:\" /n \"", "LPT1:\r\n", "COM1:\t",
        std::string("LPT1:\0", 6), "LPT1:\x7f", "NUL", "PRN", "\\\\server\\receipt", "LPT1:,COM1:", "Ne00:",
        "USB001\xA1", "\xA3\xCC\xA3\xD0\xA3\xD4\x31\xA3\xBA",
    };
    for (const std::string& text : refused) {
        PrinterPort port;
        port.name = "stale";
        EXPECT_FALSE(ParsePrinterPort(text, port)) << PortTextForLog(text);
        EXPECT_TRUE(port.name.empty()) << PortTextForLog(text);
    }
    EXPECT_EQ(PortTextForLog("LPT1:\" /b\r\n\\"), "LPT1:\" /b\\x0D\\x0A\\x5C");
}

TEST(PrinterPortForms, TheOptionTakesTheFormsInAnyCaseOnceAndRefusesTheRest) {
    CommandLineOptions o = ParseCommandLine("/quiet /port=COM5:");
    EXPECT_TRUE(o.valid);
    EXPECT_EQ(o.port, "COM5:");
    o = ParseCommandLine("-PORT=usb001 /quiet");
    EXPECT_TRUE(o.valid);
    EXPECT_EQ(o.port, "usb001");
    o = ParseCommandLine("\"/Port=IP_10.0.0.7:9101\"");
    EXPECT_TRUE(o.valid);
    EXPECT_EQ(o.port, "IP_10.0.0.7:9101");
    EXPECT_TRUE(ParseCommandLine("/quiet").port.empty());
    // A quote would close the command's own quotes around the port: whatever the command line's quotes make
    // of it, a blank or a quote is no port.
    for (const char* line : {"/port=LPT1:\" /b \"X", "\"/port=LPT1: /b X\"", "/port=", "/port", "/port=LPT9",
                             "/port=COM1: /port=COM1:", "/port=COM1: -port=COM2:", "/ports=COM1:", "/port=USB001,COM1:"}) {
        o = ParseCommandLine(line);
        EXPECT_FALSE(o.valid) << line;
        EXPECT_FALSE(o.problem.empty()) << line;
    }
    EXPECT_NE(UsageText().find("/port=<port>"), std::string::npos);
}

TEST(PrinterPortForms, TheCommandCarriesThePortQuoted) {
    std::string out;
    ASSERT_TRUE(InstallCommandLine("C:\\WINDOWS\\system32", out));
    EXPECT_NE(out.find(" /r \"LPT1:\" /b "), std::string::npos) << out;
    for (const char* port : {"COM2:", "USB001", "FILE:", "IP_10.0.0.7", "LPT256:"}) {
        ASSERT_TRUE(InstallCommandLine("C:\\WINDOWS\\system32", out, port)) << port;
        EXPECT_EQ(out, std::string("C:\\WINDOWS\\system32\\rundll32.exe printui.dll,PrintUIEntry /if /f "
                                   "C:\\TEMP\\KX47.INF /r \"") + port + "\" /b \"KX47\" /m \"KX47\" ");
    }
    // Only a port's own name, as the spooler spells it, goes between the quotes.
    for (const char* port : {"LPT1:\" /b \"X", "usb001", "IP_10.0.0.7:9100", "", "COM1:\r\n"})
        EXPECT_FALSE(InstallCommandLine("C:\\WINDOWS\\system32", out, port)) << PortTextForLog(port);
}

// setup.exe's runs on the in-memory Windows, with the system's command as a stand-in that puts the printer
// on the port its /r names.
class PortRun : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        g_strPortOption.clear();
        g_strPortSetting.clear();
        LoadMarkedEntries(win.resources);
        LoadStoreEntries(win.resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
        PrepareXpHost(win, 0x0409, 1252);
        win.processes.onRun = [this](const std::string& command) {
            if (!InstallLikeTheSystemCommand(win)) return RunOutcome::Ended;
            const std::size_t r = command.find(" /r \"");
            const std::size_t end = r == std::string::npos ? r : command.find('"', r + 5);
            if (end != std::string::npos) win.spooler.portOf["KX47"] = command.substr(r + 5, end - r - 5);
            return RunOutcome::Ended;
        };
    }
    void TearDown() override {
        g_strPortOption.clear();
        g_strPortSetting.clear();
        AppTest::TearDown();
    }
    int Run(const char* commandLine) {
        CSetupApp a(win.platform);
        a.m_lpCmdLine = commandLine;
        EXPECT_FALSE(a.InitInstance());
        log = a.Log().Lines();
        return a.ExitInstance();
    }
    void Setting(const std::string& portLine) {
        win.files.Put(kSetting, ToBytes("[Setting]\r\nLanguage=English\r\nPrinterName=KX47\r\n" + portLine + "\r\n"));
    }
    std::string InstallCommand() const {
        for (const MemoryProcesses::Run& run : win.processes.runs)
            if (run.commandLine.find("/if /f") != std::string::npos) return run.commandLine;
        return "<none>";
    }
    bool Logged(const std::string& text) const {
        for (const std::string& line : log)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    std::string LogText() const {
        std::string all;
        for (const std::string& line : log) all += line + "\n";
        return all;
    }
    // Nothing of the installation anywhere: no staged or copied file, no key, no command, no port.
    void ExpectNothingTouched(const std::vector<std::string>& portsBefore) {
        for (const std::string& path : win.files.AllFiles()) {
            EXPECT_NE(path.rfind("C:\\TEMP", 0), 0u) << path;
            EXPECT_NE(path.rfind(kDriverDir, 0), 0u) << path;
        }
        EXPECT_FALSE(win.files.Exists("C:\\TEMP"));
        EXPECT_FALSE(win.registry.KeyExists(kKey));
        EXPECT_TRUE(win.processes.runs.empty());
        EXPECT_EQ(win.spooler.ports, portsBefore);
        EXPECT_TRUE(win.spooler.printers.empty());
    }

    std::vector<std::string> log;
};

TEST_F(PortRun, TheOptionComesBeforeTheSettingWhichComesBeforeLpt1) {
    // A /quiet run with options succeeds and its command names the port.
    auto expectCommandPort = [this](const char* options, const std::string& port) {
        win.processes.runs.clear();
        EXPECT_EQ(Run(options), kExitSuccess) << LogText();
        EXPECT_NE(InstallCommand().find(" /r \"" + port + "\" "), std::string::npos) << options << ": " << InstallCommand();
    };
    expectCommandPort("/quiet", "LPT1:");
    EXPECT_TRUE(Logged("port: LPT1: (the default)")) << LogText();

    Setting("Port=com2:");
    expectCommandPort("/quiet", "COM2:");
    EXPECT_TRUE(Logged("port: COM2: (from Port= in setting.dll), exists")) << LogText();
    EXPECT_EQ(win.spooler.portOf["KX47"], "COM2:");

    expectCommandPort("/quiet /port=COM3:", "COM3:");
    EXPECT_TRUE(Logged("port: COM3: (from setup.exe's /port=), exists")) << LogText();

    // The option wins even over a setting that would be refused.
    Setting("Port=LPT1:\" /b \"X");
    expectCommandPort("/quiet /port=FILE:", "FILE:");

    // The embedded settings file names no port.
    win.files.RemoveFile(kSetting);
    expectCommandPort("/quiet", "LPT1:");
    EXPECT_EQ(TextAt(win.files, kSetting).find("Port"), std::string::npos);
}

TEST_F(PortRun, ABadOptionIsInvalidParameterBeforeAnythingIsWritten) {
    EXPECT_EQ(Run("/quiet /port=LPT1:\" /b \"X"), kExitBadArguments);
    EXPECT_TRUE(win.files.Log().empty());
    EXPECT_TRUE(win.processes.runs.empty());
    EXPECT_TRUE(win.ui.events.empty());
}

TEST_F(PortRun, ABadSettingFailsTheRunBeforeAnythingIsTouched) {
    const std::vector<std::string> before = win.spooler.ports;
    for (const char* line : {"Port=LPT1:\" /b \"X", "Port=LPT 1:", "Port=COM0:", "Port=\\\\server\\receipt"}) {
        Setting(line);
        win.ui.events.clear();
        EXPECT_EQ(Run("/quiet"), kExitInstallFailed) << line;
        ExpectNothingTouched(before);
        EXPECT_TRUE(Logged("from Port= in setting.dll) is not one of")) << LogText();
        EXPECT_TRUE(win.ui.events.empty());
    }
    // With windows: the failure message.
    Setting("Port=USB1");
    CSetupApp wizard(win.platform, [](CSetupApp& a) {
        g_wLanguage = 1;  // English, as the page would preselect it
        a.InstallPrinterDriver();
    });
    wizard.m_lpCmdLine = "";
    wizard.InitInstance();
    EXPECT_EQ(wizard.Outcome(), InstallOutcome::Failed);
    ExpectNothingTouched(before);
    ASSERT_FALSE(win.ui.messages.empty());
    EXPECT_EQ(win.ui.messages[0].text, "The Printer Driver installation has been failed!");
}

TEST_F(PortRun, APortTheSpoolerDoesNotListIsRefusedBeforeAnythingIsTouched) {
    const std::vector<std::string> before = win.spooler.ports;
    EXPECT_EQ(Run("/quiet /port=USB001"), kExitInstallFailed);
    ExpectNothingTouched(before);
    EXPECT_TRUE(Logged("port: USB001 (from setup.exe's /port=) does not exist on this machine; nothing touched"))
        << LogText();
    EXPECT_EQ(Run("/quiet /port=COM5:"), kExitInstallFailed);
    ExpectNothingTouched(before);
    win.spooler.portEnumerationFails = true;
    EXPECT_EQ(Run("/quiet /port=COM1:"), kExitInstallFailed);
    ExpectNothingTouched(before);
    win.spooler.portEnumerationFails = false;

    // The printer plugged in: the system made its port.
    win.spooler.ports.push_back("USB001");
    EXPECT_EQ(Run("/quiet /port=usb001"), kExitSuccess) << LogText();
    EXPECT_NE(InstallCommand().find(" /r \"USB001\" "), std::string::npos) << InstallCommand();
    EXPECT_EQ(win.spooler.portOf["KX47"], "USB001");
    std::string recorded;
    EXPECT_FALSE(win.registry.ReadString(kKey, kPortCreatedValue, recorded)) << recorded;
}

TEST_F(PortRun, AMissingNetworkPortIsCreatedRecordedAndRemovedWithTheLastPrinterOnIt) {
    EXPECT_EQ(Run("/quiet /port=IP_10.0.0.7:9101"), kExitSuccess) << LogText();
    ASSERT_EQ(win.spooler.tcpPorts.count("IP_10.0.0.7"), 1u);
    EXPECT_EQ(win.spooler.tcpPorts["IP_10.0.0.7"].address, "10.0.0.7");
    EXPECT_EQ(win.spooler.tcpPorts["IP_10.0.0.7"].portNumber, 9101u);
    EXPECT_NE(InstallCommand().find(" /r \"IP_10.0.0.7\" "), std::string::npos) << InstallCommand();
    EXPECT_TRUE(Logged("port: IP_10.0.0.7 created by this run")) << LogText();
    std::string recorded;
    ASSERT_TRUE(win.registry.ReadString(kKey, kPortCreatedValue, recorded));
    EXPECT_EQ(recorded, "IP_10.0.0.7");

    // A second run finds it and keeps the record.
    EXPECT_EQ(Run("/quiet /port=IP_10.0.0.7"), kExitSuccess) << LogText();
    EXPECT_TRUE(Logged("port: IP_10.0.0.7 (from setup.exe's /port=), exists")) << LogText();
    EXPECT_EQ(win.spooler.tcpPorts.size(), 1u);
    ASSERT_TRUE(win.registry.ReadString(kKey, kPortCreatedValue, recorded));

    // Someone else's printer on it keeps it through the uninstallation...
    win.spooler.printers.push_back("Kitchen");
    win.spooler.driverOf["Kitchen"] = "Other";
    win.spooler.portOf["Kitchen"] = "LPT1:,IP_10.0.0.7";
    win.system.modulePath = kDriverDir + "\\uninstallKX47.exe";
    UninstallReport report = Uninstall(win.platform);
    auto portRemoval = [&report]() -> const Removal* {
        for (const Removal& r : report.removals)
            if (r.kind == RemovalKind::Port) return &r;
        return nullptr;
    };
    ASSERT_NE(portRemoval(), nullptr);
    EXPECT_EQ(portRemoval()->what, "IP_10.0.0.7");
    EXPECT_EQ(portRemoval()->outcome, RemovalOutcome::UsedByPrinter);
    EXPECT_EQ(win.spooler.tcpPorts.count("IP_10.0.0.7"), 1u);
    EXPECT_NE(ReportText(report, 0x0409).find("Printer port IP_10.0.0.7 (still used by a printer)"), std::string::npos)
        << ReportText(report, 0x0409);

    // ...and without it the uninstaller removes it.
    win.spooler.portOf["Kitchen"] = "LPT1:";
    ASSERT_TRUE(RecordCreatedPort(win.registry, "KX47", "IP_10.0.0.7"));
    report = Uninstall(win.platform);
    ASSERT_NE(portRemoval(), nullptr);
    EXPECT_EQ(portRemoval()->outcome, RemovalOutcome::Removed);
    EXPECT_EQ(win.spooler.tcpPorts.count("IP_10.0.0.7"), 0u);
    EXPECT_EQ(std::count(win.spooler.ports.begin(), win.spooler.ports.end(), "IP_10.0.0.7"), 0);
    EXPECT_FALSE(win.registry.KeyExists(kKey));
}

TEST_F(PortRun, ANetworkPortThatWasThereOrIsNotOursIsLeftAlone) {
    // There before the installation: not recorded, not removed.
    std::uint32_t error = 0;
    ASSERT_TRUE(win.spooler.AddTcpIpPort("IP_10.0.0.9", "10.0.0.9", 9100, error));
    EXPECT_EQ(Run("/quiet /port=IP_10.0.0.9"), kExitSuccess) << LogText();
    std::string recorded;
    EXPECT_FALSE(win.registry.ReadString(kKey, kPortCreatedValue, recorded));
    win.system.modulePath = kDriverDir + "\\uninstallKX47.exe";
    UninstallReport report = Uninstall(win.platform);
    for (const Removal& r : report.removals) EXPECT_NE(r.kind, RemovalKind::Port) << r.what;
    EXPECT_EQ(win.spooler.tcpPorts.count("IP_10.0.0.9"), 1u);

    // A record naming anything but a network port is not acted on.
    for (const char* value : {"LPT1:", "ip_10.0.0.9", "IP_10.0.0.9:9100"}) {
        ASSERT_TRUE(RecordCreatedPort(win.registry, "KX47", value));
        report = Uninstall(win.platform);
        for (const Removal& r : report.removals) EXPECT_NE(r.kind, RemovalKind::Port) << value;
        EXPECT_EQ(win.spooler.tcpPorts.count("IP_10.0.0.9"), 1u) << value;
    }
}

TEST_F(PortRun, AMonitorThatCannotCreateThePortFailsTheRun) {
    win.spooler.tcpMonitorMissing = true;
    EXPECT_EQ(Run("/quiet /port=IP_10.0.0.7"), kExitInstallFailed);
    EXPECT_TRUE(Logged("port: creating IP_10.0.0.7 (Standard TCP/IP Port monitor): failed")) << LogText();
    EXPECT_EQ(InstallCommand(), "<none>");
    std::string recorded;
    EXPECT_FALSE(win.registry.ReadString(kKey, kPortCreatedValue, recorded));
}

}  // namespace
