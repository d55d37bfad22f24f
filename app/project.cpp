// Lumora's entry: one copy per user; a second start brings the first to the
// front and ends.
#include "app/unt_clsMessages.h"
#include "app/unt_clsSingleInstance.h"
#include "app/unt_frmMain.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The service is named after the real executable file, so a link to it
    // (the installed bin/lumora) still finds the running copy.
    const QString service = QFileInfo(QCoreApplication::applicationFilePath()).fileName().section(QLatin1Char('.'), 0, 0);
    TclsSingleInstance instance(QStringLiteral("PONDO_OneCopyMutex"), service);
    if (!instance.IsFirst()) {
        TclsSingleInstance::SendMacro(QStringLiteral("Lumora"), QStringLiteral("show"));
        return 0;
    }
    QApplication::setApplicationDisplayName(QStringLiteral("Lumora"));
    QApplication::setApplicationName(QStringLiteral("Lumora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/gui/lumora.svg")));
    ApplyProgramFont();
    TfrmMain frmMain;
    QObject::connect(&instance, &TclsSingleInstance::MacroReceived, &frmMain,
                     [&frmMain](const QString &Text) { frmMain.ddeServerExecuteMacro(Text.split(QLatin1Char('\n'))); });
    // Requests are taken from now on; the window ignores them until it is set up.
    instance.Listen();
    if (!frmMain.FormCreate())
        return 0;
    frmMain.show();
    return app.exec();
}
