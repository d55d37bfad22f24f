#include "data/unt_clsTextPool.h"

#include "data/unt_clsBase64.h"
#include "data/unt_clsGb18030.h"

#include <QHashFunctions>

#include <algorithm>

namespace
{
constexpr size_t RecentSlots = 4096;
}

void TTextPool::Clear()
{
    FStored.clear();
    FEntries.clear();
    FTexts.clear();
    FBytes.clear();
    FRecent.clear();
}

quint32 TTextPool::Intern(QByteArrayView Stored)
{
    if (FRecent.empty()) {
        FRecent.assign(RecentSlots, 0);
        FSeed = QHashSeed::globalSeed();
    }
    quint32 &recent = FRecent[qHash(Stored, FSeed) & (RecentSlots - 1)];
    if (recent != 0 && this->Stored(FEntries[recent - 1]) == Stored)
        return recent - 1;
    TEntry entry;
    entry.At = quint32(FStored.size());
    entry.Size = quint32(Stored.size());
    FStored.append(Stored);
    FEntries.push_back(entry);
    recent = quint32(FEntries.size());
    return recent - 1;
}

quint32 TTextPool::Add(const QString &Text)
{
    TEntry entry;
    entry.Added = entry.HasText = true;
    FEntries.push_back(entry);
    TextSlot(quint32(FEntries.size() - 1)) = Text;
    return quint32(FEntries.size() - 1);
}

QString &TTextPool::TextSlot(quint32 Index) const
{
    if (FTexts.size() <= Index)
        FTexts.resize(std::max(FEntries.size(), size_t(Index) + 1));
    return FTexts[Index];
}

QByteArray &TTextPool::BytesSlot(quint32 Index) const
{
    if (FBytes.size() <= Index)
        FBytes.resize(std::max(FEntries.size(), size_t(Index) + 1));
    return FBytes[Index];
}

const QByteArray &TTextPool::Bytes(quint32 Index) const
{
    const TEntry &entry = FEntries.at(Index);
    QByteArray &bytes = BytesSlot(Index);
    if (!entry.HasBytes) {
        if (entry.Added) {
            bytes = Base64::ToGB18030(TextSlot(Index));
        } else {
            bytes = Base64::DecodeBytes(Stored(entry));
            // Bytes that are no GB18030 would break a fixed-width line:
            // such a damaged value gives the bytes of what it reads as.
            QString &text = TextSlot(Index);
            if (!entry.HasText) {
                if (entry.Size != 0)
                    text = Gb18030::Decode(bytes, &entry.Damaged);
                entry.HasText = true;
            }
            if (entry.Damaged)
                bytes = Base64::ToGB18030(text);
        }
        entry.HasBytes = true;
    }
    return bytes;
}

const QString &TTextPool::Text(quint32 Index) const
{
    const TEntry &entry = FEntries.at(Index);
    QString &text = TextSlot(Index);
    if (!entry.HasText) {
        if (entry.Size != 0)
            text = Gb18030::Decode(Base64::DecodeBytes(Stored(entry)), &entry.Damaged);
        entry.HasText = true;
    }
    return text;
}
