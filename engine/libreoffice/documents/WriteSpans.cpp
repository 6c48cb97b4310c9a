#include "engine/libreoffice/documents/WriteSpans.h"

#include "engine/libreoffice/documents/FormulaReferences.h"

#include <algorithm>
#include <vector>

namespace rm::lo {

namespace {

enum class Visit { New, Open, Done };

struct Node {
    std::optional<std::vector<CellBlock>> blocks;
    WriteSpan span;
    Visit visit = Visit::New;
};

// One formula being followed: where it is in its blocks.
struct Frame {
    long long cell;
    size_t block = 0;
    long row = 0;
    long column = 0;
    bool started = false;
};

void widen(WriteSpan& span, const WriteSpan& by)
{
    span.known = span.known && by.known;
    span.first = std::min(span.first, by.first);
    span.last = std::max(span.last, by.last);
}

} // namespace

std::optional<std::unordered_map<long long, WriteSpan>>
writeSpans(const std::unordered_map<long long, std::string>& formulas, const std::function<bool(long long)>& writable,
           long rows, long columns, long long budget)
{
    std::unordered_map<long long, Node> nodes;
    nodes.reserve(formulas.size());
    for (const auto& [cell, formula] : formulas) {
        Node node;
        node.blocks = sameSheetReferences(formula);
        if (node.blocks) {
            for (auto& block : *node.blocks) {   // beyond the sheet's extent every cell is empty
                block.lastRow = std::min(block.lastRow, rows);
                block.lastColumn = std::min(block.lastColumn, columns);
            }
        } else {
            node.span = WriteSpan::unknown();
        }
        nodes.emplace(cell, std::move(node));
    }

    long long visits = 0;
    std::vector<Frame> stack;
    for (auto& [root, rootNode] : nodes) {
        if (rootNode.visit != Visit::New)
            continue;
        stack.push_back(Frame{root});
        while (!stack.empty()) {
            Frame& frame = stack.back();
            Node& node = nodes.at(frame.cell);
            node.visit = Visit::Open;
            const std::vector<CellBlock> noBlocks;
            const std::vector<CellBlock>& blocks = node.blocks ? *node.blocks : noBlocks;
            bool descended = false;
            while (!descended && frame.block < blocks.size()) {
                const CellBlock& block = blocks[frame.block];
                if (!frame.started) {
                    frame.row = block.firstRow;
                    frame.column = block.firstColumn;
                    frame.started = true;
                }
                if (frame.row > block.lastRow || block.firstColumn > block.lastColumn) {
                    ++frame.block;
                    frame.started = false;
                    continue;
                }
                if (++visits > budget)
                    return std::nullopt;
                const long long cell = scanKey(frame.row, frame.column);
                if (++frame.column > block.lastColumn) {
                    frame.column = block.firstColumn;
                    ++frame.row;
                }
                if (writable(cell)) {
                    node.span.first = std::min(node.span.first, cell);
                    node.span.last = std::max(node.span.last, cell);
                }
                const auto child = nodes.find(cell);
                if (child == nodes.end())
                    continue;
                if (child->second.visit == Visit::Done) {
                    widen(node.span, child->second.span);
                } else if (child->second.visit == Visit::Open) {
                    node.span.known = false;   // a circle: any order of writes may matter
                } else {
                    stack.push_back(Frame{cell});
                    descended = true;
                }
            }
            if (descended)
                continue;
            node.visit = Visit::Done;
            const WriteSpan done = node.span;
            stack.pop_back();
            if (!stack.empty())
                widen(nodes.at(stack.back().cell).span, done);
        }
    }

    std::unordered_map<long long, WriteSpan> spans;
    spans.reserve(nodes.size());
    for (const auto& [cell, node] : nodes)
        spans.emplace(cell, node.span);
    return spans;
}

} // namespace rm::lo
