// List syntax and name matching: mask and location lists, prefixes, the
// platform mask rule, excluded entries, folder normalisation and the targets
// a criteria set turns into.

#include "NameMatch.h"
#include "ListSyntax.h"
#include "TargetSearch.h"

#include <QDir>
#include <QTest>

using namespace dm;

using Strings = std::vector<std::string>;
Q_DECLARE_METATYPE(Strings)

class TestLists : public QObject
{
    Q_OBJECT

private slots:
    void splitEntries_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<Strings>("expected");
        QTest::newRow("trim, dedup by case, empties") << " *.tmp; *.TMP ;;*.bak;" << Strings{"*.tmp", "*.bak"};
        QTest::newRow("comma is ordinary") << "*.tmp,*.bak" << Strings{"*.tmp,*.bak"};
        QTest::newRow("quotes belong to the mask") << "\"*.t mp\"; x" << Strings{"\"*.t mp\"", "x"};
        QTest::newRow("control bytes trimmed") << "\t*.a\r\n;\x01" << Strings{"*.a"};
        QTest::newRow("only separators") << " ; ;; " << Strings{};
        QTest::newRow("non-ASCII dedup") << "ПАПКА;папка;Папка2" << Strings{"ПАПКА", "Папка2"};
        QTest::newRow("order of first appearance") << "b;a;B;c" << Strings{"b", "a", "c"};
    }
    void splitEntries()
    {
        QFETCH(QString, list);
        QFETCH(Strings, expected);
        QCOMPARE(SplitEntries(list.toStdString()), expected);
    }

    // Folder names are case-sensitive: both folders stay.
    void splitLocationsKeepsCase()
    {
        QCOMPARE(SplitEntries("/x/A;/x/a;/x/A", true), (Strings{"/x/A", "/x/a"}));
    }

    void subfolderPrefix_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("deflt");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QString>("rest");
        QTest::newRow("< with default on") << "</tmp" << true << false << "/tmp";
        QTest::newRow("> with default off") << ">/" << false << true << "/";
        QTest::newRow("no prefix keeps default") << "/a" << false << false << "/a";
        QTest::newRow("only one character removed") << ">< /a" << false << true << "< /a";
    }
    void subfolderPrefix()
    {
        QFETCH(QString, entry);
        QFETCH(bool, deflt);
        std::string e = entry.toStdString();
        QFETCH(bool, result);
        QFETCH(QString, rest);
        QCOMPARE(TakeSubfolderPrefix(e, deflt), result);
        QCOMPARE(QString::fromStdString(e), rest);
    }

    void wildcard_data()
    {
        QTest::addColumn<QString>("s");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("matches");
        QTest::newRow("star ends the test") << "abcz" << "a*z" << true;
        QTest::newRow("star ignores the rest") << "abcq" << "a*z" << true;
        QTest::newRow("trailing ? matches nothing") << "ab" << "ab?" << true;
        QTest::newRow("? one char") << "abc" << "a?c" << true;
        QTest::newRow("mask shorter") << "abc" << "ab" << false;
        QTest::newRow("ASCII case") << "README" << "readme" << true;
        // Letters outside ASCII compare exactly, as the engine's exclusions do.
        QTest::newRow("non-ASCII case differs") << "Ж" << "ж" << false;
        QTest::newRow("Ё and ё differ") << "Ёлка" << "ёлка" << false;
        QTest::newRow("non-ASCII same case") << "Ёлка" << "Ёлка" << true;
        QTest::newRow("? one non-ASCII character") << "Ёлка" << "?лка" << true;
    }
    void wildcard()
    {
        QFETCH(QString, s);
        QFETCH(QString, mask);
        QFETCH(bool, matches);
        QCOMPARE(MatchWildcard(s.toStdString(), mask.toStdString()), matches);
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<bool>("matches");
        QTest::newRow("*.* any name") << "readme" << "*.*" << true;
        QTest::newRow("*. no extension") << "readme" << "*." << true;
        QTest::newRow("*. with extension") << "readme.txt" << "*." << false;
        QTest::newRow("readme matches readme.txt") << "readme.txt" << "readme" << true;
        QTest::newRow("readme matches readme.doc") << "readme.doc" << "readme" << true;
        QTest::newRow("extension mismatch") << "a.log" << "*.txt" << false;
        QTest::newRow("extension match") << "a.LOG" << "*.log" << true;
    }
    void fileName()
    {
        QFETCH(QString, name);
        QFETCH(QString, mask);
        QFETCH(bool, matches);
        QCOMPARE(MatchFileName(name.toStdString(), mask.toStdString()), matches);
    }

    void excluded_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("excluded");
        QTest::newRow("/Temp/ in /c/System/Temp/") << "/c/System/Temp/" << "a.log" << "/Temp/*.log" << true;
        QTest::newRow("/Temp/ in /d/Temp/") << "/d/Temp/" << "a.log" << "/Temp/*.log" << true;
        QTest::newRow("/Temp/ not in /c/MyTemp/") << "/c/MyTemp/" << "a.log" << "/Temp/*.log" << false;
        QTest::newRow("Temp/ plain suffix in /c/MyTemp/") << "/c/MyTemp/" << "a.log" << "Temp/*.log" << true;
        QTest::newRow("folder case-insensitive") << "/c/TEMP/" << "a.log" << "/temp/*.log" << true;
        QTest::newRow("whole folder") << "/c/" << "x" << "/c/" << true;
        QTest::newRow("whole folder elsewhere") << "/d/" << "x" << "/c/" << false;
        QTest::newRow("mask only") << "/any/" << "readme.txt" << "readme" << true;
        QTest::newRow("*. keeps extensions") << "/any/" << "a.txt" << "*." << false;
        QTest::newRow("*. names without") << "/any/" << "Makefile" << "*." << true;
        QTest::newRow("colon is ordinary") << "/x/" << "a.bak" << "?:*.bak" << false;
        QTest::newRow("folder longer than found folder") << "/c/" << "a" << "/long/c/" << false;
        QTest::newRow("empty entry") << "/c/" << "a" << "" << true;
        // Letters outside ASCII compare exactly, in the mask and the folder.
        QTest::newRow("Cyrillic mask of another case") << "/x/" << "a.тмп" << "*.ТМП" << false;
        QTest::newRow("Cyrillic mask of the same case") << "/x/" << "a.ТМП" << "*.ТМП" << true;
        QTest::newRow("Cyrillic folder of another case") << "/x/Папка/" << "a.log" << "/ПАПКА/*.log" << false;
        QTest::newRow("Cyrillic folder of the same case") << "/x/ПАПКА/" << "a.log" << "/ПАПКА/*.log" << true;
        QTest::newRow("Cyrillic folder differs") << "/x/Папки/" << "a.log" << "/Папка/*.log" << false;
        QTest::newRow("no folding across byte lengths") << "/x/K/" << "a" << "/\u212A/" << false;
    }
    void excluded()
    {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, entry);
        QFETCH(bool, excluded);
        QCOMPARE(IsExcludedBy(folder.toStdString(), name.toStdString(), entry.toStdString()), excluded);
    }

    void excludedListLastToFirst()
    {
        TTargetFolderList list;
        list.ExcludedFiles = {"/nothing/", "*.log"};
        QVERIFY(list.IsExcluded("/a/", "x.log"));
        QVERIFY(!list.IsExcluded("/a/", "x.txt"));
    }

    void platformMask_data()
    {
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("matches");
        QTest::newRow("*.* without dot") << "*.*" << QByteArray("Makefile") << true;
        QTest::newRow("* dotfile") << "*" << QByteArray(".hidden") << true;
        QTest::newRow("suffix case") << "*.TMP" << QByteArray("a.tmp") << true;
        QTest::newRow("suffix too short") << "*.tmp" << QByteArray("tmp") << false;
        QTest::newRow("suffix as long as the name") << "*.tmp" << QByteArray(".tmp") << true;
        QTest::newRow("prefix") << "~*" << QByteArray("~lock") << true;
        QTest::newRow("prefix as long as the name") << "~*" << QByteArray("~") << true;
        QTest::newRow("exact case") << "CORE" << QByteArray("core") << true;
        QTest::newRow("exact differs") << "core" << QByteArray("core1") << false;
        QTest::newRow("general") << "a*b?c*.x" << QByteArray("AxxbYc123.X") << true;
        QTest::newRow("general no") << "a*b?c" << QByteArray("abc") << false;
        QTest::newRow("backtracking") << "*ab*ab" << QByteArray("xabyabab") << true;
        QTest::newRow("? is one UTF-8 character") << "?.txt" << QByteArray("ж.txt") << true;
        QTest::newRow("Cyrillic folded") << "*.ТМП" << QByteArray("файл.тмп") << true;
        QTest::newRow("Latin-1 folded") << "É*" << QByteArray("école") << true;
        QTest::newRow("Kelvin sign folds to k") << "k*" << QByteArray("\u212Aelvin") << true;
        QTest::newRow("empty mask") << "" << QByteArray("a") << false;
        QTest::newRow("invalid UTF-8 literal") << "*.log" << QByteArray("\xff.log") << true;
        // Overlong forms of "A" are no letters: they match neither a letter nor "?".
        QTest::newRow("overlong in two bytes") << "a.tmp" << QByteArray("\xC1\x81.tmp") << false;
        QTest::newRow("overlong in three bytes") << "a.tmp" << QByteArray("\xE0\x81\x81.tmp") << false;
        QTest::newRow("overlong in four bytes") << "?.tmp" << QByteArray("\xF0\x80\x81\x81.tmp") << false;
        QTest::newRow("surrogate half") << "?.tmp" << QByteArray("\xED\xA0\x80.tmp") << false;
    }
    void platformMask()
    {
        QFETCH(QString, mask);
        QFETCH(QByteArray, name);
        QFETCH(bool, matches);
        QCOMPARE(FileMask(mask.toStdString()).matches(name.toStdString()), matches);
    }

    void normalizeFolder_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("root") << "/" << "/";
        QTest::newRow("trailing slash added") << "/tmp" << "/tmp/";
        QTest::newRow("dots and doubles") << "/a//b/./c/../d/" << "/a/b/d/";
        QTest::newRow("above root") << "/../x" << "/x/";
        QTest::newRow("colon ordinary") << "/c:" << "/c:/";
        QTest::newRow("relative") << "sub/x" << QDir::currentPath() + "/sub/x/";
    }
    void normalizeFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdString(NormalizeFolder(path.toStdString()).value()), expected);
    }

    void targetFoldersInOrder()
    {
        TSearchCriteria c;
        c.Files().setFileName("*.a;*.b");
        c.Files().setLocation("/x;<" "/y;/x/");
        c.Files().Included() = {">/inc/*.c", "/inc/*.c"};
        TTargetSearch s(c);
        TTargetFolderList &t = s.TargetFolders;
        QCOMPARE(t.Count(), 3u);
        // Walked from the back: first named first.
        QCOMPARE(t[2].Folder, std::string("/inc/"));
        QCOMPARE(t[2].FileMasks, (Strings{"*.c", "*.c"}));
        QCOMPARE(t[2].Subfolders, true); // the last naming wins
        QCOMPARE(t[1].Folder, std::string("/x/"));
        QCOMPARE(t[1].FileMasks, (Strings{"*.a", "*.b", "*.a", "*.b"}));
        QCOMPARE(t[0].Folder, std::string("/y/"));
        QCOMPARE(t[0].Subfolders, false);
        QCOMPARE(t.IndexOfFolder("/inc/"), 2);
        QCOMPARE(t.IndexOfFolder("/INC/"), -1);
        QCOMPARE(t.IndexOfFolder("/none/"), -1);
    }
};

QTEST_GUILESS_MAIN(TestLists)
#include "tst_search_lists.moc"
