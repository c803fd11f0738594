#include "ini/LineScan.h"

#include <QByteArrayList>

#include <gtest/gtest.h>

namespace rendix::ini {
namespace {

// Each line as "number:" and what the scan makes of it: a header's name in brackets, a key
// line's name and value, otherwise its text.
QByteArrayList described(LineScan scan) {
    QByteArrayList lines;
    while (scan.next()) {
        QByteArray line = QByteArray::number(scan.number()) + ':';
        if (const std::optional<QByteArrayView> name = headerName(scan.text())) {
            line += '[' + name->toByteArray() + ']';
        } else if (const std::optional<KeyText> key = keyLine(scan.text())) {
            line += key->name.toByteArray() + '=' + key->value.toByteArray();
        } else {
            line += scan.text().toByteArray();
        }
        lines << line;
    }
    return lines;
}

// Every terminator, a byte order mark and a last line without terminator; a section's body
// read on its own is numbered from its first line.
TEST(LineScanTest, NumbersEachLineAndReadsHeadersAndKeys) {
    const QByteArray content =
        "\xEF\xBB\xBF[Engine.GameEngine]\r\nServerPackages=A\nServerPackages = B \r ;x=1\r\n"
        "\t[ Maps ] x\r\nMaps[0]='DM-A'\n\r\nlast";
    EXPECT_EQ(described(LineScan(content)),
              QByteArrayList({"1:[Engine.GameEngine]", "2:ServerPackages=A", "3:ServerPackages=B",
                              "4: ;x=1", "5:[Maps]", "6:Maps[0]='DM-A'", "7:", "8:last"}));
    const std::optional<SectionSpan> maps = findSection(content, "maps");
    ASSERT_TRUE(maps.has_value());
    EXPECT_EQ(described(LineScan(content, maps->header.next, maps->end)),
              QByteArrayList({"1:Maps[0]='DM-A'", "2:", "3:last"}));
    EXPECT_EQ(readValue("'DM-A'"), "DM-A");
    EXPECT_FALSE(findSection(content, "Maps]"));
}

}  // namespace
}  // namespace rendix::ini
