// An in-memory Windows for tests: case-insensitive files and directories, profiles with the real rules,
// registry, spooler, processes, resources, version and language. Each part can be told to fail.
#pragma once
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "platform/Platform.h"

// Upper-cased, backslash-separated, without a trailing backslash (except a drive root "C:\").
std::string NormalizeMemoryPath(const std::string& path);

class MemoryFileSystem : public IFileSystem {
public:
    MemoryFileSystem();
    Status MakeDirectory(const std::string& path) override;
    Status RemoveFile(const std::string& path) override;
    Status RemoveAtRestart(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
    bool ReadWholeFile(const std::string& path, Bytes& out) override;
    bool WriteWholeFile(const std::string& path, const Bytes& data) override;
    Status WriteNewFile(const std::string& path, const Bytes& data) override;
    Status Inspect(const std::string& path, PathState& state) override;
    bool FindFiles(const std::string& pattern, std::vector<FoundFile>& out) override;
    bool SetCurrentDir(const std::string& path) override;
    bool HoldDirectory(const std::string& path, HeldHandle& held) override;
    Status HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) override;
    Status ReadHeld(HeldHandle held, Bytes& out) override;
    Status DeleteHeld(HeldHandle held) override;
    bool CreateHeldFile(const std::string& path, HeldHandle& held) override;
    bool AppendHeld(HeldHandle held, const Bytes& data) override;
    void Release(HeldHandle held) override;
    std::string CurrentDir() const { return currentDir_; }
    std::size_t HeldCount() const { return held_.size(); }  // handles the program has not released
    bool IsHeld(const std::string& path) const;             // some handle of the program is on path

    // Test controls and inspection.
    bool Exists(const std::string& path) const;
    bool IsDirectory(const std::string& path) const;
    bool Contents(const std::string& path, Bytes& out) const;  // false when no such file
    void Put(const std::string& path, const Bytes& data);       // creates the parent directories too
    void PutDirectories(const std::string& path);               // creates the directory and its parents
    void SetReadOnlyDirectory(const std::string& dir, bool readOnly = true);  // nothing in it can change
    void SetUnreadable(const std::string& path, bool unreadable = true);
    void SetAttributes(const std::string& path, std::uint32_t attributes);  // read-only, hidden, system
    // A second name for an existing file: both names share one content from then on.
    void HardLink(const std::string& existing, const std::string& newName);
    // A directory junction at path: everything below it is in target (which need not exist).
    void Junction(const std::string& path, const std::string& target);
    // Another process holds the file open, sharing it as the kShare* bits say (0: no sharing at all).
    void HoldOpen(const std::string& path, unsigned share);
    static constexpr unsigned kShareRead = 1, kShareWrite = 2, kShareDelete = 4;
    // A sparse file: Inspect reports this size, and reading a file over 1 GB runs out of memory.
    void SetApparentSize(const std::string& path, std::uint64_t size);
    long long freeSpace = -1;  // bytes that still fit on the disk; -1: no limit
    std::vector<std::string> removeAtRestart;  // files to go at the next restart, as named
    // Another process at work: called after every change with its log line, and before every read.
    std::function<void(const std::string& logLine)> onChange;
    std::function<void(const std::string& path)> onRead;
    // Called with the path at the start of every call of the program's (not of the Other* calls below).
    std::function<void(const std::string& path)> onTouch;
    // Another user's process at work, with the sharing rules: each fails, changing nothing, where a handle
    // the program holds (or a read-only attribute or directory) refuses it. OtherReplace removes what is at
    // path and creates a new file there; OtherWrite writes a file in place (through all its names);
    // OtherJunction moves a directory away (with everything below it) and puts a junction to target in its
    // place, refused while the directory or anything below it is held; OtherHardLink gives an existing file
    // a second name at newName, removing what had that name first.
    bool OtherReplace(const std::string& path, const Bytes& data);
    bool OtherWrite(const std::string& path, const Bytes& data);
    bool OtherJunction(const std::string& dir, const std::string& target);
    bool OtherHardLink(const std::string& existing, const std::string& newName);
    // Renames a file or a directory (with everything below it) to a free name; refused while it or anything
    // below it is held.
    bool OtherRename(const std::string& from, const std::string& to);
    std::vector<std::string> AllFiles() const;                  // full paths as first spelt, sorted
    std::vector<std::string> Log() const { return log_; }       // "write X", "delete X", "mkdir X", "copy X -> Y"
    void ClearLog() { log_.clear(); }

private:
    struct Node {
        Node(std::string spelling_ = std::string(), bool isDirectory_ = false, Bytes data_ = Bytes())
            : spelling(std::move(spelling_)), isDirectory(isDirectory_), data(std::move(data_)) {}
        std::string spelling;  // full path as first created
        bool isDirectory = false;
        Bytes data;
        std::uint32_t attributes = 0;
        int linkGroup = 0;          // names of one file share a group (0: a single name)
        std::string junctionTarget;  // normalized; set for a junction
    };
    // The normalized path with every junction on the way followed (the last component's only when followLast).
    std::string Resolve(const std::string& path, bool followLast = true) const;
    void Logged(const std::string& line);
    bool Shares(const std::string& norm, unsigned share) const;  // no other handle, or one that shares this
    bool Reserve(std::size_t bytes);                             // takes disk space; false when full
    void SetData(Node& node, const Bytes& data);                 // through every name of the file
    std::uint32_t Links(const Node& node) const;                 // names of the file
    PathState Describe(const std::string& norm, const Node& node) const;  // what a look at it tells
    std::string FullPath(const std::string& path) const;
    bool ParentWritable(const std::string& norm) const;
    Status ParentStatus(const std::string& norm) const;   // why nothing can be made in the parent of norm
    Status MissingStatus(const std::string& norm) const;  // nothing at norm: file or path not found
    std::map<std::string, Node> nodes_;
    std::set<std::string> readOnlyDirs_;
    std::set<std::string> unreadable_;
    std::map<std::string, unsigned> openElsewhere_;
    std::map<std::string, std::uint64_t> apparentSize_;
    struct Held {
        std::string norm;
        bool directory = false;
        bool forDelete = false;
        bool deletePending = false;
    };
    void Touch(const std::string& path) {
        if (onTouch) onTouch(path);
    }
    bool HeldByUs(const std::string& norm) const;              // a file or directory handle on exactly norm
    bool HeldFileForDelete(const std::string& norm) const;     // a file handle with delete access on norm
    bool HeldAtOrBelow(const std::string& norm) const;         // a handle on norm or on anything below it
    std::map<HeldHandle, Held> held_;
    HeldHandle nextHeld_ = 0x300;
    int nextLinkGroup_ = 1;
    std::string currentDir_ = "C:\\";
    std::vector<std::string> log_;
};

class MemoryProfile : public IProfile {
public:
    explicit MemoryProfile(MemoryFileSystem& files) : files_(files) {}
    std::uint32_t ReadString(const std::string& section, const std::string& key, const std::string& def,
                             std::string& out, std::uint32_t bufferSize, const std::string& file) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& file) override;

private:
    MemoryFileSystem& files_;
};

class MemoryResources : public IResources {
public:
    bool LoadOwnerData(std::uint16_t id, Bytes& out) override;
    std::map<std::uint16_t, Bytes> entries;
    std::set<std::uint16_t> unloadable;  // present but LoadResource fails
};

class MemorySystemInfo : public ISystemInfo {
public:
    std::uint32_t PackedVersion() override { return packedVersion; }
    bool VersionRecord(OsVersion& v) override;
    std::uint16_t SystemDefaultLangId() override { return langId; }
    std::string ModulePath() override { return modulePath; }
    std::string WindowsDir() override { return windowsDir; }
    std::string SystemDir() override { return systemDir; }
    std::uint32_t AnsiCodePage() override { return codePage; }
    bool IsAdministrator() override { return administrator; }
    bool RunsUnderWow64() override { return wow64; }
    std::uint16_t NativeArchitecture() override { return nativeArchitecture; }
    // Code page 1252 as Latin-1 (its 0x80..0x9F aside); in any other code page only ASCII converts.
    std::string AnsiToUtf8(const std::string& text) override;
    std::string LocalTime() override { return localTime; }

    // Sets both the packed number and the record of an NT release (platform 2) or a non-NT one (1).
    void SetVersion(std::uint32_t major, std::uint32_t minor, bool nt, std::uint32_t build = 0);

    std::uint32_t packedVersion = 0x0A280105;  // Windows XP
    OsVersion record{5, 1, 2600, 2};
    bool versionExFails = false;
    std::uint16_t langId = 0x0409;
    std::string modulePath = "C:\\Setup\\setup.exe";
    std::string windowsDir = "C:\\WINDOWS";
    std::string systemDir = "C:\\WINDOWS\\system32";
    std::uint32_t codePage = 1252;
    bool administrator = true;
    bool wow64 = false;
    std::uint16_t nativeArchitecture = kProcessorIntel;
    std::string localTime = "2010-06-01 09:30:00";
};

class MemoryRegistry : public IRegistry {
public:
    bool CreateKey(const std::string& path, RegKeyHandle& key) override;
    Status OpenKey(const std::string& path, RegKeyHandle& key) override;
    Status SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type, const unsigned char* data,
                    std::uint32_t size) override;
    Status DeleteValue(RegKeyHandle key, const std::string& name) override;
    void CloseKey(RegKeyHandle key) override;
    bool ReadString(const std::string& path, const std::string& name, std::string& text) override;
    Status DeleteKey(const std::string& path) override;
    // A value as stored (type and raw bytes).
    bool QueryValue(const std::string& path, const std::string& name, std::uint32_t& type, Bytes& data) const;

    struct Value {
        std::uint32_t type = 0;
        Bytes data;
    };
    bool KeyExists(const std::string& path) const;
    std::vector<std::string> KeyPaths() const;  // every key, upper-cased
    std::vector<std::string> ValueNames(const std::string& path) const;  // in the order first written
    std::size_t OpenHandles() const { return handles_.size(); }
    bool denyWrites = false;  // as for a user without rights under HKLM
    std::set<std::string> deniedValues;  // upper-cased names of values that cannot be written (access denied)

private:
    struct Key {
        std::vector<std::string> order;
        std::map<std::string, Value> values;  // by upper-cased name
    };
    std::map<std::string, Key> keys_;  // by upper-cased path
    std::map<RegKeyHandle, std::string> handles_;
    RegKeyHandle next_ = 0x100;
};

class MemorySpooler : public ISpooler {
public:
    void UseEnvironment(const std::string& name) override { environment = name; }
    Status DriverDirectory(std::string& dir) override;
    std::uint32_t LocalPrintersBytesNeeded() override;
    bool EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) override;
    bool EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& records,
                                 std::uint32_t& lastError) override;
    Status EnumInstalledDrivers(std::vector<InstalledDriver>& list) override;
    Status DeleteLocalPrinter(const std::string& name) override;
    Status DeleteDriver(const std::string& name) override;
    bool OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) override;
    bool RemoveForm(PrinterHandle handle, const std::string& form) override;
    void ClosePrinterHandle(PrinterHandle handle) override;
    Status EnumPortNames(std::vector<std::string>& list) override;
    bool AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                      std::uint32_t& error) override;
    bool DeleteTcpIpPort(const std::string& name, std::uint32_t& error) override;

    std::string environment = kEnvironmentX86;  // the one the driver calls work on
    std::string driverDirectory = "C:\\WINDOWS\\system32\\spool\\drivers\\w32x86";
    std::string x64DriverDirectory = "C:\\WINDOWS\\system32\\spool\\drivers\\x64";
    bool driverDirectoryFails = false;
    std::vector<std::string> printers;          // local printers in enumeration order
    std::map<std::string, std::string> driverOf;  // a printer's driver by its name as listed ("" when absent)
    std::map<std::string, std::string> portOf;  // a printer's port by its name as listed ("" when absent)
    std::vector<InstalledDriver> drivers;       // installed drivers of "Windows NT x86"
    // The ports as a fresh Wine prefix lists them; a plugged-in USB printer adds USB001 and so on.
    std::vector<std::string> ports{"COM1:", "COM2:", "COM3:", "COM4:", "FILE:", "LPT1:", "LPT2:", "LPT3:"};
    bool portEnumerationFails = false;
    bool tcpMonitorMissing = false;             // no "Standard TCP/IP Port" monitor
    struct TcpPort {
        std::string address;
        std::uint32_t portNumber = 0;
    };
    std::map<std::string, TcpPort> tcpPorts;    // the Standard TCP/IP ports by name
    std::vector<InstalledDriver> x64Drivers;    // installed drivers of "Windows x64"
    bool driverEnumerationFails = false;
    std::set<std::string> undeletable;          // printers and drivers whose deletion is refused
    int failEnumerationNumber = 0;              // the n-th filling call (1-based) fails; 0: none
    std::uint32_t enumerationError = 5;         // ERROR_ACCESS_DENIED
    bool reportZeroSize = false;                // the size call answers 0 even with printers
    std::set<std::string> forms{"papersize(58x420mm)"};
    std::vector<std::string> removedForms;
    std::vector<std::string> appearBeforeFill;  // printers added just before the next filling call
    std::vector<std::uint32_t> openedWithAccess;
    std::size_t OpenHandles() const { return handles_.size(); }
    int fillCalls = 0;

private:
    // The installed drivers of the chosen environment; null for an environment this spooler does not know.
    std::vector<InstalledDriver>* Drivers();
    std::map<PrinterHandle, std::uint32_t> handles_;  // handle -> granted access
    PrinterHandle next_ = 0x200;
};

class MemoryProcesses : public IProcesses {
public:
    RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override;
    RunOutcome RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) override;
    Status StartHidden(const std::string& commandLine) override;
    void Pause(std::uint32_t ms) override { pauses.push_back(ms); }

    // What a started command does; the default creates nothing and ends at once.
    std::function<RunOutcome(const std::string& commandLine)> onRun;
    struct Run {
        std::string commandLine;
        std::string currentDir;
        std::uint32_t timeoutMs = 0;
        bool waited = false;  // false: started without waiting
        bool native = false;  // started with the WOW64 file system redirection off
    };
    std::vector<Run> runs;
    std::vector<std::uint32_t> pauses;
    bool startFails = false;
    std::uint32_t startError = kErrorFileNotFound;  // what a start that fails (or creates nothing) fails with
    bool redirectionCannotBeTurnedOff = false;  // RunHiddenNative then starts nothing
    // Whether a command line can be started at all (its program exists); empty: every command starts.
    std::function<bool(const std::string& commandLine)> canStart;
    MemoryFileSystem* files = nullptr;  // to record the current directory of each start
};

class MemoryUserInterface : public IUserInterface {
public:
    void ShowAppMessage(const std::string& text) override;
    void ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    std::string SystemMessageText(std::uint32_t code) override;
    void PostQuitToMainWindow() override {
        ++quitPosted;
        events.push_back("quit");
    }

    struct Message {
        std::string text;
        std::string caption;   // empty for application messages
        std::uint32_t flags = 0;
        bool appMessage = false;
    };
    std::vector<Message> messages;
    std::function<void(Message)> onMessage;   // while the box is up
    bool answerYes = true;                    // what AskYesNo answers
    int quitPosted = 0;
    // Every event in order: "message:<text>", "quit".
    std::vector<std::string> events;
};

// The whole in-memory Windows, wired into one Platform.
class MemoryWindows {
public:
    MemoryWindows();
    MemoryWindows(const MemoryWindows&) = delete;
    MemoryWindows& operator=(const MemoryWindows&) = delete;

    MemoryFileSystem files;
    MemoryProfile profile{files};
    MemoryResources resources;
    MemorySystemInfo system;
    MemoryRegistry registry;
    MemorySpooler spooler;
    MemoryProcesses processes;
    MemoryUserInterface ui;
    Platform platform{files, profile, resources, system, registry, spooler, processes, ui};
};
