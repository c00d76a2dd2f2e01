// Benchmark harness: a settings store holding many sections, loaded the way
// the program's start loads it (one read of a value through the store), and
// the bare parse of the same text. Prints the medians.
//   dustmote-regbench [SECTIONS] [RUNS]

#include "RegFile.h"
#include "Registry.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QByteArray storeText(int sections)
{
    QByteArray text = "REGEDIT4\n\n";
    for (int i = 0; i < sections; ++i)
        text += "[HKEY_CURRENT_USER\\Software\\Vendor" + QByteArray::number(i) + "\\Settings]\n"
                "\"Value\"=\"" + QByteArray::number(i) + "\"\n\n";
    return text + "[HKEY_CURRENT_USER\\Software\\Dustmote\\Quantity]\n\"Scans\"=\"7\"\n";
}

template <class F>
double medianMs(int runs, F step)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int sections = argc > 1 ? std::atoi(argv[1]) : 25000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const QByteArray text = storeText(sections);
    QTemporaryDir dir;
    QFile file(dir.filePath("registry.reg"));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return 1;
    file.close();

    const double parse = medianMs(runs, [&] {
        if (!dm::parseRegFile(text))
            std::abort();
    });
    dm::Registry store(file.fileName());
    const double query = medianMs(runs, [&] {
        dm::RegKey key;
        quint32 size = 0;
        if (store.openKey(dm::Registry::currentUser(), "Software\\Dustmote\\Quantity", &key)
                != dm::ERROR_SUCCESS
            || store.queryValue(key, "Scans", nullptr, nullptr, &size) != dm::ERROR_SUCCESS)
            std::abort();
    });
    std::printf("%d sections (%lld bytes), median of %d: parse %.1f ms, open key and read a value %.1f ms\n",
                sections, qlonglong(text.size()), runs, parse, query);
    return 0;
}
