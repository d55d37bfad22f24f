#pragma once
// What a database file of the program must be before it is opened: the
// books, their copies and a restore's staging file are opened only as
// themselves. A member of the household can write the shared folder, so a
// link there (to another member's private books, say) or a pipe in the
// books' place must be refused, not followed: the program would write into
// whatever it points at and copy it into the shared backup folder.
#include <QString>

#include <sys/types.h>

struct TFileIdentity {
    dev_t Device = 0;
    ino_t Inode = 0;
    bool Known = false; // false: there was nothing to check (missing, unreadable)
};

// Empty when File may be opened, else a Chinese refusal naming it: a link,
// not a regular file, a file with a second name (a hard link), or a folder
// that belongs to another account and to none of this account's groups. A
// missing or unreadable file passes: opening it says so in its own words.
// Id gets the file that was checked, for SameFile after opening.
QString DatabaseFileProblem(const QString &File, TFileIdentity *Id = nullptr);
// Whether File is still the file Id was taken from (nothing swapped in
// while it was being opened); true when Id knows no file.
bool SameFile(const QString &File, const TFileIdentity &Id);
QString SwappedText(const QString &File);
// File with its folder's links resolved: SQLite's SQLITE_OPEN_NOFOLLOW
// refuses a link anywhere in the path, and a home folder reached through a
// link is no reason to refuse the books; the file's own name is not resolved.
QString ResolvedFolderPath(const QString &File);
