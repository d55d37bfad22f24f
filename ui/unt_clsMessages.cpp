#include "ui/unt_clsMessages.h"

#include "ui/unt_clsLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGridLayout>
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

namespace
{
QMessageBox::Icon IconOf(TMessageStyle Style)
{
    switch (Style) {
    case TMessageStyle::Question:
        return QMessageBox::Question;
    case TMessageStyle::Information:
        return QMessageBox::Information;
    case TMessageStyle::Error:
        return QMessageBox::Critical;
    case TMessageStyle::Warning:
        break;
    }
    return QMessageBox::Warning;
}

// Every box of the program comes here: the same place on the screen, the
// same Chinese buttons, and errors also on standard error, where a terminal
// or the journal keeps them after the box is gone.
QMessageBox::StandardButton
Run(QWidget *Parent, const QString &Title, const QString &Text, TMessageStyle Style,
    std::initializer_list<std::pair<QMessageBox::StandardButton, QString>> Buttons,
    QMessageBox::StandardButton Default, QMessageBox::StandardButton Escape)
{
    if (Style == TMessageStyle::Error)
        std::fprintf(stderr, "lumora: %s\n", Text.toLocal8Bit().constData());
    TCenteredBox box(IconOf(Style), Title, Text, Parent);
    for (const auto &[button, caption] : Buttons)
        box.addButton(button)->setText(caption);
    // A short text makes a box so narrow that the window manager cuts its
    // title down to "L...a": the box is kept wide enough for the title and
    // the title bar's buttons.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int title = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(Title);
        grid->addItem(
            new QSpacerItem(std::max(260, title + 160), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.setDefaultButton(Default);
    box.setEscapeButton(Escape);
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : Escape;
}
} // namespace

bool ShowMessage(QWidget *Parent, const QString &Title, const QString &Text, TMessageStyle Style)
{
    if (Style == TMessageStyle::Question)
        return Run(Parent, Title, Text, Style,
                   {{QMessageBox::Yes, QStringLiteral("是(&Y)")},
                    {QMessageBox::No, QStringLiteral("否(&N)")}},
                   QMessageBox::Yes, QMessageBox::No) != QMessageBox::No;
    Run(Parent, Title, Text, Style, {{QMessageBox::Ok, QStringLiteral("确定")}}, QMessageBox::Ok,
        QMessageBox::Ok);
    return true;
}

bool AskRetry(QWidget *Parent, const QString &Title, const QString &Text)
{
    return Run(Parent, Title, Text, TMessageStyle::Error,
               {{QMessageBox::Retry, QStringLiteral("重试(&R)")}, {QMessageBox::Ok, QStringLiteral("确定")}},
               QMessageBox::Ok, QMessageBox::Ok) == QMessageBox::Retry;
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
