// Writing embedded store entries to disk, with the printer-name rewriting of the two driver templates.
#include <cstring>
#include <utility>

#include "app/globals.h"
#include "app/setup.h"
#include "install/NameLines.h"
#include "install/StagingPlan.h"
#include "platform/BoundedFormat.h"
#include "platform/TextStream.h"

bool CSetupApp::EmbeddedBytes(std::uint16_t id, bool patchNames, Bytes& raw, Bytes& out) {
    if (!platform_.resources.LoadOwnerData(id, raw)) return false;
    if (!patchNames) {
        out.swap(raw);  // the raw bytes are only kept apart for a rewritten entry
        return true;
    }
    // Rewritten from the entry's own bytes: the scratch file is in a directory that others can write to.
    NameLineRule rules[kNameLineRuleCapacity];
    const int ruleCount = FillNameLineRules(PrinterName(), rules);
    out = RewriteNameLines(ReadTextPieces(raw, kPathBuffer), rules, ruleCount);
    return true;
}

bool CSetupApp::ExtractEmbeddedFile(std::uint16_t id, std::string path, bool patchNames) {
    IFileSystem& files = platform_.files;
    Bytes raw, data;
    if (!EmbeddedBytes(id, patchNames, raw, data)) return false;

    // A destination that does not fit a path buffer is not used.
    std::string destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", path.c_str())) return false;

    // The raw bytes of a rewritten entry are left in the scratch file; nothing is read back from it.
    if (patchNames) files.WriteWholeFile(kScratchFile, raw);
    return files.WriteWholeFile(destination, data);
}

bool CSetupApp::StageEmbeddedFile(std::uint16_t id, const std::string& path, bool patchNames) {
    Bytes raw, data;
    std::string destination;
    if (!EmbeddedBytes(id, patchNames, raw, data) || !FormatBounded(destination, kPathBuffer, "%s", path.c_str())) {
        log_.Add("staging: store entry " + std::to_string(id) + " is missing or cannot be read");
        return false;
    }
    if (patchNames && !staged_.Stage(platform_.files, kScratchFile, std::move(raw))) {
        LogFailure(std::string("staging: writing ") + kScratchFile);
        return false;
    }
    if (staged_.Stage(platform_.files, destination, std::move(data))) return true;
    LogFailure("staging: writing " + destination);
    return false;
}

void CSetupApp::ReplaceNameLines(const std::string& sourcePath, const std::string& destinationPath,
                                 const NameLineRule* rules, int ruleCount) {
    IFileSystem& files = platform_.files;
    std::string source, destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", destinationPath.c_str())) return;
    // A source that cannot be read leaves the destination created and empty.
    Bytes text;
    if (FormatBounded(source, kPathBuffer, "%s", sourcePath.c_str()) && files.ReadWholeFile(source, text))
        text = RewriteNameLines(ReadTextPieces(text, kPathBuffer), rules, ruleCount);
    else
        text.clear();
    files.WriteWholeFile(destination, text);
}
