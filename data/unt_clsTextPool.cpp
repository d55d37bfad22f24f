#include "data/unt_clsTextPool.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsGb18030.h"

#include <QHashFunctions>

#include <algorithm>

void TTextPool::Clear()
{
    FStored.clear();
    FEntries.clear();
    FSlots.clear();
}

QByteArrayView TTextPool::Stored(const TEntry &Entry) const
{
    return QByteArrayView(FStored.constData() + Entry.At, Entry.Size);
}

quint32 TTextPool::Intern(QByteArrayView Stored)
{
    // Open addressing over one vector: no allocation per text, which is
    // what ten years of memos that all differ would otherwise cost.
    if (FSlots.size() < 2 * (FEntries.size() + 1))
        Grow();
    const size_t mask = FSlots.size() - 1;
    for (size_t slot = qHash(Stored, FSeed) & mask;; slot = (slot + 1) & mask) {
        const quint32 taken = FSlots[slot];
        if (taken == 0) {
            TEntry entry;
            entry.At = quint32(FStored.size());
            entry.Size = quint32(Stored.size());
            FStored.append(Stored);
            FEntries.push_back(std::move(entry));
            FSlots[slot] = quint32(FEntries.size());
            return quint32(FEntries.size() - 1);
        }
        if (this->Stored(FEntries[taken - 1]) == Stored)
            return taken - 1;
    }
}

quint32 TTextPool::Add(const QString &Text)
{
    TEntry entry;
    entry.Added = entry.HasText = true;
    entry.Text = Text;
    FEntries.push_back(std::move(entry));
    return quint32(FEntries.size() - 1);
}

void TTextPool::Grow()
{
    if (FSlots.empty())
        FSeed = QHashSeed::globalSeed();
    FSlots.assign(std::max<size_t>(64, FSlots.size() * 2), 0);
    const size_t mask = FSlots.size() - 1;
    for (size_t e = 0; e < FEntries.size(); ++e) {
        if (FEntries[e].Added)
            continue; // no stored form to be found by
        size_t slot = qHash(Stored(FEntries[e]), FSeed) & mask;
        while (FSlots[slot] != 0)
            slot = (slot + 1) & mask;
        FSlots[slot] = quint32(e + 1);
    }
}

const QByteArray &TTextPool::Bytes(quint32 Index) const
{
    const TEntry &entry = FEntries.at(Index);
    if (!entry.HasBytes) {
        if (entry.Added) {
            entry.Bytes = Base64::ToGB18030(entry.Text);
        } else {
            entry.Bytes = Base64::DecodeBytes(Stored(entry));
            // Bytes that are no GB18030 would break a fixed-width line:
            // such a damaged value gives the bytes of what it reads as.
            bool damaged = false;
            if (!entry.HasText) {
                if (entry.Size != 0)
                    entry.Text = Gb18030::Decode(entry.Bytes, &damaged);
                entry.HasText = true;
            } else if (std::any_of(entry.Bytes.begin(), entry.Bytes.end(), [](char c) { return c & 0x80; })) {
                Gb18030::Decode(entry.Bytes, &damaged);
            }
            if (damaged)
                entry.Bytes = Base64::ToGB18030(entry.Text);
        }
        entry.HasBytes = true;
    }
    return entry.Bytes;
}

const QString &TTextPool::Text(quint32 Index) const
{
    const TEntry &entry = FEntries.at(Index);
    if (!entry.HasText) {
        if (entry.Size != 0)
            entry.Text = Gb18030::Decode(Base64::DecodeBytes(Stored(entry)));
        entry.HasText = true;
    }
    return entry.Text;
}
