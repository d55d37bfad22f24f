#pragma once
// Shows on a button how long a name has to wait before its password may be
// tried again, counting down second by second from a timer: the window
// stays usable all the while.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

class QPushButton;

class TclsRetryWait : public QObject
{
    Q_OBJECT
  public:
    // Disable: the button does nothing else, so it is off while waiting.
    TclsRetryWait(QPushButton *Button, bool Disable);
    void Start(int Seconds);
    void Stop();
    int SecondsLeft() const { return FLeft; }
    // "密码错误的次数太多，请等 N 秒后再试。"
    static QString Text(int Seconds);

  private:
    void Tick();
    QPointer<QPushButton> FButton;
    bool FDisable;
    QString FCaption;
    int FLeft = 0;
    QTimer FTimer;
};
