// The command line's progress line: display widths of Chinese text, the
// terminal's width, and a line that stays short of the last column.

#include "app/cli/TerminalProgress.h"
#include "app/cli/TerminalWidth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

using rm::MergeStage;
using rm::cli::cutToWidth;
using rm::cli::displayWidth;
using rm::cli::progressLine;
using rm::cli::terminalColumns;

namespace {

// Sets or unsets $COLUMNS for one test, and puts back what was there.
class ColumnsVariable {
public:
    explicit ColumnsVariable(const char* value)
    {
        if (const char* old = std::getenv("COLUMNS"))
            m_old = old;
        if (value)
            setenv("COLUMNS", value, 1);
        else
            unsetenv("COLUMNS");
    }
    ~ColumnsVariable()
    {
        if (m_old)
            setenv("COLUMNS", m_old->c_str(), 1);
        else
            unsetenv("COLUMNS");
    }

private:
    std::optional<std::string> m_old;
};

// The lines drawn with "\r", as the terminal last shows each (padding included).
std::vector<std::string> drawnLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::string current;
    for (const char c : output) {
        if (c == '\r' || c == '\n') {
            if (!current.empty())
                lines.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        lines.push_back(current);
    return lines;
}

} // namespace

TEST(TerminalWidth, ChineseTakesTwoColumnsAndCutsKeepWholeCharacters)
{
    EXPECT_EQ(displayWidth(""), 0);
    EXPECT_EQ(displayWidth("abc 12/300"), 10);
    EXPECT_EQ(displayWidth("读取合并文件 12/300"), 19);
    EXPECT_EQ(displayWidth("东区，报表（一）.xls"), 20);   // full-width punctuation too
    EXPECT_EQ(displayWidth("…"), 2);                        // ambiguous: as wide as a Chinese terminal shows it
    EXPECT_EQ(displayWidth("e\xCC\x81"), 1);                // e and a combining acute
    EXPECT_EQ(displayWidth("a\xFF" "b\xE4\xB8"), 5);        // bytes that are not UTF-8 count one each

    EXPECT_EQ(cutToWidth("读取合并文件", 5), "读取");
    EXPECT_EQ(cutToWidth("读取合并文件", 6), "读取合");
    EXPECT_EQ(cutToWidth("ab读", 3), "ab");
    EXPECT_EQ(cutToWidth("ab读", 0), "");
    EXPECT_EQ(cutToWidth("e\xCC\x81x", 1), "e\xCC\x81");
}

TEST(TerminalWidth, ColumnsFromTheTerminalThenColumnsVariableThen80)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int terminal = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 33;
    ASSERT_EQ(ioctl(terminal, TIOCSWINSZ, &size), 0);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    {
        ColumnsVariable columns("50");
        EXPECT_EQ(terminalColumns(terminal), 33);
        EXPECT_EQ(terminalColumns(pipeEnds[1]), 50);
    }
    for (const char* unusable : {"", "abc", "0", "-5", "40x"}) {
        ColumnsVariable columns(unusable);
        EXPECT_EQ(terminalColumns(pipeEnds[1]), 80) << unusable;
    }
    {
        ColumnsVariable columns(nullptr);
        EXPECT_EQ(terminalColumns(pipeEnds[1]), 80);
        EXPECT_EQ(terminalColumns(-1), 80);
    }
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    close(terminal);
    close(master);
}

TEST(ProgressLine, StaysShortOfTheLastColumn)
{
    const std::vector<std::string> labels{"",
                                          "启动 LibreOffice",
                                          "读取合并文件 12/300",
                                          "读取合并文件 32767/32767",
                                          "二〇二六年各分部按月上报并且已经审核通过的原始报表第三季度东区.xls"};
    for (const int columns : {1, 2, 4, 8, 20, 40, 80})
        for (const std::string& label : labels)
            for (const double fraction : {0.0, 0.456, 1.0}) {
                const std::string line = progressLine(fraction, label, columns);
                EXPECT_LT(displayWidth(line), columns) << columns << " columns: " << line;
            }
}

TEST(ProgressLine, TheBarGivesWayFirstThenTheLabelsEnd)
{
    // Wide enough: the whole 40-cell bar, as ever.
    EXPECT_EQ(progressLine(0.5, "读取合并文件 12/300", 80),
              "[" + std::string(20, '#') + std::string(20, ' ') + "] 50% 读取合并文件 12/300");
    // Narrower: a shorter bar, sized for "100%" so it keeps its length.
    const std::string at40 = progressLine(0.5, "读取合并文件 12/300", 40);
    EXPECT_EQ(at40, "[" + std::string(6, '#') + std::string(6, ' ') + "] 50% 读取合并文件 12/300");
    EXPECT_EQ(progressLine(1.0, "读取合并文件 12/300", 40).size(), at40.size() + 1);
    EXPECT_EQ(progressLine(0.5, "求和", 20), "[###    ] 50% 求和");
    // No room for a bar: the percentage and the label.
    EXPECT_EQ(progressLine(0.5, "读取合并文件 1/3", 24), "50% 读取合并文件 1/3");
    // Not even that: the label's end is cut, whole characters only.
    EXPECT_EQ(progressLine(0.5, "读取合并文件 12/300", 20), "50% 读取合并文件 …");
    EXPECT_EQ(progressLine(0.5, "读取合并文件 12/300", 12), "50% 读取…");
    EXPECT_EQ(progressLine(0.07, "读取合并文件 12/300", 8), "7% 读…");
    EXPECT_EQ(progressLine(0.5, "读取合并文件 12/300", 6), "50%");
    EXPECT_EQ(progressLine(1.0, "完成", 4), "100");
    EXPECT_EQ(progressLine(1.0, "完成", 1), "");
}

TEST(TerminalProgress, DrawsWithinTheWidthAndWipesWhatALongerLineLeft)
{
    std::ostringstream terminal;
    int columns = 80;
    {
        rm::cli::TerminalProgress progress(terminal, true, 300, [&columns] { return columns; });
        progress.stageProgress(MergeStage::StartingOffice, 0, 0);
        progress.stageProgress(MergeStage::ReadingSources, 120, 300);
        columns = 20;
        progress.stageProgress(MergeStage::ReadingSources, 121, 300);
        progress.stageProgress(MergeStage::Summing, 0, 0);
        progress.finish();
    }
    const std::string output = terminal.str();
    EXPECT_EQ(output.back(), '\n');
    const std::vector<std::string> lines = drawnLines(output);
    ASSERT_EQ(lines.size(), 5u) << output;
    EXPECT_LT(displayWidth(lines[1]), 80);
    EXPECT_NE(lines[1].find("读取合并文件 120/300"), std::string::npos);
    for (size_t i = 2; i < lines.size(); ++i)
        EXPECT_LT(displayWidth(lines[i]), 20) << lines[i];
    // "求和" after a longer line: blanks to where the longer one ended, not beyond.
    EXPECT_EQ(displayWidth(lines[3]), displayWidth(lines[2]));
    EXPECT_NE(lines[3].find("求和 "), std::string::npos);
    EXPECT_NE(lines[4].find("100% 完成"), std::string::npos);
}

TEST(TerminalProgress, DrawsNothingWhenNotAskedAndNothingTwice)
{
    std::ostringstream quiet;
    {
        rm::cli::TerminalProgress progress(quiet, false, 1);
        progress.stageProgress(MergeStage::Saving, 0, 0);
        progress.finish();
    }
    EXPECT_EQ(quiet.str(), "");

    std::ostringstream terminal;
    rm::cli::TerminalProgress progress(terminal, true, 1);
    progress.stageProgress(MergeStage::Summing, 0, 0);
    progress.setMaximum(100000.0f);
    progress.setMinimum(0.0f);
    const std::string before = terminal.str();
    progress.setValue(1.0f);   // too little to change the line
    EXPECT_EQ(terminal.str(), before);
    progress.endLine();
    EXPECT_EQ(terminal.str(), before + "\n");
}
