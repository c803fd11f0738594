#pragma once

#include <QList>

#include <vector>

#include "support/TestFiles.h"

namespace rendix::testing {

// The rows of a checked-in table of the test area's data folder: one a line, cells parted by
// "|", "\r" and "\n" written so; empty lines and lines that start with "#" left out.
inline std::vector<QList<QByteArray>> dataTable(const QByteArray& name) {
    std::vector<QList<QByteArray>> rows;
    for (QByteArray line : RENDIX_DATA(name).split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#')) {
            rows.push_back(line.replace("\\r", "\r").replace("\\n", "\n").split('|'));
        }
    }
    return rows;
}

}  // namespace rendix::testing
