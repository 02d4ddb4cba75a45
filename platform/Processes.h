// Starting other programs hidden.
#pragma once
#include "platform/Types.h"

enum class RunOutcome {
    NotCreated,  // CreateProcessA failed (its error in the error argument)
    Ended,       // the process ended within the limit
    TimedOut,    // the wait timed out or failed; the process was ended (TerminateProcess)
};

class IProcesses {
public:
    virtual ~IProcesses() = default;
    // CreateProcessA (hidden window), then WaitForSingleObject with the limit; a process still running then is
    // ended (TerminateProcess) and waited for a little; handles are closed. NotCreated sets error to the
    // error CreateProcessA failed with; the other outcomes set it to 0.
    virtual RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) = 0;
    // RunHidden with the WOW64 file system redirection of this thread turned off around CreateProcessA alone
    // (Wow64DisableWow64FsRedirection, then Wow64RevertWow64FsRedirection at once; both looked up at run time),
    // so that a program in the system directory is the 64-bit one. NotCreated when redirection cannot be
    // turned off (error: the error of that call).
    virtual RunOutcome RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs,
                                       std::uint32_t& error) = 0;
    // WinExec(commandLine, SW_HIDE): does not wait. WinExec's result below 32 is its error code (0: out of
    // resources, ERROR_NOT_ENOUGH_MEMORY 8 in the Status).
    virtual Status StartHidden(const std::string& commandLine) = 0;
    // Sleep.
    virtual void Pause(std::uint32_t ms) = 0;
};
