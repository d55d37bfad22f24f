#pragma once
// What happens before the first window: the command line, Qt's own texts in
// Chinese, the application's names, and the private folder of the
// single-instance lock.
#include <QString>
#include <QStringList>

struct TCommandLine {
    enum class TAction { Run, Help, Version, Error, RestoreBooks };
    TAction Action = TAction::Run;
    // What to print: the help, the version, or the error (for standard
    // error); for RestoreBooks the copy to restore from.
    QString Text;
};

// Reads the program's own options. Args holds the program name first, as
// argv does; options Qt takes for itself must already be removed.
TCommandLine ParseCommandLine(const QStringList &Args);
// True when Args can be answered on the terminal before any window system is
// reached: the help, the version, or an error in a line that holds none of
// the options Qt takes for itself.
bool AsksForTextOnly(const QStringList &Args);
QString VersionText();
// lumora --restore-books COPY: the household administrator replaces the
// whole books by a copy (see RestoreWholeBooksAsAdmin). Says what happened
// on the terminal; the process's exit code.
int RestoreBooksCommand(const QString &Copy);
QString HelpText();

// The request a second start sends to the running copy: "show", and on a
// second line the activation token the launcher gave this start, which a
// Wayland compositor wants before it raises another program's window.
QString ShowRequest();
// Takes the token of a request, so the running copy's next activation uses it.
void TakeActivationToken(const QStringList &Lines);
// True when the running copy cannot be brought forward from here: under
// Wayland without a token. The second copy then says so in a box.
bool CannotRaiseRunningCopy();

// A scale factor list as QT_SCREEN_SCALE_FACTORS holds it ("1.5" or
// "DP-1=1.25;HDMI-1=2") with every factor rounded to a whole number, halves
// up. The fixed layout is drawn in whole pixels: at 1.25 or 1.5 one-pixel
// borders and the thin caption glyphs fall between device pixels and vanish.
QByteArray WholeScaleFactors(const QByteArray &Factors);
// Rounds the desktop's scale factors (the environment's and the screens')
// before the application object exists.
void UseWholeScaleFactors();

// Loads Qt's own Chinese texts (dialog buttons, the file and print dialogs,
// the edit menus) whatever the locale says; false when they are not installed.
bool LoadQtTranslations();
// Names the application, ties it to its desktop entry and sets its icon
// and font. Call once, after the application object exists.
void SetUpApplication();
