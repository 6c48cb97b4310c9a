#pragma once

#include "engine/libreoffice/files/LibraryInput.h"

#include <string>

namespace rm::lo {

// The stream of that name (ASCII, any case) in the root storage of the OLE2
// compound file `file` (the container of binary .xls workbooks), by libgsf,
// read on demand. Null when the file is no compound file, is damaged, or has
// no stream of that name.
GObjectOwner<GsfInput> openCompoundFileStream(GsfInput* file, const std::string& streamName);

bool looksLikeCompoundFile(const std::string& fileBytes);

} // namespace rm::lo
