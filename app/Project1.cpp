#include "Project1.h"

#include "AppFolder.h"
#include "DmTray.h"
#include "ErrorBox.h"
#include "FindFile.h"
#include "Languages.h"
#include "StatisticsBox.h"
#include "MessageBox.h"
#include "Memory.h"
#include "SingleInstance.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit1.h"
#include "WindowOptions.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <cstdio>
#include <optional>

namespace {

// Without a display Qt would abort inside the platform plugin; say so instead.
bool haveDisplay()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        return true;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty())
        return false;
    // A local display ":N" is reachable only through its socket.
    if (display.startsWith(':')) {
        const QByteArray number = display.mid(1).split('.').first();
        return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + QString::fromLatin1(number));
    }
    return true;
}

} // namespace


int Project1Main(int argc, char **argv)
{
    QList<QByteArray> args;
    for (int i = 1; i < argc; ++i)
        args.append(QByteArray(argv[i]));
    const dm::WindowOptions options = dm::ParseWindowOptions(args);
    // Answered in the desktop's language, before any display is needed.
    std::optional<QCoreApplication> answering;
    if (options.action != dm::WindowOptions::Action::Open) {
        answering.emplace(argc, argv);
        dm::installLanguage(dm::chooseLanguage());
    }
    switch (options.action) {
    case dm::WindowOptions::Action::Help:
    case dm::WindowOptions::Action::Version: {
        const QByteArray text = (options.action == dm::WindowOptions::Action::Help ? dm::WindowHelpText()
                                                                                  : dm::WindowVersionText())
                                    .toLocal8Bit();
        std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
        return 0;
    }
    case dm::WindowOptions::Action::Usage:
        // Parsed again: the reason is told in the language just installed.
        std::fprintf(stderr, "dustmote: %s\n%s", qPrintable(dm::ParseWindowOptions(args).error),
                     qPrintable(dm::WindowUsageText()));
        return dm::kWindowUsageExit;
    case dm::WindowOptions::Action::Open:
        break;
    }
    if (!haveDisplay()) {
        std::fputs("dustmote: нет графического дисплея (DISPLAY не задан или недоступен); "
                   "чтобы посмотреть на программу без рабочего стола, запустите её так: "
                   "xvfb-run -a dustmote\n",
                   stderr);
        return 2;
    }
    dm::tuneAllocator();
    dm::TFindFile::RaiseOpenFileLimit();
    // The menu bar stays in the window, where its colour, F10 and the screen
    // reader's reading of the window expect it. Asking the session bus for a
    // desktop-wide menu first cost every start 2 ms.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf16(dm::kApplicationTitle));
    // Only the main window's successful close ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    dm::installLanguage(dm::chooseLanguage());
    dm::tellStatisticsInBoxes();

    // A second start brings the running program forward: two copies would
    // each save the catalog at close, the last one undoing the other's edits.
    dm::SingleInstance instance;
    if (!instance.claim()) {
        instance.handOver(options.folder);
        return 0;
    }

    TForm1 Form1(dm::executablePath(), nullptr, TForm1::Pages::WhenDrawn);
    // The dialogs are the window's children: it deletes them.
    Form1.MakeDialogs = [&Form1] {
        auto *form2 = new TForm2(&Form1);
        auto *form3 = new TForm3(&Form1);
        auto *form4 = new TForm4(&Form1);
        Form1.Form2 = form2;
        Form1.Form3 = form3;
        Form1.Form4 = form4;
        form2->Form1 = &Form1;
        form3->Form4 = form4;
        form3->AppFolder = Form1.AppFolder;
    };

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        Form1.fitInto(screen->availableGeometry());
        QRect frame = Form1.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        Form1.move(frame.topLeft());
    }
    QObject::connect(&instance, &dm::SingleInstance::activationRequested, &Form1,
                     dm::guarded([&Form1](const QByteArray &folder) {
                         Form1.DmTrayIcon1->RestoreApp();
                         if (!folder.isEmpty())
                             Form1.chooseFolder(folder);
                     }));
    Form1.show();
    if (!options.folder.isEmpty())
        Form1.chooseFolder(options.folder);
    return app.exec();
}
