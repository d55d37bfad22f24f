#pragma once
// The distinct texts of a range as the store hands them over: each stored
// form kept once, in one block, and decoded only when somebody asks for it,
// as text for the lists or as GB18030 bytes for the fixed-width outputs
// (the stored form's own bytes, so those never go through a converter).
// Ten years of memos that all differ cost a copy of their stored bytes and
// a slot each until they are shown.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class TTextPool
{
  public:
    void Clear();
    // The index of a stored (Base64) text; repeated ones share one.
    quint32 Intern(QByteArrayView Stored);
    // A text that came from no stored row: always an index of its own.
    quint32 Add(const QString &Text);
    qsizetype Count() const { return qsizetype(FEntries.size()); }
    const QString &Text(quint32 Index) const;
    const QByteArray &Bytes(quint32 Index) const;

  private:
    struct TEntry {
        quint32 At = 0, Size = 0; // of the stored form in FStored
        bool Added = false;       // given as text, with no stored form
        mutable bool HasText = false, HasBytes = false;
        mutable QString Text;
        mutable QByteArray Bytes;
    };
    QByteArrayView Stored(const TEntry &Entry) const;
    void Grow();

    QByteArray FStored;
    std::vector<TEntry> FEntries;
    std::vector<quint32> FSlots; // entry + 1 by hash of the stored form; 0 is free
    size_t FSeed = 0;
};
