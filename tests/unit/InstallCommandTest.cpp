// The printer-installation command, the check for the printer and the result message.
#include <iconv.h>

#include "install/InstallCommandText.h"
#include "tests/unit/UnitSupport.h"

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

const std::string kRundll = "C:\\WINDOWS\\system32\\rundll32.exe";
const std::string kInstallArgs =
    " printui.dll,PrintUIEntry /if /f C:\\TEMP\\KX47.INF /r \"LPT1:\" /b \"KX47\" /m \"KX47\" ";
const std::string kDefaultArgs = " printui.dll,PrintUIEntry /y /n \"KX47\"";
const std::string kSuccess = "message:The Printer Driver has been installed successfully!";
const std::string kFailure = "message:The Printer Driver installation has been failed!";

// The text in the given code page, converted independently of the program's own tables.
std::string Encode(const std::string& utf8, const char* charset) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    std::string in = utf8, out(utf8.size() * 2, '\0');
    char *src = in.data(), *dst = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &inLeft, &dst, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

TEST(InstallCommandText, CommandLinesStartRundllFromTheSystemDirectory) {
    // The usual system directory: see the run below. A blank in the path: the program is quoted, the
    // arguments stay as they are.
    std::string line;
    ASSERT_TRUE(InstallCommandLine("D:\\My Windows\\system32", line));
    EXPECT_EQ(line, "\"D:\\My Windows\\system32\\rundll32.exe\"" + kInstallArgs);
    // Unknown system directory, or one too long for the command buffer: no command at all.
    EXPECT_FALSE(InstallCommandLine("", line));
    EXPECT_FALSE(DefaultPrinterCommandLine("", line));
    EXPECT_FALSE(InstallCommandLine("C:\\" + std::string(200, 'W'), line));
}

TEST(InstallCommandText, ResultMessageByChoiceAndSystemLanguage) {
    const struct {
        std::uint16_t wLanguage;
        std::vector<std::uint16_t> langIds;
        std::string ok, fail;
    } cases[] = {
        {0, {0x0804}, Encode("打印机驱动程序安装成功!", "GBK"), Encode("打印机驱动程序安装失败!", "GBK")},
        {0, {0x0404, 0x0C04, 0x1004, 0x0409, 0x0411}, Encode("打印機驅動程序安裝成功!", "BIG5"),
         Encode("打印機驅動程序安裝失敗!", "BIG5")},
        {1, {0x0804, 0x0404, 0x0409}, kSuccess.substr(8), kFailure.substr(8)},
    };
    ASSERT_EQ(cases[1].ok.size(), 23u);
    for (const auto& c : cases) {
        for (std::uint16_t langId : c.langIds) {
            EXPECT_EQ(ResultMessage(true, c.wLanguage, langId), c.ok) << langId;
            EXPECT_EQ(ResultMessage(false, c.wLanguage, langId), c.fail) << langId;
        }
    }
}

// The command at the end of an installation run, English chosen (the message choice is covered above and
// by the run tests).
class InstallCommand : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Prepare(win);
    }
    static void Prepare(MemoryWindows& w) {
        g_wLanguage = 1;
        SetPrinterName("KX47");
        LoadMarkedEntries(w.resources);
        w.files.PutDirectories(kDriverDir);
    }
    // The stand-in for the system command: the printer appears when the command runs.
    static void CommandCreates(MemoryWindows& w, const std::string& name) {
        w.processes.onRun = [&w, name](const std::string&) {
            w.spooler.printers.push_back(name);
            return RunOutcome::Ended;
        };
    }
};

TEST_F(InstallCommand, InstallWaitsInTheStagingDirectoryTheDefaultCommandDoesNot) {
    CommandCreates(win, "KX47");
    app.InstallPrinterDriver();
    ASSERT_EQ(win.processes.runs.size(), 2u);
    EXPECT_EQ(win.processes.runs[0].commandLine, kRundll + kInstallArgs);
    EXPECT_EQ(win.processes.runs[0].currentDir, "C:\\TEMP");
    EXPECT_EQ(win.processes.runs[0].timeoutMs, 90000u);
    EXPECT_EQ(win.processes.runs[1].commandLine, kRundll + kDefaultArgs);
    EXPECT_EQ(win.files.CurrentDir(), "C:\\TEMP");
}

TEST_F(InstallCommand, OnlyAPrinterNamedWithTheModelWordAfterACommandThatEndedIsASuccess) {
    const struct {
        const char* what;
        std::vector<std::string> printers;  // before the command
        const char* created;                // the printer the command creates, if it ends
        RunOutcome outcome;
        bool zeroSize, failFill, noSystemDir;
        std::size_t runs;
        int fillCalls;
        bool installed;
    } cases[] = {
        {"created", {}, "KX47", RunOutcome::Ended, false, false, false, 2, 1, true},
        {"left earlier", {"Fax", "KX47 (Copy 2)", "PDF"}, nullptr, RunOutcome::Ended, false, false, false, 2, 1, true},
        {"no matching printer", {"Fax", "KX 47", "KX4"}, "kx47", RunOutcome::Ended, false, false, false, 1, 1, false},
        {"no printer at all: a size of 0", {}, nullptr, RunOutcome::Ended, false, false, false, 1, 0, false},
        {"size of 0 despite a printer", {}, "KX47", RunOutcome::Ended, true, false, false, 1, 0, false},
        {"enumeration fails", {}, "KX47", RunOutcome::Ended, false, true, false, 1, 1, false},
        // A printer that would count as found if the printers were looked at.
        {"timed out", {"KX47"}, nullptr, RunOutcome::TimedOut, false, false, false, 1, 0, false},
        {"not created", {"KX47"}, nullptr, RunOutcome::NotCreated, false, false, false, 1, 0, false},
        {"unknown system directory", {"KX47"}, nullptr, RunOutcome::Ended, false, false, true, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryWindows w;
        Prepare(w);
        w.spooler.printers = c.printers;
        // The spooler's answers after the command are the case's; the clean-up before it enumerated as usual.
        int fillsBefore = -1;
        w.processes.onRun = [&w, &c, &fillsBefore](const std::string&) {
            fillsBefore = w.spooler.fillCalls;
            if (c.created && c.outcome == RunOutcome::Ended) w.spooler.printers.push_back(c.created);
            w.spooler.reportZeroSize = c.zeroSize;
            if (c.failFill) w.spooler.failEnumerationNumber = w.spooler.fillCalls + 1;
            return c.outcome;
        };
        if (c.noSystemDir) w.system.systemDir.clear();
        CSetupApp(w.platform).InstallPrinterDriver();
        EXPECT_EQ(w.ui.events, (std::vector<std::string>{c.installed ? kSuccess : kFailure, "quit"}));
        ASSERT_EQ(w.processes.runs.size(), c.runs);
        for (std::size_t i = 0; i < c.runs; ++i) EXPECT_EQ(w.processes.runs[i].waited, i == 0) << i;
        // The 100 ms pause follows a command that ended.
        const bool ended = c.runs > 0 && c.outcome == RunOutcome::Ended;
        EXPECT_EQ(w.processes.pauses, ended ? std::vector<std::uint32_t>{100} : std::vector<std::uint32_t>());
        EXPECT_EQ(fillsBefore < 0 ? 0 : w.spooler.fillCalls - fillsBefore, c.fillCalls);
    }
}

// A start that fails is logged with the error the start came back with.
TEST_F(InstallCommand, AFailedStartLogsItsErrorCode) {
    auto logged = [](const CSetupApp& a, const std::string& start, const std::string& end) {
        for (const std::string& line : a.Log().Lines())
            if (line.rfind(start, 0) == 0 && line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0)
                return true;
        return false;
    };
    // The system's command cannot be created: its program is not there.
    {
        MemoryWindows w;
        Prepare(w);
        w.processes.startFails = true;
        CSetupApp a(w.platform);
        a.InstallPrinterDriver();
        EXPECT_TRUE(logged(a, "command: starting it: failed, Win32 error 2", "")) << Joined(a.Log().Lines());
        EXPECT_EQ(w.ui.events, (std::vector<std::string>{kFailure, "quit"}));
    }
    // The installation's command runs; the default printer's is refused (its path is not there).
    {
        MemoryWindows w;
        Prepare(w);
        CommandCreates(w, "KX47");
        w.processes.canStart = [](const std::string& commandLine) { return commandLine.find("/y") == std::string::npos; };
        w.processes.startError = 3;  // ERROR_PATH_NOT_FOUND
        CSetupApp a(w.platform);
        a.InstallPrinterDriver();
        EXPECT_TRUE(logged(a, "default printer: starting " + kRundll + kDefaultArgs, ": failed, Win32 error 3"))
            << Joined(a.Log().Lines());
    }
}

}  // namespace
