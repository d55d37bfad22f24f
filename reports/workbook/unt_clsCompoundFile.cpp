#include "reports/workbook/unt_clsCompoundFile.h"

#include "reports/workbook/unt_clsBinary.h"

#include <QList>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace
{

using namespace Binary;

constexpr quint32 FreeSect = 0xFFFFFFFF;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FatSect = 0xFFFFFFFD;
constexpr quint32 DifSect = 0xFFFFFFFC;
constexpr quint32 NoStream = 0xFFFFFFFF;
const QByteArray Signature = QByteArray::fromHex("D0CF11E0A1B11AE1");

void Put32(QByteArray &Bytes, qsizetype At, quint32 Value)
{
    qToLittleEndian<quint32>(Value, Bytes.data() + At);
}

void Put16(QByteArray &Bytes, qsizetype At, quint16 Value)
{
    qToLittleEndian<quint16>(Value, Bytes.data() + At);
}

struct TEntry {
    QString Name;
    int Type = 0;
    quint32 Start = 0;
    quint64 Size = 0;
};

class TReader
{
  public:
    explicit TReader(const QByteArray &File) : FFile(File)
    {
        if (File.size() < 512 || !File.startsWith(Signature))
            Damaged();
        const int shift = U16(File, 30);
        if (shift != 9 && shift != 12)
            Damaged();
        FSector = 1 << shift;
        // Mini sectors are always 64 bytes; any other shift is a damaged
        // header, and a large one would shift past the integer.
        if (U16(File, 32) != 6)
            Damaged();
        FMiniSector = 1 << 6;
        FCutoff = U32(File, 56);
        ReadFat();
        FDirectory = Chain(FFat, U32(File, 48), [this](quint32 S) { return SectorAt(S); });
        for (qsizetype at = 0; at + 128 <= FDirectory.size(); at += 128) {
            TEntry entry;
            const int length = std::min<int>(U16(FDirectory, at + 64), 64);
            entry.Name = QString::fromUtf16(reinterpret_cast<const char16_t *>(FDirectory.constData() + at),
                                            std::max(0, length / 2 - 1));
            entry.Type = static_cast<unsigned char>(FDirectory[at + 66]);
            entry.Start = U32(FDirectory, at + 116);
            entry.Size = U32(FDirectory, at + 120);
            if (shift == 12)
                entry.Size |= quint64(U32(FDirectory, at + 124)) << 32;
            FEntries << entry;
        }
        if (FEntries.isEmpty() || FEntries[0].Type != 5)
            Damaged();
    }

    const TEntry *Find(const QString &Name) const
    {
        for (const TEntry &entry : FEntries)
            if (entry.Type == 2 && entry.Name.compare(Name, Qt::CaseInsensitive) == 0)
                return &entry;
        return nullptr;
    }

    QByteArray Stream(const TEntry &Entry)
    {
        QByteArray data;
        if (Entry.Size < FCutoff) {
            if (FMiniStream.isNull())
                ReadMini();
            data = Chain(FMiniFat, Entry.Start, [this](quint32 S) {
                const qsizetype at = qsizetype(S) * FMiniSector;
                if (at + FMiniSector > FMiniStream.size())
                    Damaged();
                return FMiniStream.mid(at, FMiniSector);
            });
        } else {
            data = Chain(FFat, Entry.Start, [this](quint32 S) { return SectorAt(S); });
        }
        if (quint64(data.size()) < Entry.Size)
            Damaged();
        data.truncate(qsizetype(Entry.Size));
        return data;
    }

  private:
    QByteArray SectorAt(quint32 Sector) const
    {
        const qsizetype at = (qsizetype(Sector) + 1) * FSector;
        if (Sector >= 0xFFFFFFFA || at + FSector > FFile.size()) {
            // The last sector of a file may be cut short by some writers.
            if (Sector < 0xFFFFFFFA && at < FFile.size())
                return FFile.mid(at).leftJustified(FSector, '\0');
            Damaged();
        }
        return FFile.mid(at, FSector);
    }

    // A chain is walked once: a sector met a second time is a loop, which
    // a crafted file uses to make a few kilobytes read as gigabytes.
    template <class TGet> QByteArray Chain(const QList<quint32> &Table, quint32 Start, TGet Get) const
    {
        QByteArray data;
        std::vector<bool> seen(size_t(Table.size()), false);
        for (quint32 s = Start; s != EndOfChain; s = Table.value(s, FreeSect)) {
            if (s >= quint32(Table.size()) || seen[s])
                Damaged();
            seen[s] = true;
            data += Get(s);
        }
        return data;
    }

    // Sectors the file really has: every table and chain is bounded by
    // them, whatever the header declares.
    quint32 SectorsInFile() const { return quint32((FFile.size() + FSector - 1) / FSector - 1); }

    void ReadFat()
    {
        const quint32 sectors = SectorsInFile();
        const quint32 fatCount = U32(FFile, 44);
        // More FAT sectors than the file has sectors, or one listed twice,
        // is no file a program wrote.
        if (fatCount > sectors)
            Damaged();
        QList<quint32> fatSectors;
        std::vector<bool> seen(sectors, false);
        auto take = [&](quint32 S) {
            if (S >= sectors || seen[S])
                Damaged();
            seen[S] = true;
        };
        for (int i = 0; i < 109 && quint32(fatSectors.size()) < fatCount; ++i)
            fatSectors << U32(FFile, 76 + 4 * i);
        quint32 difat = U32(FFile, 68);
        while (difat != EndOfChain && difat != FreeSect && quint32(fatSectors.size()) < fatCount) {
            take(difat);
            const QByteArray sector = SectorAt(difat);
            for (int i = 0; i < FSector / 4 - 1 && quint32(fatSectors.size()) < fatCount; ++i)
                fatSectors << U32(sector, 4 * i);
            difat = U32(sector, FSector - 4);
        }
        if (quint32(fatSectors.size()) != fatCount)
            Damaged();
        for (const quint32 s : fatSectors) {
            take(s);
            const QByteArray sector = SectorAt(s);
            for (int i = 0; i < FSector / 4 && quint32(FFat.size()) < sectors; ++i)
                FFat << U32(sector, 4 * i);
        }
    }

    void ReadMini()
    {
        const TEntry &root = FEntries[0];
        FMiniStream = root.Start == EndOfChain
                          ? QByteArray("")
                          : Chain(FFat, root.Start, [this](quint32 S) { return SectorAt(S); });
        const quint32 first = U32(FFile, 60);
        if (first == EndOfChain || first == FreeSect)
            return;
        const QByteArray table = Chain(FFat, first, [this](quint32 S) { return SectorAt(S); });
        for (qsizetype at = 0; at + 4 <= table.size(); at += 4)
            FMiniFat << U32(table, at);
    }

    const QByteArray &FFile;
    int FSector = 512, FMiniSector = 64;
    quint32 FCutoff = 4096;
    QList<quint32> FFat, FMiniFat;
    QByteArray FDirectory, FMiniStream;
    QList<TEntry> FEntries;
};

void WriteEntry(QByteArray &Dir, int Index, const QString &Name, int Type, quint32 Child, quint32 Start,
                quint32 Size)
{
    const qsizetype at = qsizetype(Index) * 128;
    for (int i = 0; i < Name.size() && i < 31; ++i)
        Put16(Dir, at + 2 * i, Name[i].unicode());
    Put16(Dir, at + 64, quint16((Name.size() + 1) * 2));
    Dir[at + 66] = char(Type);
    Dir[at + 67] = 1; // black: a tree of one node needs no balancing
    Put32(Dir, at + 68, NoStream);
    Put32(Dir, at + 72, NoStream);
    Put32(Dir, at + 76, Child);
    Put32(Dir, at + 116, Start);
    Put32(Dir, at + 120, Size);
}

} // namespace

namespace CompoundFile
{

QByteArray ReadStream(const QByteArray &File, const QString &Name)
{
    TReader reader(File);
    const TEntry *entry = reader.Find(Name);
    if (!entry)
        throw TclsWorkbookError(
            QStringLiteral("文件中没有“%1”数据流，它不是 Excel 97-2003 工作簿。").arg(Name));
    return reader.Stream(*entry);
}

QByteArray WriteSingleStream(const QString &Name, const QByteArray &Stream)
{
    constexpr int Sector = 512, PerFat = Sector / 4, PerDifat = PerFat - 1;
    // Streams under 4096 bytes would belong in the mini stream; padding
    // keeps the file to one kind of sector.
    QByteArray data = Stream;
    if (data.size() < 4096)
        data.append(4096 - data.size(), '\0');
    const quint32 dataSectors = quint32((data.size() + Sector - 1) / Sector);
    quint32 fatSectors = 1, difatSectors = 0;
    for (;;) {
        const quint32 total = dataSectors + 1 + fatSectors + difatSectors;
        const quint32 fatNeeded = (total + PerFat - 1) / PerFat;
        const quint32 difatNeeded = fatNeeded > 109 ? (fatNeeded - 109 + PerDifat - 1) / PerDifat : 0;
        if (fatNeeded == fatSectors && difatNeeded == difatSectors)
            break;
        fatSectors = std::max(fatSectors, fatNeeded);
        difatSectors = std::max(difatSectors, difatNeeded);
    }
    const quint32 firstFat = dataSectors, firstDifat = firstFat + fatSectors,
                  dirSector = firstDifat + difatSectors;
    const quint32 totalSectors = dirSector + 1;

    QList<quint32> fat(fatSectors * PerFat, FreeSect);
    for (quint32 s = 0; s < dataSectors; ++s)
        fat[s] = s + 1 < dataSectors ? s + 1 : EndOfChain;
    for (quint32 s = 0; s < fatSectors; ++s)
        fat[firstFat + s] = FatSect;
    for (quint32 s = 0; s < difatSectors; ++s)
        fat[firstDifat + s] = DifSect;
    fat[dirSector] = EndOfChain;

    QByteArray file(512 + qsizetype(totalSectors) * Sector, '\0');
    file.replace(0, 8, Signature);
    Put16(file, 24, 0x003E);
    Put16(file, 26, 3);
    Put16(file, 28, 0xFFFE);
    Put16(file, 30, 9);
    Put16(file, 32, 6);
    Put32(file, 44, fatSectors);
    Put32(file, 48, dirSector);
    Put32(file, 56, 4096);
    Put32(file, 60, EndOfChain);
    Put32(file, 68, difatSectors ? firstDifat : EndOfChain);
    Put32(file, 72, difatSectors);
    for (int i = 0; i < 109; ++i)
        Put32(file, 76 + 4 * i, quint32(i) < fatSectors ? firstFat + i : FreeSect);
    auto sectorAt = [&](quint32 S) { return 512 + qsizetype(S) * Sector; };
    file.replace(sectorAt(0), data.size(), data);
    for (quint32 i = 0; i < quint32(fat.size()); ++i)
        Put32(file, sectorAt(firstFat) + 4 * qsizetype(i), fat[i]);
    for (quint32 d = 0; d < difatSectors; ++d) {
        const qsizetype at = sectorAt(firstDifat + d);
        for (int i = 0; i < PerDifat; ++i) {
            const quint32 index = 109 + d * PerDifat + i;
            Put32(file, at + 4 * i, index < fatSectors ? firstFat + index : FreeSect);
        }
        Put32(file, at + Sector - 4, d + 1 < difatSectors ? firstDifat + d + 1 : EndOfChain);
    }
    QByteArray dir(Sector, '\0');
    for (int i = 0; i < 4; ++i)
        for (int field : {68, 72, 76})
            Put32(dir, i * 128 + field, NoStream);
    WriteEntry(dir, 0, QStringLiteral("Root Entry"), 5, 1, EndOfChain, 0);
    WriteEntry(dir, 1, Name, 2, NoStream, 0, quint32(data.size()));
    file.replace(sectorAt(dirSector), Sector, dir);
    return file;
}

} // namespace CompoundFile
