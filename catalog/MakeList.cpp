// dustmote-mklist <types.txt> <List.lst>
// Writes the starting catalog from its readable source with the program's own
// list-file writer, so the shipped file is exactly what the program reads.
// Source lines: a mask text without blanks, blanks, a description; "#" starts
// a comment line.

#include "FileStream.h"
#include "ListFileCodec.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const QString &text)
{
    std::fprintf(stderr, "dustmote-mklist: %s\n", qPrintable(text));
    std::exit(1);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        fail(QStringLiteral("usage: dustmote-mklist <types.txt> <List.lst>"));
    QFile source(QFile::decodeName(argv[1]));
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        fail(source.errorString());

    static const QRegularExpression entry(QStringLiteral(R"(^(\S+)\s+(\S.*?)\s*$)"));
    QList<dm::ListRow> rows;
    QTextStream in(&source);
    for (int number = 1; !in.atEnd(); ++number) {
        const QString line = in.readLine();
        if (line.trimmed().isEmpty() || line.startsWith(u'#'))
            continue;
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch() || m.captured(1).contains(u','))
            fail(QStringLiteral("line %1: expected a mask text and a description").arg(number));
        rows.append({m.captured(2), {m.captured(1)}, 0});
    }
    try {
        const QByteArray bytes = dm::encodeListFile(rows);
        if (dm::decodeListFile(bytes).rows != rows)
            fail(QStringLiteral("a text holds characters outside code page 1251"));
        dm::AtomicFileWriter out(QFile::decodeName(argv[2]));
        out.write(bytes);
        out.commit();
    } catch (const std::exception &e) {
        fail(QString::fromUtf8(e.what()));
    }
    return 0;
}
