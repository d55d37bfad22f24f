#include "ui/unt_clsMessages.h"

#include "ui/unt_clsLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <new>

namespace
{
// A message box in the middle of the screen, as the system's boxes are,
// placed once its size is known and before it is mapped.
class TCenteredBox : public QMessageBox
{
  public:
    TCenteredBox(Icon Kind, const QString &Title, const QString &Text, QWidget *Parent)
        : QMessageBox(Kind, Title, Text, QMessageBox::NoButton, Parent)
    {
    }

  protected:
    void showEvent(QShowEvent *Event) override
    {
        QMessageBox::showEvent(Event);
        CenterOnScreen(this);
    }
};
} // namespace

bool ShowMessage(QWidget *Parent, const QString &Title, const QString &Text, TMessageStyle Style)
{
    QMessageBox::Icon icon = QMessageBox::Warning;
    switch (Style) {
    case TMessageStyle::Warning:
        icon = QMessageBox::Warning;
        break;
    case TMessageStyle::Question:
        icon = QMessageBox::Question;
        break;
    case TMessageStyle::Information:
        icon = QMessageBox::Information;
        break;
    case TMessageStyle::Error:
        icon = QMessageBox::Critical;
        break;
    }
    // Errors also go to standard error, where a terminal or the journal
    // keeps them after the box is gone.
    if (Style == TMessageStyle::Error)
        std::fprintf(stderr, "lumora: %s\n", Text.toLocal8Bit().constData());
    TCenteredBox box(icon, Title, Text, Parent);
    if (Style == TMessageStyle::Question) {
        box.addButton(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.addButton(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.addButton(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.setDefaultButton(QMessageBox::Ok);
    }
    return box.exec() != QMessageBox::No;
}

QString ErrorText(const std::exception &Error)
{
    if (dynamic_cast<const std::bad_alloc *>(&Error))
        return QStringLiteral("内存不足，操作没有完成。请关闭一些程序后再试。");
    const QString text = QString::fromUtf8(Error.what());
    // Our own errors carry a Chinese text; anything else came from a
    // library and is kept only as the detail.
    const bool chinese = std::any_of(text.begin(), text.end(),
                                     [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
    if (chinese)
        return text;
    return QStringLiteral("操作没有完成：程序内部出错（%1）。").arg(text);
}

void ShowError(QWidget *Parent, const std::exception &Error)
{
    ShowMessage(Parent, ApplicationTitle(), ErrorText(Error), TMessageStyle::Error);
}

TclsWaitCursor::TclsWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TclsWaitCursor::~TclsWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

TclsBusyButton::TclsBusyButton(QPushButton *Button)
    : FButton(Button), FFocus(Button->window()->focusWidget()), FDefault(Button->isDefault())
{
    FButton->setEnabled(false);
}

TclsBusyButton::~TclsBusyButton()
{
    FButton->setEnabled(true);
    if (FDefault)
        FButton->setDefault(true);
    if (FFocus)
        FFocus->setFocus();
}

QFont ProgramFont()
{
    const QStringList families = QFontDatabase::families();
    QString chosen = QStringLiteral("AR PL UMing CN");
    for (const QString &name : {QStringLiteral("SimSun"), QStringLiteral("宋体"),
                                QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans Mono CJK SC")})
        if (families.contains(name, Qt::CaseInsensitive)) {
            chosen = name;
            break;
        }
    QFont font(chosen);
    font.setPixelSize(12);
    return font;
}

void ApplyProgramFont()
{
    QApplication::setFont(ProgramFont());
}

QString ApplicationTitle()
{
    return QStringLiteral("Lumora");
}
