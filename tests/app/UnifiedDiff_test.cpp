#include <gtest/gtest.h>

#include "app/UnifiedDiff.h"
#include "platform/DataTable.h"

namespace rendix::testing {
namespace {

// data/diff.rows: each expectation is what GNU diff -u prints for the same two files.
TEST(UnifiedDiff, PrintsWhatDiffPrints) {
    const QByteArray header = "--- /srv/UnrealTournament.ini\n+++ /srv/UnrealTournament.ini\n";
    for (const QList<QByteArray>& row : dataTable("diff.rows")) {
        SCOPED_TRACE(row[0].constData());
        EXPECT_EQ(
            unifiedDiff(row[1], row[2], "/srv/UnrealTournament.ini", "/srv/UnrealTournament.ini"),
            row[3].isEmpty() ? QByteArray() : header + row[3]);
    }
}

}  // namespace
}  // namespace rendix::testing
