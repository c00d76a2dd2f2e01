#pragma once
// The main window on a temporary home folder, as the scan and deletion tests
// drive it: the folder tree's root is that home, message boxes are answered
// by the test, and the end-of-scan sound is only recorded.

#include "DmShellTree.h"
#include "DmListView.h"
#include "ListViewRows.h"
#include "RecordedBoxes.h"
#include "Sound.h"
#include "Unit1.h"
#include "ui_Unit1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace dm::test {

inline bool writeFile(const QString &path, qint64 size = 1)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.resize(size);
}

class ScanFixture
{
protected:
    void setUp()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir(m_dir->path()).mkpath("home");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->filePath("config")));
        // The desktop's services make their cache folder when they start,
        // sometimes during a scan: never in the scanned home.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir->filePath("cache")));
        qputenv("HOME", QFile::encodeName(home()));
        m_boxes = std::make_unique<RecordedBoxes>();
        m_sounds.clear();
        setSoundHandler([this](const QString &path) { m_sounds << path; });
    }
    void tearDown()
    {
        setSoundHandler({});
        m_boxes.reset();
    }

    // A window whose catalog holds the masks, all ticked, and whose folder
    // tree has selected the home folder.
    std::unique_ptr<TForm1> makeForm(const QStringList &masks)
    {
        auto form = std::make_unique<TForm1>(m_dir->filePath("dustmote"));
        m_boxes->shown.clear(); // the missing list file
        const QString root = home().chopped(1);
        if (!QTest::qWaitFor([&] { return form->ui->DmShellTree1->SelectedPathName() == root; }))
            qWarning("the folder tree did not select the home folder");
        for (const QString &mask : masks)
            form->catalog().appendRow({mask, {mask}, 0});
        form->ui->CheckBox1->setChecked(true);
        return form;
    }
    void scan(TForm1 &form)
    {
        form.ui->Action4->trigger();
        QTRY_VERIFY(!form.FindFile1->Searching());
    }
    QString home(const QString &relative = {}) const { return m_dir->filePath("home/" + relative); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordedBoxes> m_boxes;
    QStringList m_sounds;
};

} // namespace dm::test
