#include "ini/IniHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/Seam.h"
#include "support/ScriptedMessages.h"
#include "support/TestFiles.h"

namespace rendix {
namespace {

using platform::Operation;
using platform::TestSeam;
using testing::ScriptedMessages;
using testing::TempDir;

Message fileNotFound(const QByteArray& path) {
    return {QString::fromUtf8(path) + QStringLiteral(" not found."),
            QStringLiteral("File Not Found"), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Critical};
}

Message sectionNotFound(const char* section, const char* routine) {
    return {QStringLiteral("Section, %1, Not Found. ~(%2)\r\nVerify spelling and capitilization "
                           "is correct.  Case-sensative.")
                .arg(QLatin1String(section), QLatin1String(routine)),
            QStringLiteral("Section Not Found."), MessageButtons::Ok, MessageAnswer::Ok,
            MessageIcon::Information};
}

// One call of a routine on a file, with the result it gives, shown as text.
using Call = std::function<QByteArray(Messages&, const QByteArray&)>;

Call readKey(const char* section, const char* key) {
    return [=](Messages& m, const QByteArray& f) { return ReadKeyValue(m, f, section, key); };
}
Call numSections() {
    return [](Messages& m, const QByteArray& f) { return QByteArray::number(NumSections(m, f)); };
}
Call numKeys(const char* section) {
    return [=](Messages& m, const QByteArray& f) {
        return QByteArray::number(NumKeys(m, f, section));
    };
}
Call sectionExists(const char* section) {
    return [=](Messages& m, const QByteArray& f) {
        return QByteArray(SectionExists(m, f, section) ? "true" : "false");
    };
}
Call deleteSection(const char* section) {
    return [=](Messages& m, const QByteArray& f) {
        return QByteArray(DeleteSection(m, f, section).ok ? "ok" : "failed");
    };
}

struct RoutineCase {
    const char* name;
    QByteArray content;
    Call call;
    QByteArray result;
    std::vector<Message> shown;
    QByteArray after = {};  // the file afterwards when it changes
};

TEST(IniHandlerTest, ScansAndLooksUpAsDescribed) {
    const QByteArray lowerCase = "[mapexcludes.dm]\r\nDM.Ex[0]=DM-Tutorial.unr\r\n";
    const QByteArray counted =
        "[A]\r\na=1\r\n\r\n;comment=x\r\nb\r\nc=3\r\n[B]\r\nd=4\r\n[]\r\n [C]\r\n[D]x\r\n[A]\r\n";
    const std::vector<RoutineCase> cases = {
        {"lower-case header is not the section",
         lowerCase,
         sectionExists("MapExcludes.DM"),
         "false",
         {}},
        {"lower-case header: NumKeys",
         lowerCase,
         numKeys("MapExcludes.DM"),
         "0",
         {sectionNotFound("MapExcludes.DM", "NumKeys")}},
        {"lower-case header: DeleteSection leaves the file",
         lowerCase,
         deleteSection("MapExcludes.DM"),
         "ok",
         {sectionNotFound("MapExcludes.DM", "DeleteSection")}},
        {"lower-case header: ReadKeyValue ignores case",
         lowerCase,
         readKey("MapExcludes.DM", "DM.Ex[0]"),
         "DM-Tutorial.unr",
         {}},
        {"sections: [], duplicates, not indented or trailed", counted, numSections(), "4", {}},
        {"keys: comments with = count, lines without do not", counted, numKeys("A"), "3", {}},
        {"last key without line end", "[A]\r\n[B]\r\nx=1\r\ny=2", numKeys("B"), "2", {}},
        {"last key with line end", "[B]\r\nx=1\r\ny=2\r\n", numKeys("B"), "2", {}},
        {"last key before an empty line", "[B]\r\nx=1\r\ny=2\r\n\r\n", numKeys("B"), "2", {}},
        {"header on the last line", "[A]\r\na=1\r\n[B]", numKeys("B"), "0", {}},
        {"lf file", "[A]\na=1\nb=2\n[B]\n", numKeys("A"), "2", {}},
        {"byte order mark before the header", "\xEF\xBB\xBF[A]\r\na=1\r\n", numKeys("A"), "1", {}},
        {"blank before the header is another section",
         " [A]\r\na=1\r\n",
         sectionExists("A"),
         "false",
         {}},
        {"binary junk: NUL bytes are ordinary",
         QByteArray("\0[A]\r\n[A]\0\r\n[A]\r\nk\0=1\r\n\xFF", 24),
         numKeys("A"),
         "1",
         {}},
        {"empty file has no section", "", sectionExists("A"), "false", {}},
        {"empty value reads empty", "[Main]\r\nUTDir=\r\n", readKey("Main", "UTDir"), "", {}},
        {"missing key reads empty", "[Main]\r\nOther=1\r\n", readKey("Main", "UTDir"), "", {}},
        {"value cut to 254",
         "[A]\r\nk=" + QByteArray(300, 'x') + "\r\n",
         readKey("A", "k"),
         QByteArray(254, 'x'),
         {}},
        {"DeleteSection removes the first exact match's section by the profile rules",
         "[A]\r\na=1\r\n\r\n[B]\r\n;keep\r\nb=1\r\n\r\n[C]\r\n",
         deleteSection("B"),
         "ok",
         {},
         "[A]\r\na=1\r\n\r\n;keep\r\n[C]\r\n"},
    };
    TempDir dir;
    const QByteArray path = dir.file("UnrealTournament.ini");
    for (const RoutineCase& c : cases) {
        SCOPED_TRACE(c.name);
        testing::writeBytes(path, c.content);
        ScriptedMessages messages;
        EXPECT_EQ(c.call(messages, path), c.result);
        EXPECT_EQ(messages.shown, c.shown);
        EXPECT_EQ(testing::readBytes(path), c.after.isNull() ? c.content : c.after);
    }
}

TEST(IniHandlerTest, MissingOrUnreadableFileGivesTheNeutralResult) {
    const std::vector<std::pair<const char*, Call>> calls = {
        {"ReadKeyValue", readKey("A", "k")},
        {"NumSections", numSections()},
        {"NumKeys", numKeys("A")},
        {"SectionExists", sectionExists("A")},
        {"DeleteSection", deleteSection("A")},
    };
    const std::vector<QByteArray> neutral = {"", "0", "0", "false", "ok"};
    // DeleteSection tells its caller that it could not do what it was asked.
    const std::vector<QByteArray> unreadable = {"", "0", "0", "false", "failed"};
    TempDir dir;
    testing::makeFolder(dir.file("Folder.ini"));
    const QByteArray content = "[A]\r\nk=1\r\n";
    testing::writeBytes(dir.file("Real.ini"), content);
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(calls[i].first);
        // Missing, and a folder of that name: the box with the path as the caller gave it.
        for (const QByteArray& path : {dir.file("Missing.ini"), dir.file("Folder.ini")}) {
            ScriptedMessages messages;
            EXPECT_EQ(calls[i].second(messages, path), neutral[i]);
            EXPECT_EQ(messages.shown, std::vector<Message>{fileNotFound(path)});
        }
        // The file is there but cannot be read (it vanished, or the system refused it).
        TestSeam seam;
        seam.failAll(Operation::Open);
        ScriptedMessages messages;
        EXPECT_EQ(calls[i].second(messages, dir.file("real.INI")), unreadable[i]);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(testing::readBytes(dir.file("Real.ini")), content);
    }
}

TEST(IniHandlerTest, CountsPastSixteenBits) {
    QByteArray many;
    for (int i = 0; i < 40000; ++i) {
        many += "[S" + QByteArray::number(i) + "]\r\n";
    }
    many += "[Keys]\r\n";
    for (int i = 0; i < 40000; ++i) {
        many += "K" + QByteArray::number(i) + "=1\r\n";
    }
    TempDir dir;
    const QByteArray path = dir.file("big.ini");
    testing::writeBytes(path, many);
    ScriptedMessages messages;
    EXPECT_EQ(NumSections(messages, path), 40001);
    EXPECT_EQ(NumKeys(messages, path, "Keys"), 40000);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(IniHandlerTest, WriteKeyValueWritesAndReportsFailures) {
    TempDir dir;
    const QByteArray path = dir.file("Rendix.ini");
    testing::writeBytes(path, "[Main]\r\nUTDir=C:\\UnrealTournament\r\n");
    EXPECT_TRUE(WriteKeyValue(path, "Main", "UTDir", QByteArray("")).ok);
    EXPECT_EQ(testing::readBytes(path), "[Main]\r\nUTDir=\r\n");
    EXPECT_TRUE(WriteKeyValue(path, "Main", "UTDir", std::nullopt).ok);
    EXPECT_TRUE(WriteKeyValue(path, "Main", "UTDir", std::nullopt).ok);
    EXPECT_EQ(testing::readBytes(path), "[Main]\r\n");
    EXPECT_FALSE(WriteKeyValue(path, "Main", "UTDir", QByteArray("a\r\n[Evil]")).ok);
    EXPECT_FALSE(WriteKeyValue(dir.file("no/Rendix.ini"), "Main", "UTDir", QByteArray("x")).ok);
    EXPECT_EQ(testing::readBytes(path), "[Main]\r\n");
}

TEST(IniHandlerTest, FailedRewriteLeavesTheOldFile) {
    TempDir dir;
    const QByteArray path = dir.file("UnrealTournament.ini");
    const QByteArray before = "[Botpack.CTFMapList]\r\nMaps[0]=CTF-Face\r\n";
    for (const Operation op :
         {Operation::Write, Operation::Flush, Operation::Sync, Operation::Rename}) {
        // Count the operations of one good rewrite, then fail each of them in turn.
        testing::writeBytes(path, before);
        int total = 0;
        {
            TestSeam seam;
            ASSERT_TRUE(WriteKeyValue(path, "Botpack.CTFMapList", "Maps[0]", QByteArray("x")).ok);
            total = seam.count(op);
        }
        ASSERT_GT(total, 0);
        for (int n = 1; n <= total; ++n) {
            SCOPED_TRACE(::testing::Message() << static_cast<int>(op) << " #" << n);
            testing::writeBytes(path, before);
            TestSeam seam;
            seam.failNth(op, n);
            EXPECT_FALSE(WriteKeyValue(path, "Botpack.CTFMapList", "Maps[0]", QByteArray("y")).ok);
            EXPECT_EQ(testing::readBytes(path), before);
            EXPECT_EQ(testing::folderNames(dir.path()),
                      std::vector<QByteArray>{"UnrealTournament.ini"});
        }
    }
}

}  // namespace
}  // namespace rendix
