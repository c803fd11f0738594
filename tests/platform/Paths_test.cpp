#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "DataTable.h"
#include "platform/Files.h"
#include "platform/KnownFolders.h"
#include "platform/Seam.h"

namespace rendix::platform {
namespace {

using testing::pathIn;
using testing::TempDir;

// Builds the folder tree of a checked-in table (its first line says how).
void build(const TempDir& root, const char* tree) {
    for (const QList<QByteArray>& row : testing::dataTable(tree)) {
        const QByteArray path = root.file(row[1]);
        if (row[0] == "d") {
            testing::makeFolder(path);
        } else if (row[0] == "f") {
            testing::writeBytes(path, row[1]);
        } else {
            std::error_code error;
            if (row[0] == "h") {
                std::filesystem::create_hard_link(testing::fsPath(root.file(row[2])),
                                                  testing::fsPath(path), error);
            }
            ASSERT_TRUE(row[0] == "h" ? !error : testing::makeLink(row[2], path))
                << row[1].constData();
        }
    }
}

// Also in the system's own tree, where names differ in letter case only, hold bytes that are
// not UTF-8, and lead through links.
TEST(ResolverTest, FindsTheStoredNameByAbsoluteAndRelativePath) {
    for (const char* why : {testing::posixNamesUnavailable(), testing::linksUnavailable()}) {
        if (why) {
            GTEST_SKIP() << why;
        }
    }
    TempDir root;
    build(root, "resolver.tree");
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QFile::decodeName(root.path())));
    for (const QByteArray& prefix : {root.path() + '/', QByteArray()}) {
        for (const QList<QByteArray>& row : testing::dataTable("resolver.rows")) {
            SCOPED_TRACE((prefix + row.join('|')).constData());
            const QByteArray path = prefix + row[1];
            const std::optional<FoundFile> found = lookupFile(path);
            EXPECT_TRUE(!found || ('/' + found->path).endsWith('/' + found->storedName));
            const std::optional<QByteArray> got = row[0] == "resolve" ? resolvePath(path)
                                                  : row[0] == "write" ? resolveForWrite(path)
                                                  : found             ? std::optional(found->path)
                                                                      : std::nullopt;
            EXPECT_EQ(got, row[2].isEmpty() ? std::nullopt : std::optional(prefix + row[2]));
        }
    }
    ASSERT_TRUE(QDir::setCurrent(cwd));
}

TEST(FolderTest, ListsMatchingPlainFilesInListingOrder) {
    for (const char* why : {testing::posixNamesUnavailable(), testing::linksUnavailable()}) {
        if (why) {
            GTEST_SKIP() << why;
        }
    }
    TempDir root;
    build(root, "listing.tree");
    for (const QList<QByteArray>& row : testing::dataTable("listing.rows")) {
        const Listing listing = listFiles(root.file("D"), row[0]);
        EXPECT_TRUE(listing.ok) << row[0].constData();
        EXPECT_EQ(QByteArrayList(listing.names.begin(), listing.names.end()).join(' '), row[1]);
    }
    for (const QList<QByteArray>& row : testing::dataTable("wildcard.rows")) {
        EXPECT_EQ(wildcardMatch(row[0], row[1]), row[2] == "1") << row.join('|').constData();
    }
}

TEST(FolderTest, ProbesAndDeletesPlainFiles) {
    TempDir root;
    for (const char* name : {"a.int", "B.int", "c.int", "Cd.int", "zz.txt"}) {
        testing::writeBytes(root.file("d/") + name, "");
    }
    EXPECT_TRUE(folderExists(pathIn(root.path(), "/D")));
    EXPECT_FALSE(folderExists(root.file("d/a.int")));
    EXPECT_TRUE(canCreateFileIn(root.file("D")));
    EXPECT_EQ(testing::folderNames(root.file("d")).size(), 5u);
    EXPECT_FALSE(canCreateFileIn(root.file("missing")));
    EXPECT_FALSE(programDirectory().endsWith(separator()));
    EXPECT_TRUE(userConfigFolder().endsWith(separator() + "Rendix"));
    TestSeam seam;
    seam.failNth(Operation::Delete, 2);
    EXPECT_FALSE(removeMatching(root.file("D"), "?.INT"));  // a.int, B.int (fails), c.int
    EXPECT_EQ(listFiles(root.file("d"), "?.int").names, std::vector<QByteArray>{"B.int"});
    EXPECT_TRUE(removeFile(root.file("d/b.INT")));
    EXPECT_FALSE(removeFile(root.file("d/b.INT")));
    EXPECT_TRUE(removeMatching(root.file("nowhere"), "*"));
    seam.failAll(Operation::List);
    EXPECT_FALSE(listFiles(root.path(), "*").ok);
    EXPECT_FALSE(removeMatching(root.file("d"), "*"));
    EXPECT_EQ(testing::folderNames(root.file("d")).size(), 2u);
}

// The listing order, name by name: a-z count as A-Z, so "[", "\", "]", "^", "_" and "`" come
// after every letter; bytes from 0x80 on come last; a prefix comes first; names that differ
// in letter case only are in byte order. Both ways of sorting must give exactly this.
TEST(ListingOrderTest, SortAndComparisonAgreeOnTrickyNames) {
    const std::vector<QByteArray> ordered = {
        "0", "9", "@", "A", "a", "a0", "AB", "Ab", "aB", "ab", "aZ", "a[",   "a_",       "a\xFF",
        "B", "b", "Z", "z", "[", "\\", "]",  "^",  "_",  "`",  "{",  "\x80", "\xC3\xA9", "\xFF"};
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        for (std::size_t j = 0; j < ordered.size(); ++j) {
            EXPECT_EQ(listingLess(ordered[i], ordered[j]), i < j)
                << ordered[i].toHex().constData() << " vs " << ordered[j].toHex().constData();
        }
    }
    std::vector<QByteArray> names = ordered;
    std::shuffle(names.begin(), names.end(), std::mt19937(2024));
    sortInListingOrder(names);
    EXPECT_EQ(names, ordered);
}

// A name in a message: decoded, and no control character can break or forge a line of it.
TEST(ShownNameTest, EscapesControlCharacters) {
    for (const QList<QByteArray>& row : testing::dataTable("shown-names.rows")) {
        EXPECT_EQ(shownName(row[0]), QString::fromUtf8(row[1])) << row[0].constData();
    }
}

}  // namespace
}  // namespace rendix::platform
