#pragma once

#include <QList>

#include <vector>

#include "support/TestFiles.h"

namespace rendix::testing {

// The rows of a checked-in table of tests/platform/data: one a line, fields split at "|",
// lines that start with "#" left out.
inline std::vector<QList<QByteArray>> dataTable(const char* name) {
    std::vector<QList<QByteArray>> rows;
    for (const QByteArray& line : RENDIX_DATA(name).split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#')) {
            rows.push_back(line.split('|'));
        }
    }
    return rows;
}

}  // namespace rendix::testing
