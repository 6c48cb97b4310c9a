// The file readers on files made to hurt: a part that inflates without end,
// a document type with an entity used thousands of times, a sparse gigabyte
// .xls, a compound file that makes libgsf complain. No office.

#include "support/Biff5Workbook.h"

#include "engine/libreoffice/files/WorkbookFileInfo.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace rm::lo {
namespace {

namespace fs = std::filesystem;

void put16(std::string& out, uint32_t v)
{
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
}
void put32(std::string& out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One zip entry, deflated as it is made: `write(emit)` hands the content
// over in pieces, so a part of many megabytes costs a few kilobytes here.
struct DeflatedEntry {
    std::string name;
    std::function<void(const std::function<void(const std::string&)>&)> write;
};

void writeDeflatedZip(const std::string& path, const std::vector<DeflatedEntry>& entries)
{
    std::string archive, directory;
    for (const auto& entry : entries) {
        z_stream z{};
        deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
        std::string packed;
        uint32_t crc = crc32(0, nullptr, 0);
        uint32_t size = 0;
        const auto feed = [&](const std::string& piece, int flush) {
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
            z.avail_in = uInt(piece.size());
            char out[1 << 16];
            do {
                z.next_out = reinterpret_cast<Bytef*>(out);
                z.avail_out = sizeof out;
                deflate(&z, flush);
                packed.append(out, sizeof out - z.avail_out);
            } while (z.avail_out == 0);
        };
        entry.write([&](const std::string& piece) {
            crc = crc32(crc, reinterpret_cast<const Bytef*>(piece.data()), uInt(piece.size()));
            size += uint32_t(piece.size());
            feed(piece, Z_NO_FLUSH);
        });
        feed("", Z_FINISH);
        deflateEnd(&z);
        const uint32_t offset = uint32_t(archive.size());
        std::string common;
        put16(common, 20);
        put16(common, 0);
        put16(common, 8);   // deflated
        put32(common, 0x00210000);
        put32(common, crc);
        put32(common, uint32_t(packed.size()));
        put32(common, size);
        put16(common, uint32_t(entry.name.size()));
        put16(common, 0);
        put32(archive, 0x04034b50);
        archive += common + entry.name + packed;
        put32(directory, 0x02014b50);
        put16(directory, 20);
        directory += common;
        directory += std::string(6, '\0');   // comment length, disk, internal attributes
        put32(directory, 0);
        put32(directory, offset);
        directory += entry.name;
    }
    const uint32_t directoryOffset = uint32_t(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put32(archive, 0);
    put16(archive, uint32_t(entries.size()));
    put16(archive, uint32_t(entries.size()));
    put32(archive, uint32_t(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);
    std::ofstream(path, std::ios::binary) << archive;
}

DeflatedEntry entry(const std::string& name, const std::string& content)
{
    return {name, [content](const auto& emit) { emit(content); }};
}

const std::string kRelationships =
    "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://x/chartsheet\" Target=\"chartsheets/sheet1.xml\"/></Relationships>";
const std::string kWorkbookHead =
    "<?xml version=\"1.0\"?><workbook xmlns:r=\"r\"><bookViews><workbookView activeTab=\"1\"/></bookViews>"
    "<sheets><sheet name=\"Data\" r:id=\"rId1\"/><sheet name=\"Chart1\" r:id=\"rId2\"/></sheets>";

class File {
public:
    explicit File(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~File() { close(m_fd); }
    GObjectOwner<GsfInput> input() const { return fileInput(m_fd); }

private:
    int m_fd;
};

struct Folder {
    Folder() : path(fs::temp_directory_path() / ("hostile-readers-" + std::to_string(getpid()))) { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    fs::path path;
};

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(HostileFiles, aWorkbookPartInflatingPastTheBoundIsRefusedWithoutBeingHeld)
{
    Folder folder;
    const std::string sound = folder.path / "sound.xlsx";
    writeDeflatedZip(sound, {entry("xl/workbook.xml", kWorkbookHead + "</workbook>"),
                             entry("xl/_rels/workbook.xml.rels", kRelationships)});
    const auto info = readOpenXmlWorkbookInfo(File(sound).input().get());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeSheet()->name, "Chart1");
    EXPECT_TRUE(info->activeSheet()->chart);

    // 48 MB of empty elements, about 50 KB packed; the bound is 32 MB.
    const std::string bomb = folder.path / "bomb.xlsx";
    writeDeflatedZip(bomb, {{"xl/workbook.xml", [](const auto& emit) {
                                 emit(kWorkbookHead + "<extLst>");
                                 std::string elements;
                                 for (int i = 0; i < 250000; ++i)
                                     elements += "<a/>";
                                 for (int i = 0; i < 48; ++i)
                                     emit(elements);
                                 emit("</extLst></workbook>");
                             }},
                            entry("xl/_rels/workbook.xml.rels", kRelationships)});
    ASSERT_LT(fs::file_size(bomb), 200u * 1024);
    const long before = peakResidentKb();
    try {
        readOpenXmlWorkbookInfo(File(bomb).input().get());
        ADD_FAILURE() << "the bomb was read";
    } catch (const PartRefused& refused) {
        EXPECT_EQ(refused.part, "xl/workbook.xml");
        EXPECT_EQ(refused.reason, PartRefused::Reason::TooLarge);
    }
    // Streamed, never held: far below the part's own size.
    EXPECT_LT(peakResidentKb() - before, 16 * 1024);
}

TEST(HostileFiles, aDocumentTypeIsRefusedBeforeItsEntitiesAreExpanded)
{
    const std::string doctype = "<?xml version=\"1.0\"?><!DOCTYPE workbook [<!ENTITY big \"" +
                                std::string(40000, 'x') + "\">]>";
    std::string uses;
    for (int i = 0; i < 4000; ++i)
        uses += "&big;";
    const std::string workbook = doctype + kWorkbookHead.substr(kWorkbookHead.find("<workbook")) +
                                 "<extLst><a>" + uses + "</a></extLst></workbook>";
    for (const bool zipped : {false, true}) {
        SCOPED_TRACE(zipped ? "in a package" : "as text");
        try {
            if (zipped) {
                Folder folder;
                writeDeflatedZip(folder.path / "entity.xlsx", {entry("xl/workbook.xml", workbook)});
                readOpenXmlWorkbookInfo(File(folder.path / "entity.xlsx").input().get());
            } else {
                parseOpenXmlWorkbook(workbook, kRelationships);
            }
            ADD_FAILURE() << "the document type was accepted";
        } catch (const PartRefused& refused) {
            EXPECT_EQ(refused.part, "xl/workbook.xml");
            EXPECT_EQ(refused.reason, PartRefused::Reason::DocumentType);
        }
    }
    // Also in the relationships part, even a harmless one.
    EXPECT_THROW(parseOpenXmlWorkbook(kWorkbookHead + "</workbook>", "<!DOCTYPE r []>" + kRelationships), PartRefused);
}

TEST(HostileFiles, aSparseGigabyteXlsIsReadOnlyAsFarAsItsGlobals)
{
    Folder folder;
    const std::string path = folder.path / "sparse.xls";
    std::ofstream(path, std::ios::binary)
        << test::compoundFileWith("Book", test::biff5BookStream({{"One", "Two"}, 1252, 1}));
    ASSERT_EQ(truncate(path.c_str(), off_t(1) << 30), 0);
    const long before = peakResidentKb();
    const auto info = readBinaryWorkbookInfo(File(path).input().get());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->activeSheet()->name, "Two");
    EXPECT_LT(peakResidentKb() - before, 16 * 1024);
}

// What libgsf finds wrong is told by what the reader returns, never printed.
TEST(HostileFiles, libgsfSaysNothingOnStderr)
{
    Folder folder;
    const std::string captured = folder.path / "stderr";
    fflush(stderr);
    const int saved = dup(2);
    const int sink = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(sink, 2);
    close(sink);
    const std::string header = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    const bool none = !readBinaryWorkbookInfo(header + std::string(600, '\xFF')) &&
                      !readBinaryWorkbookInfo(header + std::string(16, '\0') + "\x3E\x00\x03\x00\xFE\xFF\x09\x00" +
                                              std::string(600, '\x7F'));
    const std::string cut = test::compoundFileWith("Book", test::biff5BookStream({{"One"}, 1252, 0}));
    const bool cutNone = !readBinaryWorkbookInfo(cut.substr(0, 1024));
    // A mini-stream cutoff past the stream's size: libgsf looks for it in
    // small blocks there are none of, and says so twice, in two log domains.
    std::string cutoff = test::compoundFileWith("Book", test::biff5BookStream({{"One"}, 1252, 0}) + std::string(4096, '\0'));
    cutoff.replace(0x38, 4, std::string("\x00\x00\x10\x00", 4));
    readBinaryWorkbookInfo(cutoff);
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    EXPECT_TRUE(none);
    EXPECT_TRUE(cutNone);
    EXPECT_EQ(fs::file_size(captured), 0u);
}

} // namespace
} // namespace rm::lo
