#include "install/EmbeddedStore.h"

#include "install/SafeFiles.h"
#include "install/StagingPaths.h"
#include "platform/BoundedFormat.h"

bool EmbeddedBytes(IResources& resources, std::uint16_t id, const std::string& printerName, bool patchNames, Bytes& raw,
                   Bytes& out) {
    if (!resources.LoadOwnerData(id, raw)) return false;
    if (!patchNames) {
        out.swap(raw);  // the raw bytes are only kept apart for a rewritten entry
        return true;
    }
    // Rewritten from the entry's own bytes: the scratch file is in a directory that others can write to.
    out = RewrittenForPrinter(raw, printerName);
    return true;
}

bool ExtractEmbeddedFile(Platform& platform, std::uint16_t id, const std::string& path, const std::string& printerName,
                         bool patchNames) {
    IFileSystem& files = platform.files;
    Bytes raw, data;
    if (!EmbeddedBytes(platform.resources, id, printerName, patchNames, raw, data)) return false;

    // A destination that does not fit a path buffer is not used.
    std::string destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", path.c_str())) return false;

    // Each file replaces what had its name (delete, then create new): nothing already there is opened or
    // followed. The raw bytes of a rewritten entry are left in the scratch file; nothing is read back from it.
    if (patchNames) ReplaceWithNewFile(files, kScratchFile, raw);
    return ReplaceWithNewFile(files, destination, data);
}

void ReplaceNameLines(IFileSystem& files, const std::string& sourcePath, const std::string& destinationPath,
                      const NameLineRule* rules, int ruleCount) {
    std::string source, destination;
    if (!FormatBounded(destination, kPathBuffer, "%s", destinationPath.c_str())) return;
    Bytes text;
    if (FormatBounded(source, kPathBuffer, "%s", sourcePath.c_str()) && files.ReadWholeFile(source, text))
        text = ReplaceNameLines(text, rules, ruleCount);
    else
        text.clear();
    ReplaceWithNewFile(files, destination, text);
}
