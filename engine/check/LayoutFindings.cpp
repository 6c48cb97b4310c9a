#include "engine/check/LayoutFindings.h"

namespace rm {

namespace {

std::string quoted(const std::string& text)
{
    return "“" + text + "”";
}

std::string describeDifference(const LabelDifference& difference)
{
    return cellAddress(difference.row, difference.column) + " 模板" + quoted(difference.templateText) + "，此文件" +
           (difference.sourceText.empty() ? std::string("为空") : quoted(difference.sourceText));
}

std::string describeDifferences(const LayoutFinding& finding)
{
    std::string text = std::to_string(finding.differingLabels) + " 处标签不同：";
    for (std::size_t i = 0; i < finding.firstDifferences.size(); ++i)
        text += (i ? "；" : "") + describeDifference(finding.firstDifferences[i]);
    if (finding.differingLabels > static_cast<long>(finding.firstDifferences.size()))
        text += "；…";
    return text;
}

std::string describeLayout(const LayoutFinding& finding)
{
    std::string text = "版式与模板不同：" + finding.sourcePath + "（";
    if (!finding.moves.empty()) {
        for (std::size_t i = 0; i < finding.moves.size(); ++i)
            text += (i ? "；" : "") + describeMove(finding.moves[i]);
    } else {
        text += describeDifferences(finding);
    }
    if (finding.alignable)
        text += finding.aligned ? "；已按标签对齐" : "；可按标签对齐";
    else if (!finding.moves.empty())
        text += "；不能按标签对齐";
    return text + "）";
}

constexpr std::size_t kShownMovedTexts = 3;

} // namespace

std::string columnLetters(int column)
{
    std::string letters;
    for (int n = column; n > 0; n = (n - 1) / 26)
        letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    return letters;
}

std::string cellAddress(int row, int column)
{
    return columnLetters(column) + std::to_string(row);
}

std::string describeMove(const LayoutMove& move)
{
    const int count = move.by < 0 ? -move.by : move.by;
    std::string text = move.rows ? "第 " + std::to_string(move.from) + " 行起" + (move.by > 0 ? "下移 " : "上移 ") +
                                       std::to_string(count) + " 行"
                                 : "第 " + columnLetters(move.from) + " 列起" + (move.by > 0 ? "右移 " : "左移 ") +
                                       std::to_string(count) + " 列";
    if (move.texts.empty())
        return text;
    text += move.by > 0 ? "（多出" : "（缺少";
    for (std::size_t i = 0; i < move.texts.size() && i < kShownMovedTexts; ++i)
        text += (i ? "、" : "") + quoted(move.texts[i]);
    if (move.texts.size() > kShownMovedTexts)
        text += "等";
    return text + "）";
}

std::string describeFinding(const LayoutFinding& finding)
{
    const std::string sheet = finding.sheet.empty() ? std::string() : "工作表" + quoted(finding.sheet) + "：";
    switch (finding.kind) {
    case LayoutFinding::Kind::LayoutDiffers:
        return sheet + describeLayout(finding);
    case LayoutFinding::Kind::SameContent:
        return sheet + "与 " + finding.otherPath + " 内容相同：" + finding.sourcePath;
    case LayoutFinding::Kind::NothingToAdd:
        return sheet + "没有可相加的数字：" + finding.sourcePath;
    case LayoutFinding::Kind::NoMarkedCells:
        return "模板中没有要填写的单元格（显示内容含有“?”的单元格），合并结果将与模板相同：" + finding.sourcePath;
    case LayoutFinding::Kind::ActiveSheetDiffers:
        return "活动工作表是" + quoted(finding.sourceSheet) + "，模板是" + quoted(finding.sheet) +
               (finding.aligned ? "；已按工作表名称读取：" : "；可按工作表名称读取：") + finding.sourcePath;
    case LayoutFinding::Kind::MissingSheet:
        return "缺少工作表" + quoted(finding.sheet) +
               (finding.candidates > 1 ? "（" + std::to_string(finding.candidates) + " 个工作表的名称只差空格、全角半角或大小写）"
                                       : std::string()) +
               "：" + finding.sourcePath;
    }
    return {};
}

namespace {

bool resolvedByAligning(const LayoutFinding& finding)
{
    return (finding.kind == LayoutFinding::Kind::LayoutDiffers ||
            finding.kind == LayoutFinding::Kind::ActiveSheetDiffers) &&
           finding.alignable;
}

} // namespace

bool anyAlignable(const LayoutFindings& findings)
{
    for (const auto& finding : findings)
        if (resolvedByAligning(finding))
            return true;
    return false;
}

std::size_t findingsRemaining(const LayoutFindings& findings, SaveChoice choice)
{
    std::size_t remaining = 0;
    for (const auto& finding : findings)
        if (!(choice == SaveChoice::AlignByLabels && resolvedByAligning(finding)))
            ++remaining;
    return remaining;
}

SaveChoice safestSaveChoice(const LayoutFindings& findings)
{
    bool layoutDiffers = false;
    for (const auto& finding : findings) {
        switch (finding.kind) {
        case LayoutFinding::Kind::SameContent:
        case LayoutFinding::Kind::NoMarkedCells:
        case LayoutFinding::Kind::MissingSheet:   // perhaps renamed: its numbers would be left out unseen
            return SaveChoice::DontSave;
        case LayoutFinding::Kind::LayoutDiffers:
        case LayoutFinding::Kind::ActiveSheetDiffers:
            if (!finding.alignable)
                return SaveChoice::DontSave;
            layoutDiffers = true;
            break;
        case LayoutFinding::Kind::NothingToAdd:
            break;
        }
    }
    return layoutDiffers ? SaveChoice::AlignByLabels : SaveChoice::ByPosition;
}

std::string notSavedBecauseOfFindings()
{
    return "因发现以上问题，合并结果没有保存。";
}

} // namespace rm
