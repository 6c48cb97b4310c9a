#include "RecordingProgress.h"

#include "engine/Error.h"
#include "engine/ErrorNumbers.h"
#include "engine/MarkedCells.h"
#include "engine/memory/MemorySheet.h"

#include <gtest/gtest.h>

#include <limits>

using rm::mem::Formula;
using rm::mem::MemorySheet;
using rm::mem::NumberFormat;
using rm::mem::SheetContent;

namespace {

const rm::NumericLocale enUS;

using Sheets = std::vector<std::shared_ptr<rm::Worksheet>>;

std::shared_ptr<MemorySheet> sheetOf(SheetContent content)
{
    return std::make_shared<MemorySheet>(std::move(content));
}

void sum(MemorySheet& target, const Sheets& sources, RecordingProgress& progress)
{
    rm::sumMarkedCells(target, sources, progress, enUS);
}

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const rm::Error& error) {
        return error.number();
    }
    return 0;
}

} // namespace

TEST(MarkedText, QuestionMarksAnywhereAndFullWidth)
{
    EXPECT_TRUE(rm::isMarkedText("?"));
    EXPECT_TRUE(rm::isMarkedText("?total"));
    EXPECT_TRUE(rm::isMarkedText("to?tal"));
    EXPECT_TRUE(rm::isMarkedText("total?"));
    EXPECT_TRUE(rm::isMarkedText("合计？"));
    EXPECT_TRUE(rm::isMarkedText("#NAME?"));
    EXPECT_FALSE(rm::isMarkedText(""));
    EXPECT_FALSE(rm::isMarkedText("total"));
    EXPECT_FALSE(rm::isMarkedText("¿"));
}

TEST(SumMarkedCells, WritesSumsIntoMarkedCellsOnly)
{
    MemorySheet target(SheetContent()
                           .text(1, 1, "?").text(1, 2, "label").text(1, 3, "x?y")
                           .text(2, 1, "合计？").formula(2, 2, Formula::error("#NAME?")).number(2, 3, 9));
    auto a = sheetOf(SheetContent().number(1, 1, 1.5).number(1, 2, 100).number(1, 3, 2).number(2, 1, 4).number(2, 2, 5).number(2, 3, 6));
    auto b = sheetOf(SheetContent().number(1, 1, 2).number(1, 3, 3).number(2, 1, 1).number(2, 2, 1));
    auto c = sheetOf(SheetContent());
    RecordingProgress progress;
    sum(target, {a, b, c}, progress);

    const SheetContent& out = target.content();
    EXPECT_EQ(out.numberAt(1, 1), 3.5); // 1.5 + 2 + empty
    EXPECT_EQ(out.displayedText(1, 2), "label");
    EXPECT_EQ(out.numberAt(1, 3), 5);
    EXPECT_EQ(out.numberAt(2, 1), 5);   // full-width mark
    EXPECT_EQ(out.numberAt(2, 2), 6);   // "?" only in an error's displayed text
    EXPECT_FALSE(out.hasFormula(2, 2));
    EXPECT_EQ(out.numberAt(2, 3), 9);   // unmarked number untouched
    EXPECT_EQ(target.valueWrites(), 4);
}

TEST(SumMarkedCells, DisplayedTextsOfSourcesCount)
{
    MemorySheet target(SheetContent().text(1, 1, "?").text(1, 2, "?").text(1, 3, "?").text(1, 4, "?"));
    auto a = sheetOf(SheetContent()
                         .number(1, 1, 1.236, NumberFormat::fixed(2))       // shows 1.24
                         .formula(1, 2, Formula::error("#DIV/0!"))
                         .number(1, 3, 5e9, NumberFormat::tooNarrow())      // "###"
                         .number(1, 4, -1234.5, NumberFormat::accounting(2)));
    auto b = sheetOf(SheetContent()
                         .number(1, 1, 1, NumberFormat::percent(0))          // "100%" is no number
                         .text(1, 2, "words")
                         .number(1, 3, 1234.5, NumberFormat::fixed(2, true)) // "1,234.50"
                         .text(1, 4, " 1.23E+04 "));
    RecordingProgress progress;
    sum(target, {a, b}, progress);
    EXPECT_EQ(target.content().numberAt(1, 1), 1.24);
    EXPECT_EQ(target.content().numberAt(1, 2), 0);
    EXPECT_EQ(target.content().numberAt(1, 3), 1234.5);
    EXPECT_EQ(target.content().numberAt(1, 4), -1234.5 + 12300);
}

TEST(SumMarkedCells, NoSourcesOrNoNumbersGiveZero)
{
    MemorySheet alone(SheetContent().text(1, 1, "?").text(2, 2, "?"));
    RecordingProgress progress;
    sum(alone, {}, progress);
    EXPECT_EQ(alone.content().numberAt(1, 1), 0);
    EXPECT_EQ(alone.content().displayedText(2, 2), "0");

    MemorySheet target(SheetContent().text(1, 1, "?"));
    auto words = sheetOf(SheetContent().text(1, 1, "n/a"));
    auto empty = sheetOf(SheetContent());
    sum(target, {words, empty}, progress);
    EXPECT_EQ(target.content().numberAt(1, 1), 0);
    EXPECT_FALSE(target.content().isEmpty(1, 1));
}

TEST(SumMarkedCells, AdditionsFollowListOrder)
{
    // (1e16 + 1) + 1 loses both ones; 1 + 1 + 1e16 keeps them.
    MemorySheet forward(SheetContent().text(1, 1, "?"));
    MemorySheet backward(SheetContent().text(1, 1, "?"));
    auto big = sheetOf(SheetContent().text(1, 1, "1E+16"));
    auto one = sheetOf(SheetContent().number(1, 1, 1));
    RecordingProgress progress;
    sum(forward, {big, one, one}, progress);
    sum(backward, {one, one, big}, progress);
    EXPECT_EQ(forward.content().numberAt(1, 1), 1e16);
    EXPECT_EQ(backward.content().numberAt(1, 1), 1e16 + 2);
}

TEST(SumMarkedCells, FormulasAreJudgedOnTheTextShownWhenReached)
{
    // B1 shows A1's "?" before the merge but A1's sum by the time the scan reaches it.
    // C1 shows A2's "?", and A2 is written only after C1 is reached.
    MemorySheet target(SheetContent()
                           .text(1, 1, "?")
                           .formula(1, 2, Formula::reference(1, 1))
                           .formula(1, 3, Formula::reference(2, 1))
                           .text(2, 1, "?")
                           .formula(2, 2, Formula::sum(1, 1, 1, 1), NumberFormat::fixed(1)));
    auto source = sheetOf(SheetContent().number(1, 1, 7).number(1, 2, 100).number(1, 3, 50).number(2, 1, 3).number(2, 2, 100));
    RecordingProgress progress;
    sum(target, {source}, progress);
    const SheetContent& out = target.content();
    EXPECT_TRUE(out.hasFormula(1, 2));               // showed "7" when reached: kept
    EXPECT_EQ(out.displayedText(1, 2), "7");
    EXPECT_FALSE(out.hasFormula(1, 3));              // still showed "?" when reached: summed
    EXPECT_EQ(out.numberAt(1, 3), 50);
    EXPECT_EQ(out.numberAt(2, 1), 3);
    EXPECT_TRUE(out.hasFormula(2, 2));
    EXPECT_EQ(out.displayedText(2, 2), "7.0");
}

TEST(SumMarkedCells, RectangleStartsAtA1WhateverTheUsedRange)
{
    // Used area rows 3..20, columns 2..6: the scan covers rows 1..18, columns 1..5.
    SheetContent content;
    content.text(3, 2, "?").text(20, 6, "?").text(18, 5, "?").text(19, 3, "?").text(10, 6, "?");
    MemorySheet target(content);
    auto source = sheetOf(SheetContent().number(3, 2, 1).number(20, 6, 1).number(18, 5, 1).number(19, 3, 1).number(10, 6, 1));
    RecordingProgress progress;
    sum(target, {source}, progress);
    const SheetContent& out = target.content();
    EXPECT_EQ(out.numberAt(3, 2), 1);
    EXPECT_EQ(out.numberAt(18, 5), 1);
    EXPECT_EQ(out.displayedText(19, 3), "?"); // last two rows not scanned
    EXPECT_EQ(out.displayedText(20, 6), "?");
    EXPECT_EQ(out.displayedText(10, 6), "?"); // last column not scanned
    EXPECT_EQ(progress.maximum, 18.0f * 5.0f);
    EXPECT_EQ(progress.current, 90.0f);
}

TEST(SumMarkedCells, ProgressIsSetUpThenAdvancedOncePerCell)
{
    MemorySheet target(SheetContent().text(1, 1, "?").text(3, 4, "x"));
    RecordingProgress progress;
    progress.current = 55;
    sum(target, {}, progress);
    ASSERT_GE(progress.calls.size(), 4u);
    EXPECT_EQ(progress.calls[0], "max 12");
    EXPECT_EQ(progress.calls[1], "min 0");
    EXPECT_EQ(progress.calls[2], "value 0");
    EXPECT_EQ(progress.calls[3], "value 1");
    EXPECT_EQ(progress.current, 12.0f);
    EXPECT_EQ(progress.valueWrites, 13);

    MemorySheet single(SheetContent().text(1, 1, "?"));
    RecordingProgress one;
    sum(single, {}, one);
    EXPECT_EQ(one.maximum, 1.0f);
    EXPECT_EQ(one.current, 1.0f);
}

TEST(SumMarkedCells, ProgressAdvancesFromTheValueReadBack)
{
    // An indicator that clamps what it is given: the next value builds on what it reports.
    struct ClampingProgress : RecordingProgress {
        void setValue(float value) override { RecordingProgress::setValue(value > 2 ? 2 : value); }
    } progress;
    MemorySheet target(SheetContent().text(1, 1, "a").text(1, 5, "b"));
    sum(target, {}, progress);
    EXPECT_EQ(progress.current, 2.0f);
}

TEST(SumMarkedCells, RowCountLimits)
{
    MemorySheet full(SheetContent().text(1, 1, "?").text(32767, 1, "?"));
    auto source = sheetOf(SheetContent().number(32767, 1, 4));
    RecordingProgress progress;
    sum(full, {source}, progress);
    EXPECT_EQ(full.content().numberAt(32767, 1), 4);
    EXPECT_EQ(progress.current, 32767.0f);

    MemorySheet tooLong(SheetContent().text(1, 1, "?").text(32768, 1, "?"));
    RecordingProgress untouched;
    EXPECT_EQ(errorNumberOf([&] { sum(tooLong, {source}, untouched); }), rm::ErrorNumber::Overflow);
    EXPECT_TRUE(untouched.calls.empty());
    EXPECT_EQ(tooLong.textReads(), 0);
    EXPECT_EQ(tooLong.valueWrites(), 0);
}

TEST(SumMarkedCells, ColumnIndexOverflowsAfterTheFirst32767CellsOfRowOne)
{
    MemorySheet wide(SheetContent().text(1, 1, "?").text(1, 32767, "?").text(1, 32768, "?"));
    RecordingProgress progress;
    EXPECT_EQ(errorNumberOf([&] { sum(wide, {}, progress); }), rm::ErrorNumber::Overflow);
    EXPECT_EQ(wide.textReads(), 32767);
    EXPECT_EQ(wide.content().numberAt(1, 32767), 0);
    EXPECT_EQ(wide.content().displayedText(1, 32768), "?");
    EXPECT_EQ(progress.current, 32767.0f);
    EXPECT_EQ(progress.maximum, 32768.0f);

    MemorySheet exact(SheetContent().text(1, 1, "?").text(1, 32767, "?"));
    sum(exact, {}, progress);
    EXPECT_EQ(progress.current, 32767.0f);
}

TEST(SumMarkedCells, SumOverflowIsAnError)
{
    MemorySheet target(SheetContent().text(1, 1, "?").text(1, 2, "?"));
    auto a = sheetOf(SheetContent().text(1, 1, "1.7E+308").number(1, 2, 1));
    auto b = sheetOf(SheetContent().text(1, 1, "1.7E+308").number(1, 2, 1));
    RecordingProgress progress;
    EXPECT_EQ(errorNumberOf([&] { sum(target, {a, b}, progress); }), rm::ErrorNumber::Overflow);
    EXPECT_EQ(target.content().displayedText(1, 1), "?"); // nothing written for the failing cell
    EXPECT_EQ(progress.current, 0.0f);
}

TEST(SumMarkedCells, SpreadsheetErrorsPassUpUnchanged)
{
    MemorySheet target(SheetContent().text(1, 1, "?").text(1, 2, "?").refuseWrites(1, 2).text(1, 3, "?"));
    RecordingProgress progress;
    EXPECT_EQ(errorNumberOf([&] { sum(target, {}, progress); }), rm::ErrorNumber::CellAccessFailed);
    EXPECT_EQ(target.content().numberAt(1, 1), 0); // earlier writes stay
    EXPECT_EQ(target.content().displayedText(1, 3), "?");
    EXPECT_EQ(progress.current, 1.0f);

    MemorySheet reading(SheetContent().text(1, 1, "?"));
    auto broken = sheetOf(SheetContent().refuseReads(1, 1));
    EXPECT_EQ(errorNumberOf([&] { sum(reading, {broken}, progress); }), rm::ErrorNumber::CellAccessFailed);
}

namespace {

// A huge blank sheet without storage, for the single-precision progress limit.
class BlankSheet : public rm::Worksheet {
public:
    BlankSheet(long rows, long columns) : m_rows(rows), m_columns(columns) {}
    long usedRangeRowCount() override { return m_rows; }
    long usedRangeColumnCount() override { return m_columns; }
    std::string cellText(int, int) override { return {}; }
    bool cellHasFormula(int, int) override { return false; }
    void setCellValue2(int, int, double) override {}
    void activate() override {}
    void saveAs(const std::string&) override {}

private:
    long m_rows, m_columns;
};

} // namespace

TEST(SumMarkedCells, ProgressStallsAtSinglePrecisionLimit)
{
    BlankSheet huge(32767, 520); // 17,038,840 cells
    RecordingProgress progress;
    rm::sumMarkedCells(huge, {}, progress, enUS);
    EXPECT_EQ(progress.current, 16777216.0f);
    EXPECT_EQ(progress.maximum, static_cast<float>(32767L * 520));
    EXPECT_EQ(progress.valueWrites, 32767L * 520 + 1);
}
