#pragma once

#include <optional>
#include <string>

namespace rm::lo {

// Reads one stream out of an OLE2 compound file (the container of binary .xls
// workbooks), by libgsf. nullopt when the file is no compound file, is
// damaged, or has no stream of that name (ASCII, any case) in its root storage.
std::optional<std::string> readCompoundFileStream(const std::string& fileBytes, const std::string& streamName);

bool looksLikeCompoundFile(const std::string& fileBytes);

} // namespace rm::lo
