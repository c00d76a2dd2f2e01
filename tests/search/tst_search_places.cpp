// Masks that name a place: the folder part against the end of the found
// file's folder, on component boundaries, with "*", "?" and "**"; the masks
// that can never match and why; and walks that find by place, alone, beside
// name masks and with the read-ahead going before them.

#include "ListSyntax.h"
#include "PlaceMask.h"
#include "SearchTestTree.h"

using namespace dm;

class TestPlaces : public dmtest::TreeTest
{
    Q_OBJECT

private slots:
    void init() { initTree(); }

    void matching_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("matches");
        // Component boundaries: never inside a name.
        QTest::newRow("whole component") << QByteArray("cache2/*") << QByteArray("/h/p/cache2/") << QByteArray("e1") << true;
        QTest::newRow("end of a name") << QByteArray("cache2/*") << QByteArray("/h/mycache2/") << QByteArray("e1") << false;
        QTest::newRow("start of a name") << QByteArray("cache2/*") << QByteArray("/h/cache2x/") << QByteArray("e1") << false;
        QTest::newRow("the folder's end only") << QByteArray("cache2/*") << QByteArray("/h/cache2/sub/") << QByteArray("e1") << false;
        QTest::newRow("two components") << QByteArray(".cache/thumbnails/*") << QByteArray("/home/u/.cache/thumbnails/") << QByteArray("a.png") << true;
        QTest::newRow("two, one differs") << QByteArray(".cache/thumbnails/*") << QByteArray("/home/u/cache/thumbnails/") << QByteArray("a.png") << false;
        QTest::newRow("letters without case") << QByteArray("Cache/*.bin") << QByteArray("/h/cACHE/") << QByteArray("X.BIN") << true;
        QTest::newRow("without a final slash") << QByteArray("a/b/*") << QByteArray("/x/a/b") << QByteArray("f") << true;
        // "*" and "?" inside one component, never across "/".
        QTest::newRow("star in a component") << QByteArray(".mozilla/firefox/*/cache2/*") << QByteArray("/h/.mozilla/firefox/ab12.default/cache2/") << QByteArray("f") << true;
        QTest::newRow("star spans no slash") << QByteArray("firefox/*/cache2/*") << QByteArray("/h/firefox/a/b/cache2/") << QByteArray("f") << false;
        QTest::newRow("star needs a folder") << QByteArray("firefox/*/cache2/*") << QByteArray("/h/firefox/cache2/") << QByteArray("f") << false;
        QTest::newRow("question mark") << QByteArray("v?/*") << QByteArray("/h/v1/") << QByteArray("f") << true;
        QTest::newRow("question mark, one character") << QByteArray("v?/*") << QByteArray("/h/v12/") << QByteArray("f") << false;
        // "**": any number of folders, none included.
        QTest::newRow("** none") << QByteArray("thumbnails/**/*") << QByteArray("/h/thumbnails/") << QByteArray("a.png") << true;
        QTest::newRow("** one") << QByteArray("thumbnails/**/*") << QByteArray("/h/thumbnails/large/") << QByteArray("a.png") << true;
        QTest::newRow("** many") << QByteArray("thumbnails/**/*") << QByteArray("/h/thumbnails/a/b/c/") << QByteArray("a.png") << true;
        QTest::newRow("** above, not there") << QByteArray("thumbnails/**/*") << QByteArray("/h/other/") << QByteArray("a.png") << false;
        QTest::newRow("** between") << QByteArray("a/**/b/*") << QByteArray("/r/a/x/y/b/") << QByteArray("f") << true;
        QTest::newRow("** between, none") << QByteArray("a/**/b/*") << QByteArray("/r/a/b/") << QByteArray("f") << true;
        QTest::newRow("** between, end differs") << QByteArray("a/**/b/*") << QByteArray("/r/a/b/c/") << QByteArray("f") << false;
        QTest::newRow("** first") << QByteArray("**/b/*") << QByteArray("/b/") << QByteArray("f") << true;
        QTest::newRow("name part still counts") << QByteArray("__pycache__/*.pyc") << QByteArray("/p/__pycache__/") << QByteArray("m.py") << false;
        QTest::newRow("name part") << QByteArray("__pycache__/*.pyc") << QByteArray("/p/__pycache__/") << QByteArray("m.cpython-311.pyc") << true;
        QTest::newRow("the root") << QByteArray("a/*") << QByteArray("/") << QByteArray("f") << false;
        // Names that are not UTF-8 equal only themselves, and "*" takes them.
        QTest::newRow("not UTF-8, same bytes") << QByteArray("caf\xe9/*") << QByteArray("/h/caf\xe9/") << QByteArray("f") << true;
        QTest::newRow("not UTF-8, other byte") << QByteArray("caf\xe9/*") << QByteArray("/h/caf\xc9/") << QByteArray("f") << false;
        QTest::newRow("not UTF-8 under a star") << QByteArray("c*/*") << QByteArray("/h/c\xff\xfe/") << QByteArray("\xff") << true;
    }

    void matching()
    {
        QFETCH(QByteArray, mask);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, name);
        QFETCH(bool, matches);
        const PlaceMask place(mask.toStdString());
        QCOMPARE(place.fault(), PlaceMask::Fault::None);
        QCOMPARE(place.matches(folder.toStdString(), name.toStdString()), matches);
        // Stepping folder by folder, as a walk does, says the same.
        PlaceMask::State state = place.start();
        for (const QByteArray &part : folder.split('/'))
            if (!part.isEmpty())
                state = place.step(state, part.toStdString(), isAscii(part.toStdString()));
        QCOMPARE(place.accepts(state) && place.name().matches(name.toStdString()), matches);
    }

    void neverMatching_data()
    {
        QTest::addColumn<QByteArray>("mask");
        QTest::addColumn<int>("fault");
        QTest::newRow("ends in a slash") << QByteArray(".cache/thumbnails/") << int(PlaceMask::Fault::NoName);
        QTest::newRow("empty component") << QByteArray(".cache//x/*") << int(PlaceMask::Fault::EmptyComponent);
        QTest::newRow("leading slash") << QByteArray("/tmp/*") << int(PlaceMask::Fault::EmptyComponent);
        QTest::newRow("dot") << QByteArray("./x/*") << int(PlaceMask::Fault::DotComponent);
        QTest::newRow("dot dot") << QByteArray("a/../*") << int(PlaceMask::Fault::DotComponent);
        QTest::newRow("too deep") << QByteArray("a/").repeated(70) + "*" << int(PlaceMask::Fault::TooDeep);
        QTest::newRow("a good one") << QByteArray("a/**/b/*.x") << int(PlaceMask::Fault::None);
    }

    void neverMatching()
    {
        QFETCH(QByteArray, mask);
        QFETCH(int, fault);
        const PlaceMask place(mask.toStdString());
        QCOMPARE(int(place.fault()), fault);
        if (fault != int(PlaceMask::Fault::None)) {
            // It finds nothing, even where its name part would.
            make({"a/b/x", "x"});
            const QStringList log = run(mask.toStdString());
            QVERIFY2(log.filter("file:").isEmpty(), qPrintable(log.join(' ')));
        }
    }

    void walkFindsByPlace_data()
    {
        QTest::addColumn<bool>("throughPlaces"); // the place list, or the name list
        QTest::newRow("name list") << false;
        QTest::newRow("place list") << true;
    }

    void walkFindsByPlace()
    {
        QFETCH(bool, throughPlaces);
        make({"home/.cache/thumbnails/normal/a.png", "home/.cache/thumbnails/large/b.png",
              "home/.cache/thumbnails/fail/gnome/c.png", "home/.cache/other/d.png",
              "home/mythumbnails/e.png", "home/.mozilla/firefox/p1.default/places.sqlite",
              "home/.cache/mozilla/firefox/p1.default/cache2/entries/0A1B",
              "home/.cache/mozilla/firefox/p1.default/cache2/index",
              "home/.cache/mozilla/firefox/p1.default/startupCache/s.bin",
              "home/src/__pycache__/m.cpython-311.pyc", "home/src/__pycache__/notes.txt",
              "home/src/m.pyc", "home/x.tmp"});
        const std::string places = ".cache/thumbnails/**/*;.cache/mozilla/firefox/*/cache2/**/*;__pycache__/*.pyc";
        dm::TFindFile ff;
        dmtest::Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        if (throughPlaces) {
            ff.Criteria().Files().setIncluded({">" + m_root + "*.tmp"});
            ff.Criteria().Files().setPlaces(SplitEntries(places));
        } else {
            ff.Criteria().Files().setFileName("*.tmp;" + places);
            ff.Criteria().Files().setLocation(m_root);
        }
        ff.StartSearch();
        QCOMPARE(sorted(rec.log.filter("file:")),
                 (QStringList{"file:home/.cache/mozilla/firefox/p1.default/cache2/entries/0A1B",
                              "file:home/.cache/mozilla/firefox/p1.default/cache2/index",
                              "file:home/.cache/thumbnails/fail/gnome/c.png",
                              "file:home/.cache/thumbnails/large/b.png",
                              "file:home/.cache/thumbnails/normal/a.png",
                              "file:home/src/__pycache__/m.cpython-311.pyc", "file:home/x.tmp"}));
    }

    void targetInsideThePlace()
    {
        // The folder's whole path counts, not the part below the scanned one.
        make({"u/.cache/thumbnails/normal/a.png", "u/.cache/thumbnails/b.png"});
        dm::TFindFile ff;
        dmtest::Recorder rec{m_root, {}, {}};
        rec.attach(ff);
        ff.Criteria().Files().setIncluded({">" + path("u/.cache/thumbnails/normal/")});
        ff.Criteria().Files().setPlaces({".cache/thumbnails/**/*"});
        ff.StartSearch();
        QCOMPARE(rec.log.filter("file:"), (QStringList{"file:u/.cache/thumbnails/normal/a.png"}));
    }

    void placesBelowReadAhead()
    {
        // Many folders, so that readers go before the walk: each folder's
        // place is told from its parent's, wherever it was read.
        QStringList files;
        for (int i = 0; i < 60; ++i) {
            files << QStringLiteral("p%1/cache/d%1/e/f").arg(i) << QStringLiteral("p%1/keep/d%1/e/f").arg(i);
        }
        make(files);
        const QStringList log = run("cache/**/*");
        QCOMPARE(log.filter("file:").size(), 60);
        QVERIFY(log.filter("file:").filter("/keep/").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPlaces)
#include "tst_search_places.moc"
