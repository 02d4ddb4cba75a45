// What the uninstaller carries about the store it was built with, and its texts; generated at build time
// (tools/gen_uninstall_data.py) from the store's manifest and uninstall/texts.tsv.
#pragma once
#include <cstddef>
#include <cstdint>

#include "uninstall/UninstallTextIds.h"

// The size and SHA-256 of one store entry as the installation writes it (a template before its rewriting).
struct StoreDigest {
    std::uint16_t id;
    std::uint32_t size;
    unsigned char sha256[32];
};
// Every entry of the store except the uninstaller itself, by ascending id.
extern const StoreDigest kStoreDigests[];
extern const std::size_t kStoreDigestCount;

// The bytes of an entry that the installation rewrites with the printer name.
struct StoreTemplate {
    std::uint16_t id;
    const unsigned char* bytes;
    std::uint32_t size;
};
extern const StoreTemplate kStoreTemplates[];
extern const std::size_t kStoreTemplateCount;

// The languages of the texts: English (ASCII), simplified Chinese (GBK), traditional Chinese (Big5).
enum class UninstallLanguage { English, Gbk, Big5 };
// A text in the language's code page, ended by a zero.
const char* UninstallText(UninstallTextId id, UninstallLanguage language);
