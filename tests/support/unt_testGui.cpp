#include "tests/support/unt_testGui.h"

#include <QPushButton>
#include <QApplication>
#include <QDir>
#include <QPixmap>

TModalAnswerer::TModalAnswerer(QList<QMessageBox::StandardButton> Answers) : FAnswers(std::move(Answers))
{
    connect(&FTimer, &QTimer::timeout, this, &TModalAnswerer::Poll);
    FTimer.start(5);
}

TModalAnswerer::~TModalAnswerer() = default;

QStringList TModalAnswerer::Texts() const
{
    QStringList texts;
    for (const auto &seen : Seen)
        texts << seen.Text;
    return texts;
}

void TModalAnswerer::Poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;
    for (const auto &done : FHandled)
        if (done == modal)
            return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        FHandled << box;
        Seen << TSeenBox{box->windowTitle(), box->text(), box->icon()};
        QAbstractButton *button = nullptr;
        if (!FAnswers.isEmpty())
            button = box->button(FAnswers.takeFirst());
        if (!button)
            button = box->defaultButton();
        if (!button && !box->buttons().isEmpty())
            button = box->buttons().first();
        if (button)
            button->click();
        return;
    }
    if (OnDialog) {
        FHandled << modal;
        OnDialog(modal);
    }
}

void ApplyTestFont()
{
    QFont font(QStringLiteral("AR PL UMing CN"));
    font.setPixelSize(12);
    QApplication::setFont(font);
}

QString SaveShot(QWidget *Widget, const QString &Name)
{
    const QString dir = QStringLiteral(LUMORA_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    const QString file = dir + QLatin1Char('/') + Name + QStringLiteral(".png");
    Widget->grab().save(file);
    return file;
}
