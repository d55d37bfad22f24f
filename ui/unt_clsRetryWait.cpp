#include "ui/unt_clsRetryWait.h"

#include <QPushButton>

TclsRetryWait::TclsRetryWait(QPushButton *Button, bool Disable)
    : QObject(Button), FButton(Button), FDisable(Disable)
{
    setObjectName(QStringLiteral("RetryWait"));
    FTimer.setInterval(1000);
    // A coarse timer may fire a little early, and the store would then
    // still refuse the try the button invites.
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TclsRetryWait::Tick);
}

QString TclsRetryWait::Text(int Seconds)
{
    return QStringLiteral("密码错误的次数太多，请等 %1 秒后再试。").arg(Seconds);
}

void TclsRetryWait::Start(int Seconds)
{
    if (Seconds <= 0) {
        Stop();
        return;
    }
    if (FLeft == 0 && FButton)
        FCaption = FButton->text();
    FLeft = Seconds;
    FTimer.start();
    if (FButton) {
        FButton->setText(QStringLiteral("等 %1 秒").arg(FLeft));
        if (FDisable)
            FButton->setEnabled(false);
    }
}

void TclsRetryWait::Stop()
{
    FTimer.stop();
    if (FLeft > 0 && FButton) {
        FButton->setText(FCaption);
        FButton->setEnabled(true);
    }
    FLeft = 0;
}

void TclsRetryWait::Tick()
{
    if (FLeft <= 1) {
        Stop();
        return;
    }
    --FLeft;
    if (FButton)
        FButton->setText(QStringLiteral("等 %1 秒").arg(FLeft));
}
