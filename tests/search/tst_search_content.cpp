// The phrase scan on real files: case folding in code page 1251, whole words,
// overlaps, and occurrences that straddle the 61440-byte chunk boundary.

#include "ByteTables.h"
#include "ChildProcess.h"
#include "ContentScan.h"
#include "FindFile.h"
#include "SearchCriteria.h"
#include "SearchTestTree.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dm;

class TestContent : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_counter = 0;

    std::string writeFile(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QString::number(++m_counter));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return QFile::encodeName(path).toStdString();
    }

    // The scan through the criteria, as the walk runs it.
    bool contains(const QByteArray &content, const QByteArray &phrase, bool ignoreCase,
                  bool wholeWord)
    {
        TContentCriteria c;
        c.setPhrase(phrase.toStdString());
        c.setIgnoreCase(ignoreCase);
        c.setWholeWord(wholeWord);
        return c.Matches(writeFile(content));
    }

    // Filler of word characters, so whole-word tests depend on the bytes we place.
    static QByteArray filler(qsizetype n, char c = 'x') { return QByteArray(n, c); }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void phrase_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("found");
        QTest::newRow("inside a word") << QByteArray("Concatenate") << QByteArray("cat") << true << false << true;
        QTest::newRow("inside a word, whole word") << QByteArray("Concatenate") << QByteArray("cat") << true << true << false;
        QTest::newRow("whole word before a dot") << QByteArray("the CAT.") << QByteArray("cat") << true << true << true;
        QTest::newRow("whole file is the word") << QByteArray("cat") << QByteArray("cat") << true << true << true;
        QTest::newRow("followed by a letter") << QByteArray("cats") << QByteArray("cat") << true << true << false;
        QTest::newRow("preceded by a digit") << QByteArray("1cat") << QByteArray("cat") << true << true << false;
        QTest::newRow("later occurrence qualifies") << QByteArray("cats cat") << QByteArray("cat") << true << true << true;
        QTest::newRow("case kept") << QByteArray("cat") << QByteArray("Cat") << false << false << false;
        QTest::newRow("case kept, equal") << QByteArray("a Cat") << QByteArray("Cat") << false << false << true;
        QTest::newRow("overlap") << QByteArray("aaab") << QByteArray("aab") << true << false << true;
        QTest::newRow("empty file") << QByteArray() << QByteArray("a") << true << false << false;
        QTest::newRow("file shorter than phrase") << QByteArray("ab") << QByteArray("abc") << true << false << false;
        QTest::newRow("partial at end of file") << QByteArray("xxab") << QByteArray("abc") << true << false << false;
        // Code page 1251: "ПРИВЕТ" in capitals against small letters and back.
        QTest::newRow("Cyrillic capitals in phrase")
            << QByteArray("\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0") << QByteArray("\xCF\xD0\xC8\xC2\xC5\xD2")
            << true << true << true;
        QTest::newRow("Cyrillic capitals in file")
            << QByteArray("\xCF\xD0\xC8\xC2\xC5\xD2!") << QByteArray("\xEF\xF0\xE8\xE2\xE5\xF2")
            << true << true << true;
        QTest::newRow("Cyrillic letter is a word character")
            << QByteArray("\xE0\xEF\xF0\xE8\xE2\xE5\xF2") << QByteArray("\xEF\xF0\xE8\xE2\xE5\xF2")
            << true << true << false;
        QTest::newRow("Cyrillic without IgnoreCase")
            << QByteArray("\xCF\xD0\xC8") << QByteArray("\xEF\xF0\xE8") << false << false << false;
        // UTF-8 text is folded as characters: "Ш" (D0 A8) is not "и" (D0 B8),
        // whose second bytes the code page's table takes for a case pair.
        QTest::newRow("UTF-8: Ш is not и") << QByteArray("и") << QByteArray("Ш") << true << false << false;
        QTest::newRow("UTF-8: Ш is ш") << QByteArray("кашель") << QByteArray("Ш") << true << false << true;
        QTest::newRow("UTF-8: capitals in phrase") << QByteArray("привет, мир") << QByteArray("ПРИВЕТ") << true
                                                   << true << true;
        QTest::newRow("UTF-8: capitals in file") << QByteArray("Ёлка!") << QByteArray("ёлка") << true << true
                                                 << true;
        QTest::newRow("UTF-8: letter before is a word character")
            << QByteArray("сёлка") << QByteArray("ёлка") << true << true << false;
        QTest::newRow("UTF-8: letter after is a word character")
            << QByteArray("ёлки ёлкаж") << QByteArray("ёлка") << true << true << false;
        QTest::newRow("UTF-8: overlap") << QByteArray("аааб") << QByteArray("ААБ") << true << false << true;
        // A file that is no UTF-8 (its bytes in the code page) still folds by the table.
        QTest::newRow("not UTF-8: the code page's table, as ever")
            << QByteArray("\xFF\xD0\xB8") << QByteArray("Ш") << true << false << true;
    }
    void phrase()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, phrase);
        QFETCH(bool, ignoreCase);
        QFETCH(bool, wholeWord);
        QFETCH(bool, found);
        QCOMPARE(contains(content, phrase, ignoreCase, wholeWord), found);
    }

    // Layouts around the first chunk end (61440 bytes).
    void chunkBoundary_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("phrase");
        QTest::addColumn<bool>("wholeWord");
        QTest::addColumn<bool>("found");
        const qsizetype chunk = kContentChunkSize;
        QTest::newRow("straddles the boundary")
            << filler(chunk - 2) + "needle" + filler(100) << QByteArray("needle") << false << true;
        QTest::newRow("straddles, whole word")
            << filler(chunk - 3, ' ') + "needle" + filler(100, ' ') << QByteArray("needle") << true << true;
        QTest::newRow("whole word ends at chunk end, next byte a delimiter")
            << filler(chunk - 7) + " needle" + " " + filler(10) << QByteArray("needle") << true << true;
        QTest::newRow("whole word ends at chunk end, next byte a letter")
            << filler(chunk - 7) + " needle" + "s" + filler(10) << QByteArray("needle") << true << false;
        QTest::newRow("whole word ends at chunk end, then a later word")
            << filler(chunk - 7) + " needle" + "s needle" << QByteArray("needle") << true << true;
        QTest::newRow("word at very start of second chunk after a letter")
            << filler(chunk) + "needle " << QByteArray("needle") << true << false;
        QTest::newRow("word at very start of second chunk after a blank")
            << filler(chunk - 1) + " needle" << QByteArray("needle") << true << true;
        QTest::newRow("whole word at end of a long file")
            << filler(chunk * 2 + 5) + " needle" << QByteArray("needle") << true << true;
        QTest::newRow("partial match cut by end of file")
            << filler(chunk * 2 - 3) + "nee" << QByteArray("needle") << false << false;
        QTest::newRow("no occurrence in a long file")
            << filler(chunk * 3 + 17) << QByteArray("needle") << false << false;
    }
    void chunkBoundary()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, phrase);
        QFETCH(bool, wholeWord);
        QFETCH(bool, found);
        QCOMPARE(contains(content, phrase, true, wholeWord), found);
    }

    // A phrase as long as a chunk: the byte after a whole-word match that
    // fills the buffer is still examined.
    // A character cut by the first chunk's end is read whole; a byte that is
    // no UTF-8 far after the match still makes the file one of the code page,
    // whose bytes the table folds one by one.
    void utf8AcrossChunks_data()
    {
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<bool>("found");
        QTest::newRow("text") << QByteArray(" ok") << true;
        QTest::newRow("no UTF-8 at the end") << QByteArray(" \xFF") << false;
    }
    void utf8AcrossChunks()
    {
        QFETCH(QByteArray, tail);
        QFETCH(bool, found);
        const QByteArray content = QByteArray(61439, ' ') + "Ш" + QByteArray(70000, ' ') + tail;
        QCOMPARE(contains(content, "ш", true, true), found);
        // "и" holds "Ш"'s bytes but for the case step: only the table sees it.
        const QByteArray other = QByteArray(61439, ' ') + "и" + QByteArray(70000, ' ') + tail;
        QCOMPARE(contains(other, "Ш", true, true), !found);
    }

    void phraseOfChunkSize()
    {
        const QByteArray phrase = filler(kContentChunkSize, 'q');
        QVERIFY(contains(phrase + " tail", phrase, false, true));
        QVERIFY(!contains(phrase + "tail", phrase, false, true));
        QVERIFY(contains(phrase, phrase, false, true));
        QVERIFY(contains("ab " + phrase + "q", phrase, false, false));
    }

    void unreadableFileDoesNotMatch()
    {
        const std::string path = writeFile("secret");
        TContentCriteria c;
        c.setPhrase("secret");
        QVERIFY(c.Matches(path));
        // No read permission, for a user other than root, who reads anyway.
        QVERIFY(::chmod(path.c_str(), 0) == 0);
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        const int result = dm::test::runInChild([&] {
            if (c.Matches(path))
                return 1;
            try {
                FileContainsPhrase(AT_FDCWD, path, "secret", 6, false, IdentityTable());
                return 2;
            } catch (const std::exception &) {
                return 0;
            }
        }, true, 20000);
        QCOMPARE(result, 0);
    }

    // The scan as the walk runs it: relative to the folder, so that a path
    // longer than the kernel takes in one piece is no obstacle, and never
    // through a symbolic link, whose target's content is not the entry's.
    void scanThroughTheWalk_data()
    {
        QTest::addColumn<bool>("deep");
        QTest::addColumn<int>("found");
        QTest::newRow("file deeper than a path can name") << true << 1;
        QTest::newRow("link to a file holding the phrase") << false << 0;
    }
    void scanThroughTheWalk()
    {
        QFETCH(bool, deep);
        QFETCH(int, found);
        QTemporaryDir dir;
        const std::string root = QFile::encodeName(dir.path()).toStdString() + "/";
        std::unique_ptr<dmtest::DeepTree> tree;
        if (deep) {
            tree = std::make_unique<dmtest::DeepTree>(root, 500, 0, "deep.tmp", "a secret word");
            QVERIFY(tree->complete());
        } else {
            QFile target(dir.filePath("plain.txt"));
            QVERIFY(target.open(QIODevice::WriteOnly) && target.write("a secret word") > 0);
            QVERIFY(::symlink("plain.txt", (root + "pw.tmp").c_str()) == 0);
        }
        TFindFile ff;
        int matches = 0;
        ff.OnFileMatch = [&](TFindFile *, const std::string &, const TSearchRec &) { ++matches; };
        ff.Criteria().Files().setFileName("*.tmp");
        ff.Criteria().Files().setLocation(root);
        ff.Criteria().Content().setPhrase("secret");
        ff.StartSearch();
        QCOMPARE(matches, found);
    }

    void missingFileAndFolderDoNotMatch()
    {
        TContentCriteria c;
        c.setPhrase("x");
        QVERIFY(!c.Matches(QFile::encodeName(m_dir.filePath("missing")).toStdString()));
        QVERIFY(!c.Matches(QFile::encodeName(m_dir.path()).toStdString()));
    }
};

QTEST_GUILESS_MAIN(TestContent)
#include "tst_search_content.moc"
