// Benchmark harness: encodes a full catalog (65,535 rows) into list-file bytes,
// Cyrillic texts against ASCII texts of the same length, and prints the median
// of each and their ratio. The ASCII rows are the peer: they need no table.
//   dustmote-listbench [RUNS]

#include "ListFileCodec.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double medianMs(const QList<dm::ListRow> &rows, int runs)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const QByteArray bytes = dm::encodeListFile(rows);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        if (bytes.size() < rows.size())
            std::abort();
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 21;
    const QList<dm::ListRow> cyrillic(dm::kMaxListCount, dm::ListRow{QStringLiteral("Временные файлы программы"), {QStringLiteral("*.врм")}, 0});
    const QList<dm::ListRow> ascii(dm::kMaxListCount, dm::ListRow{QStringLiteral("Temporary program files!!"), {QStringLiteral("*.tmp")}, 0});
    const double c = medianMs(cyrillic, runs), a = medianMs(ascii, runs);
    std::printf("65,535 rows, median of %d: Cyrillic %.1f ms, ASCII %.1f ms, ratio %.2f\n", runs, c, a, c / a);
    return 0;
}
