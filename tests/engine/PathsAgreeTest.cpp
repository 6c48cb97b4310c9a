// The bulk reads of the office binding must give the merge exactly what the
// per-cell reference path gives: the same workbooks merged both ways must
// produce the same output, cell for cell.

#include "RecordingProgress.h"
#include "TempFolder.h"
#include "XlsFiles.h"

#include "engine/Error.h"
#include "engine/MergeRun.h"
#include "engine/libreoffice/LibreOfficeBinding.h"

#include <gtest/gtest.h>

namespace {

rm::lo::LibreOfficeBinding& office(bool perCell)
{
    static rm::lo::LibreOfficeBinding* offices[2] = {nullptr, nullptr};
    auto*& binding = offices[perCell ? 1 : 0];
    if (!binding) {
        rm::lo::OfficeOptions options;
        options.localeName = "en_US";
        options.perCellReads = perCell;
        options.opener = [](const std::string&) {};
        binding = new rm::lo::LibreOfficeBinding(options);
    }
    return *binding;
}

class TwoOffices : public ::testing::Environment {
public:
    void TearDown() override
    {
        office(false).shutdown();
        office(true).shutdown();
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TwoOffices);

struct Outcome {
    int error = 0;
    XlsContent saved;
    std::vector<std::string> progress;
    float finalProgress = 0;
};

Outcome mergeWith(bool perCell, const TempFolder& folder, const std::vector<std::string>& sources)
{
    Outcome outcome;
    RecordingProgress progress;
    const std::string output = folder / (perCell ? "per-cell.xls" : "bulk.xls");
    try {
        rm::runMerge(office(perCell), folder / "template.xls", sources, output, progress);
        outcome.saved = readXls(output);
    } catch (const rm::Error& error) {
        outcome.error = error.number();
    }
    outcome.progress = progress.calls;
    outcome.finalProgress = progress.current;
    return outcome;
}

void expectSameOutcome(const TempFolder& folder, const std::vector<std::string>& sources)
{
    const Outcome bulk = mergeWith(false, folder, sources);
    const Outcome reference = mergeWith(true, folder, sources);
    EXPECT_EQ(bulk.error, reference.error);
    EXPECT_EQ(bulk.saved.cells, reference.saved.cells);
    EXPECT_EQ(bulk.saved.zerosShown, reference.saved.zerosShown);
    EXPECT_EQ(bulk.progress, reference.progress);
    EXPECT_EQ(bulk.finalProgress, reference.finalProgress);
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
    EXPECT_EQ(mergeWith(false, folder, {folder / "s1.xls", folder / "s1.xls"}).error, 6);
}
