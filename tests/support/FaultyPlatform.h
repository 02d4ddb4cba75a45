// A platform that passes every call to another one, except the one call chosen to go wrong: it fails, or
// (a read) delivers its data cut short or damaged. Every method of every platform interface is a call site
// here; a method added to an interface does not compile until it is one.
#pragma once
#include <string>
#include <vector>

#include "platform/Platform.h"

enum class Fault { None, Fail, Short, Damaged };

class FaultPlan {
public:
    struct Call {
        std::string site;  // "IFileSystem::ReadWholeFile"
        bool read = false;  // carries data that can also arrive short or damaged (a read, or a write to disk)
    };
    // No fault: records the calls. Otherwise the call with this index (0-based, over the whole run) gets it.
    void Arm(std::size_t index, Fault fault) {
        target_ = index;
        fault_ = fault;
    }
    // Called by every method first: the fault for this call.
    Fault Next(const char* site, bool read);
    const std::vector<Call>& Calls() const { return calls_; }
    bool Injected() const { return injected_; }

private:
    std::vector<Call> calls_;
    std::size_t target_ = 0;
    Fault fault_ = Fault::None;
    bool injected_ = false;
};

// The call sites, "Interface::Method", in the order the wrappers declare them.
const std::vector<std::string>& FaultSites();

class FaultyPlatform {
public:
    FaultyPlatform(Platform& inner, FaultPlan& plan);
    ~FaultyPlatform();
    FaultyPlatform(const FaultyPlatform&) = delete;
    FaultyPlatform& operator=(const FaultyPlatform&) = delete;
    Platform& platform();

private:
    struct Parts;
    Parts* parts_;
};
