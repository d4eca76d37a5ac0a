// Files and the app's directories.
//
// The data directory holds the preferences; the documents and caches
// directories sit inside it. They follow the XDG base directories unless the
// launcher's --data-dir moves all three.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

void setDataDirectory(std::string path);
std::string dataDirectory();
std::string documentsDirectory();
std::string cachesDirectory();

std::optional<std::vector<std::uint8_t>> readFile(const std::string& path);
bool fileExists(const std::string& path);
// Writes to a temporary file beside the target, flushes it to disk and
// renames it over the target, so a crash leaves the old or the new file.
bool writeFileAtomically(const std::string& path, const void* bytes, std::size_t size);

}  // namespace platform
