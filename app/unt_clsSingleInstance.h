#pragma once
// One running copy per user: a lock held for the process's life, and a
// local socket on which a second copy asks the first to come to the front.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

class TclsSingleInstance : public QObject
{
    Q_OBJECT
  public:
    // Lock: the lock's name; Service: this copy's service name (the
    // executable's name up to its first ".").
    TclsSingleInstance(const QString &Lock, const QString &Service, QObject *Parent = nullptr);
    ~TclsSingleInstance() override;

    // False when no private folder for the lock could be had; Problem()
    // then says why, for the user.
    bool Usable() const { return FProblem.isEmpty(); }
    QString Problem() const { return FProblem; }
    bool IsFirst() const { return FIsFirst; }
    // Starts answering on the "ddeServer" topic of this copy's service.
    bool Listen();
    // Sends one macro to the copy that offers Service; does not wait for an answer.
    static bool SendMacro(const QString &Service, const QString &Macro);
    static QString ServerName(const QString &Service);
    // The user's own runtime folder (owned by the user, mode 0700); empty
    // when there is none.
    static QString RuntimeDir();

  signals:
    void MacroReceived(const QString &Text);

  private:
    void ReadFrom(QLocalSocket *Socket);
    std::unique_ptr<QLockFile> FLock;
    QLocalServer FServer;
    QString FService;
    bool FIsFirst = false;
    QString FProblem;
};
