#include "app/UnifiedDiff.h"

#include <QHash>

#include <dtl/dtl.hpp>

#include <algorithm>
#include <vector>

namespace rendix {

namespace {

constexpr long long kContext = 3;

// Each line with its LF; the last one without, when the file does not end in LF.
std::vector<QByteArrayView> splitAtLf(const QByteArray& bytes) {
    std::vector<QByteArrayView> lines;
    const QByteArrayView all(bytes);
    for (qsizetype start = 0; start < all.size();) {
        const qsizetype lf = all.indexOf('\n', start);
        const qsizetype end = lf < 0 ? all.size() : lf + 1;
        lines.push_back(all.sliced(start, end - start));
        start = end;
    }
    return lines;
}

// One step of the edit script: a line kept, removed or added.
struct Step {
    char mark;  // ' ', '-' or '+'
    QByteArrayView line;
};

// The shortest edit script, removals before additions within a change, as diff(1) prints.
// dtl compares the lines as numbers, one per distinct line.
std::vector<Step> editScript(const std::vector<QByteArrayView>& a,
                             const std::vector<QByteArrayView>& b) {
    QHash<QByteArrayView, long long> ids;
    const auto numbered = [&](const std::vector<QByteArrayView>& lines) {
        std::vector<long long> numbers;
        numbers.reserve(lines.size());
        for (const QByteArrayView line : lines) {
            auto known = ids.constFind(line);
            if (known == ids.constEnd()) {
                known = ids.insert(line, ids.size());
            }
            numbers.push_back(*known);
        }
        return numbers;
    };
    const std::vector<long long> numbersA = numbered(a);
    const std::vector<long long> numbersB = numbered(b);
    dtl::Diff<long long> diff(numbersA, numbersB, true);
    diff.compose();
    std::vector<Step> steps;
    for (const auto& [number, info] : diff.getSes().getSequence()) {
        switch (info.type) {
            case dtl::SES_COMMON:
                steps.push_back({' ', a[static_cast<std::size_t>(info.beforeIdx - 1)]});
                break;
            case dtl::SES_DELETE:
                steps.push_back({'-', a[static_cast<std::size_t>(info.beforeIdx - 1)]});
                break;
            default:
                steps.push_back({'+', b[static_cast<std::size_t>(info.afterIdx - 1)]});
                break;
        }
    }
    return steps;
}

// "l,s" of a hunk header; diff(1) leaves out ",1" and names the line before an empty range.
QByteArray range(long long first, long long count) {
    if (count == 1) {
        return QByteArray::number(first);
    }
    return QByteArray::number(count == 0 ? first - 1 : first) + ',' + QByteArray::number(count);
}

}  // namespace

QByteArray unifiedDiff(const QByteArray& oldBytes, const QByteArray& newBytes,
                       const QByteArray& oldName, const QByteArray& newName) {
    if (oldBytes == newBytes) {
        return {};
    }
    const std::vector<Step> steps = editScript(splitAtLf(oldBytes), splitAtLf(newBytes));
    const auto size = static_cast<long long>(steps.size());
    const auto changed = [&](long long i) {
        return steps[static_cast<std::size_t>(i)].mark != ' ';
    };

    QByteArray out = "--- " + oldName + "\n+++ " + newName + '\n';
    // Line numbers before each step, so that a hunk knows where it starts.
    long long oldLine = 1;
    long long newLine = 1;
    for (long long i = 0; i < size;) {
        if (!changed(i)) {
            ++oldLine;
            ++newLine;
            ++i;
            continue;
        }
        // A hunk: context before, then changes until more than twice the context is unchanged.
        const long long begin = std::max(0LL, i - kContext);
        long long last = i;
        for (long long j = i + 1; j < size && j <= last + 2 * kContext + 1; ++j) {
            if (changed(j)) {
                last = j;
            }
        }
        const long long end = std::min(size, last + kContext + 1);
        const long long oldFirst = oldLine - (i - begin);
        const long long newFirst = newLine - (i - begin);
        long long oldCount = 0;
        long long newCount = 0;
        QByteArray body;
        for (long long j = begin; j < end; ++j) {
            const Step& step = steps[static_cast<std::size_t>(j)];
            oldCount += step.mark != '+' ? 1 : 0;
            newCount += step.mark != '-' ? 1 : 0;
            body += step.mark + step.line.toByteArray();
            if (!step.line.endsWith('\n')) {
                body += "\n\\ No newline at end of file\n";
            }
        }
        out += "@@ -" + range(oldFirst, oldCount) + " +" + range(newFirst, newCount) + " @@\n";
        out += body;
        for (long long j = i; j < end; ++j) {
            const char mark = steps[static_cast<std::size_t>(j)].mark;
            oldLine += mark != '+' ? 1 : 0;
            newLine += mark != '-' ? 1 : 0;
        }
        i = end;
    }
    return out;
}

}  // namespace rendix
