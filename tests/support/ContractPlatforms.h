// The platforms that the contract tests hold to the same behaviour: the in-memory Windows always, and the
// Win32 platform in the Windows test program (which adds it before the tests run).
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

// One platform set up afresh for one test case.
class ContractHost {
public:
    virtual ~ContractHost() = default;
    virtual Platform& platform() = 0;
    // An empty directory that exists for this case only (full path, no trailing backslash); it is also the
    // current directory while the case runs.
    virtual std::string ScratchDir() const = 0;
    // A registry path below HKEY_LOCAL_MACHINE that is free when the case starts and removed, with everything
    // below it, when the case ends.
    virtual std::string RegistryTestKey() const = 0;
    // Removes a key below HKEY_LOCAL_MACHINE with everything below it; the number of values in a key (0: none).
    virtual void RemoveRegistryTree(const std::string& path) = 0;
    virtual int RegistryValueCount(const std::string& path) = 0;
    // The pieces that the C runtime's text-mode stream gives for the file (fopen "rt", fgets into a buffer of
    // bufferSize characters); false when this host has no C runtime to ask.
    virtual bool CrtTextPieces(const std::string& path, std::size_t bufferSize, std::vector<std::string>& pieces) = 0;
    // A command whose program runs for about ms milliseconds.
    virtual std::string SleepingCommand(std::uint32_t ms) const = 0;
    // Makes sure that a local printer exists where the host can arrange one; its name, or empty when the
    // host cannot (then whatever printers the machine has are enumerated).
    virtual std::string StandInPrinter() = 0;
    // Makes the spooler list a port as a plugged-in printer's (USB001...), removed when the case ends; false
    // when the host cannot.
    virtual bool PlugInPort(const std::string& name) = 0;
    // What another user's program may do to the files: a second name for an existing file, attributes, and
    // a handle held open until the case ends, sharing as the MemoryFileSystem::kShare* bits say.
    virtual bool MakeHardLink(const std::string& existing, const std::string& link) = 0;
    virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
    virtual bool HoldOpen(const std::string& path, unsigned share) = 0;
    // Another user's changes, subject to the sharing of the handles the program holds: a file's bytes
    // rewritten in place, a file removed and made anew, a file or directory renamed.
    virtual bool OtherWrite(const std::string& path, const Bytes& data) = 0;
    virtual bool OtherReplace(const std::string& path, const Bytes& data) = 0;
    virtual bool OtherRename(const std::string& from, const std::string& to) = 0;
    // What the case reads back through the system itself: the current directory, a value below
    // HKEY_LOCAL_MACHINE as stored (type and raw bytes).
    virtual std::string CurrentDir() = 0;
    virtual bool QueryValue(const std::string& path, const std::string& name, std::uint32_t& type, Bytes& data) = 0;
    // Why the named behaviour cannot be checked on this host; empty when it can.
    virtual std::string Limitation(const std::string& /*what*/) const { return std::string(); }
};

struct ContractPlatformFactory {
    std::string name;
    std::function<std::unique_ptr<ContractHost>()> make;
};

// The registered platforms, the in-memory Windows first.
std::vector<ContractPlatformFactory>& ContractPlatforms();

// Base of every contract suite: a fresh host per case.
class ContractTest : public ::testing::TestWithParam<ContractPlatformFactory> {
protected:
    void SetUp() override { host_ = GetParam().make(); }
    void TearDown() override { host_.reset(); }
    ContractHost& host() { return *host_; }
    Platform& os() { return host_->platform(); }
    // name inside the scratch directory.
    std::string InScratch(const std::string& name) const;

private:
    std::unique_ptr<ContractHost> host_;
};

// Runs every case of suite against every registered platform.
#define SETUP_CONTRACT_SUITE(suite)                                                      \
    INSTANTIATE_TEST_SUITE_P(Platforms, suite, ::testing::ValuesIn(ContractPlatforms()), \
                             [](const auto& info) { return info.param.name; })
