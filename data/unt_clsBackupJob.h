#pragma once
// The daily copy on a thread of its own, so the window never waits for it:
// a database locked by another program costs the copy, not the window. The
// job is told to stop, and waited for, when its owner goes.
#include "data/unt_clsBackup.h"

#include <QThread>

#include <atomic>

class TclsBackupJob : public QThread
{
    Q_OBJECT
  public:
    TclsBackupJob(const QString &DatabaseFile, const QDate &Today, QObject *Parent = nullptr);
    ~TclsBackupJob() override;
    TBackupOptions Options;
    // Read once finished() has been received.
    TBackupResult Result() const { return FResult; }

  protected:
    void run() override;

  private:
    QString FDatabaseFile;
    QDate FToday;
    std::atomic_bool FCancel{false};
    TBackupResult FResult;
};
