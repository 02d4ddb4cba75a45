// The printer-installation command, the check for the printer and the result message.
#include <gtest/gtest.h>
#include <iconv.h>

#include "app/globals.h"
#include "app/setup.h"
#include "install/InstallCommandText.h"
#include "platform/memory/MemoryWindows.h"

namespace {

const std::string kSystemDir = "C:\\WINDOWS\\system32";
const std::string kInstallArgs =
    " printui.dll,PrintUIEntry /if /f C:\\TEMP\\KX47.INF /r \"LPT1:\" /b \"KX47\" /m \"KX47\" ";
const std::string kDefaultArgs = " printui.dll,PrintUIEntry /y /n \"KX47\"";

// The text in the given code page, converted independently of the program's own tables.
std::string Encode(const std::string& utf8, const char* charset) {
    iconv_t cd = iconv_open(charset, "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << charset;
    std::string in = utf8, out(utf8.size() * 2, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &inLeft, &dst, &outLeft), static_cast<std::size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

TEST(InstallCommandText, CommandLinesStartRundllFromTheSystemDirectory) {
    std::string line;
    ASSERT_TRUE(InstallCommandLine(kSystemDir, line));
    EXPECT_EQ(line, kSystemDir + "\\rundll32.exe" + kInstallArgs);
    ASSERT_TRUE(DefaultPrinterCommandLine(kSystemDir, line));
    EXPECT_EQ(line, kSystemDir + "\\rundll32.exe" + kDefaultArgs);

    // A blank in the path: the program is quoted, the arguments stay as they are.
    ASSERT_TRUE(InstallCommandLine("D:\\My Windows\\system32", line));
    EXPECT_EQ(line, "\"D:\\My Windows\\system32\\rundll32.exe\"" + kInstallArgs);

    // Unknown system directory, or one too long for the command buffer: no command at all.
    EXPECT_FALSE(InstallCommandLine("", line));
    EXPECT_FALSE(DefaultPrinterCommandLine("", line));
    EXPECT_FALSE(InstallCommandLine("C:\\" + std::string(200, 'W'), line));
}

TEST(InstallCommandText, ModelPrinterIsFoundByCaseSensitiveSubstring) {
    EXPECT_TRUE(HasModelPrinter({"KX47"}));
    EXPECT_TRUE(HasModelPrinter({"Fax", "Office KX47 (Copy 2)", "PDF"}));
    EXPECT_FALSE(HasModelPrinter({"kx47", "KX 47", "KX4"}));
    EXPECT_FALSE(HasModelPrinter({}));
}

TEST(InstallCommandText, ResultMessageByChoiceAndSystemLanguage) {
    const std::string gbkOk = Encode("打印机驱动程序安装成功!", "GBK");
    const std::string gbkFail = Encode("打印机驱动程序安装失败!", "GBK");
    const std::string big5Ok = Encode("打印機驅動程序安裝成功!", "BIG5");
    const std::string big5Fail = Encode("打印機驅動程序安裝失敗!", "BIG5");
    const std::string enOk = "The Printer Driver has been installed successfully!";
    const std::string enFail = "The Printer Driver installation has been failed!";
    ASSERT_EQ(big5Ok.size(), 23u);

    EXPECT_EQ(ResultMessage(true, 0, 0x0804), gbkOk);
    EXPECT_EQ(ResultMessage(false, 0, 0x0804), gbkFail);
    for (std::uint16_t langId : {0x0404, 0x0C04, 0x1004, 0x0409, 0x0411}) {
        EXPECT_EQ(ResultMessage(true, 0, langId), big5Ok) << langId;
        EXPECT_EQ(ResultMessage(false, 0, langId), big5Fail) << langId;
    }
    for (std::uint16_t langId : {0x0804, 0x0404, 0x0409}) {
        EXPECT_EQ(ResultMessage(true, 1, langId), enOk) << langId;
        EXPECT_EQ(ResultMessage(false, 1, langId), enFail) << langId;
    }
}

// RunInstallCommand on its own, English chosen (the message choice is covered above and by the run tests).
class InstallCommand : public ::testing::Test {
protected:
    void SetUp() override {
        g_wLanguage = 1;
        win.files.PutDirectories("C:\\TEMP");
    }
    void TearDown() override { g_wLanguage = 0; }

    // The stand-in for the system command: the printer appears when the command runs.
    void CommandCreatesPrinter(const std::string& name) {
        win.processes.onRun = [this, name](const std::string&) {
            win.spooler.printers.push_back(name);
            return RunOutcome::Ended;
        };
    }
    void Run() {
        CSetupApp app(win.platform);
        app.RunInstallCommand();
    }
    void ExpectFailureAndQuit() {
        const std::vector<std::string> expected = {"message:The Printer Driver installation has been failed!", "quit"};
        EXPECT_EQ(win.ui.events, expected);
        for (const MemoryProcesses::Run& r : win.processes.runs) EXPECT_TRUE(r.waited) << r.commandLine;
    }

    MemoryWindows win;
};

TEST_F(InstallCommand, SuccessRunsBothCommandsInTheStagingDirectory) {
    CommandCreatesPrinter("KX47");
    Run();
    ASSERT_EQ(win.processes.runs.size(), 2u);
    const MemoryProcesses::Run& install = win.processes.runs[0];
    EXPECT_EQ(install.commandLine, kSystemDir + "\\rundll32.exe" + kInstallArgs);
    EXPECT_EQ(install.currentDir, "C:\\TEMP");
    EXPECT_EQ(install.timeoutMs, 90000u);
    EXPECT_TRUE(install.waited);
    const MemoryProcesses::Run& setDefault = win.processes.runs[1];
    EXPECT_EQ(setDefault.commandLine, kSystemDir + "\\rundll32.exe" + kDefaultArgs);
    EXPECT_FALSE(setDefault.waited);
    EXPECT_EQ(win.processes.pauses, std::vector<std::uint32_t>{100});
    const std::vector<std::string> expected = {"message:The Printer Driver has been installed successfully!", "quit"};
    EXPECT_EQ(win.ui.events, expected);
    EXPECT_EQ(win.files.CurrentDir(), "C:\\TEMP");
}

TEST_F(InstallCommand, PrinterLeftFromEarlierCountsEvenWhenTheCommandCreatesNothing) {
    win.spooler.printers = {"Fax", "KX47 (Copy 2)", "PDF"};
    Run();
    ASSERT_EQ(win.processes.runs.size(), 2u);
    EXPECT_EQ(win.ui.events.front(), "message:The Printer Driver has been installed successfully!");
}

TEST_F(InstallCommand, NoMatchingPrinterIsAFailure) {
    CommandCreatesPrinter("kx47");
    win.spooler.printers = {"Fax"};
    Run();
    ExpectFailureAndQuit();
}

TEST_F(InstallCommand, NoPrinterAtAllIsAFailureNotASilentStop) {
    Run();  // the command creates nothing and there are no printers: the size answer is 0
    ExpectFailureAndQuit();
    EXPECT_EQ(win.processes.runs.size(), 1u);
}

TEST_F(InstallCommand, ZeroSizeOrFailedEnumerationIsAFailure) {
    CommandCreatesPrinter("KX47");
    win.spooler.reportZeroSize = true;
    Run();
    ExpectFailureAndQuit();
    EXPECT_EQ(win.spooler.fillCalls, 0);

    win.ui.events.clear();
    win.processes.runs.clear();
    win.spooler.reportZeroSize = false;
    win.spooler.failEnumerationNumber = 1;
    win.spooler.fillCalls = 0;
    Run();
    ExpectFailureAndQuit();
    EXPECT_EQ(win.spooler.fillCalls, 1);
}

TEST_F(InstallCommand, TimeOutOrNoProcessIsAFailureWithoutLookingForThePrinter) {
    for (RunOutcome outcome : {RunOutcome::TimedOut, RunOutcome::NotCreated}) {
        MemoryWindows w;
        w.spooler.printers = {"KX47"};  // would count as found if the printers were looked at
        w.processes.onRun = [outcome](const std::string&) { return outcome; };
        CSetupApp app(w.platform);
        app.RunInstallCommand();
        const std::vector<std::string> expected = {"message:The Printer Driver installation has been failed!", "quit"};
        EXPECT_EQ(w.ui.events, expected) << static_cast<int>(outcome);
        EXPECT_EQ(w.processes.runs.size(), 1u);
        EXPECT_TRUE(w.processes.pauses.empty());
        EXPECT_EQ(w.spooler.fillCalls, 0);
    }
}

TEST_F(InstallCommand, UnknownSystemDirectoryRunsNothing) {
    win.system.systemDir.clear();
    win.spooler.printers = {"KX47"};
    Run();
    EXPECT_TRUE(win.processes.runs.empty());
    ExpectFailureAndQuit();
}

}  // namespace
