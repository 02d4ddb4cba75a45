#include "platform/memory/MemoryWindows.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "platform/ProfileText.h"

namespace {

std::string Upper(const std::string& s) {
    std::string r = s;
    for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return r;
}

std::string ParentOf(const std::string& norm) {
    std::size_t slash = norm.rfind('\\');
    if (slash == std::string::npos) return std::string();
    if (slash == 2 && norm.size() > 1 && norm[1] == ':') return norm.substr(0, 3);  // "C:\"
    return norm.substr(0, slash);
}

std::string LeafOf(const std::string& path) {
    std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsDriveRoot(const std::string& norm) { return norm.size() == 3 && norm[1] == ':' && norm[2] == '\\'; }

// More of the codes Windows fails with here.
constexpr std::uint32_t kErrorInvalidFunction = 1;          // ERROR_INVALID_FUNCTION
constexpr std::uint32_t kErrorInvalidName = 123;            // ERROR_INVALID_NAME
constexpr std::uint32_t kErrorServerUnavailable = 1722;     // RPC_S_SERVER_UNAVAILABLE: the spooler is not running
constexpr std::uint32_t kErrorInvalidEnvironment = 1805;    // ERROR_INVALID_ENVIRONMENT
constexpr std::uint32_t kErrorInvalidPrinterName = 1801;    // ERROR_INVALID_PRINTER_NAME
constexpr std::uint32_t kErrorUnknownPrinterDriver = 1797;  // ERROR_UNKNOWN_PRINTER_DRIVER
constexpr std::uint32_t kErrorPrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE

// Case-insensitive match of '*' and '?' against a whole name.
bool WildcardMatch(const char* p, const char* n) {
    if (*p == '\0') return *n == '\0';
    if (*p == '*') {
        for (const char* s = n;; ++s) {
            if (WildcardMatch(p + 1, s)) return true;
            if (*s == '\0') return false;
        }
    }
    if (*n == '\0') return false;
    if (*p != '?' && std::toupper(static_cast<unsigned char>(*p)) != std::toupper(static_cast<unsigned char>(*n)))
        return false;
    return WildcardMatch(p + 1, n + 1);
}

}  // namespace

std::string NormalizeMemoryPath(const std::string& path) {
    std::string r;
    for (char c : path) {
        char d = (c == '/') ? '\\' : c;
        if (d == '\\' && !r.empty() && r.back() == '\\') continue;
        r.push_back(d);
    }
    r = Upper(r);
    while (r.size() > 3 && r.back() == '\\') r.pop_back();
    if (r.size() == 2 && r[1] == ':') r.push_back('\\');
    return r;
}

// ---- files -------------------------------------------------------------------------------------------

MemoryFileSystem::MemoryFileSystem() {
    nodes_["C:\\"] = Node{"C:\\", true, {}};
}

std::string MemoryFileSystem::Resolve(const std::string& path, bool followLast) const {
    std::string norm = NormalizeMemoryPath(FullPath(path));
    for (int hops = 0; hops < 32; ++hops) {
        bool followed = false;
        for (const auto& [key, node] : nodes_) {
            if (node.junctionTarget.empty()) continue;
            const bool below = norm.size() > key.size() && norm.compare(0, key.size(), key) == 0 && norm[key.size()] == '\\';
            if (below || (followLast && norm == key)) {
                norm = node.junctionTarget + norm.substr(key.size());
                followed = true;
                break;
            }
        }
        if (!followed) break;
    }
    return norm;
}

void MemoryFileSystem::Logged(const std::string& line) {
    log_.push_back(line);
    if (onChange) onChange(line);
}

bool MemoryFileSystem::Shares(const std::string& norm, unsigned share) const {
    auto it = openElsewhere_.find(norm);
    return it == openElsewhere_.end() || (it->second & share) == share;
}

bool MemoryFileSystem::Reserve(std::size_t bytes) {
    if (freeSpace < 0) return true;
    if (static_cast<long long>(bytes) > freeSpace) return false;
    freeSpace -= static_cast<long long>(bytes);
    return true;
}

std::uint32_t MemoryFileSystem::Links(const Node& node) const {
    if (node.linkGroup == 0) return 1;
    return static_cast<std::uint32_t>(std::count_if(
        nodes_.begin(), nodes_.end(), [&](const auto& n) { return n.second.linkGroup == node.linkGroup; }));
}

void MemoryFileSystem::SetData(Node& node, const Bytes& data) {
    if (node.linkGroup == 0) {
        node.data = data;
        return;
    }
    for (auto& [key, other] : nodes_)
        if (other.linkGroup == node.linkGroup) other.data = data;
}

// What GetFullPathNameA makes of path: relative to the current directory, "." and ".." resolved, backslashes,
// no trailing backslash except at a drive root, the caller's spelling kept.
std::string MemoryFileSystem::FullPath(const std::string& path) const {
    std::string combined;
    if (path.size() >= 2 && path[1] == ':') combined = path;
    else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) combined = currentDir_.substr(0, 2) + path;
    else combined = currentDir_ + "\\" + path;
    std::vector<std::string> parts;
    std::string part;
    for (std::size_t i = 2; i <= combined.size(); ++i) {
        if (i == combined.size() || combined[i] == '\\' || combined[i] == '/') {
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            part.clear();
        } else {
            part.push_back(combined[i]);
        }
    }
    std::string full = combined.substr(0, 2) + "\\";
    for (std::size_t i = 0; i < parts.size(); ++i) full += (i ? "\\" : "") + parts[i];
    return full;
}

bool MemoryFileSystem::ParentWritable(const std::string& norm) const { return ParentStatus(norm); }

Status MemoryFileSystem::ParentStatus(const std::string& norm) const {
    std::string parent = ParentOf(norm);
    if (parent.empty()) return FailedWith(kErrorPathNotFound);
    auto it = nodes_.find(parent);
    if (it == nodes_.end() || !it->second.isDirectory) return FailedWith(kErrorPathNotFound);
    return readOnlyDirs_.count(parent) == 0 ? Status() : FailedWith(kErrorAccessDenied);
}

Status MemoryFileSystem::MissingStatus(const std::string& norm) const {
    return nodes_.count(ParentOf(norm)) ? FailedWith(kErrorFileNotFound) : FailedWith(kErrorPathNotFound);
}

Status MemoryFileSystem::MakeDirectory(const std::string& path) {
    Touch(path);
    std::string norm = Resolve(path);
    if (path.empty()) return FailedWith(kErrorPathNotFound);
    if (nodes_.count(norm)) return FailedWith(kErrorAlreadyExists);
    if (const Status parent = ParentStatus(norm); !parent) return parent;
    nodes_[norm] = Node{FullPath(path), true, {}};
    Logged("mkdir " + path);
    return Status();
}

Status MemoryFileSystem::RemoveFile(const std::string& path) {
    Touch(path);
    std::string norm = Resolve(path, false);
    auto it = nodes_.find(norm);
    if (it == nodes_.end()) return MissingStatus(norm);
    if (it->second.isDirectory || readOnlyDirs_.count(ParentOf(norm)) || (it->second.attributes & kAttributeReadOnly))
        return FailedWith(kErrorAccessDenied);
    if (HeldByUs(norm) || !Shares(norm, kShareDelete)) return FailedWith(kErrorSharingViolation);
    if (freeSpace >= 0 && Links(it->second) == 1) freeSpace += static_cast<long long>(it->second.data.size());
    nodes_.erase(it);
    Logged("delete " + path);
    return Status();
}

Status MemoryFileSystem::RemoveAtRestart(const std::string& path) {
    Touch(path);
    const std::string norm = Resolve(path, false);
    auto it = nodes_.find(norm);
    if (it == nodes_.end()) return MissingStatus(norm);
    if (it->second.isDirectory) return FailedWith(kErrorAccessDenied);
    removeAtRestart.push_back(path);
    Logged("delete at restart " + path);
    return Status();
}

bool MemoryFileSystem::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    Touch(from);
    Touch(to);
    std::string src = Resolve(from), dst = Resolve(to);
    auto it = nodes_.find(src);
    if (it == nodes_.end() || it->second.isDirectory || unreadable_.count(src) || !Shares(src, kShareRead) ||
        HeldFileForDelete(src))
        return false;
    auto dt = nodes_.find(dst);
    if (dt != nodes_.end() && (failIfExists || dt->second.isDirectory || HeldByUs(dst))) return false;
    if (dt != nodes_.end() && ((dt->second.attributes & (kAttributeReadOnly | kAttributeHidden)) || !Shares(dst, kShareWrite)))
        return false;
    if (!ParentWritable(dst)) return false;
    // One copy of the bytes: no temporary (map insertions leave the source valid; a copy onto the same
    // file changes nothing).
    const Bytes& data = it->second.data;
    if (!Reserve(data.size())) return false;
    if (dt == nodes_.end()) nodes_[dst] = Node{FullPath(to), false, data};
    else if (dt != it) SetData(dt->second, data);  // an existing destination is written in place, through all its names
    Logged("copy " + from + " -> " + to);
    return true;
}

bool MemoryFileSystem::ReadWholeFile(const std::string& path, Bytes& out) {
    Touch(path);
    if (onRead) onRead(path);
    if (apparentSize_.count(Resolve(path)) && apparentSize_.at(Resolve(path)) > (1u << 30)) throw std::bad_alloc();
    std::string norm = Resolve(path);
    auto it = nodes_.find(norm);
    if (it == nodes_.end() || it->second.isDirectory || unreadable_.count(norm) || !Shares(norm, kShareRead) ||
        HeldFileForDelete(norm))
        return false;
    out = it->second.data;
    return true;
}

bool MemoryFileSystem::WriteWholeFile(const std::string& path, const Bytes& data) {
    Touch(path);
    std::string norm = Resolve(path);
    if (path.empty() || !ParentWritable(norm)) return false;
    auto it = nodes_.find(norm);
    if (it != nodes_.end()) {
        // CREATE_ALWAYS with normal attributes is refused on a read-only, hidden or system file.
        if (it->second.isDirectory || (it->second.attributes & (kAttributeReadOnly | kAttributeHidden | kAttributeSystem)) ||
            !Shares(norm, kShareWrite) || HeldByUs(norm) || !Reserve(data.size()))
            return false;
        SetData(it->second, data);
    } else {
        if (!Reserve(data.size())) return false;
        nodes_[norm] = Node{FullPath(path), false, data};
    }
    Logged("write " + path);
    return true;
}

Status MemoryFileSystem::WriteNewFile(const std::string& path, const Bytes& data) {
    Touch(path);
    std::string norm = Resolve(path);
    if (path.empty()) return FailedWith(kErrorPathNotFound);
    if (const Status parent = ParentStatus(norm); !parent) return parent;
    if (nodes_.count(Resolve(path, false)) || nodes_.count(norm)) return FailedWith(kErrorFileExists);
    if (!Reserve(data.size())) return FailedWith(kErrorDiskFull);
    nodes_[norm] = Node{FullPath(path), false, data};
    Logged("write " + path);
    return Status();
}

PathState MemoryFileSystem::Describe(const std::string& norm, const Node& node) const {
    PathState state;
    state.exists = true;
    state.isDirectory = node.isDirectory;
    state.isReparsePoint = !node.junctionTarget.empty();
    state.attributes = node.attributes | (node.isDirectory ? 0x10u : 0u) | (state.isReparsePoint ? 0x400u : 0u);
    if (!node.isDirectory) {
        state.size = apparentSize_.count(norm) ? apparentSize_.at(norm) : node.data.size();
        state.links = Links(node);
    }
    return state;
}

Status MemoryFileSystem::Inspect(const std::string& path, PathState& state) {
    Touch(path);
    state = PathState();
    if (path.empty()) return FailedWith(kErrorInvalidName);
    const std::string norm = Resolve(path, false);
    if (!nodes_.count(ParentOf(norm)) && !IsDriveRoot(norm)) return Status();  // the path does not exist
    auto it = nodes_.find(norm);
    if (it == nodes_.end()) return Status();
    state = Describe(norm, it->second);
    return Status();
}

bool MemoryFileSystem::FindFiles(const std::string& pattern, std::vector<FoundFile>& out) {
    Touch(pattern);
    out.clear();
    std::string norm = Resolve(pattern);
    std::string dir = ParentOf(norm);
    std::string leaf = LeafOf(pattern);
    auto d = nodes_.find(dir);
    if (d == nodes_.end() || !d->second.isDirectory) return false;
    if (WildcardMatch(leaf.c_str(), ".") && !IsDriveRoot(dir)) {
        out.push_back(FoundFile{".", true});
        out.push_back(FoundFile{"..", true});
    }
    for (const auto& [key, node] : nodes_) {
        if (key == dir || ParentOf(key) != dir) continue;
        std::string name = LeafOf(node.spelling);
        if (WildcardMatch(leaf.c_str(), name.c_str())) out.push_back(FoundFile{name, node.isDirectory});
    }
    return !out.empty();
}

bool MemoryFileSystem::SetCurrentDir(const std::string& path) {
    Touch(path);
    std::string norm = Resolve(path);
    auto it = nodes_.find(norm);
    if (it == nodes_.end() || !it->second.isDirectory) return false;
    currentDir_ = FullPath(path);
    return true;
}

// ---- held handles (the program's) and another user's process ------------------------------------------

bool MemoryFileSystem::HeldByUs(const std::string& norm) const {
    for (const auto& [handle, held] : held_)
        if (held.norm == norm) return true;
    return false;
}

bool MemoryFileSystem::HeldFileForDelete(const std::string& norm) const {
    for (const auto& [handle, held] : held_)
        if (held.norm == norm && held.forDelete) return true;
    return false;
}

bool MemoryFileSystem::HeldAtOrBelow(const std::string& norm) const {
    for (const auto& [handle, held] : held_)
        if (held.norm == norm || (held.norm.size() > norm.size() && held.norm.compare(0, norm.size(), norm) == 0 &&
                                  held.norm[norm.size()] == '\\'))
            return true;
    return false;
}

bool MemoryFileSystem::IsHeld(const std::string& path) const { return HeldByUs(Resolve(path, false)); }

bool MemoryFileSystem::HoldDirectory(const std::string& path, HeldHandle& held) {
    Touch(path);
    held = 0;
    const std::string norm = Resolve(path, false);
    auto it = nodes_.find(norm);
    if (path.empty() || it == nodes_.end() || !it->second.isDirectory || !it->second.junctionTarget.empty() ||
        !Shares(norm, kShareRead | kShareWrite))
        return false;
    held = nextHeld_++;
    held_[held] = Held{norm, true, false, false};
    return true;
}

Status MemoryFileSystem::HoldFile(const std::string& path, bool forDelete, HeldHandle& held, PathState& state) {
    Touch(path);
    held = 0;
    state = PathState();
    const std::string norm = Resolve(path, false);
    auto it = nodes_.find(norm);
    if (path.empty()) return FailedWith(kErrorPathNotFound);
    if (it == nodes_.end()) return MissingStatus(norm);
    if (unreadable_.count(norm)) return FailedWith(kErrorAccessDenied);
    // Read (and delete) access, sharing read only: refused by any handle that does not share those, and by
    // one of the program's own that has delete access or would be refused delete access.
    if (!Shares(norm, kShareRead | (forDelete ? kShareDelete : 0u)) || HeldFileForDelete(norm) ||
        (forDelete && HeldByUs(norm)))
        return FailedWith(kErrorSharingViolation);
    state = Describe(norm, it->second);
    held = nextHeld_++;
    held_[held] = Held{norm, state.isDirectory, forDelete, false};
    return Status();
}

Status MemoryFileSystem::ReadHeld(HeldHandle handle, Bytes& out) {
    out.clear();
    auto h = held_.find(handle);
    if (h == held_.end()) return FailedWith(kErrorInvalidHandle);
    if (h->second.directory) return FailedWith(kErrorInvalidFunction);  // ReadFile on a directory
    Touch(nodes_.count(h->second.norm) ? nodes_.at(h->second.norm).spelling : h->second.norm);
    if (apparentSize_.count(h->second.norm) && apparentSize_.at(h->second.norm) > (1u << 30)) throw std::bad_alloc();
    auto it = nodes_.find(h->second.norm);
    if (it == nodes_.end()) return FailedWith(kErrorInvalidHandle);
    out = it->second.data;
    return Status();
}

Status MemoryFileSystem::DeleteHeld(HeldHandle handle) {
    auto h = held_.find(handle);
    if (h == held_.end()) return FailedWith(kErrorInvalidHandle);
    if (!h->second.forDelete) return FailedWith(kErrorAccessDenied);  // opened without delete access
    auto it = nodes_.find(h->second.norm);
    if (it == nodes_.end()) return FailedWith(kErrorInvalidHandle);
    if (readOnlyDirs_.count(ParentOf(h->second.norm)) || (it->second.attributes & kAttributeReadOnly))
        return FailedWith(kErrorAccessDenied);
    h->second.deletePending = true;
    return Status();
}

bool MemoryFileSystem::CreateHeldFile(const std::string& path, HeldHandle& held) {
    held = 0;
    if (!WriteNewFile(path, Bytes())) return false;
    held = nextHeld_++;
    held_[held] = Held{Resolve(path, false), false, false, false};
    return true;
}

bool MemoryFileSystem::AppendHeld(HeldHandle handle, const Bytes& data) {
    auto h = held_.find(handle);
    if (h == held_.end() || h->second.directory) return false;
    auto it = nodes_.find(h->second.norm);
    if (it == nodes_.end() || !Reserve(data.size())) return false;
    Bytes grown = it->second.data;
    grown.insert(grown.end(), data.begin(), data.end());
    SetData(it->second, grown);
    if (onChange) onChange("append " + it->second.spelling);
    return true;
}

void MemoryFileSystem::Release(HeldHandle handle) {
    auto h = held_.find(handle);
    if (h == held_.end()) return;
    const Held held = h->second;
    held_.erase(h);
    if (!held.deletePending || HeldByUs(held.norm)) return;
    auto it = nodes_.find(held.norm);
    if (it == nodes_.end()) return;
    const std::string spelling = it->second.spelling;
    if (freeSpace >= 0 && Links(it->second) == 1) freeSpace += static_cast<long long>(it->second.data.size());
    nodes_.erase(it);
    Logged("delete " + spelling);
}

bool MemoryFileSystem::OtherReplace(const std::string& path, const Bytes& data) {
    const std::string norm = Resolve(path, false);
    auto it = nodes_.find(norm);
    if (it != nodes_.end()) {
        if (it->second.isDirectory || HeldByUs(norm) || (it->second.attributes & kAttributeReadOnly) ||
            readOnlyDirs_.count(ParentOf(norm)))
            return false;
        nodes_.erase(it);
    }
    if (!ParentWritable(norm)) return false;
    nodes_[norm] = Node{FullPath(path), false, data};
    return true;
}

bool MemoryFileSystem::OtherWrite(const std::string& path, const Bytes& data) {
    const std::string norm = Resolve(path);
    auto it = nodes_.find(norm);
    if (it == nodes_.end() || it->second.isDirectory || HeldByUs(norm) || (it->second.attributes & kAttributeReadOnly))
        return false;
    SetData(it->second, data);
    return true;
}

bool MemoryFileSystem::OtherJunction(const std::string& dir, const std::string& target) {
    const std::string norm = Resolve(dir, false);
    auto it = nodes_.find(norm);
    if (it == nodes_.end() || !it->second.isDirectory || HeldAtOrBelow(norm) || readOnlyDirs_.count(ParentOf(norm)))
        return false;
    for (auto n = nodes_.begin(); n != nodes_.end();) {
        const bool below = n->first.size() > norm.size() && n->first.compare(0, norm.size(), norm) == 0 &&
                           n->first[norm.size()] == '\\';
        n = below ? nodes_.erase(n) : std::next(n);
    }
    Junction(dir, target);
    return true;
}

bool MemoryFileSystem::OtherRename(const std::string& from, const std::string& to) {
    const std::string src = Resolve(from, false), dst = Resolve(to, false);
    auto it = nodes_.find(src);
    if (it == nodes_.end() || nodes_.count(dst) || HeldAtOrBelow(src) || !ParentWritable(dst) ||
        readOnlyDirs_.count(ParentOf(src)))
        return false;
    std::map<std::string, Node> moved;
    for (auto n = nodes_.begin(); n != nodes_.end();) {
        const bool below = n->first == src || (n->first.size() > src.size() && n->first.compare(0, src.size(), src) == 0 &&
                                               n->first[src.size()] == '\\');
        if (!below) {
            ++n;
            continue;
        }
        Node node = n->second;
        const std::string rest = n->first.substr(src.size());
        node.spelling = FullPath(to) + node.spelling.substr(std::min(node.spelling.size(), FullPath(from).size()));
        moved[dst + rest] = node;
        n = nodes_.erase(n);
    }
    nodes_.insert(moved.begin(), moved.end());
    return true;
}

bool MemoryFileSystem::OtherHardLink(const std::string& existing, const std::string& newName) {
    const std::string norm = Resolve(newName, false);
    auto it = nodes_.find(Resolve(existing));
    if (it == nodes_.end() || it->second.isDirectory || !ParentWritable(norm)) return false;
    auto old = nodes_.find(norm);
    if (old != nodes_.end()) {  // what had the name goes first, when it can
        if (old->second.isDirectory || HeldByUs(norm) || (old->second.attributes & kAttributeReadOnly)) return false;
        nodes_.erase(old);
    }
    HardLink(existing, newName);
    return true;
}

bool MemoryFileSystem::Exists(const std::string& path) const { return nodes_.count(Resolve(path)) != 0; }

bool MemoryFileSystem::IsDirectory(const std::string& path) const {
    auto it = nodes_.find(Resolve(path));
    return it != nodes_.end() && it->second.isDirectory;
}

bool MemoryFileSystem::Contents(const std::string& path, Bytes& out) const {
    auto it = nodes_.find(Resolve(path));
    if (it == nodes_.end() || it->second.isDirectory) return false;
    out = it->second.data;
    return true;
}

void MemoryFileSystem::PutDirectories(const std::string& path) {
    std::string norm = Resolve(path);
    std::vector<std::string> chain;
    for (std::string p = norm; !p.empty() && !nodes_.count(p); p = ParentOf(p)) chain.push_back(p);
    const std::string spelling = FullPath(path);  // same length as norm, only the case differs
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        nodes_[*it] = Node{it->size() <= spelling.size() ? spelling.substr(0, it->size()) : *it, true, {}};
}

void MemoryFileSystem::Put(const std::string& path, const Bytes& data) {
    std::string norm = Resolve(path);
    PutDirectories(ParentOf(FullPath(path)));
    auto it = nodes_.find(norm);
    if (it != nodes_.end()) it->second.data = data;
    else nodes_[norm] = Node{FullPath(path), false, data};
}

void MemoryFileSystem::SetReadOnlyDirectory(const std::string& dir, bool readOnly) {
    if (readOnly) readOnlyDirs_.insert(Resolve(dir));
    else readOnlyDirs_.erase(Resolve(dir));
}

void MemoryFileSystem::SetUnreadable(const std::string& path, bool unreadable) {
    if (unreadable) unreadable_.insert(Resolve(path));
    else unreadable_.erase(Resolve(path));
}

void MemoryFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
    auto it = nodes_.find(Resolve(path, false));
    if (it != nodes_.end()) it->second.attributes = attributes;
}

void MemoryFileSystem::HardLink(const std::string& existing, const std::string& newName) {
    auto it = nodes_.find(Resolve(existing));
    if (it == nodes_.end() || it->second.isDirectory) return;
    if (it->second.linkGroup == 0) it->second.linkGroup = nextLinkGroup_++;
    Node link = it->second;
    link.spelling = FullPath(newName);
    PutDirectories(ParentOf(FullPath(newName)));
    nodes_[Resolve(newName)] = link;
}

void MemoryFileSystem::Junction(const std::string& path, const std::string& target) {
    PutDirectories(ParentOf(FullPath(path)));
    Node node{FullPath(path), true, {}};
    node.junctionTarget = NormalizeMemoryPath(FullPath(target));
    nodes_[Resolve(path, false)] = node;
}

void MemoryFileSystem::SetApparentSize(const std::string& path, std::uint64_t size) { apparentSize_[Resolve(path)] = size; }

void MemoryFileSystem::HoldOpen(const std::string& path, unsigned share) { openElsewhere_[Resolve(path)] = share; }

std::vector<std::string> MemoryFileSystem::AllFiles() const {
    std::vector<std::string> r;
    for (const auto& [key, node] : nodes_)
        if (!node.isDirectory) r.push_back(node.spelling);
    return r;
}

// ---- profile -----------------------------------------------------------------------------------------

std::uint32_t MemoryProfile::ReadString(const std::string& section, const std::string& key, const std::string& def,
                                        std::string& out, std::uint32_t bufferSize, const std::string& file) {
    Bytes data;
    bool exists = files_.ReadWholeFile(file, data);
    return ProfileReadString(exists ? &data : nullptr, section, key, def, out, bufferSize);
}

bool MemoryProfile::WriteString(const std::string& section, const std::string& key, const std::string& value,
                                const std::string& file) {
    Bytes data;
    files_.ReadWholeFile(file, data);
    ProfileWriteString(data, section, key, value);
    return files_.WriteWholeFile(file, data);
}

// ---- resources, version ------------------------------------------------------------------------------

bool MemoryResources::LoadOwnerData(std::uint16_t id, Bytes& out) {
    auto it = entries.find(id);
    if (it == entries.end() || unloadable.count(id)) return false;
    out = it->second;
    return true;
}

bool MemorySystemInfo::VersionRecord(OsVersion& v) {
    if (versionExFails) return false;
    v = record;
    return true;
}

std::string MemorySystemInfo::AnsiToUtf8(const std::string& text) {
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (codePage == 1252 && b >= 0xA0) {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        } else {
            return std::string();
        }
    }
    return out;
}

void MemorySystemInfo::SetVersion(std::uint32_t major, std::uint32_t minor, bool nt, std::uint32_t build) {
    record = OsVersion{major, minor, build, nt ? 2u : 1u};
    packedVersion = (major & 0xFF) | ((minor & 0xFF) << 8) | ((build & 0x7FFF) << 16) | (nt ? 0u : 0x80000000u);
}

// ---- registry ----------------------------------------------------------------------------------------

bool MemoryRegistry::CreateKey(const std::string& path, RegKeyHandle& key) {
    key = 0;
    std::string norm = Upper(path);
    if (path.empty() || denyWrites) return false;
    // Create the missing keys above too.
    for (std::size_t pos = 0; (pos = norm.find('\\', pos)) != std::string::npos; ++pos) keys_[norm.substr(0, pos)];
    keys_[norm];
    key = next_++;
    handles_[key] = norm;
    return true;
}

Status MemoryRegistry::OpenKey(const std::string& path, RegKeyHandle& key) {
    key = 0;
    std::string norm = Upper(path);
    if (!keys_.count(norm)) return FailedWith(kErrorFileNotFound);
    if (denyWrites) return FailedWith(kErrorAccessDenied);  // KEY_ALL_ACCESS is refused
    key = next_++;
    handles_[key] = norm;
    return Status();
}

Status MemoryRegistry::SetValue(RegKeyHandle key, const std::string& name, std::uint32_t type,
                                const unsigned char* data, std::uint32_t size) {
    auto h = handles_.find(key);
    if (h == handles_.end()) return FailedWith(kErrorInvalidHandle);
    std::string n = Upper(name);
    if (denyWrites || deniedValues.count(n)) return FailedWith(kErrorAccessDenied);
    Key& k = keys_[h->second];
    if (!k.values.count(n)) k.order.push_back(name);
    k.values[n] = Value{type, Bytes(data, data + size)};
    return Status();
}

Status MemoryRegistry::DeleteValue(RegKeyHandle key, const std::string& name) {
    auto h = handles_.find(key);
    if (h == handles_.end()) return FailedWith(kErrorInvalidHandle);
    if (denyWrites) return FailedWith(kErrorAccessDenied);
    Key& k = keys_[h->second];
    const std::string n = Upper(name);
    k.values.erase(n);
    for (auto it = k.order.begin(); it != k.order.end();)
        it = Upper(*it) == n ? k.order.erase(it) : it + 1;
    return Status();
}

void MemoryRegistry::CloseKey(RegKeyHandle key) { handles_.erase(key); }

bool MemoryRegistry::QueryValue(const std::string& path, const std::string& name, std::uint32_t& type, Bytes& data) const {
    auto k = keys_.find(Upper(path));
    if (k == keys_.end()) return false;
    auto v = k->second.values.find(Upper(name));
    if (v == k->second.values.end()) return false;
    type = v->second.type;
    data = v->second.data;
    return true;
}

bool MemoryRegistry::ReadString(const std::string& path, const std::string& name, std::string& text) {
    text.clear();
    std::uint32_t type = 0;
    Bytes data;
    if (!QueryValue(path, name, type, data) || type != kRegSz || data.size() > kPathBuffer) return false;
    std::size_t n = 0;
    while (n < data.size() && data[n] != 0) ++n;
    if (n >= kPathBuffer) return false;
    text.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    return true;
}

Status MemoryRegistry::DeleteKey(const std::string& path) {
    const std::string norm = Upper(path);
    auto it = keys_.find(norm);
    if (path.empty()) return FailedWith(kErrorInvalidParameter);
    if (it == keys_.end()) return FailedWith(kErrorFileNotFound);
    if (denyWrites) return FailedWith(kErrorAccessDenied);
    for (const auto& [other, key] : keys_)
        if (other.compare(0, norm.size() + 1, norm + "\\") == 0) return FailedWith(kErrorAccessDenied);  // has subkeys
    keys_.erase(it);
    return Status();
}

bool MemoryRegistry::KeyExists(const std::string& path) const { return keys_.count(Upper(path)) != 0; }

std::vector<std::string> MemoryRegistry::KeyPaths() const {
    std::vector<std::string> paths;
    for (const auto& [path, key] : keys_) paths.push_back(path);
    return paths;
}

std::vector<std::string> MemoryRegistry::ValueNames(const std::string& path) const {
    auto k = keys_.find(Upper(path));
    return k == keys_.end() ? std::vector<std::string>() : k->second.order;
}

// ---- spooler -----------------------------------------------------------------------------------------

std::vector<InstalledDriver>* MemorySpooler::Drivers() {
    if (environment == kEnvironmentX86) return &drivers;
    if (environment == kEnvironmentX64) return &x64Drivers;
    return nullptr;
}

Status MemorySpooler::DriverDirectory(std::string& dir) {
    dir.clear();
    if (driverDirectoryFails) return FailedWith(kErrorServerUnavailable);
    if (Drivers() == nullptr) return FailedWith(kErrorInvalidEnvironment);
    dir = environment == kEnvironmentX64 ? x64DriverDirectory : driverDirectory;
    return Status();
}

std::uint32_t MemorySpooler::LocalPrintersBytesNeeded() {
    if (printers.empty() || reportZeroSize) return 0;
    std::uint32_t bytes = 0;
    for (const std::string& p : printers) bytes += 84 + static_cast<std::uint32_t>(p.size()) + 1;  // PRINTER_INFO_2A
    return bytes;
}

bool MemorySpooler::EnumLocalPrinters(std::uint32_t bytes, std::vector<std::string>& names, std::uint32_t& lastError) {
    names.clear();
    ++fillCalls;
    printers.insert(printers.end(), appearBeforeFill.begin(), appearBeforeFill.end());
    appearBeforeFill.clear();
    if (failEnumerationNumber == fillCalls) {
        lastError = enumerationError;
        return false;
    }
    std::uint32_t needed = 0;
    for (const std::string& p : printers) needed += 84 + static_cast<std::uint32_t>(p.size()) + 1;
    if (bytes < needed) {
        lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
        return false;
    }
    names = printers;
    lastError = 0;
    return true;
}

bool MemorySpooler::EnumLocalPrinterRecords(std::uint32_t bytes, std::vector<LocalPrinter>& records,
                                            std::uint32_t& lastError) {
    records.clear();
    std::vector<std::string> names;
    if (!EnumLocalPrinters(bytes, names, lastError)) return false;
    for (const std::string& name : names) {
        auto driver = driverOf.find(name);
        auto port = portOf.find(name);
        records.push_back(LocalPrinter{name, driver == driverOf.end() ? std::string() : driver->second,
                                       port == portOf.end() ? std::string() : port->second});
    }
    return true;
}

Status MemorySpooler::EnumInstalledDrivers(std::vector<InstalledDriver>& list) {
    list.clear();
    if (driverEnumerationFails) return FailedWith(enumerationError);
    if (Drivers() == nullptr) return FailedWith(kErrorInvalidEnvironment);
    list = *Drivers();
    return Status();
}

Status MemorySpooler::DeleteLocalPrinter(const std::string& name) {
    for (auto it = printers.begin(); it != printers.end(); ++it) {
        if (!EqualNoCase(*it, name)) continue;
        if (undeletable.count(*it)) return FailedWith(kErrorAccessDenied);
        driverOf.erase(*it);
        portOf.erase(*it);
        printers.erase(it);
        return Status();
    }
    return FailedWith(kErrorInvalidPrinterName);
}

Status MemorySpooler::DeleteDriver(const std::string& name) {
    // Like the real spooler: a driver that a printer still uses stays.
    for (const std::string& printer : printers) {
        auto driver = driverOf.find(printer);
        if (driver != driverOf.end() && EqualNoCase(driver->second, name)) return FailedWith(kErrorPrinterDriverInUse);
    }
    std::vector<InstalledDriver>* list = Drivers();
    if (list == nullptr) return FailedWith(kErrorInvalidEnvironment);
    for (auto it = list->begin(); it != list->end(); ++it) {
        if (!EqualNoCase(it->name, name)) continue;
        if (undeletable.count(it->name)) return FailedWith(kErrorAccessDenied);
        list->erase(it);
        return Status();
    }
    return FailedWith(kErrorUnknownPrinterDriver);
}

bool MemorySpooler::OpenLocalServer(std::uint32_t desiredAccess, PrinterHandle& handle) {
    openedWithAccess.push_back(desiredAccess);
    handle = next_++;
    handles_[handle] = desiredAccess;
    return true;
}

bool MemorySpooler::RemoveForm(PrinterHandle handle, const std::string& form) {
    auto h = handles_.find(handle);
    // Like the real spooler: a form is deleted only through a handle with administer access.
    if (h == handles_.end() || (h->second & kServerAccessAdminister) == 0) return false;
    if (!forms.erase(form)) return false;
    removedForms.push_back(form);
    return true;
}

void MemorySpooler::ClosePrinterHandle(PrinterHandle handle) { handles_.erase(handle); }

Status MemorySpooler::EnumPortNames(std::vector<std::string>& list) {
    list.clear();
    if (portEnumerationFails) return FailedWith(enumerationError);
    list = ports;
    return Status();
}

bool MemorySpooler::AddTcpIpPort(const std::string& name, const std::string& address, std::uint32_t portNumber,
                                 std::uint32_t& error) {
    if (tcpMonitorMissing) return error = 1801, false;  // ERROR_INVALID_PRINTER_NAME: no such monitor
    if (name.empty() || name.size() >= 64 || address.empty() || address.size() >= 49) return error = 87, false;
    for (const std::string& port : ports)
        if (EqualNoCase(port, name)) return error = 183, false;  // ERROR_ALREADY_EXISTS
    ports.push_back(name);
    tcpPorts[name] = TcpPort{address, portNumber};
    error = 0;
    return true;
}

bool MemorySpooler::DeleteTcpIpPort(const std::string& name, std::uint32_t& error) {
    if (tcpMonitorMissing) return error = 1801, false;
    auto tcp = tcpPorts.end();
    for (auto it = tcpPorts.begin(); it != tcpPorts.end(); ++it)
        if (EqualNoCase(it->first, name)) tcp = it;
    if (tcp == tcpPorts.end()) return error = 1796, false;  // ERROR_UNKNOWN_PORT: not one of this monitor's
    // Like the real monitor: a port that a printer still prints to stays.
    for (const auto& [printer, port] : portOf)
        if (EqualNoCase(port, tcp->first)) return error = 170, false;  // ERROR_BUSY
    for (auto it = ports.begin(); it != ports.end(); ++it)
        if (EqualNoCase(*it, tcp->first)) {
            ports.erase(it);
            break;
        }
    tcpPorts.erase(tcp);
    error = 0;
    return true;
}

// ---- processes, user interface -----------------------------------------------------------------------

RunOutcome MemoryProcesses::RunHidden(const std::string& commandLine, std::uint32_t timeoutMs, std::uint32_t& error) {
    runs.push_back(Run{commandLine, files ? files->CurrentDir() : std::string(), timeoutMs, true});
    error = 0;
    const RunOutcome outcome = startFails || (canStart && !canStart(commandLine)) ? RunOutcome::NotCreated
                               : onRun                                            ? onRun(commandLine)
                                                                                  : RunOutcome::Ended;
    if (outcome == RunOutcome::NotCreated) error = startError;
    return outcome;
}

RunOutcome MemoryProcesses::RunHiddenNative(const std::string& commandLine, std::uint32_t timeoutMs,
                                            std::uint32_t& error) {
    if (redirectionCannotBeTurnedOff) {
        error = kErrorInvalidFunction;  // as on 32-bit Windows, which has no redirection
        return RunOutcome::NotCreated;
    }
    const RunOutcome outcome = RunHidden(commandLine, timeoutMs, error);
    runs.back().native = true;
    return outcome;
}

Status MemoryProcesses::StartHidden(const std::string& commandLine) {
    runs.push_back(Run{commandLine, files ? files->CurrentDir() : std::string(), 0, false});
    return startFails || (canStart && !canStart(commandLine)) ? FailedWith(startError) : Status();
}

void MemoryUserInterface::ShowAppMessage(const std::string& text) {
    messages.push_back(Message{text, std::string(), kMbOk, true});
    events.push_back("message:" + text);
    if (onMessage) onMessage(messages.back());
}

bool MemoryUserInterface::AskYesNo(const std::string& text, const std::string& caption) {
    messages.push_back(Message{text, caption, 0x00000004 | 0x00000020 | kMbTaskModal, false});  // MB_YESNO, MB_ICONQUESTION
    events.push_back("question:" + text);
    if (onMessage) onMessage(messages.back());
    return answerYes;
}

void MemoryUserInterface::ShowMessage(const std::string& text, const std::string& caption, std::uint32_t flags) {
    messages.push_back(Message{text, caption, flags, false});
    events.push_back("message:" + text);
    if (onMessage) onMessage(messages.back());
}

std::string MemoryUserInterface::SystemMessageText(std::uint32_t code) {
    return "System error " + std::to_string(code) + ".\r\n";
}

MemoryWindows::MemoryWindows() { processes.files = &files; }
