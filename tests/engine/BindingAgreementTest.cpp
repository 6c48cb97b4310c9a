// One set of expectations run against both bindings of the spreadsheet
// layer: the in-memory one the fast tests rely on must behave as the office does.

#include "TempFolder.h"
#include "support/SharedOffice.h"
#include "XlsFiles.h"

#include "engine/memory/MemoryBinding.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// The report is the second of three sheets and active; its content starts at B3.
//   B3 "a?"   C4 1.236 shown as 0.00   D5 =SUM(C4:C5) shown as 0.00
const char* kWorkbookJson = R"json({"active": 1, "sheets": [
  {"name": "First", "cells": {"A1": "first sheet"}},
  {"name": "Report", "cells": {
    "B3": "a?",
    "C4": {"number": 1.236, "format": "0.00"},
    "D5": {"formula": "SUM(C4:C5)", "format": "0.00"}}},
  {"name": "Third", "cells": {"A1": "third sheet"}}]})json";

rm::mem::WorkbookContent memoryWorkbook()
{
    using rm::mem::Formula;
    using rm::mem::NumberFormat;
    rm::mem::SheetContent report("Report");
    report.text(3, 2, "a?")
        .number(4, 3, 1.236, NumberFormat::fixed(2))
        .formula(5, 4, Formula::sum(4, 3, 5, 3), NumberFormat::fixed(2));
    rm::mem::WorkbookContent workbook(rm::mem::SheetContent("First").text(1, 1, "first sheet"));
    workbook.addSheet(report).addSheet(rm::mem::SheetContent("Third").text(1, 1, "third sheet"));
    workbook.setActiveSheet(1);
    return workbook;
}

struct BindingUnderTest {
    std::string name;
    // Makes the workbook at `path` and returns the binding that opens it.
    std::function<rm::SpreadsheetBinding&(const std::string& path)> prepare;
};


class BindingAgreement : public ::testing::TestWithParam<BindingUnderTest> {
protected:
    TempFolder folder;
};

TEST_P(BindingAgreement, activeSheetTextsUsedRangeAndWrites)
{
    const std::string path = folder / "report.xls";
    rm::SpreadsheetBinding& binding = GetParam().prepare(path);
    const auto app = binding.createInstance();
    const auto workbook = app->openWorkbook(path);
    const auto sheet = workbook->activeSheet();

    EXPECT_EQ(sheet->usedRangeRowCount(), 3);
    EXPECT_EQ(sheet->usedRangeColumnCount(), 3);
    EXPECT_EQ(sheet->cells(3, 2).text(), "a?");
    EXPECT_EQ(sheet->cells(4, 3).text(), "1.24");
    EXPECT_EQ(sheet->cells(1, 1).text(), "");
    EXPECT_EQ(sheet->cells(40, 30).text(), "");

    sheet->cells(5, 3).setValue2(2);
    EXPECT_EQ(sheet->cells(5, 3).text(), "2");
    EXPECT_EQ(sheet->cells(5, 4).text(), "3.24");
    sheet->cells(3, 2).setValue2(0);
    EXPECT_EQ(sheet->cells(3, 2).text(), "0");

    workbook->close();
}

TEST_P(BindingAgreement, sourcesOpenReadOnlyOnTheActiveSheet)
{
    const std::string path = folder / "source.xls";
    rm::SpreadsheetBinding& binding = GetParam().prepare(path);
    const auto source = binding.global().openWorkbook(path);
    const auto sheet = source->activeSheet();
    EXPECT_EQ(sheet->cells(3, 2).text(), "a?");
    EXPECT_EQ(sheet->cells(1, 1).text(), "");
    source->close();
}

const BindingUnderTest kMemory{"Memory", [](const std::string& path) -> rm::SpreadsheetBinding& {
    static rm::mem::MemoryBinding* binding = nullptr;
    delete binding;
    binding = new rm::mem::MemoryBinding;
    binding->createWorkbookFile(path, memoryWorkbook());
    return *binding;
}};

const BindingUnderTest kOffice{"LibreOffice", [](const std::string& path) -> rm::SpreadsheetBinding& {
    makeXls(path, kWorkbookJson);
    return rm::test::sharedOffice();
}};

INSTANTIATE_TEST_SUITE_P(Bindings, BindingAgreement, ::testing::Values(kMemory, kOffice),
                         [](const auto& info) { return info.param.name; });

} // namespace
