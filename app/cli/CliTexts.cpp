#include "app/cli/CliTexts.h"

#include "app/ProgramVersion.h"

namespace rm::cli::CliText {

std::string usageText()
{
    return "用法: reportmerge-cli [--strict] [--align labels|position] [--sheets active|all]\n"
           "                        [--report 报告.csv] [--offices N] 模板文件 输出文件 合并文件...\n"
           "Usage: reportmerge-cli [--strict] [--align labels|position] [--sheets active|all]\n"
           "                        [--report FILE.csv] [--offices N] TEMPLATE OUTPUT SOURCE...\n"
           "\n"
           "把每个合并文件活动工作表中与模板标有“?”的单元格相同位置的数字相加，\n"
           "写入模板的副本，并保存为输出文件。模板和合并文件不会被修改。\n"
           "Sums, for every cell of the template's active sheet whose text contains \"?\",\n"
           "the numbers shown at the same cell of each source's active sheet, and saves\n"
           "the result as OUTPUT. The template and the sources are never modified.\n"
           "\n"
           "保存前检查每个合并文件：决定相加位置的行、列标题与模板不同（能否按标签对齐）、\n"
           "与另一个文件内容相同、没有可相加的数字，发现的问题写到标准错误输出。\n"
           "Before saving, every source is checked (a row or column header that places a\n"
           "sum differs from the template, and whether the source can be aligned by its\n"
           "labels; same content as another source; nothing to add); findings go to stderr.\n"
           "\n"
           "  --align labels     read every alignable source where its own row and column\n"
           "                     labels put the numbers (rows or columns inserted or removed)\n"
           "  --align position   read every source at the template's cells (the default)\n"
           "  --sheets all       merge every sheet of the template that has a mark, each\n"
           "                     from the source's sheet of the same name (合并所有工作表);\n"
           "                     a source without that sheet adds nothing there (a finding)\n"
           "  --sheets active    only the template's active sheet (the default); a source\n"
           "                     saved with another sheet active is a finding, and\n"
           "                     --align labels reads its sheet of the template's name\n"
           "  --strict           do not save when a finding remains (with --align labels,\n"
           "                     alignable sources no longer count) (exit status 4)\n"
           "  --report FILE.csv  write, for every marked cell, what each source added and\n"
           "                     the sum (UTF-8 CSV with a byte-order mark); an aligned\n"
           "                     source also gets the cell read, where it is another one\n"
           "  --offices N        read the sources with N private offices side by side\n"
           "                     (1 to 4; default: one per processor core, at most 4)\n"
           "  -h, --help         show this text\n"
           "  --version          show the program's name and version\n"
           "\n"
           "Exit status: 0 merged (also with findings, without --strict); 1 the merge\n"
           "failed (\"错误:\" number, then the description); 2 wrong arguments; 3 the\n"
           "template or a source is missing; 4 --strict and a finding of the check\n"
           "remains (nothing saved).\n";
}

std::string versionText()
{
    return "reportmerge-cli " REPORTMERGE_VERSION "\n";
}

std::string mergeInterrupted()
{
    return "合并已中断，输出文件没有保存。";
}

std::string interruptedAfterSaving()
{
    return "合并已中断，输出文件已经保存。";
}

std::string progressDone()
{
    return "完成";
}

std::string mergeDone()
{
    return "报表合并完成。";
}

std::string reportPathTaken(const std::string& reportPath)
{
    return "报告文件不能是模板、输出文件或要合并的文件：" + reportPath;
}

std::string cellHeading()
{
    return "单元格";
}

std::string sheetHeading()
{
    return "工作表";
}

std::string sourceHeading(const std::string& sourcePath, bool aligned)
{
    return aligned ? sourcePath + "（按标签对齐）" : sourcePath;
}

std::string cellReadHeading()
{
    return "读取的单元格";
}

std::string sumHeading()
{
    return "合计";
}

} // namespace rm::cli::CliText
