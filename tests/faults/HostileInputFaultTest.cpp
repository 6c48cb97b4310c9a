// Hostile workbooks and files: a tiny file that claims a huge used range,
// XML that is cut short or undefined, a FIFO put in a source's place; and
// the parts of a package that do not count as damage.

#include "support/CliRun.h"
#include "support/HookedBinding.h"
#include "support/MergeCase.h"
#include "support/OfficeProcesses.h"
#include "support/SharedOffice.h"
#include "support/WorkbookMaker.h"
#include "support/ZipWriter.h"

#include "TempFolder.h"
#include "XlsFiles.h"

#include "engine/ErrorNumbers.h"
#include "engine/libreoffice/BindingTestAccess.h"
#include "engine/libreoffice/LibreOfficeBinding.h"
#include "engine/libreoffice/process/OfficeSession.h"
#include "engine/libreoffice/documents/PackageCheck.h"
#include "engine/libreoffice/uno/UnoText.h"

#include <com/sun/star/io/XInputStream.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <thread>

namespace rm::faults {
using namespace rm::test;
namespace {

namespace Number = rm::ErrorNumber;
namespace fs = std::filesystem;
using lo::test::worksheetXml;
using lo::test::writeOneSheetWorkbook;

// The address space reportmerge-cli and its office may use. The office needs
// well under this for these workbooks; reading what the huge ones claim would
// need many times more (or write gigabytes and outlast the case's deadline).
constexpr long kAddressSpaceKb = 1500L * 1024;

using Entries = std::vector<std::pair<std::string, std::string>>;

// The entries of a zip package as the office reads them, "mimetype" first.
Entries packageEntries(lo::OfficeSession& office, const std::string& path)
{
    return office.call("读取压缩包", [&] {
        const auto package = lo::openPackage(office.connection(), lo::fileUrlOf(path));
        Entries entries;
        for (const auto& name : package->getElementNames()) {
            css::uno::Reference<css::io::XInputStream> stream(package->getByName(name), css::uno::UNO_QUERY_THROW);
            std::string content;
            css::uno::Sequence<sal_Int8> chunk;
            while (stream->readBytes(chunk, 65536) > 0)
                content.append(reinterpret_cast<const char*>(chunk.getConstArray()), size_t(chunk.getLength()));
            const std::string entry = lo::toUtf8(name);
            if (entry == "mimetype")
                entries.insert(entries.begin(), {entry, content});
            else
                entries.emplace_back(entry, content);
        }
        return entries;
    });
}

std::string& entryOf(Entries& entries, const std::string& name)
{
    for (auto& entry : entries)
        if (entry.first == name)
            return entry.second;
    return entries.emplace_back(name, "").second;
}

class HostileInputs : public ::testing::Test {
protected:
    void SetUp() override { makeTemplate(folder / "template.xls"); }
    TempFolder folder;
};

TEST_F(HostileInputs, hugeUsedRangesAreReadOnlyWithinTheTemplatesRectangle)
{
    // Each file is about 2 KB: B2 = 1, B3 = 2 and one far cell.
    const std::vector<std::pair<std::string, std::string>> farCells = {
        {"rows.xlsx", "A1048576"}, {"columns.xlsx", "XFD3"}, {"both.xlsx", "XFD1048576"}};
    std::vector<std::string> arguments = {folder / "template.xls", folder / "out.xls"};
    for (const auto& [name, far] : farCells) {
        writeOneSheetWorkbook(folder / name, worksheetXml({{"B2", 1}, {"B3", 2}, {far, 5}}));
        arguments.push_back(folder / name);
    }
    const Snapshot before = snapshot({arguments.begin() + 2, arguments.end()});
    std::vector<std::string> command = {"/bin/sh", "-c", "ulimit -v " + std::to_string(kAddressSpaceKb) +
                                                             " && exec \"$0\" \"$@\"", RM_CLI};
    command.insert(command.end(), arguments.begin(), arguments.end());

    const CliResult result = runCli(command);
    ASSERT_FALSE(result.timedOut) << "a read grew with a source's claimed extent";
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 3.0);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 6.0);
    EXPECT_TRUE(changedSince(before).empty());
    EXPECT_TRUE(noProcessMarked(officeMarkOf(result.pid)));
}

TEST_F(HostileInputs, packagesWhoseXmlIsCutShortOrUndefinedAreRefused)
{
    const std::string whole = worksheetXml({{"B2", 1}, {"B3", 2}});
    const std::string cut = whole.substr(0, whole.find("<row r=\"3\">") + 20);
    std::string entity = whole;
    entity.replace(entity.find("<v>2</v>"), 8, "<v>&bogus;2</v>");
    writeOneSheetWorkbook(folder / "cut.xlsx", cut);
    writeOneSheetWorkbook(folder / "entity.xlsx", entity);
    writeOneSheetWorkbook(folder / "whole.xlsx", whole);

    for (const std::string name : {"cut.xlsx", "entity.xlsx"}) {
        SCOPED_TRACE(name);
        const Snapshot before = snapshot({folder / name, folder / "template.xls"});
        const Outcome outcome =
            mergeWith(sharedOffice(), folder / "template.xls", {folder / "whole.xlsx", folder / name}, folder / "out.xls");
        EXPECT_EQ(outcome.number, Number::DocumentLoadFailed) << outcome.description;
        EXPECT_NE(outcome.description.find(folder / name), std::string::npos) << outcome.description;
        EXPECT_NE(outcome.description.find("文件已损坏"), std::string::npos) << outcome.description;
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        EXPECT_FALSE(fs::exists(folder / "out.xls"));
        EXPECT_TRUE(changedSince(before).empty());
    }
    const Outcome sound = mergeWith(sharedOffice(), folder / "template.xls", {folder / "whole.xlsx"}, folder / "out.xls");
    ASSERT_EQ(sound.number, 0) << sound.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 2.0);
}

// The office lists its empty keyboard configuration in the manifest of an
// .ods, media type empty (older versions write it, newer ones need not):
// such a part changes no cell. A cut content part still is damage.
TEST_F(HostileInputs, anEmptyConfigurationPartOfAnOfficeMadeOdsIsNoDamage)
{
    const auto office = lo::BindingTestAccess::session(sharedOffice());
    const std::string made = folder / "made.ods";
    lo::test::WorkbookMaker(*office, {"Data"})
        .text(0, 1, 1, "Item").text(0, 2, 1, "north").text(0, 3, 1, "south")
        .number(0, 2, 2, 4).number(0, 3, 2, 5)
        .save(made);
    Entries entries = packageEntries(*office, made);
    ASSERT_FALSE(entries.empty());
    ASSERT_EQ(entries.front().first, "mimetype");
    const std::string part = "Configurations2/accelerator/current.xml";
    std::string& manifest = entryOf(entries, "META-INF/manifest.xml");
    std::cout << "the office " << (manifest.find(part) == std::string::npos ? "did not list " : "listed ") << part
              << " itself\n";
    if (manifest.find(part) == std::string::npos) {
        const auto end = manifest.rfind("</manifest:manifest>");
        ASSERT_NE(end, std::string::npos) << manifest;
        manifest.insert(end, "<manifest:file-entry manifest:full-path=\"" + part + "\" manifest:media-type=\"\"/>");
    }
    entryOf(entries, part).clear();
    lo::test::writeZip(folder / "empty-part.ods", entries);
    std::string& content = entryOf(entries, "content.xml");
    content = content.substr(0, content.size() - 40);
    lo::test::writeZip(folder / "cut-content.ods", entries);

    const Outcome sound = mergeWith(sharedOffice(), folder / "template.xls", {folder / "empty-part.ods"}, folder / "out.xls");
    ASSERT_EQ(sound.number, 0) << sound.description;
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 4.0);
    EXPECT_EQ(numberIn(folder / "out.xls", "Report!B3"), 5.0);
    fs::remove(folder / "out.xls");
    const Outcome cut = mergeWith(sharedOffice(), folder / "template.xls", {folder / "cut-content.ods"}, folder / "out.xls");
    EXPECT_EQ(cut.number, Number::DocumentLoadFailed) << cut.description;
    EXPECT_NE(cut.description.find("content.xml"), std::string::npos) << cut.description;
}

TEST_F(HostileInputs, aFifoPutInASourcesPlaceNeverBlocks)
{
    const std::string victim = folder / "s2.xls";
    const auto replaceByFifo = [victim] {
        fs::remove(victim);
        mkfifo(victim.c_str(), 0600);
    };
    makeSource(folder / "s1.xls", 1, 2);

    // Swapped just before the open: refused on the descriptor we opened.
    {
        makeSource(victim, 10, 20);
        Hooks hooks;
        hooks.beforeSourceOpen = [&](const std::string& path) {
            if (path == victim)
                replaceByFifo();
        };
        HookedBinding hooked(sharedOffice(), hooks);
        const Outcome outcome = mergeWith(hooked, folder / "template.xls", {folder / "s1.xls", victim}, folder / "out.xls");
        EXPECT_EQ(outcome.number, Number::NotAWorkbook) << outcome.description;
        EXPECT_NE(outcome.description.find(victim), std::string::npos) << outcome.description;
        EXPECT_LT(outcome.seconds, 5.0);
    }

    // Swapped a moment into the open, when the office may be opening it
    // itself: an error (the office's wait ends at the call deadline) or,
    // when the swap came after everything was read, a complete merge; never a hang.
    lo::OfficeOptions options;
    options.localeName = "en_US";
    options.callTimeoutMs = 2000;
    options.opener = [](const std::string&) {};
    for (const int delayMs : {0, 5, 15, 40}) {
        SCOPED_TRACE(delayMs);
        fs::remove(victim);
        fs::remove(folder / "out.xls");
        makeSource(victim, 10, 20);
        std::thread swapper;   // joined before `hooks` and `delayMs` go
        Hooks hooks;
        hooks.beforeSourceOpen = [&](const std::string& path) {
            if (path == victim)
                swapper = std::thread([&] {
                    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                    replaceByFifo();
                });
        };
        lo::LibreOfficeBinding office(options);
        HookedBinding hooked(office, hooks);
        const Outcome outcome = mergeWith(hooked, folder / "template.xls", {folder / "s1.xls", victim}, folder / "out.xls");
        if (swapper.joinable())
            swapper.join();
        office.shutdown();
        EXPECT_LT(outcome.seconds, kCaseSeconds);
        if (outcome.number == 0)
            EXPECT_EQ(numberIn(folder / "out.xls", "Report!B2"), 11.0);
        else   // mostly 2011 or 2003; swapped after the load, the sheet's read may fail (2099)
            EXPECT_GT(outcome.number, 0) << outcome.description;
    }
}

} // namespace
} // namespace rm::faults
