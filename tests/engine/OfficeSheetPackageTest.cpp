// A report package of several sheets merged by the real office, in .xls and
// .xlsx: every marked sheet from each branch's sheet of the same name, and a
// notes sheet whose formulas read the merged cells.

#include "RecordingProgress.h"
#include "TempFolder.h"
#include "support/SharedOffice.h"
#include "XlsFiles.h"

#include "engine/MergeRun.h"
#include "engine/SourceReading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace {

// Labels in A, one heading in B1, marks in B2:B3, a formula in B4.
std::string statement(const std::string& name, const std::string& first, const std::string& second,
                      const std::string& b2, const std::string& b3, const std::string& b4)
{
    return R"({"name": ")" + name + R"(", "cells": {"A1": "项目", "B1": "本期", "A2": ")" + first + R"(", "B2": )" + b2 +
           R"(, "A3": ")" + second + R"(", "B3": )" + b3 + R"(, "A4": "合计", "B4": {"formula": ")" + b4 + R"("}}})";
}

std::string balance(const std::string& b2, const std::string& b3)
{
    return statement("资产负债表", "货币资金", "应收账款", b2, b3, "SUM(B2:B3)");
}
std::string income(const std::string& b2, const std::string& b3)
{
    return statement("利润表", "营业收入", "营业成本", b2, b3, "SUM(B2)-SUM(B3)");
}
std::string cashFlow(const std::string& b2, const std::string& b3)
{
    return statement("现金流量表", "经营活动", "投资活动", b2, b3, "SUM(B2:B3)");
}
// Formulas over the other sheets. In the template B2 shows the "?" of the
// mark it repeats, so the sheet counts as marked, yet it has nothing to fill
// once the sheets before it are: no finding may say the template marks nothing.
const char* const kNotes = R"({"name": "说明", "cells": {"A1": "资产合计", "B1": {"formula": "'资产负债表'!B4"},
    "A2": "营业收入", "B2": {"formula": "'利润表'!B2"}, "A3": "现金净额", "B3": {"formula": "'现金流量表'!B4"},
    "A4": "全部", "B4": {"formula": "'资产负债表'!B2+'利润表'!B2+'现金流量表'!B2"}}})";

std::string workbook(int active, const std::vector<std::string>& sheets)
{
    std::string json = R"({"active": )" + std::to_string(active) + R"(, "sheets": [)";
    for (std::size_t i = 0; i < sheets.size(); ++i)
        json += (i ? ", " : "") + sheets[i];
    return json + "]}";
}

class OfficeSheetPackageTest : public ::testing::TestWithParam<std::string> {
protected:
    // The package as .xls; for .xlsx the office saves each file again in that format.
    void SetUp() override
    {
        const std::string marks = R"("?")";
        make("模板", workbook(0, {balance(marks, marks), income(marks, marks), cashFlow(marks, marks), kNotes}));
        make("东区", workbook(0, {balance("100", "10"), income("1000", "600"), cashFlow("50", "-20"), kNotes}));
        make("西区", workbook(1, {balance("200", "20"), income("500", "300"), cashFlow("60", "-30"), kNotes}));
        make("北区", workbook(0, {cashFlow("70", "-40"), income("800", "400"), balance("300", "30"), kNotes}));
        make("南区", workbook(0, {balance("400", "40"), income("900", "500")}));
    }

    void make(const std::string& name, const std::string& json)
    {
        const std::string xls = folder / (name + ".xls");
        makeXls(xls, json);
        if (GetParam() == ".xls")
            return;
        const auto app = rm::test::sharedOffice().createInstance();
        const auto book = app->openWorkbook(xls);
        book->activeSheet()->saveAs(path(name));
        book->close();
        std::filesystem::remove(xls);
    }

    std::string path(const std::string& name) const { return folder / (name + GetParam()); }

    std::vector<std::string> branches() const
    {
        return {path("东区"), path("西区"), path("北区"), path("南区")};
    }

    // Every displayed text of the output's sheets over A1:B4, read from a copy
    // (the output stays open in the run's office).
    std::map<std::string, std::string> texts(const std::string& output)
    {
        const std::string copy = folder / ("读取" + GetParam());
        std::filesystem::copy_file(output, copy, std::filesystem::copy_options::overwrite_existing);
        rm::SourceRequest request;
        request.active = rm::SheetRead{{}, 1, 1};
        for (const char* sheet : {"资产负债表", "利润表", "现金流量表", "说明"})
            request.byName.push_back(rm::SheetRead{sheet, 4, 2});
        const rm::SourceSheets read = rm::test::sharedOffice().global().readSheets(copy, request);
        std::map<std::string, std::string> cells;
        cells["active"] = read.activeName;
        for (std::size_t i = 0; i < request.byName.size(); ++i) {
            const auto& named = read.byName[i];
            const rm::SheetTexts& sheet = named.isActive ? read.active : *named.texts;
            if (named.isActive) {
                // The active sheet was read over A1 only: read it again in full.
                rm::SourceRequest again;
                again.byName.push_back(request.byName[i]);
                const rm::SourceSheets full = rm::test::sharedOffice().global().readSheets(copy, again);
                for (int row = 1; row <= 4; ++row)
                    cells[request.byName[i].name + "!B" + std::to_string(row)] =
                        full.byName[0].texts->text(full.byName[0].texts->indexOf(row, 2));
                continue;
            }
            for (int row = 1; row <= 4; ++row)
                cells[request.byName[i].name + "!B" + std::to_string(row)] =
                    row <= sheet.rows() ? sheet.text(sheet.indexOf(row, 2)) : "";
        }
        return cells;
    }

    std::shared_ptr<rm::SpreadsheetApp> merge(bool everySheet, rm::SaveChoice choice, const std::string& output,
                                              const std::vector<std::string>& sources)
    {
        rm::MergeChecks checks;
        checks.everyMarkedSheet = everySheet;
        checks.chooseSave = [&](const rm::LayoutFindings& found) {
            findings = found;
            return choice;
        };
        return rm::runMerge(rm::test::sharedOffice(), path("模板"), sources, output, progress, checks);
    }

    TempFolder folder;
    RecordingProgress progress;
    rm::LayoutFindings findings;
};

} // namespace

TEST_P(OfficeSheetPackageTest, EveryMarkedSheetFromEachBranchsSheetOfItsName)
{
    const std::string output = folder / ("合并" + GetParam());
    ASSERT_TRUE(merge(true, rm::SaveChoice::ByPosition, output, branches()));
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(rm::describeFinding(findings[0]), "缺少工作表“现金流量表”：" + path("南区"));
    EXPECT_EQ(rm::describeFinding(findings[1]), "缺少工作表“说明”：" + path("南区"));

    const std::map<std::string, std::string> expected{
        {"active", "资产负债表"},
        {"资产负债表!B1", "本期"}, {"资产负债表!B2", "1000"}, {"资产负债表!B3", "100"}, {"资产负债表!B4", "1100"},
        {"利润表!B1", "本期"}, {"利润表!B2", "3200"}, {"利润表!B3", "1800"}, {"利润表!B4", "1400"},
        {"现金流量表!B1", "本期"}, {"现金流量表!B2", "180"}, {"现金流量表!B3", "-90"}, {"现金流量表!B4", "90"},
        {"说明!B1", "1100"}, {"说明!B2", "3200"}, {"说明!B3", "90"}, {"说明!B4", "4380"}};
    EXPECT_EQ(texts(output), expected);
    if (GetParam() == ".xls") {
        // What a reader of its own finds in the file: the formulas' results stored too.
        const XlsContent saved = readXls(output);
        EXPECT_EQ(saved.activeSheet, 0);
        EXPECT_EQ(saved.cell("利润表!B2"), "n:3200.0");
        EXPECT_EQ(saved.cell("说明!B4"), "n:4380.0");
    }
}

TEST_P(OfficeSheetPackageTest, ABranchSavedWithAnotherSheetActiveIsReadByNameWhenAligned)
{
    const std::string output = folder / ("资产" + GetParam());
    ASSERT_TRUE(merge(false, rm::SaveChoice::AlignByLabels, output, {path("东区"), path("西区")}));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(rm::describeFinding(findings[0]),
              "活动工作表是“利润表”，模板是“资产负债表”；可按工作表名称读取：" + path("西区"));
    const auto cells = texts(output);
    EXPECT_EQ(cells.at("资产负债表!B2"), "300");
    EXPECT_EQ(cells.at("资产负债表!B3"), "30");
    EXPECT_EQ(cells.at("利润表!B2"), "?");   // only the active sheet is merged
}

INSTANTIATE_TEST_SUITE_P(Formats, OfficeSheetPackageTest, ::testing::Values(".xls", ".xlsx"),
                         [](const auto& info) { return info.param == ".xls" ? "xls" : "xlsx"; });
