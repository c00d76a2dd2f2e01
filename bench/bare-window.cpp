// The least a window with the program's parts costs to start: a menu bar of
// four menus, a table, a status bar and a tray icon, nothing read or
// computed. The reference for the program's start-up (startup_bench.sh).

#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenuBar>
#include <QPixmap>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    for (const char *title : {"Файл", "Вид", "Сервис", "Справка"}) {
        QMenu *menu = window.menuBar()->addMenu(QString::fromUtf8(title));
        for (int i = 0; i < 6; ++i)
            menu->addAction(QStringLiteral("Пункт %1").arg(i + 1));
    }
    QStandardItemModel model(0, 4);
    model.setHorizontalHeaderLabels({QStringLiteral("Имя"), QStringLiteral("Папка"), QStringLiteral("Размер"),
                                     QStringLiteral("Время")});
    QTableView table;
    table.setModel(&model);
    table.verticalHeader()->hide();
    window.setCentralWidget(&table);
    window.statusBar()->showMessage(QStringLiteral("Готово"));
    QPixmap dot(16, 16);
    dot.fill(Qt::darkGreen);
    QSystemTrayIcon tray{QIcon(dot)};
    tray.show();
    window.resize(700, 500);
    window.show();
    return app.exec();
}
