#pragma once
// The texts of a range as the store hands them over: each stored form kept
// in one block, and decoded only when somebody asks for it, as text for the
// lists or as GB18030 bytes for the fixed-width outputs (the stored form's
// own bytes, so those never go through a converter). A text that repeats
// within reach of a small table of recent ones is kept once; one that does
// not costs a copy of its stored bytes and twelve bytes until it is shown.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

class TTextPool
{
  public:
    void Clear();
    // The index of a stored (Base64) text. Two indexes may hold one text;
    // a text often repeated shares one.
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
        mutable bool Damaged = false; // found so when its text was decoded
    };
    QByteArrayView Stored(const TEntry &Entry) const
    {
        return QByteArrayView(FStored.constData() + Entry.At, Entry.Size);
    }
    QString &TextSlot(quint32 Index) const;
    QByteArray &BytesSlot(quint32 Index) const;

    QByteArray FStored;
    std::vector<TEntry> FEntries;
    // Decoded on demand; sized to the entries when first asked.
    mutable std::vector<QString> FTexts;
    mutable std::vector<QByteArray> FBytes;
    // The entry + 1 last seen at each hash: small enough to stay in the
    // processor's cache, which a table of every distinct text would not.
    std::vector<quint32> FRecent;
    size_t FSeed = 0;
};
