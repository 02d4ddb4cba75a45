// Writing embedded store entries to disk, with the printer-name rewriting of the two driver templates.
#include <cstring>

#include "app/globals.h"
#include "app/setup.h"
#include "install/NameLines.h"
#include "platform/BoundedFormat.h"
#include "platform/TextStream.h"

namespace {

// Raw bytes of the entry being rewritten; left in place afterwards.
constexpr const char* kScratchFile = "c:\\temp\\temp.txt";

// Writes the rewritten text of source to destination in one write; a missing source (null) leaves the
// destination created and empty. True when the destination was written.
bool WriteRewritten(IFileSystem& files, const Bytes* source, const std::string& destination,
                    const NameLineRule* rules, int ruleCount) {
    if (!source) return files.WriteWholeFile(destination, Bytes());
    return files.WriteWholeFile(destination, RewriteNameLines(ReadTextPieces(*source, kPathBuffer), rules, ruleCount));
}

}  // namespace

bool CSetupApp::ExtractEmbeddedFile(std::uint16_t id, std::string path, bool patchNames) {
    IFileSystem& files = platform_.files;
    Bytes data;
    if (!platform_.resources.LoadOwnerData(id, data)) return false;

    // A destination that does not fit a path buffer is not used.
    std::string destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", path.c_str())) return false;

    if (!patchNames) return files.WriteWholeFile(destination, data);

    // The raw bytes go to the scratch file first and are read back from there. If the scratch file cannot
    // be written, whatever an earlier run left in it is not ours: the entry's own bytes are rewritten.
    Bytes source = data;
    if (files.WriteWholeFile(kScratchFile, data)) {
        Bytes scratch;
        if (files.ReadWholeFile(kScratchFile, scratch)) source.swap(scratch);
    }

    NameLineRule rules[kNameLineRuleCapacity];
    int ruleCount = FillNameLineRules(PrinterName(), rules);
    return WriteRewritten(files, &source, destination, rules, ruleCount);
}

void CSetupApp::ReplaceNameLines(const std::string& sourcePath, const std::string& destinationPath,
                                 const NameLineRule* rules, int ruleCount) {
    IFileSystem& files = platform_.files;
    std::string source, destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", destinationPath.c_str())) return;
    Bytes text;
    bool readable = FormatBounded(source, kPathBuffer, "%s", sourcePath.c_str()) && files.ReadWholeFile(source, text);
    WriteRewritten(files, readable ? &text : nullptr, destination, rules, ruleCount);
}
