// Start-up and a whole installation run, once for every platform call they make, with that one call failing
// (and, for a read, once with its data cut short and once damaged). Whatever goes wrong, the program does not
// crash, changes nothing outside the places it names, and never reports a failure as success.
#include <fstream>
#include <map>
#include <cctype>
#include <set>
#include <sstream>

#include "install/InstallCommandText.h"
#include "tests/support/FaultyPlatform.h"
#include "tests/unit/UnitSupport.h"

namespace {

const std::string kSystemFile = "C:\\WINDOWS\\system32\\kernel32.dll";
const char* const kCommandFiles[] = {"KX47.INF", "KX47.GPD", "KX47.INI", "ZIKU.UFM", "KX47RES.DLL", "x86\\KX47D.dll",
                                     "x86\\KX47F.dll"};
const char* const kDriverFiles[] = {"uninstallKX47.exe", "UNIDRV.DLL", "KX47.GPD",  "UNIDRVUI.DLL",
                                    "UNIDRV.HLP",        "UNIRES.DLL", "STDNAMES.GPD", "ZIKU.UFM",
                                    "KX47.INI",          "KX47RES.DLL", "KX47D.dll", "KX47F.dll"};

std::string Upper(const std::string& s) { return NormalizeMemoryPath(s); }

// One machine: XP with a simplified Chinese system, the program in C:\Setup, a matching and a foreign oem
// INF, a printer that is not ours. The stand-in command installs the printer from whatever C:\TEMP holds
// and notes whether that was what a run without faults stages.
struct Machine {
    explicit Machine(std::uint16_t langId = 0x0804) {
        LoadMarkedEntries(win.resources);
        win.files.PutDirectories("C:\\Setup");
        win.files.PutDirectories(kDriverDir + "\\3");
        win.files.Put("C:\\WINDOWS\\inf\\oem4.inf", ToBytes("Class=Printer\r\n[Manufacturer]\r\nW36\r\n"));
        win.files.Put("C:\\WINDOWS\\inf\\oem4.pnf", ToBytes("pnf"));
        win.files.Put("C:\\WINDOWS\\inf\\oem5.inf", ToBytes("Class=Printer\r\n[Manufacturer]\r\nOther\r\n"));
        win.files.Put(kSystemFile, ToBytes("the system's own"));
        win.system.langId = langId;
        win.spooler.printers = {"Fax"};
        win.processes.onRun = [this](const std::string&) {
            InstallLikeTheSystemCommand(win);
            commandSaw.clear();
            for (const char* name : kCommandFiles) commandSaw += TextAt(win.files, std::string("C:\\TEMP\\") + name) + "|";
            return RunOutcome::Ended;
        };
        win.files.ClearLog();
    }
    void Run() {
        app.PrepareStartup();
        app.InstallPrinterDriver();
    }
    MemoryWindows win;
    FaultPlan plan;
    FaultyPlatform faulty{win.platform, plan};
    CSetupApp app{faulty.platform()};
    std::string commandSaw;  // the files the command takes, as it found them
};

// The same files as a reference holds them.
std::string Seen(const std::map<std::string, std::string>& reference) {
    std::string seen;
    for (const char* name : kCommandFiles) seen += reference.at(name) + "|";
    return seen;
}

// Where the program may change anything: the program's Language directory and settings file, the staging
// directory and its two subdirectories, the driver directory and its version subdirectory, the matching
// oem INF pair.
bool MayChange(const std::string& path) {
    const std::string norm = Upper(path);
    const std::string parent = norm.substr(0, norm.rfind('\\'));
    static const std::set<std::string> files = {"C:\\SETUP\\SETTING.DLL", "C:\\WINDOWS\\INF\\OEM4.INF",
                                                "C:\\WINDOWS\\INF\\OEM4.PNF"};
    static const std::set<std::string> dirs = {"C:\\SETUP\\LANGUAGE", "C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\X86",
                                               Upper(kDriverDir), Upper(kDriverDir + "\\3")};
    return files.count(norm) || dirs.count(parent);
}
bool MayMake(const std::string& dir) {
    static const std::set<std::string> dirs = {"C:\\SETUP\\LANGUAGE", "C:\\TEMP", "C:\\TEMP\\I386", "C:\\TEMP\\X86"};
    return dirs.count(Upper(dir)) != 0;
}

// Every change in the file-system log that lies outside those places.
std::vector<std::string> ChangesOutside(const MemoryFileSystem& files) {
    std::vector<std::string> outside;
    for (const std::string& line : files.Log()) {
        const std::size_t space = line.find(' ');
        const std::string op = line.substr(0, space), rest = line.substr(space + 1);
        const std::size_t arrow = rest.find(" -> ");
        const std::string target = arrow == std::string::npos ? rest : rest.substr(arrow + 4);
        if (op == "mkdir" ? !MayMake(target) : !MayChange(target)) outside.push_back(line);
    }
    return outside;
}

class FaultInjection : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        g_nOSType = 7;
    }
    // What a run without faults leaves: the staged files the command takes and the driver directory's copies.
    std::map<std::string, std::string> Reference(std::uint16_t langId) {
        ResetGlobals();
        Machine m(langId);
        m.Run();
        std::map<std::string, std::string> files;
        for (const char* name : kCommandFiles) files[name] = TextAt(m.win.files, std::string("C:\\TEMP\\") + name);
        for (const char* name : kDriverFiles) files[std::string("driver:") + name] = TextAt(m.win.files, kDriverDir + "\\" + name);
        return files;
    }
};

TEST_F(FaultInjection, EveryPlatformCallOfStartUpAndTheInstallationRunFailingInTurn) {
    const std::map<std::string, std::string> reference = Reference(0x0804), otherLanguage = Reference(0);
    ResetGlobals();
    Machine clean;
    clean.Run();
    ASSERT_EQ(clean.commandSaw, Seen(reference));
    ASSERT_EQ(clean.win.ui.messages.size(), 1u);
    ASSERT_EQ(clean.win.ui.messages[0].text, ResultMessage(true, 0, 0x0804));
    const std::vector<FaultPlan::Call> calls = clean.plan.Calls();
    ASSERT_GT(calls.size(), 100u);

    std::size_t cases = 0, successes = 0;
    std::set<std::string> sites;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        for (Fault fault : {Fault::Fail, Fault::Short, Fault::Damaged}) {
            if (fault != Fault::Fail && !calls[i].read) continue;
            // The program's own image is what it trusts: an entry it loads is the entry it carries.
            if (fault != Fault::Fail && calls[i].site == "IResources::LoadOwnerData") continue;
            SCOPED_TRACE(::testing::Message() << "call " << i << " " << calls[i].site << " "
                                              << (fault == Fault::Fail ? "fails" : fault == Fault::Short ? "short" : "damaged"));
            ResetGlobals();
            Machine m;
            m.plan.Arm(i, fault);
            ASSERT_NO_THROW(m.Run());
            ++cases;
            sites.insert(calls[i].site);

            EXPECT_EQ(ChangesOutside(m.win.files), std::vector<std::string>());
            EXPECT_EQ(TextAt(m.win.files, kSystemFile), "the system's own");
            EXPECT_TRUE(m.win.files.Exists("C:\\WINDOWS\\inf\\oem5.inf"));
            // The uninstall key of the printer name read (a damaged read is another name), and its parents.
            const std::string uninstall = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL";
            for (const std::string& key : m.win.registry.KeyPaths()) {
                const bool parent = uninstall.rfind(key, 0) == 0 && (key.size() == uninstall.size() || uninstall[key.size()] == '\\');
                const bool entry = key.rfind(uninstall + "\\", 0) == 0 && key.size() > 8 &&
                                   key.compare(key.size() - 8, 8, " PRINTER") == 0 &&
                                   key.find('\\', uninstall.size() + 1) == std::string::npos;
                EXPECT_TRUE(parent || entry) << key;
            }
            EXPECT_TRUE(m.win.spooler.removedForms.empty() ||
                        m.win.spooler.removedForms == std::vector<std::string>{"papersize(58x420mm)"});

            // One result, then the end; a success only for the files of a run without faults, installed.
            std::vector<std::string> results;
            for (const auto& message : m.win.ui.messages)
                if (message.appMessage) results.push_back(message.text);
            ASSERT_EQ(results.size(), 1u);
            EXPECT_EQ(m.win.ui.events.back(), "quit");
            // A system language that cannot be read counts as not Chinese: other core files, the Big5 message.
            const bool success = results[0] == ResultMessage(true, 0, 0x0804) || results[0] == ResultMessage(true, 0, 0);
            if (success) {
                ++successes;
                const auto& expected = results[0] == ResultMessage(true, 0, 0) ? otherLanguage : reference;
                EXPECT_EQ(m.commandSaw, Seen(expected));
                for (const char* name : kDriverFiles)
                    EXPECT_EQ(TextAt(m.win.files, kDriverDir + "\\" + name), expected.at(std::string("driver:") + name))
                        << name;
                // The uninstall entry is written as the installation goes on; a registry that refuses it does not
                // stop the installation.
                if (calls[i].site.rfind("IRegistry::", 0) != 0) {
                    EXPECT_TRUE(m.win.registry.KeyExists("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KX47 printer"));
                }
            }
        }
    }
    std::cout << "fault injection: " << cases << " cases over " << calls.size() << " platform calls at "
              << sites.size() << " call sites; " << successes << " still installed" << std::endl;
}

// The call sites are the methods of the platform interfaces: every one of them has its wrapper.
TEST(FaultSites, EveryPlatformMethodCanBeMadeToFail) {
    std::ifstream wrappers(std::string(SETUP_SOURCE_DIR) + "/tests/support/FaultyPlatform.cpp");
    std::stringstream text;
    text << wrappers.rdbuf();
    const std::string source = text.str();
    ASSERT_FALSE(source.empty());
    int methods = 0;
    for (const char* header : {"FileSystem.h", "Processes.h", "Profile.h", "Registry.h", "Resources.h", "Spooler.h",
                               "SystemInfo.h", "UserInterface.h"}) {
        std::ifstream in(std::string(SETUP_SOURCE_DIR) + "/platform/" + header);
        std::stringstream h;
        h << in.rdbuf();
        const std::string declarations = h.str();
        const std::size_t at = declarations.find("class I");
        ASSERT_NE(at, std::string::npos) << header;
        const std::string cls = declarations.substr(at + 6, declarations.find(' ', at + 6) - at - 6);
        // Each "virtual ... Name(...) ... = 0;": the name is the word before the first parenthesis.
        for (std::size_t v = declarations.find("virtual "); v != std::string::npos; v = declarations.find("virtual ", v + 1)) {
            const std::size_t paren = declarations.find('(', v), end = declarations.find(';', v);
            if (paren == std::string::npos || end == std::string::npos || paren > end) continue;
            if (declarations.substr(v, end - v).find("= 0") == std::string::npos) continue;
            std::size_t first = paren;
            while (first > v && (std::isalnum(static_cast<unsigned char>(declarations[first - 1])) || declarations[first - 1] == '_'))
                --first;
            const std::string site = cls + "::" + declarations.substr(first, paren - first);
            EXPECT_NE(source.find("\"" + site + "\""), std::string::npos) << site;
            ++methods;
        }
    }
    EXPECT_GE(methods, 40);
}

}  // namespace
