#include "ini/IniHandler.h"

#include <gtest/gtest.h>

#include "platform/DataTable.h"
#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

using namespace testing;
using platform::Operation;

std::vector<Message> box(const QString& text, const char* title, MessageIcon icon) {
    return {{text, QLatin1String(title), MessageButtons::Ok, MessageAnswer::Ok, icon}};
}

// What the routine of that name gives on a file, as text.
QByteArray run(Messages& m, const QByteArray& f, QByteArrayView routine, const QByteArray& s,
               const QByteArray& k) {
    const auto yes = [](bool ok) { return QByteArray(ok ? "yes" : "no"); };
    return routine == "ReadKeyValue"    ? ReadKeyValue(m, f, s, k)
           : routine == "NumSections"   ? QByteArray::number(NumSections(m, f))
           : routine == "NumKeys"       ? QByteArray::number(NumKeys(m, f, s))
           : routine == "SectionExists" ? yes(SectionExists(m, f, s))
                                        : yes(DeleteSection(m, f, s).ok);
}

// data/handler.rows: file|routine|section|key|result|box|out, run on data/<file>.ini; box names
// the routine in the "Section Not Found." box; the file stays, or becomes data/<out>.out.ini.
TEST(IniHandlerTest, ScansAndCountsExactlyAndLooksUpIgnoringCase) {
    TempDir dir;
    const QByteArray path = dir.file("UnrealTournament.ini");
    for (const QList<QByteArray>& cell : dataTable("handler.rows")) {
        SCOPED_TRACE(cell.join('|').constData());
        const QByteArray before = RENDIX_DATA(cell[0] + ".ini");
        writeBytes(path, before);
        ScriptedMessages messages;
        EXPECT_EQ(run(messages, path, cell[1], cell[2], cell[3]), cell[4]);
        EXPECT_EQ(messages.shown,
                  cell.value(5).isEmpty()
                      ? std::vector<Message>()
                      : box(QStringLiteral("Section, %1, Not Found. ~(%2)\r\nVerify spelling and "
                                           "capitilization is correct.  Case-sensative.")
                                .arg(QLatin1String(cell[2]), QLatin1String(cell[5])),
                            "Section Not Found.", MessageIcon::Information));
        EXPECT_EQ(readBytes(path),
                  cell.value(6).isEmpty() ? before : RENDIX_DATA(cell[6] + ".out.ini"));
    }
    writeBytes(path, "[Keys]\r\n" + QByteArray("K=1\r\n").repeated(40000) +
                         QByteArray("[S]\r\n").repeated(40000));  // counts past 32,767
    ScriptedMessages messages;
    EXPECT_EQ(run(messages, path, "NumSections", "", ""), "40001");
    EXPECT_EQ(run(messages, path, "NumKeys", "Keys", ""), "40000");
}

// Missing or a folder of that name: the box; there but refused by the system: no box.
TEST(IniHandlerTest, MissingOrUnreadableFileGivesTheNeutralResult) {
    TempDir dir;
    makeFolder(dir.file("Folder.ini"));
    writeBytes(dir.file("Real.ini"), "[A]\r\nk=1\r\n");
    const char* const cases[][3] = {{"ReadKeyValue", "", ""},  // routine, missing, refused
                                    {"NumSections", "0", "0"},
                                    {"NumKeys", "0", "0"},
                                    {"SectionExists", "no", "no"},
                                    {"DeleteSection", "yes", "no"}};
    for (const auto& [routine, missing, refused] : cases) {
        for (const QByteArray& path : {dir.file("Missing.ini"), dir.file("Folder.ini")}) {
            ScriptedMessages messages;
            EXPECT_EQ(run(messages, path, routine, "A", "k"), missing) << routine;
            EXPECT_EQ(messages.shown, box(QString::fromUtf8(path) + QStringLiteral(" not found."),
                                          "File Not Found", MessageIcon::Critical));
        }
        platform::TestSeam seam;
        seam.failAll(Operation::Open);
        ScriptedMessages messages;
        EXPECT_EQ(run(messages, dir.file("real.INI"), routine, "A", "k"), refused) << routine;
        EXPECT_TRUE(messages.shown.empty());
    }
    EXPECT_EQ(readBytes(dir.file("Real.ini")), "[A]\r\nk=1\r\n");
}

// ReplaceSection gives the bytes and boxes of DeleteSection followed by one WriteKeyValue per
// key, in at most one rewrite.
// data/replace.rows
TEST(IniHandlerTest, ReplaceSectionEqualsDeleteThenOneWritePerKey) {
    for (const QList<QByteArray>& cells : dataTable("replace.rows")) {
        SCOPED_TRACE(cells[0].constData());
        const struct {
            std::optional<QByteArray> file;  // none: missing
            QByteArrayList values;
        } row{cells[1] == "yes" ? std::optional(cells[2]) : std::nullopt, cells.mid(3)};
        TempDir dir;
        const QByteArray sequence = dir.file("sequence/Rendix.ini");
        const QByteArray once = dir.file("once/Rendix.ini");
        makeFolder(dir.file("sequence"));
        makeFolder(dir.file("once"));
        if (row.file) {
            writeBytes(sequence, *row.file);
            writeBytes(once, *row.file);
        }
        ScriptedMessages expected;
        bool ok = DeleteSection(expected, sequence, "MapExcludes.DM").ok;
        for (int i = 0; i < row.values.size(); ++i) {
            ok = ok && WriteKeyValue(sequence, "MapExcludes.DM",
                                     "DM.Ex[" + QByteArray::number(i) + "]", row.values[i]);
        }
        ScriptedMessages messages;
        platform::TestSeam seam;
        const std::vector<QByteArray> values(row.values.begin(), row.values.end());
        EXPECT_EQ(ReplaceSection(messages, once, "MapExcludes.DM", "DM.Ex[", values).ok, ok);
        EXPECT_EQ(messages.told(), expected.told().replace(sequence, once));
        // A failed sequence leaves a part done; the single rewrite leaves the file as it was.
        EXPECT_EQ(readBytes(once), ok ? readBytes(sequence) : row.file.value_or(""));
        EXPECT_EQ(exists(once), ok ? exists(sequence) : row.file.has_value());
        EXPECT_LE(seam.count(Operation::Rename), 1);
        EXPECT_EQ(seam.count(Operation::Rename),
                  readBytes(once) != row.file.value_or("") || exists(once) != row.file.has_value());
    }
}

}  // namespace
}  // namespace rendix
