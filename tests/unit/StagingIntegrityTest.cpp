// The installation run where other users can write to the staging directory, and where the host or the files
// are not what the run needs: what the command installs is exactly what the run wrote, or nothing is changed.
#include <memory>
#include <new>

#include "install/InstallCommandText.h"
#include "install/PrinterNameCheck.h"
#include "install/SafeFiles.h"
#include "platform/DbcsText.h"
#include "system/PrinterMatch.h"
#include "system/UninstallEntry.h"
#include "tests/unit/UnitSupport.h"

namespace {

const std::string kTemp = "C:\\TEMP\\";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer";
const std::string kOemInf = "C:\\WINDOWS\\inf\\oem4.inf";
const Bytes kMatchingInf = ToBytes("[Version]\r\nClass=Printer\r\n[Manufacturer]\r\n\"W36\"=W36.GPD\r\n");
const std::string kSystemFile = "C:\\WINDOWS\\system32\\kernel32.dll";

// The printer's files of a working installation: the driver directory and its version subdirectory.
const char* const kInstalled[] = {"KX47.GPD", "KX47.INI", "KX47D.dll", "KX47F.dll", "KX47RES.DLL", "UNIDRV.DLL",
                                  "UNIDRVUI.DLL", "uninstallKX47.exe", "3\\KX47.GPD", "3\\KX47D.dll"};

// XP, simplified Chinese system, Chinese chosen, printer KX47, a working installation of it, a stale oem
// INF and the form; the stand-in command installs the printer from the staged INF and records what the
// staged files held when it ran.
class StagingIntegrity : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        Fresh();
    }
    // A new machine and application object, arranged as above.
    void Fresh() {
        ResetGlobals();
        host_ = std::make_unique<Host>();
        g_nOSType = 7;
        W().system.langId = 0x0804;
        SetPrinterName("KX47");
        LoadMarkedEntries(W().resources);
        W().files.PutDirectories(kDriverDir + "\\3");
        for (const char* f : kInstalled) W().files.Put(kDriverDir + "\\" + f, ToBytes(std::string("working ") + f));
        W().files.Put(kOemInf, kMatchingInf);
        W().files.Put(kSystemFile, ToBytes("the system's own"));
        W().spooler.printers = {"KX47"};
        W().processes.onRun = [this](const std::string&) {
            commandSaw_ = At(kTemp + "KX47.INF") + "|" + At(kTemp + "x86\\KX47D.dll") + "|" + At(kTemp + "KX47.GPD");
            return RunOutcome::Ended;
        };
        W().files.ClearLog();
    }
    // What a run of this store stages, by path below C:\TEMP.
    std::string Staged(const std::string& name) {
        MemoryWindows clean;
        LoadMarkedEntries(clean.resources);
        clean.files.PutDirectories(kDriverDir);
        CSetupApp(clean.platform).InstallPrinterDriver();
        return TextAt(clean.files, kTemp + name);
    }
    bool CommandRan() {
        for (const auto& run : W().processes.runs)
            if (run.waited) return true;
        return false;
    }
    // A failed run that changed nothing outside the staging area.
    // On a disk that stays full the driver directory cannot always be put back.
    void ExpectFailedAndUntouched(bool driverDirectoryKept = true) {
        EXPECT_EQ(W().ui.events, (std::vector<std::string>{"message:" + ResultMessage(false, 0, 0x0804), "quit"}));
        EXPECT_FALSE(CommandRan());
        for (const char* f : kInstalled) {
            if (driverDirectoryKept) {
                EXPECT_EQ(At(kDriverDir + "\\" + f), std::string("working ") + f) << f;
            }
        }
        EXPECT_FALSE(W().files.Exists(kDriverDir + "\\STDNAMES.GPD"));
        EXPECT_FALSE(W().files.Exists(kDriverDir + "\\ZIKU.UFM"));
        EXPECT_FALSE(W().registry.KeyExists(kUninstallKey));
        EXPECT_TRUE(W().files.Exists(kOemInf));
        EXPECT_TRUE(W().spooler.removedForms.empty());
        EXPECT_EQ(At(kSystemFile), "the system's own");
    }
    void ExpectInstalled() {
        EXPECT_EQ(W().ui.events, (std::vector<std::string>{"message:" + ResultMessage(true, 0, 0x0804), "quit"}));
        EXPECT_TRUE(CommandRan());
        EXPECT_EQ(commandSaw_, Entry(kInfEntry) + "|" + Entry(kCommonRenderPluginSlot.ids[kXp]) + "|" + Staged("KX47.GPD"));
        EXPECT_EQ(At(kDriverDir + "\\uninstallKX47.exe"), Entry(kUninstallerEntry));
        EXPECT_EQ(At(kDriverDir + "\\UNIDRV.DLL"), Entry(kCoreChineseUnidrvSlot.ids[kXp]));
        EXPECT_FALSE(W().files.Exists(kDriverDir + "\\3\\KX47.GPD"));
        EXPECT_TRUE(W().registry.KeyExists(kUninstallKey));
        EXPECT_EQ(At(kSystemFile), "the system's own");
    }
    struct Host {
        MemoryWindows win;
        CSetupApp app{win.platform};
    };
    MemoryWindows& W() { return host_->win; }
    CSetupApp& App() { return host_->app; }
    std::string At(const std::string& path) { return TextAt(W().files, path); }
    std::string Entry(std::uint16_t id) { return ToString(W().resources.entries.at(id)); }
    std::unique_ptr<Host> host_;
    std::string commandSaw_;
};

TEST_F(StagingIntegrity, PlantedFilesAreReplacedOrTheRunFailsWithNothingChanged) {
    // Every name the run stages, each a planted file of another user's before the run.
    const std::vector<std::string> names = {"uninstallKX47.exe", "KX47.INF", "temp.txt", "KX47.GPD", "KX47D.dll",
                                            "I386\\KX47D.dll", "x86\\KX47D.dll", "x86\\KX47F.dll", "UNIDRV.DLL",
                                            "x86\\KX47RES.DLL"};
    // Hidden or system attributes do not keep a file from being replaced.
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Fresh();
        W().files.Put(kTemp + name, ToBytes("planted"));
        W().files.SetAttributes(kTemp + name, kAttributeHidden | kAttributeSystem);
        App().InstallPrinterDriver();
        EXPECT_NE(At(kTemp + name), "planted");
        ExpectInstalled();
    }
    // A file that cannot be removed (read-only, held open without delete sharing) fails the run.
    for (const std::string& name : names) {
        for (int way = 0; way < 2; ++way) {
            SCOPED_TRACE(name + (way ? ", held open" : ", read-only"));
            Fresh();
            W().files.Put(kTemp + name, ToBytes("planted"));
            if (way == 0) W().files.SetAttributes(kTemp + name, kAttributeReadOnly);
            else W().files.HoldOpen(kTemp + name, MemoryFileSystem::kShareRead);
            App().InstallPrinterDriver();
            ExpectFailedAndUntouched();
        }
    }
}

TEST_F(StagingIntegrity, LinksAtStagedNamesAreNeverWrittenThrough) {
    for (const std::string name : {"temp.txt", "KX47.GPD", "x86\\KX47F.dll", "uninstallKX47.exe"}) {
        SCOPED_TRACE(name);
        Fresh();
        W().files.HardLink(kSystemFile, kTemp + name);
        App().InstallPrinterDriver();
        ExpectInstalled();
        PathState state;
        ASSERT_TRUE(W().files.Inspect(kTemp + name, state));
        EXPECT_EQ(state.links, 1u);
    }
}

TEST_F(StagingIntegrity, StagingDirectoriesThatAreNotPlainDirectoriesAreRefused) {
    const struct {
        const char* what;
        std::function<void(MemoryFileSystem&)> arrange;
    } cases[] = {
        {"C:\\TEMP a junction", [](MemoryFileSystem& f) { f.Junction("C:\\TEMP", "C:\\WINDOWS\\system32"); }},
        {"x86 a junction", [](MemoryFileSystem& f) { f.Junction("C:\\TEMP\\x86", "C:\\WINDOWS\\system32"); }},
        {"I386 a junction", [](MemoryFileSystem& f) { f.Junction("C:\\TEMP\\I386", "C:\\WINDOWS"); }},
        {"C:\\TEMP a file", [](MemoryFileSystem& f) { f.Put("C:\\TEMP", ToBytes("a file")); }},
        {"x86 a file", [](MemoryFileSystem& f) { f.Put("C:\\TEMP\\x86", ToBytes("a file")); }},
        {"temp.txt a directory", [](MemoryFileSystem& f) { f.PutDirectories("C:\\TEMP\\temp.txt"); }},
        {"a full disk", [](MemoryFileSystem& f) { f.freeSpace = 100; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        c.arrange(W().files);
        App().InstallPrinterDriver();
        ExpectFailedAndUntouched();
        for (const std::string& file : W().files.AllFiles())
            EXPECT_TRUE(file.rfind("C:\\WINDOWS\\system32\\KX47", 0) != 0 && file.rfind("C:\\WINDOWS\\UNI", 0) != 0)
                << file;
    }
}

TEST_F(StagingIntegrity, RewritingUsesTheEntryNotWhatTheScratchFileHoldsWhenReadBack) {
    // Another user replaces the scratch file as soon as it is written.
    W().files.onChange = [this](const std::string& line) {
        if (line == "write c:\\temp\\temp.txt") {
            W().files.onChange = nullptr;
            W().files.RemoveFile("c:\\temp\\temp.txt");
            W().files.Put("c:\\temp\\temp.txt", ToBytes("*ModelName: \"other\"\r\n*GPDFileName: \"x\"\r\n"));
        }
    };
    App().InstallPrinterDriver();
    EXPECT_EQ(At(kTemp + "KX47.GPD"), Staged("KX47.GPD"));
    EXPECT_NE(At(kTemp + "KX47.GPD").find("entry " + std::to_string(kCommonGpdSlot.ids[kXp])), std::string::npos);
    // The next rewriting extraction replaced the scratch file again; nothing of the swap remains.
    ExpectInstalled();
}

TEST_F(StagingIntegrity, FilesSwappedAfterStagingNeverReachTheCommandOrTheDriverDirectory) {
    // Another user tries to swap a staged file after it was written and read back, while the driver directory
    // is written, and just before the command: the file is held, the swap is refused, and what the driver
    // directory and the command get is what the run staged.
    const struct {
        const char* trigger;  // the file-system log line after which the swap is tried
        const char* file;
    } cases[] = {
        {"write C:\\WINDOWS\\system32\\spool\\drivers\\w32x86\\uninstallKX47.exe", "KX47RES.DLL"},
        {"delete C:\\WINDOWS\\inf\\oem4.inf", "x86\\KX47D.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Fresh();
        bool tried = false, swapped = false;
        W().files.onChange = [&](const std::string& line) {
            if (tried || line != c.trigger) return;
            tried = true;
            swapped = W().files.OtherReplace(kTemp + c.file, ToBytes("swapped"));
        };
        App().InstallPrinterDriver();
        EXPECT_TRUE(tried);
        EXPECT_FALSE(swapped);
        ExpectInstalled();
        EXPECT_NE(At(kTemp + c.file), "swapped");
    }
    EXPECT_EQ(At(kDriverDir + "\\KX47D.dll"), Entry(kCommonRenderPluginSlot.ids[kXp]));
}

TEST_F(StagingIntegrity, AFailedCopyPutsTheWorkingInstallationBack) {
    const struct {
        const char* what;
        std::function<void(MemoryWindows&)> arrange;
    } cases[] = {
        {"a destination held open", [](MemoryWindows& w) {
             w.files.HoldOpen(kDriverDir + "\\UNIRES.DLL", MemoryFileSystem::kShareRead | MemoryFileSystem::kShareWrite);
             w.files.Put(kDriverDir + "\\UNIRES.DLL", ToBytes("working UNIRES.DLL"));
         }},
        {"the disk fills during the copies", [](MemoryWindows& w) {
             w.files.onChange = [&w](const std::string& line) {
                 if (line == "write " + kDriverDir + "\\UNIDRVUI.DLL") w.files.freeSpace = 0;
             };
         }},
        {"a copy that does not hold the staged bytes", [](MemoryWindows& w) {
             w.files.onChange = [&w](const std::string& line) {
                 if (line == "write " + kDriverDir + "\\ZIKU.UFM")
                     w.files.Put(kDriverDir + "\\ZIKU.UFM", ToBytes("changed"));
             };
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fresh();
        c.arrange(W());
        const bool heldUnires = std::string(c.what) == "a destination held open";
        App().InstallPrinterDriver();
        if (heldUnires) {
            EXPECT_EQ(At(kDriverDir + "\\UNIRES.DLL"), "working UNIRES.DLL");
        }
        ExpectFailedAndUntouched(std::string(c.what) != "the disk fills during the copies");
    }
}

TEST_F(StagingIntegrity, HostsThatWouldGetAHalfInstallationAreRefusedBeforeAnythingIsTouched) {
    for (int which = 0; which < 2; ++which) {
        SCOPED_TRACE(which ? "a 32-bit program on 64-bit Windows" : "not an administrator");
        Fresh();
        W().system.administrator = which == 1;
        W().system.wow64 = which == 1;
        App().InstallPrinterDriver();
        EXPECT_TRUE(W().files.Log().empty());
        EXPECT_FALSE(W().files.Exists("C:\\TEMP"));
        ExpectFailedAndUntouched();
    }
}

TEST_F(StagingIntegrity, AnExceptionInsideTheRunIsAFailedInstallationAndNoRunStartsInsideAnother) {
    // Out of memory while the clean-up reads a huge oem INF.
    W().files.onRead = [](const std::string& path) {
        if (path.find("oem4.inf") != std::string::npos) throw std::bad_alloc();
    };
    EXPECT_NO_THROW(App().InstallPrinterDriver());
    EXPECT_EQ(W().ui.events, (std::vector<std::string>{"message:" + ResultMessage(false, 0, 0x0804), "quit"}));
    EXPECT_FALSE(CommandRan());

    // The clean-up's error box keeps the wizard's messages flowing; a second run started from there does nothing.
    Fresh();
    W().spooler.failEnumerationNumber = 1;
    int nested = 0;
    W().ui.onMessage = [this, &nested](MemoryUserInterface::Message m) {
        if (m.caption == "ERROR" && nested++ == 0) App().InstallPrinterDriver();
    };
    App().InstallPrinterDriver();
    EXPECT_EQ(nested, 1);
    ASSERT_EQ(W().ui.messages.size(), 2u);
    EXPECT_EQ(W().ui.messages[0].caption, "ERROR");
    EXPECT_EQ(W().ui.messages[0].flags, kMbOk | kMbIconInformation | kMbTaskModal);
    EXPECT_EQ(W().ui.messages[1].text, ResultMessage(true, 0, 0x0804));
    EXPECT_EQ(W().processes.runs.size(), 2u);  // one install command, one default command
}

TEST(PrinterNames, NamesOfTheSharedDriverFilesAreRefused) {
    const std::string dir = kDriverDir;
    for (const char* shared : {"UNI", "uni", "STDNAMES", "StdNames"})
        EXPECT_EQ(CheckPrinterName(shared, dir), PrinterNameProblem::NamesSharedFile) << shared;
    for (const char* fine : {"UNIDRV", "STDNAME", "UNIRES", "ZIKU", "TEMP", "UN"})
        EXPECT_EQ(CheckPrinterName(fine, dir), PrinterNameProblem::None) << fine;
}

TEST_F(StagingIntegrity, APrinterNamedAfterASharedFileTouchesNothing) {
    SetPrinterName("UNI");
    W().spooler.printers = {"UNI"};
    W().files.Put(kDriverDir + "\\UNIRES.DLL", ToBytes("shared by every Unidrv printer"));
    App().InstallPrinterDriver();
    EXPECT_TRUE(W().files.Log().empty());
    EXPECT_EQ(At(kDriverDir + "\\UNIRES.DLL"), "shared by every Unidrv printer");
}

TEST(UninstallEntryText, PathsWithABlankAreQuoted) {
    UninstallEntry entry;
    ASSERT_TRUE(BuildUninstallEntry("KX47", "C:\\Program Files\\drivers", entry));
    ASSERT_EQ(entry.values.size(), 4u);
    EXPECT_EQ(entry.values[1].text, "\"C:\\Program Files\\drivers\\uninstallKX47.exe\"");
    EXPECT_EQ(entry.values[2].text, "\"C:\\Program Files\\drivers\\uninstallKX47.exe\",-0");
    ASSERT_TRUE(BuildUninstallEntry("Shop A", "C:\\WINDOWS\\drivers", entry));
    EXPECT_EQ(entry.values[1].text, "\"C:\\WINDOWS\\drivers\\uninstallShop A.exe\"");
    ASSERT_TRUE(BuildUninstallEntry("KX47", "C:\\WINDOWS\\drivers", entry));
    EXPECT_EQ(entry.values[1].text, "C:\\WINDOWS\\drivers\\uninstallKX47.exe");
    // The quotes count against the 260-character buffer, and the name check agrees.
    const std::string dir = "D:\\dir with blank" + std::string(123, 'd');  // 140 characters
    EXPECT_TRUE(BuildUninstallEntry(std::string(100, 'N'), dir, entry));
    EXPECT_FALSE(BuildUninstallEntry(std::string(101, 'N'), dir, entry));
    EXPECT_EQ(CheckPrinterName(std::string(100, 'N'), dir), PrinterNameProblem::None);
    EXPECT_EQ(CheckPrinterName(std::string(101, 'N'), dir), PrinterNameProblem::TooLong);
}

TEST(PrinterEnumeration, APrinterAddedBetweenTheTwoCallsIsListedAfterOneRetry) {
    MemoryWindows w;
    w.spooler.printers = {"Fax"};
    w.spooler.appearBeforeFill = {"KX47"};
    std::vector<std::string> names;
    std::uint32_t lastError = 0;
    EXPECT_EQ(ListLocalPrinters(w.spooler, names, lastError), PrinterList::Listed);
    EXPECT_EQ(names, (std::vector<std::string>{"Fax", "KX47"}));
    EXPECT_EQ(w.spooler.fillCalls, 2);
    // Another failure is not retried.
    w.spooler.fillCalls = 0;
    w.spooler.failEnumerationNumber = 1;
    EXPECT_EQ(ListLocalPrinters(w.spooler, names, lastError), PrinterList::Failed);
    EXPECT_EQ(lastError, 5u);
    EXPECT_EQ(w.spooler.fillCalls, 1);
}

TEST(DbcsPaths, TheLastSeparatorIsNeverTheSecondByteOfACharacter) {
    const std::string big5 = "C:\\Shop\\\xA6\xA8\xA5\x5C.exe";  // 成功.exe in Big5: 功 is A5 5C
    EXPECT_EQ(LastPathSeparator(big5, 950), 7u);
    EXPECT_EQ(LastPathSeparator(big5, 1252), 11u);  // two characters of their own in a single-byte code page
    EXPECT_EQ(LastPathSeparator("C:\\a\\\x81", 936), 4u);  // a lone lead byte at the end
    EXPECT_EQ(LastPathSeparator("\x81\\", 936), std::string::npos);
    EXPECT_EQ(LastPathSeparator("C:\\\x83\\x\\", 932), 6u);  // the second byte of 0x83 0x5C is not one
    EXPECT_EQ(LastPathSeparator("setup.exe", 936), std::string::npos);
}

TEST_F(StagingIntegrity, AProgramNamedInBig5KeepsItsDirectory) {
    W().system.codePage = 950;
    W().system.modulePath = "C:\\Shop\\\xA6\xA8\xA5\x5C.exe";
    W().files.PutDirectories("C:\\Shop");
    LoadStoreEntries(W().resources, {kSimplifiedTableEntry, kEnglishTableEntry, kSettingsEntry, kTraditionalTableEntry});
    App().PrepareStartup();
    EXPECT_EQ(g_strAppDir, "C:\\Shop\\");
    EXPECT_EQ(g_strSettingFile, "C:\\Shop\\setting.dll");
    EXPECT_TRUE(W().files.Exists("C:\\Shop\\setting.dll"));
    EXPECT_TRUE(W().files.IsDirectory("C:\\Shop\\Language"));
}

}  // namespace
