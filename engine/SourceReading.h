#pragma once

// Reading the sources of a merge: each source is opened, its texts taken over
// the scanned rectangle, and closed, by one or several readers side by side.
// Whatever the number of readers, the texts reach the caller in list order
// and the failure reported is that of the first failing source in list order.

#include "engine/SheetTexts.h"
#include "engine/Spreadsheet.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace rm {

// The sheets `request` asks for, from an open workbook, each read by `readTexts`
// (the binding's way of taking a sheet's texts at once); sheets() is asked
// only when sheets are wanted by name.
using SheetTextsReader = std::function<SheetTexts(Worksheet& sheet, const SheetRead& wanted)>;
SourceSheets readRequestedSheets(Workbook& workbook, const SourceRequest& request, const SheetTextsReader& readTexts);

// reader.readSheets(), refused (SourceChangedWhileRead) when the file was
// replaced or rewritten between the start of the load and the end of the read.
SourceSheets readUnchangedSource(GlobalEntryPoint& reader, const std::string& path, const SourceRequest& request);

using SourceConsumer = std::function<void(std::size_t index, SourceSheets&& sheets)>;

// Reads sources[0..n-1] through `readers` (each opened once, for every sheet
// of `request`) and hands each one's texts to
// `consume`, on the calling thread, in list order (source 0 first). With one
// reader everything runs on the calling thread; with more, each reader runs on
// a thread of its own and is used by it alone, and sources read ahead of the
// list order wait in a small buffer (a few per reader).
//
// A source that fails ends the reading with its error once every source
// before it has been consumed: a failure that comes later in the list is never
// reported ahead of it, and no source after a known failure is started. A
// reader joins in once its state is Ready; an Unavailable one takes no part.
// Every reader thread has ended when this returns or throws.
void readSourcesInOrder(const std::vector<GlobalEntryPoint*>& readers, const std::vector<std::string>& sources,
                        const SourceRequest& request, const SourceConsumer& consume);

} // namespace rm
