#pragma once
// The program's own look: the fixed-layout windows are drawn for a light
// palette and a 12-pixel Song face, so they keep both whatever the desktop's
// theme or font says; and a few placement helpers for those windows.
#include <QPalette>

class QFileDialog;
class QString;
class QWidget;

// The light palette the skinned window and the fixed-layout dialogs are
// drawn for: white panels, black text, a grey disabled text.
QPalette ProgramPalette();
// Gives Window (and so its children) the program's palette and font as its
// own, so a later change of the desktop's palette or font leaves it alone.
void PinProgramLook(QWidget *Window);
// Keeps the program's font as the application's: a platform theme (qt6ct)
// that sets the desktop's font once the program runs is undone, so windows
// made later are laid out with the face they were drawn for.
void KeepProgramFont();
// Places a window in the middle of the screen it is on (the primary one
// before it is shown).
void CenterOnScreen(QWidget *Window);
// A dialog of fixed size offers only the close button in its title bar.
void UseFixedDialogButtons(QWidget *Dialog);
// The program's look, fixed-size title buttons and the middle of the screen
// for one of the program's fixed-layout dialogs, before it is shown.
void PrepareFixedDialog(QWidget *Dialog, bool Centered = true);
// Every file dialog of the program is Qt's own, with Title: the desktop's
// (GTK's under GNOME) follows the session's language and left an English
// session with a half-English dialog; Qt's speaks the program's Chinese.
void PrepareFileDialog(QFileDialog *Dialog, const QString &Title);
