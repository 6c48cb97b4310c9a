#pragma once

#include <string>

namespace rm::lo {
class OfficeSession;
}

namespace rm::lo::test {

// What a saved file's window settings say, read by loading it with a view
// (a hidden load of .xls does not read them).
struct SavedView {
    bool showsZeroValues = true;
    std::string activeSheetName;
};

SavedView readSavedView(OfficeSession& session, const std::string& path);

} // namespace rm::lo::test
