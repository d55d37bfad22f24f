#pragma once
// Wrong passwords cost time: after three wrong passwords for a name, each
// further try waits longer (1 s, 2 s, 4 s, ... up to 30 s after the last
// wrong one). Counted in the books (Password_Failures), so a restart does not
// start the count again, and in memory as well, for books that cannot be
// written or opened.
#include <QString>

class TclsConnection;

namespace PasswordWait
{
// The wait after Failures wrong passwords in a row, in seconds.
int WaitAfter(int Failures);
// Seconds before Name (as stored) may be tried again; 0: now. Db may be
// null (books that cannot be opened); Place tells books apart in memory.
int SecondsLeft(TclsConnection *Db, const QString &Place, const QString &Name);
void Failed(TclsConnection *Db, const QString &Place, const QString &Name);
void Succeeded(TclsConnection *Db, const QString &Place, const QString &Name);
} // namespace PasswordWait
