#pragma once

// What the check before saving found about the sources, and its words.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace rm {

struct LabelDifference {
    int row = 0;
    int column = 0;
    std::string templateText;
    std::string sourceText;
};

// Rows or columns a source has more or fewer than the template, found by its header labels.
struct LayoutMove {
    bool rows = true;   // rows moved; false: columns
    int from = 0;       // the template's first row (column) found elsewhere
    int by = 0;         // > 0: that many lower (further right), lines inserted; < 0: higher (further left), lines removed
    std::vector<std::string> texts;   // labels of the inserted lines (by > 0) or of the removed ones (by < 0)
};

struct LayoutFinding {
    enum class Kind {
        LayoutDiffers,   // a header label that governs a sum reads differently in the source
        SameContent,     // the source shows exactly what an earlier source shows
        NothingToAdd,    // no number at any marked cell
        NoMarkedCells,   // the template marks no cell: the output would be a copy of it (sourcePath: the template)
        ActiveSheetDiffers,   // the source's active sheet is another than the template's, which it has too
        MissingSheet,         // the source has no sheet of a merged sheet's name: it adds nothing there
    };
    LayoutFinding() = default;
    LayoutFinding(Kind k, int index, std::string path) : kind(k), sourceIndex(index), sourcePath(std::move(path)) {}

    Kind kind = Kind::LayoutDiffers;
    int sourceIndex = 0;
    std::string sourcePath;
    // The template's sheet the finding is about, when every marked sheet is
    // merged; empty when only the active sheet is (and for ActiveSheetDiffers
    // the template's active sheet).
    std::string sheet;
    // ActiveSheetDiffers: the source's active sheet.
    std::string sourceSheet;
    // MissingSheet: how many sheets match the name but for blanks, width or case (none taken when several).
    int candidates = 0;
    // LayoutDiffers: how many governing header labels differ, and the first few in scan order.
    long differingLabels = 0;
    std::vector<LabelDifference> firstDifferences;
    // SameContent: the earlier source with the same texts.
    int otherIndex = 0;
    std::string otherPath;
    // LayoutDiffers: the source's numbers can be read at the rows and columns
    // where its own header labels stand; set by the check. ActiveSheetDiffers:
    // always (the aligned choice reads the sheet of the template's name).
    bool alignable = false;
    // LayoutDiffers: the source was read at its matched rows and columns.
    bool aligned = false;
    // LayoutDiffers: what moved, in the template's order (rows first); when not
    // alignable, only marked rows or columns removed and what that moved.
    std::vector<LayoutMove> moves;
};

// In list order of the sources; a source may have more than one.
using LayoutFindings = std::vector<LayoutFinding>;

// What to do with the sums once the check has found something.
enum class SaveChoice {
    AlignByLabels,   // save; every alignable source read at its matched rows and columns
    ByPosition,      // save; every source read at the template's own cells
    DontSave,        // close everything unsaved
};

// How many findings still stand when the sums are saved by `choice`:
// aligning resolves the alignable layout findings.
std::size_t findingsRemaining(const LayoutFindings& findings, SaveChoice choice);

// At least one source whose differing layout can be aligned by its labels.
bool anyAlignable(const LayoutFindings& findings);

// The choice that cannot give a wrong sum: aligning when every layout finding
// is alignable and no source is a duplicate; saving when the only findings
// are sources with nothing to add (they change no sum); otherwise not saving.
SaveChoice safestSaveChoice(const LayoutFindings& findings);

// "第 7 行起下移 1 行（多出“其中：新增项目”）", "第 C 列起左移 1 列（缺少“上年数”）".
std::string describeMove(const LayoutMove& move);

// "A1", "B7", "AA10".
std::string cellAddress(int row, int column);

// "C" for 3, "AA" for 27.
std::string columnLetters(int column);

// One finding in one line, e.g. "没有可相加的数字：/data/a.xls"; one about a
// sheet of several merged starts with its name: "工作表“利润表”：…".
std::string describeFinding(const LayoutFinding& finding);

// What the command line says when --strict refuses to save.
std::string notSavedBecauseOfFindings();

} // namespace rm
