#pragma once

#include <QList>

#include <vector>

#include "support/TestFiles.h"

namespace rendix::testing {

// The rows of a checked-in table of the test area's data folder: one a line, cells parted by
// "|"; "\r", "\n", "\t", "\xHH" (any byte, "|" and NUL too) and "\\" (a backslash) written
// so; empty lines and lines that start with "#" left out.
inline std::vector<QList<QByteArray>> dataTable(const QByteArray& name) {
    std::vector<QList<QByteArray>> rows;
    for (const QByteArray& line : RENDIX_DATA(name).split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) {
            continue;
        }
        QList<QByteArray> cells = line.split('|');
        for (QByteArray& cell : cells) {
            for (qsizetype at = cell.indexOf('\\'); at >= 0; at = cell.indexOf('\\', at + 1)) {
                const char kind = at + 1 < cell.size() ? cell[at + 1] : '\0';
                const QByteArray hex = cell.mid(at + 2, 2);
                if (kind == '\\') {
                    cell.remove(at, 1);
                } else if (kind == 'r' || kind == 'n' || kind == 't') {
                    cell.replace(at, 2, kind == 'r' ? "\r" : kind == 'n' ? "\n" : "\t");
                } else if (kind == 'x' && hex.size() == 2 && QByteArray::fromHex(hex).size() == 1) {
                    cell.replace(at, 4, QByteArray::fromHex(hex));
                }
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace rendix::testing
