// The bulk reads of the office binding must give the merge exactly what the
// per-cell reference path gives, and a pool of offices reading side by side
// exactly what one office gives: the same workbooks merged every way must
// produce the same output, cell for cell, or the same error.

#include "RecordingProgress.h"
#include "TempFolder.h"
#include "XlsFiles.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MergeRun.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

namespace {

enum class Way { Bulk, PerCell, Pool };

// Bulk and per-cell: one office each. Pool: three offices, all reading even a few sources.
rm::lo::LibreOfficeBinding& office(Way way)
{
    static rm::lo::LibreOfficeBinding* offices[3] = {nullptr, nullptr, nullptr};
    auto*& binding = offices[static_cast<int>(way)];
    if (!binding) {
        rm::lo::OfficeOptions options;
        options.localeName = "en_US";
        options.perCellReads = way == Way::PerCell;
        options.officeCount = way == Way::Pool ? 3 : 1;
        options.sourcesPerExtraOffice = 1;
        options.opener = [](const std::string&) {};
        binding = new rm::lo::LibreOfficeBinding(options);
    }
    return *binding;
}

class Offices : public ::testing::Environment {
public:
    void TearDown() override
    {
        for (Way way : {Way::Bulk, Way::PerCell, Way::Pool})
            office(way).shutdown();
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Offices);

struct Outcome {
    int error = 0;
    std::string description;
    XlsContent saved;
    std::vector<std::string> progress;
    float finalProgress = 0;
};

Outcome mergeWith(Way way, const TempFolder& folder, const std::vector<std::string>& sources)
{
    Outcome outcome;
    RecordingProgress progress;
    const char* names[] = {"bulk.xls", "per-cell.xls", "pool.xls"};
    const std::string output = folder / names[static_cast<int>(way)];
    try {
        rm::runMerge(office(way), folder / "template.xls", sources, output, progress);
        outcome.saved = readXls(output);
    } catch (const rm::Error& error) {
        outcome.error = error.number();
        outcome.description = error.description();
    }
    outcome.progress = progress.calls;
    outcome.finalProgress = progress.current;
    return outcome;
}

void expectSame(const Outcome& a, const Outcome& b, const char* what)
{
    EXPECT_EQ(a.error, b.error) << what;
    EXPECT_EQ(a.description, b.description) << what;
    EXPECT_EQ(a.saved.cells, b.saved.cells) << what;
    EXPECT_EQ(a.saved.zerosShown, b.saved.zerosShown) << what;
    EXPECT_EQ(a.progress, b.progress) << what;
    EXPECT_EQ(a.finalProgress, b.finalProgress) << what;
}

// Returns the bulk outcome.
Outcome expectSameOutcome(const TempFolder& folder, const std::vector<std::string>& sources)
{
    const Outcome bulk = mergeWith(Way::Bulk, folder, sources);
    expectSame(bulk, mergeWith(Way::PerCell, folder, sources), "per-cell reads against bulk reads");
    expectSame(bulk, mergeWith(Way::Pool, folder, sources), "three offices against one");
    return bulk;
}

} // namespace

TEST(PathsAgree, AwkwardTextsAndNumbers)
{
    TempFolder folder;
    makeXls(folder / "template.xls", R"json({"sheets": [{"name": "T", "cells": {
        "A1": "?", "B1": "?", "C1": "?", "D1": "?", "E1": "?", "F1": "?",
        "A2": "?", "B2": "?", "C2": "?", "D2": "?", "E2": "?", "F2": "label",
        "A3": "tab\there?", "B3": "quote \"?\"", "C3": "line\nbreak?", "D3": "  ?  ", "E3": "?", "F3": "?"}}]})json");
    makeXls(folder / "s1.xls", R"json({"sheets": [{"name": "S", "cells": {
        "A1": "\t5", "B1": "a\tb", "C1": "\"7\"", "D1": "8\n", "E1": " 12 ", "F1": {"number": 1.236, "format": "0.00"},
        "A2": {"number": -1234.5, "format": "#,##0.00_);(#,##0.00)"}, "B2": {"number": 0.5, "format": "0%"},
        "C2": {"formula": "1/0"}, "D2": {"number": 123456789012, "format": "0"}, "E2": 1e300,
        "A3": 1, "B3": 2, "C3": 3, "D3": 4, "E3": "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx 9",
        "F3": {"number": 5, "format": "\"$\"#,##0.00"}}}]})json");
    makeXls(folder / "s2.xls", R"json({"sheets": [{"name": "S", "cells": {
        "A1": 1, "B1": 1, "C1": 1, "D1": 1, "E1": 1, "F1": 1, "A2": 1, "B2": 1, "C2": 1, "D2": 1, "E2": 1e300,
        "A3": 1, "B3": 1, "C3": 1, "D3": 1, "E3": 1, "F3": 1}}]})json");
    expectSameOutcome(folder, {folder / "s1.xls", folder / "s2.xls"});
    const XlsContent out = readXls(folder / "bulk.xls");
    EXPECT_EQ(out.cell("T!A1"), "n:6.0");      // "\t5": a tab is a blank
    EXPECT_EQ(out.cell("T!B1"), "n:1.0");
    EXPECT_EQ(out.cell("T!E1"), "n:13.0");
    EXPECT_EQ(out.cell("T!F1"), "n:2.24");
    EXPECT_EQ(out.cell("T!A2"), "n:-1233.5");  // "(1,234.50)"
    EXPECT_EQ(out.cell("T!B2"), "n:1.0");      // "50%" is no number
    EXPECT_EQ(out.cell("T!D2"), "n:123456789013.0");
    EXPECT_EQ(out.cell("T!F2"), "t:label");
    EXPECT_EQ(out.cell("T!E3"), "n:1.0");      // a long text adds nothing
    EXPECT_EQ(out.cell("T!F3"), "n:6.0");      // "$5.00"
}

TEST(PathsAgree, FormulasThatChangeAsMarkedCellsAreWritten)
{
    TempFolder folder;
    // C1 shows "big?" once A1 holds more than 10; C2 refers to A3 before it is written.
    makeXls(folder / "template.xls", R"json({"sheets": [{"name": "T", "cells": {
        "A1": "?", "B1": {"formula": "A1*2"}, "C1": {"formula": "IF(A1>10,\"big?\",\"small\")"},
        "A2": {"formula": "IF(A1>10,\"?\",\"no\")"}, "B2": "?", "C2": {"formula": "A3"},
        "A3": "?", "B3": {"formula": "SUM(A1:B2)"}, "C3": {"formula": "IF(B3>0,\"?\",\"\")"}}}]})json");
    makeXls(folder / "s1.xls", R"json({"sheets": [{"name": "S", "cells": {
        "A1": 11, "B1": 1, "C1": 2, "A2": 3, "B2": 4, "C2": 5, "A3": 6, "B3": 7, "C3": 8}}]})json");
    makeXls(folder / "s2.xls", R"json({"sheets": [{"name": "S", "cells": {
        "A1": 1, "C1": 1, "A2": 1, "B2": 1, "C2": 1, "A3": 1, "C3": 1}}]})json");
    expectSameOutcome(folder, {folder / "s1.xls", folder / "s2.xls"});
    const XlsContent out = readXls(folder / "bulk.xls");
    EXPECT_EQ(out.cell("T!A1"), "n:12.0");
    EXPECT_EQ(out.cell("T!C1"), "n:3.0"); // showed "big?" when reached
    EXPECT_EQ(out.cell("T!A2"), "n:4.0");
    EXPECT_EQ(out.cell("T!C2"), "n:6.0"); // showed A3's "?" when reached
    EXPECT_EQ(out.cell("T!C3"), "n:9.0");
}

TEST(PathsAgree, FailuresAtTheSameStep)
{
    TempFolder folder;
    makeXls(folder / "template.xls", R"json({"sheets": [{"name": "T", "cells": {"A1": "?", "B1": "?"}}]})json");
    makeXls(folder / "s1.xls", R"json({"sheets": [{"name": "S", "cells": {"A1": 1.7e308, "B1": 1}}]})json");
    expectSameOutcome(folder, {folder / "s1.xls", folder / "s1.xls"});
    EXPECT_EQ(mergeWith(Way::Bulk, folder, {folder / "s1.xls", folder / "s1.xls"}).error, 6);
}

// The workbooks of the office merge tests, with sources that fail in the middle of a longer list.
TEST(PathsAgree, ThePoolReportsTheFirstFailingSourceInListOrder)
{
    TempFolder folder;
    makeXls(folder / "template.xls", R"json({"active": 1, "sheets": [
      {"name": "Notes", "cells": {"A1": "not this sheet?"}},
      {"name": "Report", "cells": {"A1": "Item", "B1": "Amount", "A2": "apples", "B2": "?", "A3": "pears", "B3": "?",
        "A4": "plums", "B4": "？", "A5": "Total", "B5": {"formula": "SUM(B2:B4)", "format": "0.00"}, "C2": "kept"}}]})json");
    makeXls(folder / "s1.xls", R"json({"sheets": [{"name": "Data", "cells": {"B2": 1.5, "B3": 10, "B4": {"number": 1.236, "format": "0.00"}}}]})json");
    makeXls(folder / "s2.xls", R"json({"sheets": [{"name": "Data", "cells": {"B2": 2, "B3": "n/a", "B4": -1}}]})json");
    makeXls(folder / "s3.xls", R"json({"sheets": [{"name": "Data", "cells": {"B2": {"formula": "1/0"}, "B3": 7, "B4": ""}}]})json");
    writeBytes(folder / "notes.xls", "plain text, not a workbook\n");
    std::vector<std::string> many;
    for (int i = 0; i < 4; ++i)
        for (const char* name : {"s1.xls", "s2.xls", "s3.xls"})
            many.push_back(folder / name);

    const Outcome all = expectSameOutcome(folder, many);
    EXPECT_EQ(all.error, 0);
    EXPECT_EQ(all.saved.cell("Report!B2"), "n:14.0");
    EXPECT_EQ(all.saved.cell("Report!B4"), "n:0.96");
    EXPECT_EQ(office(Way::Pool).officeProcessIds().size(), 3u) << "every office of the pool took part";

    std::vector<std::string> oneBad = many;
    oneBad[6] = folder / "missing.xls";
    EXPECT_EQ(expectSameOutcome(folder, oneBad).error, rm::ErrorNumber::DocumentNotFound);

    // Two failing sources: the first in list order is reported, whichever office finds its failure first.
    std::vector<std::string> twoBad = many;
    twoBad[4] = folder / "notes.xls";
    twoBad[8] = folder / "missing.xls";
    const Outcome two = expectSameOutcome(folder, twoBad);
    EXPECT_EQ(two.error, rm::ErrorNumber::NotAWorkbook);
    EXPECT_NE(two.description.find("notes.xls"), std::string::npos) << two.description;
    // A failed run ends every office of it at once; the next run starts them afresh.
    EXPECT_EQ(office(Way::Pool).officeProcessIds().size(), 0u) << "an office outlived the failed run";
}
