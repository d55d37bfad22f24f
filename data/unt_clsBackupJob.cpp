#include "data/unt_clsBackupJob.h"

TclsBackupJob::TclsBackupJob(const QString &DatabaseFile, const QDate &Today, QObject *Parent)
    : QThread(Parent), FDatabaseFile(DatabaseFile), FToday(Today)
{
}

TclsBackupJob::~TclsBackupJob()
{
    FCancel = true;
    wait();
}

void TclsBackupJob::run()
{
    TBackupOptions options = Options;
    options.Limits.Cancel = &FCancel;
    FResult = MakeDailyBackup(FDatabaseFile, FToday, options);
}
