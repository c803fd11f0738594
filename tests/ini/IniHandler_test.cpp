#include "ini/IniHandler.h"

#include <gtest/gtest.h>

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
    for (const QByteArray& row : RENDIX_DATA("handler.rows").chopped(1).split('\n')) {
        SCOPED_TRACE(row.constData());
        const QList<QByteArray> cell = row.split('|');
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

// "" keeps the key, an absent value removes it. Then each Nth operation of each kind of the
// rewrite fails in turn, until a rewrite no longer reaches an Nth one.
TEST(IniHandlerTest, WriteKeyValueChangesTheFileOrReportsWhyNot) {
    TempDir dir;
    const QByteArray path = dir.file("UnrealTournament.ini");
    writeBytes(path, "[A]\r\nk=1\r\nj=2\r\n");
    EXPECT_TRUE(WriteKeyValue(path, "A", "k", QByteArray("")));
    EXPECT_TRUE(WriteKeyValue(path, "a", "J", std::nullopt));
    EXPECT_EQ(readBytes(path), "[A]\r\nk=\r\n");
    for (const Operation op :
         {Operation::Write, Operation::Flush, Operation::Sync, Operation::Rename}) {
        for (int n = 1;; ++n) {
            ASSERT_LT(n, 100);
            writeBytes(path, "[A]\r\nk=1\r\n");
            platform::TestSeam seam;
            seam.failNth(op, n);
            if (WriteKeyValue(path, "A", "k", QByteArray("2"))) {
                ASSERT_GT(n, 1) << static_cast<int>(op);
                break;
            }
            EXPECT_EQ(readBytes(path), "[A]\r\nk=1\r\n") << static_cast<int>(op) << ' ' << n;
            EXPECT_EQ(folderNames(dir.path()), std::vector<QByteArray>{"UnrealTournament.ini"});
        }
    }
}

}  // namespace
}  // namespace rendix
