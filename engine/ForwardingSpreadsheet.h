#pragma once

// Handles that pass every call on to another binding's handles. A wrapper
// that watches or interferes with a few calls (timing, fault injection)
// derives from these and overrides only those calls.

#include "engine/Spreadsheet.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace rm {

class ForwardingWorksheet : public Worksheet {
public:
    explicit ForwardingWorksheet(std::shared_ptr<Worksheet> inner) : m_inner(std::move(inner)) {}

    std::string name() override { return m_inner->name(); }
    long usedRangeRowCount() override { return m_inner->usedRangeRowCount(); }
    long usedRangeColumnCount() override { return m_inner->usedRangeColumnCount(); }
    std::string cellText(int row, int column) override { return m_inner->cellText(row, column); }
    bool cellHasFormula(int row, int column) override { return m_inner->cellHasFormula(row, column); }
    void setCellValue2(int row, int column, double value) override { m_inner->setCellValue2(row, column, value); }
    void limitReadsTo(long rows, long columns) override { m_inner->limitReadsTo(rows, columns); }
    void prepareScan(int rows, int columns, const ScanValues& valueFor) override
    {
        m_inner->prepareScan(rows, columns, valueFor);
    }
    void activate() override { m_inner->activate(); }
    void saveAs(const std::string& path) override { m_inner->saveAs(path); }

protected:
    Worksheet& inner() { return *m_inner; }

private:
    std::shared_ptr<Worksheet> m_inner;
};

class ForwardingWorkbook : public Workbook {
public:
    explicit ForwardingWorkbook(std::shared_ptr<Workbook> inner) : m_inner(std::move(inner)) {}

    std::shared_ptr<Worksheet> activeSheet() override { return m_inner->activeSheet(); }
    std::vector<SheetInfo> sheets() override { return m_inner->sheets(); }
    std::shared_ptr<Worksheet> worksheet(std::size_t index) override { return m_inner->worksheet(index); }
    void close() override { m_inner->close(); }

protected:
    Workbook& inner() { return *m_inner; }

private:
    std::shared_ptr<Workbook> m_inner;
};

class ForwardingApp : public SpreadsheetApp {
public:
    explicit ForwardingApp(std::shared_ptr<SpreadsheetApp> inner) : m_inner(std::move(inner)) {}

    void setVisible(bool visible) override { m_inner->setVisible(visible); }
    bool visible() const override { return m_inner->visible(); }
    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override { return m_inner->openWorkbook(path); }
    void setDisplayAlerts(bool on) override { m_inner->setDisplayAlerts(on); }
    void setActiveWindowDisplayZeros(bool on) override { m_inner->setActiveWindowDisplayZeros(on); }

protected:
    SpreadsheetApp& inner() { return *m_inner; }

private:
    std::shared_ptr<SpreadsheetApp> m_inner;
};

// The wrapped entry point is owned elsewhere (by its binding).
class ForwardingGlobal : public GlobalEntryPoint {
public:
    explicit ForwardingGlobal(GlobalEntryPoint& inner) : m_inner(inner) {}

    std::shared_ptr<Workbook> openWorkbook(const std::string& path) override { return m_inner.openWorkbook(path); }
    SourceSheets readSheets(const std::string& path, const SourceRequest& request) override
    {
        return m_inner.readSheets(path, request);
    }
    ReaderState readerState() override { return m_inner.readerState(); }

protected:
    GlobalEntryPoint& inner() { return m_inner; }

private:
    GlobalEntryPoint& m_inner;
};

// The wrapped binding is owned elsewhere.
class ForwardingBinding : public SpreadsheetBinding {
public:
    explicit ForwardingBinding(SpreadsheetBinding& inner) : m_inner(inner) {}

    std::shared_ptr<SpreadsheetApp> createInstance() override { return m_inner.createInstance(); }
    GlobalEntryPoint& global() override { return m_inner.global(); }
    std::vector<GlobalEntryPoint*> sourceReaders(std::size_t sourceCount) override
    {
        return m_inner.sourceReaders(sourceCount);
    }
    void prepare() override { m_inner.prepare(); }
    NumericLocale numericLocale() override { return m_inner.numericLocale(); }

protected:
    SpreadsheetBinding& inner() { return m_inner; }

private:
    SpreadsheetBinding& m_inner;
};

} // namespace rm
