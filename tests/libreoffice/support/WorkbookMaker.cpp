#include "WorkbookMaker.h"

#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/files/SaveFilter.h"
#include "engine/libreoffice/uno/UnoProperties.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/XArrayFormulaRange.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/ConditionOperator.hpp>
#include <com/sun/star/sheet/XSheetConditionalEntries.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/sheet/XSheetFilterable.hpp>
#include <com/sun/star/sheet/XSheetFilterDescriptor.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/util/XMergeable.hpp>

#include <stdexcept>

using namespace css;

namespace rm::lo::test {

WorkbookMaker::WorkbookMaker(OfficeSession& session, const std::vector<std::string>& sheetNames)
{
    uno::Reference<frame::XComponentLoader> loader(session.connection().desktop(), uno::UNO_QUERY_THROW);
    m_model.set(loader->loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                             uno::Sequence<beans::PropertyValue>()),
                uno::UNO_QUERY_THROW);
    uno::Reference<sheet::XSpreadsheetDocument> document(m_model, uno::UNO_QUERY_THROW);
    const auto sheets = document->getSheets();
    const auto existing = sheets->getElementNames();
    for (size_t i = 0; i < sheetNames.size(); ++i)
        sheets->insertNewByName(toOUString("__new" + std::to_string(i)), static_cast<sal_Int16>(i));
    for (const auto& name : existing)
        sheets->removeByName(name);
    for (size_t i = 0; i < sheetNames.size(); ++i) {
        uno::Reference<container::XNamed> named(sheet(static_cast<int>(i)), uno::UNO_QUERY_THROW);
        named->setName(toOUString(sheetNames[i]));
    }
}

WorkbookMaker::~WorkbookMaker()
{
    try {
        uno::Reference<util::XCloseable>(m_model, uno::UNO_QUERY_THROW)->close(true);
    } catch (...) {
    }
}

uno::Reference<sheet::XSpreadsheet> WorkbookMaker::sheet(int index) const
{
    uno::Reference<sheet::XSpreadsheetDocument> document(m_model, uno::UNO_QUERY_THROW);
    uno::Reference<container::XIndexAccess> sheets(document->getSheets(), uno::UNO_QUERY_THROW);
    return uno::Reference<sheet::XSpreadsheet>(sheets->getByIndex(index), uno::UNO_QUERY_THROW);
}

int WorkbookMaker::formatKey(const std::string& format)
{
    uno::Reference<util::XNumberFormatsSupplier> supplier(m_model, uno::UNO_QUERY_THROW);
    const auto formats = supplier->getNumberFormats();
    const lang::Locale locale;   // the office's own locale, so a file opened elsewhere follows that one
    sal_Int32 key = formats->queryKey(toOUString(format), locale, false);
    if (key < 0)
        key = formats->addNew(toOUString(format), locale);
    return key;
}

void WorkbookMaker::applyFormat(int sheetIndex, int row, int column, const std::string& format)
{
    if (format.empty())
        return;
    uno::Reference<beans::XPropertySet> cell(sheet(sheetIndex)->getCellByPosition(column - 1, row - 1), uno::UNO_QUERY_THROW);
    cell->setPropertyValue("NumberFormat", uno::Any(sal_Int32(formatKey(format))));
}

WorkbookMaker& WorkbookMaker::addConditionalNumberFormat(int sheetIndex, const std::string& range,
                                                         const std::string& condition, const std::string& format)
{
    const int key = formatKey(format);
    addConditionalStyle(sheetIndex, range, condition, "Conditional" + std::to_string(key), "NumberFormat",
                        uno::Any(sal_Int32(key)));
    return *this;
}

WorkbookMaker& WorkbookMaker::addConditionalBackground(int sheetIndex, const std::string& range,
                                                       const std::string& condition, int rgb)
{
    addConditionalStyle(sheetIndex, range, condition, "ConditionalBack" + std::to_string(rgb), "CellBackColor",
                        uno::Any(sal_Int32(rgb)));
    return *this;
}

void WorkbookMaker::addConditionalStyle(int sheetIndex, const std::string& range, const std::string& condition,
                                        const std::string& name, const std::string& styleProperty, const uno::Any& value)
{
    uno::Reference<style::XStyleFamiliesSupplier> families(m_model, uno::UNO_QUERY_THROW);
    uno::Reference<container::XNameContainer> cellStyles(families->getStyleFamilies()->getByName("CellStyles"),
                                                         uno::UNO_QUERY_THROW);
    uno::Reference<lang::XMultiServiceFactory> factory(m_model, uno::UNO_QUERY_THROW);
    const OUString styleName = toOUString(name);
    if (!cellStyles->hasByName(styleName)) {
        uno::Reference<beans::XPropertySet> style(factory->createInstance("com.sun.star.style.CellStyle"), uno::UNO_QUERY_THROW);
        cellStyles->insertByName(styleName, uno::Any(style));
        style->setPropertyValue(toOUString(styleProperty), value);
    }
    uno::Reference<table::XCellRange> cells(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<beans::XPropertySet> target(cells->getCellRangeByName(toOUString(range)), uno::UNO_QUERY_THROW);
    uno::Reference<sheet::XSheetConditionalEntries> entries(target->getPropertyValue("ConditionalFormat"), uno::UNO_QUERY_THROW);
    entries->addNew(sequence<beans::PropertyValue>({property("Operator", sheet::ConditionOperator_FORMULA),
                                                    property("Formula1", toOUString(condition)),
                                                    property("StyleName", styleName)}));
    target->setPropertyValue("ConditionalFormat", uno::Any(entries));
}

WorkbookMaker& WorkbookMaker::number(int sheetIndex, int row, int column, double value, const std::string& format)
{
    sheet(sheetIndex)->getCellByPosition(column - 1, row - 1)->setValue(value);
    applyFormat(sheetIndex, row, column, format);
    return *this;
}

WorkbookMaker& WorkbookMaker::text(int sheetIndex, int row, int column, const std::string& content)
{
    uno::Reference<text::XText> cell(sheet(sheetIndex)->getCellByPosition(column - 1, row - 1), uno::UNO_QUERY_THROW);
    cell->setString(toOUString(content));
    return *this;
}

WorkbookMaker& WorkbookMaker::formula(int sheetIndex, int row, int column, const std::string& content,
                                      const std::string& format)
{
    sheet(sheetIndex)->getCellByPosition(column - 1, row - 1)->setFormula(toOUString(content));
    applyFormat(sheetIndex, row, column, format);
    return *this;
}

WorkbookMaker& WorkbookMaker::background(int sheetIndex, int row, int column, int rgb)
{
    uno::Reference<beans::XPropertySet> cell(sheet(sheetIndex)->getCellByPosition(column - 1, row - 1), uno::UNO_QUERY_THROW);
    cell->setPropertyValue("CellBackColor", uno::Any(sal_Int32(rgb)));
    return *this;
}

WorkbookMaker& WorkbookMaker::hideRow(int sheetIndex, int row)
{
    uno::Reference<table::XColumnRowRange> ranges(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<beans::XPropertySet> line(ranges->getRows()->getByIndex(row - 1), uno::UNO_QUERY_THROW);
    line->setPropertyValue("IsVisible", uno::Any(false));
    return *this;
}

WorkbookMaker& WorkbookMaker::hideColumn(int sheetIndex, int column)
{
    uno::Reference<table::XColumnRowRange> ranges(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<beans::XPropertySet> line(ranges->getColumns()->getByIndex(column - 1), uno::UNO_QUERY_THROW);
    line->setPropertyValue("IsVisible", uno::Any(false));
    return *this;
}

WorkbookMaker& WorkbookMaker::filterRows(int sheetIndex, const std::string& range, double value)
{
    uno::Reference<table::XCellRange> cells(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<sheet::XSheetFilterable> filterable(cells->getCellRangeByName(toOUString(range)), uno::UNO_QUERY_THROW);
    const auto descriptor = filterable->createFilterDescriptor(true);
    sheet::TableFilterField field;
    field.Connection = sheet::FilterConnection_AND;
    field.Field = 0;
    field.Operator = sheet::FilterOperator_EQUAL;
    field.IsNumeric = true;
    field.NumericValue = value;
    descriptor->setFilterFields(sequence<sheet::TableFilterField>({field}));
    filterable->filter(descriptor);
    return *this;
}

WorkbookMaker& WorkbookMaker::merge(int sheetIndex, const std::string& range)
{
    uno::Reference<table::XCellRange> cells(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<util::XMergeable> mergeable(cells->getCellRangeByName(toOUString(range)), uno::UNO_QUERY_THROW);
    mergeable->merge(true);
    return *this;
}

WorkbookMaker& WorkbookMaker::arrayFormula(int sheetIndex, const std::string& range, const std::string& formula)
{
    uno::Reference<table::XCellRange> cells(sheet(sheetIndex), uno::UNO_QUERY_THROW);
    uno::Reference<sheet::XArrayFormulaRange> array(cells->getCellRangeByName(toOUString(range)), uno::UNO_QUERY_THROW);
    array->setArrayFormula(toOUString(formula));
    return *this;
}

WorkbookMaker& WorkbookMaker::activeSheet(int sheetIndex)
{
    uno::Reference<sheet::XSpreadsheetView> view(m_model->getCurrentController(), uno::UNO_QUERY_THROW);
    view->setActiveSheet(sheet(sheetIndex));
    return *this;
}

void WorkbookMaker::save(const std::string& path, const std::string& password)
{
    std::string filter = saveFilterForPath(path);
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".csv") == 0)
        filter = "Text - txt - csv (StarCalc)";
    if (filter.empty())
        throw std::invalid_argument("no filter for " + path);
    std::vector<beans::PropertyValue> arguments{property("FilterName", toOUString(filter)), property("Overwrite", true)};
    if (!password.empty())
        arguments.push_back(property("Password", toOUString(password)));
    uno::Reference<frame::XStorable> storable(m_model, uno::UNO_QUERY_THROW);
    storable->storeToURL(fileUrlOf(path), uno::Sequence<beans::PropertyValue>(arguments.data(), sal_Int32(arguments.size())));
}

} // namespace rm::lo::test
