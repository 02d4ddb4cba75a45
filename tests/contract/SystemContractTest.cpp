// Version, language, directories, the program's own resources, system message texts and hidden processes
// (started and waited for with a limit, or started without waiting).
#include <cctype>
#include <utility>

#include "tests/support/ContractPlatforms.h"
#include "tests/support/StoreFiles.h"

namespace {

class SystemContract : public ContractTest {};

const char kQuickCommand[] = "cmd.exe /c exit 0";
const char kMissingProgram[] = "C:\\no-such-directory\\no-such-program.exe";

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

TEST_P(SystemContract, VersionDirectoriesLanguageAndMessagesAreKnown) {
    // The packed version agrees with the record.
    const std::uint32_t packed = os().system.PackedVersion();
    OsVersion v;
    ASSERT_TRUE(os().system.VersionRecord(v));
    EXPECT_EQ(packed & 0xFF, v.major);
    EXPECT_EQ((packed >> 8) & 0xFF, v.minor);
    EXPECT_EQ((packed & 0x80000000u) == 0, v.platformId == 2);
    if (v.platformId == 2) { EXPECT_EQ((packed >> 16) & 0x7FFF, v.build & 0x7FFF); }
    EXPECT_GE(v.major, 4u);
    const std::string module = Upper(os().system.ModulePath());
    ASSERT_GT(module.size(), 4u);
    EXPECT_EQ(module.substr(module.size() - 4), ".EXE") << module;
    EXPECT_EQ(module[1], ':') << module;
    const std::string windows = Upper(os().system.WindowsDir()), system = Upper(os().system.SystemDir());
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(system.substr(0, windows.size() + 1), windows + "\\") << system;
    EXPECT_NE(os().system.SystemDefaultLangId(), 0);
    // System message texts end with a line break.
    for (std::uint32_t code : {2u, 5u}) {
        const std::string text = os().ui.SystemMessageText(code);
        ASSERT_GT(text.size(), 2u) << code;
        EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << code;
    }
}

TEST_P(SystemContract, TheTestMachineRunsUsAsAnAdministratorAndKnowsItsCodePage) {
    EXPECT_TRUE(os().system.IsAdministrator());
    EXPECT_NE(os().system.AnsiCodePage(), 0u);
    if (sizeof(void*) == 8) {
        EXPECT_FALSE(os().system.RunsUnderWow64());  // a 64-bit program never is
    }
}

TEST_P(SystemContract, AnsiTextBecomesUtf8) {
    EXPECT_EQ(os().system.AnsiToUtf8("C:\\TEMP\\KX47.INF: failed, Win32 error 5"), "C:\\TEMP\\KX47.INF: failed, Win32 error 5");
    EXPECT_EQ(os().system.AnsiToUtf8(""), "");
    if (os().system.AnsiCodePage() == 1252) {
        EXPECT_EQ(os().system.AnsiToUtf8("caf\xE9 \xFC"), "caf\xC3\xA9 \xC3\xBC");
    }
}

TEST_P(SystemContract, OwnerDataIsTheStore) {
    Bytes data;
    EXPECT_FALSE(os().resources.LoadOwnerData(1, data));
    EXPECT_FALSE(os().resources.LoadOwnerData(160, data));
    // Every identifier of the generated manifest, each compared with the generated entry; a store or manifest
    // that cannot be read is a failure, not a pass.
    ASSERT_FALSE(StoreManifest().empty()) << "the generated manifest is missing or malformed";
    for (const ManifestEntry& entry : StoreManifest()) {
        Bytes expected;
        ASSERT_TRUE(ReadStoreEntry(entry.id, expected)) << "store entry " << entry.id;
        ASSERT_FALSE(expected.empty()) << entry.id;
        ASSERT_TRUE(os().resources.LoadOwnerData(entry.id, data)) << entry.id;
        EXPECT_EQ(data, expected) << entry.id;
    }
}

// A missing program fails as CreateProcessA and WinExec fail on it: file or path not found.
bool MissingProgramError(std::uint32_t error) { return error == kErrorFileNotFound || error == kErrorPathNotFound; }

TEST_P(SystemContract, OutcomesOfHiddenProcesses) {
    std::uint32_t error = 1;
    EXPECT_EQ(os().processes.RunHidden(kQuickCommand, 60000, error), RunOutcome::Ended);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(os().processes.RunHidden(host().SleepingCommand(100), 60000, error), RunOutcome::Ended);
    EXPECT_EQ(os().processes.RunHidden(host().SleepingCommand(3000), 200, error), RunOutcome::TimedOut);
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(os().processes.RunHidden(kMissingProgram, 1000, error), RunOutcome::NotCreated);
    EXPECT_PRED1(MissingProgramError, error);
    EXPECT_TRUE(os().processes.StartHidden(kQuickCommand));
    const Status missing = os().processes.StartHidden(kMissingProgram);
    EXPECT_FALSE(missing);
    EXPECT_PRED1(MissingProgramError, missing.error);
}

// The processor Windows runs on: a known one, the same on every call, and a 64-bit one under WOW64 (where the
// processor the process sees is x86).
TEST_P(SystemContract, TheNativeProcessorIsKnownAnd64BitUnderWow64) {
    const std::uint16_t native = os().system.NativeArchitecture();
    EXPECT_EQ(os().system.NativeArchitecture(), native);
    EXPECT_TRUE(native == kProcessorIntel || native == kProcessorAmd64 || native == kProcessorIa64 ||
                native == kProcessorArm64)
        << native;
    if (os().system.RunsUnderWow64()) {
        EXPECT_NE(native, kProcessorIntel);
    }
}

// A 32-bit process on 64-bit Windows reaches the 64-bit system directory, and its rundll32, as
// %windir%\Sysnative; a process that is not under WOW64 has no such directory.
TEST_P(SystemContract, SysnativeHoldsThe64BitRundll32UnderWow64Only) {
    const std::string windowsDir = os().system.WindowsDir();
    ASSERT_FALSE(windowsDir.empty());
    PathState state;
    ASSERT_TRUE(os().files.Inspect(windowsDir + "\\Sysnative\\rundll32.exe", state));
    EXPECT_EQ(state.exists, os().system.RunsUnderWow64());
    if (state.exists) {
        EXPECT_FALSE(state.isDirectory);
    }
}

// With the redirection off around its start, a program starts and is waited for like any other; a missing
// one is not created. Under WOW64 the redirection can always be turned off.
TEST_P(SystemContract, ProcessesStartWithTheRedirectionOff) {
    std::uint32_t error = 0;
    EXPECT_EQ(os().processes.RunHiddenNative(kMissingProgram, 1000, error), RunOutcome::NotCreated);
    EXPECT_NE(error, 0u);
    const RunOutcome quick = os().processes.RunHiddenNative(kQuickCommand, 60000, error);
    if (os().system.RunsUnderWow64()) {
        EXPECT_EQ(quick, RunOutcome::Ended);
    } else {
        EXPECT_TRUE(quick == RunOutcome::Ended || quick == RunOutcome::NotCreated);
    }
    // And the redirection is on again: the next start is the ordinary one.
    EXPECT_EQ(os().processes.RunHidden(kQuickCommand, 60000, error), RunOutcome::Ended);
}

SETUP_CONTRACT_SUITE(SystemContract);

}  // namespace
