// Files, directories and private profiles.
#include "platform/win32/Win32Platform.h"

#include <algorithm>

#include "platform/win32/SystemLibrary.h"

// ---- files -------------------------------------------------------------------------------------------

Status Win32FileSystem::MakeDirectory(const std::string& path) {
    return CreateDirectoryA(path.c_str(), nullptr) ? Status() : LastFailure();
}

Status Win32FileSystem::RemoveFile(const std::string& path) {
    return DeleteFileA(path.c_str()) ? Status() : LastFailure();
}

Status Win32FileSystem::RemoveAtRestart(const std::string& path) {
    return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) ? Status() : LastFailure();
}

bool Win32FileSystem::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    return CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

bool Win32FileSystem::ReadWholeFile(const std::string& path, Bytes& out) {
    out.clear();
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) {
        ok = false;  // unknown size, or far more than anything the installation reads
    } else {
        // Straight into the result, up to the size it has now; whatever it grew by since is read on to its end.
        out.resize(low);
        std::size_t done = 0;
        while (done < out.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 20));
            if (!ReadFile(file, out.data() + done, want, &got, nullptr)) {
                ok = false;
                break;
            }
            if (got == 0) break;
            done += got;
        }
        out.resize(done);
        unsigned char chunk[16384];
        while (ok) {
            DWORD got = 0;
            if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
                ok = false;
                break;
            }
            if (got == 0) break;
            out.insert(out.end(), chunk, chunk + got);
        }
    }
    CloseHandle(file);
    if (!ok) out.clear();
    return ok;
}

namespace {

// The link count and the attributes of an open file. Asked with NtQueryInformationFile (FileStandardInformation,
// FileBasicInformation), which every Windows NT has, looked up in ntdll (loaded in every process); when it is
// missing or refuses (a handle without read-attributes access), with GetFileInformationByHandle, which
// answers the same but also asks the volume for its serial number: under Wine that is a round trip to the
// mount manager, about 0.6 ms a call against 0.01 to 0.03 ms.
struct IoStatus {
    union {
        LONG status;
        void* pointer;
    };
    ULONG_PTR information;
};
struct StandardInformation {  // FILE_STANDARD_INFORMATION
    LARGE_INTEGER allocationSize, endOfFile;
    ULONG numberOfLinks;
    BOOLEAN deletePending, directory;
};
struct BasicInformation {  // FILE_BASIC_INFORMATION
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    ULONG fileAttributes;
};
using NtQueryInformationFileFn = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileBasicInformation = 4, kFileStandardInformation = 5;

// What a handle tells of its file. False when it cannot tell; then the thread's last error says why.
bool HandleFacts(HANDLE file, DWORD& links, DWORD* attributes, std::uint64_t* size = nullptr) {
    static const auto query =
        SystemProc<NtQueryInformationFileFn>(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile");
    if (query) {
        IoStatus io;
        StandardInformation standard;
        BasicInformation basic;
        if (query(file, &io, &standard, sizeof standard, kFileStandardInformation) >= 0 &&
            (!attributes || query(file, &io, &basic, sizeof basic, kFileBasicInformation) >= 0)) {
            links = standard.numberOfLinks;
            if (attributes) *attributes = basic.fileAttributes;
            if (size) *size = static_cast<std::uint64_t>(standard.endOfFile.QuadPart);
            return true;
        }
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file, &info)) return false;
    links = info.nNumberOfLinks;
    if (attributes) *attributes = info.dwFileAttributes;
    if (size) *size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    return true;
}

// The access list of every file the program creates: Administrators and SYSTEM full control, Users read and
// execute (a driver's user-interface files are loaded into users' processes), no one else anything; not
// inherited from a directory that other users may control. Built once, from its text (Windows 2000 and later).
SECURITY_ATTRIBUTES* PrivateFileSecurity() {
    using ConvertFn = BOOL(WINAPI*)(LPCSTR, DWORD, PSECURITY_DESCRIPTOR*, PULONG);
    static SECURITY_ATTRIBUTES attributes;
    static SECURITY_ATTRIBUTES* made = [] () -> SECURITY_ATTRIBUTES* {
        const auto convert = SystemProc<ConvertFn>(GetModuleHandleA("advapi32.dll"),
                                                   "ConvertStringSecurityDescriptorToSecurityDescriptorA");
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!convert || !convert("D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)", 1, &descriptor, nullptr))
            return nullptr;  // no access lists to give: the file system's own rules apply
        attributes.nLength = sizeof attributes;
        attributes.lpSecurityDescriptor = descriptor;  // kept for the life of the process
        attributes.bInheritHandle = FALSE;
        return &attributes;
    }();
    return made;
}

// Writes all bytes and closes the handle; the error of the first write or of the close that failed (a write
// that puts fewer bytes than asked without an error: ERROR_DISK_FULL).
Status WriteAllAndClose(HANDLE file, const Bytes& data) {
    Status status;
    std::size_t done = 0;
    while (status && done < data.size()) {
        DWORD put = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        if (!WriteFile(file, data.data() + done, want, &put, nullptr)) status = LastFailure();
        else if (put != want) status = FailedWith(ERROR_DISK_FULL);
        done += put;
    }
    if (!CloseHandle(file) && status) status = LastFailure();
    return status;
}

}  // namespace

bool Win32FileSystem::WriteWholeFile(const std::string& path, const Bytes& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return WriteAllAndClose(file, data);
}

Status Win32FileSystem::WriteNewFile(const std::string& path, const Bytes& data) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, PrivateFileSecurity(), CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastFailure();
    // A new file has one name; anything else means the name was not the file just created.
    DWORD links = 0, attributes = 0;
    Status status;
    if (!HandleFacts(file, links, &attributes)) status = LastFailure();
    else if (links != 1 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) status = FailedWith(ERROR_FILE_EXISTS);
    if (status) {
        status = WriteAllAndClose(file, data);
        if (status) return status;
    } else {
        CloseHandle(file);
    }
    DeleteFileA(path.c_str());  // the error that counts is the one taken above
    return status;
}

Status Win32FileSystem::Inspect(const std::string& path, PathState& state) {
    state = PathState();
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Status() : FailedWith(error);
    }
    state.exists = true;
    state.attributes = attributes;
    state.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state.isReparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (state.isDirectory) return Status();
    // Opened for no access at all, so that a file held open by another process can still be looked at.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastFailure();
    DWORD links = 0;
    std::uint64_t size = 0;
    const Status known = HandleFacts(file, links, nullptr, &size) ? Status() : LastFailure();
    CloseHandle(file);
    if (known) {
        state.links = links;
        state.size = size;
    }
    return known;
}

bool Win32FileSystem::FindFiles(const std::string& pattern, std::vector<FoundFile>& out) {
    out.clear();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        out.push_back(FoundFile{found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

bool Win32FileSystem::SetCurrentDir(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

// ---- held handles ------------------------------------------------------------------------------------

namespace {

HANDLE AsHandle(HeldHandle held) { return reinterpret_cast<HANDLE>(held); }

struct DispositionInformation {  // FILE_DISPOSITION_INFORMATION
    BOOLEAN deleteFile;
};
using NtSetInformationFileFn = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileDispositionInformation = 13;

}  // namespace

bool Win32FileSystem::HoldDirectory(const std::string& path, HeldHandle& held) {
    held = 0;
    HANDLE dir = CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (dir == INVALID_HANDLE_VALUE) return false;
    DWORD links = 0, attributes = 0;
    if (!HandleFacts(dir, links, &attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(dir);
        return false;
    }
    held = reinterpret_cast<HeldHandle>(dir);
    return true;
}

Status Win32FileSystem::HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) {
    held = 0;
    state = PathState();
    const DWORD access = GENERIC_READ | (forDelete ? DELETE : 0);
    HANDLE file = CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return LastFailure();
    DWORD links = 0, attributes = 0;
    std::uint64_t size = 0;
    if (!HandleFacts(file, links, &attributes, &size)) {
        const Status failure = LastFailure();
        CloseHandle(file);
        return failure;
    }
    state.exists = true;
    state.attributes = attributes;
    state.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    state.isReparsePoint = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    state.links = state.isDirectory ? 0 : links;
    state.size = state.isDirectory ? 0 : size;
    held = reinterpret_cast<HeldHandle>(file);
    return Status();
}

bool Win32FileSystem::CreateHeldFile(const std::string& path, HeldHandle& held) {
    held = 0;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, PrivateFileSecurity(), CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD links = 0, attributes = 0;
    if (!HandleFacts(file, links, &attributes) || links != 1 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        CloseHandle(file);
        DeleteFileA(path.c_str());
        return false;
    }
    held = reinterpret_cast<HeldHandle>(file);
    return true;
}

bool Win32FileSystem::AppendHeld(HeldHandle held, const Bytes& data) {
    HANDLE file = AsHandle(held);
    if (held == 0 || (SetFilePointer(file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR))
        return false;
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < data.size()) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(data.size() - done, 1u << 20));
        ok = WriteFile(file, data.data() + done, want, &put, nullptr) && put == want;
        done += put;
    }
    return ok && FlushFileBuffers(file);
}

Status Win32FileSystem::ReadHeld(HeldHandle held, Bytes& out) {
    out.clear();
    HANDLE file = AsHandle(held);
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        const DWORD error = GetLastError();
        if (error != NO_ERROR) return FailedWith(error);
    }
    unsigned char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            const Status failure = LastFailure();
            out.clear();
            return failure;
        }
        if (got == 0) return Status();
        out.insert(out.end(), chunk, chunk + got);
    }
}

Status Win32FileSystem::DeleteHeld(HeldHandle held) {
    static const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    static const auto setInformation = SystemProc<NtSetInformationFileFn>(ntdll, "NtSetInformationFile");
    static const auto toWin32 = SystemProc<ULONG(WINAPI*)(LONG)>(ntdll, "RtlNtStatusToDosError");
    if (!setInformation) return FailedWith(ERROR_PROC_NOT_FOUND);
    IoStatus io;
    DispositionInformation disposition{TRUE};
    const LONG status = setInformation(AsHandle(held), &io, &disposition, sizeof disposition, kFileDispositionInformation);
    if (status >= 0) return Status();
    return FailedWith(toWin32 ? toWin32(status) : ERROR_ACCESS_DENIED);
}

void Win32FileSystem::Release(HeldHandle held) {
    if (held != 0) CloseHandle(AsHandle(held));
}

// ---- private profiles --------------------------------------------------------------------------------

std::uint32_t Win32Profile::ReadString(const std::string& section, const std::string& key, const std::string& def,
                                       std::string& out, std::uint32_t bufferSize, const std::string& file) {
    out.clear();
    if (bufferSize == 0) return 0;
    std::vector<char> buf(bufferSize, '\0');
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buf.data(), bufferSize, file.c_str());
    if (n >= bufferSize) n = bufferSize - 1;
    out.assign(buf.data(), n);
    return n;
}

bool Win32Profile::WriteString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}
