// Lumora's entry: one copy per user; a second start brings the first to the
// front and ends.
#include "app/unt_clsSingleInstance.h"
#include "app/unt_clsStartup.h"
#include "app/unt_frmMain.h"
#include "ui/unt_clsMessages.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace
{
int Answer(const TCommandLine &Line)
{
    const bool error = Line.Action == TCommandLine::TAction::Error;
    std::fputs(Line.Text.toLocal8Bit().constData(), error ? stderr : stdout);
    return error ? 2 : 0;
}
} // namespace

int main(int argc, char **argv)
{
    // The help and the version need no display and must not reach a copy
    // that is already running.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (const TCommandLine line = ParseCommandLine(raw); line.Action == TCommandLine::TAction::RestoreBooks) {
        const QCoreApplication core(argc, argv); // for the program's folder, no display
        return RestoreBooksCommand(line.Text);
    }
    if (AsksForTextOnly(raw))
        return Answer(ParseCommandLine(raw));
    UseWholeScaleFactors();
    QApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style ...) out by now.
    const TCommandLine line = ParseCommandLine(QCoreApplication::arguments());
    if (line.Action != TCommandLine::TAction::Run)
        return Answer(line);
    SetUpApplication();
    // No group-wide umask: the books' files take the books' own mode and
    // group where they are made (data/unt_clsSharedFiles), while exports and
    // settings follow the user's umask like every other program's files.
    // The service is named after the real executable file, so a link to it
    // (the installed bin/lumora) still finds the running copy.
    const QString service =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().section(QLatin1Char('.'), 0, 0);
    TclsSingleInstance instance(QStringLiteral("PONDO_OneCopyMutex"), service);
    if (!instance.Usable()) {
        ShowMessage(nullptr, ApplicationTitle(), instance.Problem(), TMessageStyle::Error);
        return 1;
    }
    if (!instance.IsFirst()) {
        const bool sent = TclsSingleInstance::SendMacro(QStringLiteral("Lumora"), ShowRequest());
        if (sent && CannotRaiseRunningCopy())
            ShowMessage(nullptr, ApplicationTitle(),
                        QStringLiteral("Lumora 已经在运行。\n请从任务栏或活动概览切换到它。"),
                        TMessageStyle::Information);
        return 0;
    }
    TfrmMain frmMain;
    QObject::connect(&instance, &TclsSingleInstance::MacroReceived, &frmMain,
                     [&frmMain](const QString &Text) {
                         const QStringList lines = Text.split(QLatin1Char('\n'));
                         TakeActivationToken(lines);
                         frmMain.ddeServerExecuteMacro(lines);
                     });
    // Requests are taken from now on; the window ignores them until it is set up.
    instance.Listen();
    if (!frmMain.FormCreate())
        return 0;
    frmMain.show();
    return app.exec();
}
