#include "reports/workbook/unt_clsBiff.h"

#include <QtEndian>

#include <algorithm>

namespace Biff
{
using namespace Binary;

namespace
{
// Cell records, each with its row index first.
const quint16 CellTypes[] = {0x0201, 0x0203, 0x0204, 0x0205, 0x0006, 0x027E, 0x00BD, 0x00BE, 0x00FD, 0x00D6};

// Characters of a BIFF8 string: Latin-1 when every one fits, else UTF-16LE.
void AddChars(QByteArray &Out, const QString &Text)
{
    // Written in place: an export of a full sheet writes a million cells.
    const bool wide = std::any_of(Text.begin(), Text.end(), [](QChar c) { return c.unicode() > 0xFF; });
    const qsizetype at = Out.size();
    Out.resize(at + 1 + Text.size() * (wide ? 2 : 1));
    char *put = Out.data() + at;
    *put++ = char(wide ? 1 : 0);
    for (const QChar c : Text) {
        if (wide) {
            qToLittleEndian<quint16>(c.unicode(), put);
            put += 2;
        } else {
            *put++ = char(c.unicode());
        }
    }
}
} // namespace

void Add16(QByteArray &Bytes, quint16 Value)
{
    char raw[2];
    qToLittleEndian<quint16>(Value, raw);
    Bytes.append(raw, 2);
}

void Add32(QByteArray &Bytes, quint32 Value)
{
    char raw[4];
    qToLittleEndian<quint32>(Value, raw);
    Bytes.append(raw, 4);
}

void AddRecord(QByteArray &Out, quint16 Type, const QByteArray &Data)
{
    Add16(Out, Type);
    Add16(Out, quint16(Data.size()));
    Out += Data;
}

bool IsCell(quint16 Type)
{
    return std::find(std::begin(CellTypes), std::end(CellTypes), Type) != std::end(CellTypes);
}

QByteArray ShortString(const QString &Text)
{
    QByteArray out(1, char(Text.size()));
    AddChars(out, Text);
    return out;
}

void AddLabel(QByteArray &Out, quint16 Row, quint16 Column, quint16 Xf, const QString &Text)
{
    const qsizetype at = Out.size();
    Out.resize(at + 4 + 8);
    char *head = Out.data() + at;
    qToLittleEndian<quint16>(RecLabel, head);
    qToLittleEndian<quint16>(Row, head + 4);
    qToLittleEndian<quint16>(Column, head + 6);
    qToLittleEndian<quint16>(Xf, head + 8);
    qToLittleEndian<quint16>(quint16(Text.size()), head + 10);
    AddChars(Out, Text);
    qToLittleEndian<quint16>(quint16(Out.size() - at - 4), Out.data() + at + 2);
}

QByteArray LongString(const QString &Text)
{
    QByteArray out;
    Add16(out, quint16(Text.size()));
    AddChars(out, Text);
    return out;
}

QString TStringReader::Read(int Length, bool Rich)
{
    const quint8 flags = Byte();
    int runs = 0;
    qint64 ext = 0;
    if (Rich && (flags & 0x08))
        runs = Word();
    if (Rich && (flags & 0x04))
        ext = qint32(Word() | (quint32(Word()) << 16));
    bool wide = flags & 0x01;
    QString text;
    text.reserve(Length);
    while (text.size() < Length) {
        if (FPos >= FParts[FPart].size()) {
            Next();
            wide = Byte() & 0x01;
        }
        if (wide)
            text += QChar(Word());
        else
            text += QChar(Byte());
    }
    Skip(qint64(runs) * 4 + ext);
    return text;
}

quint8 TStringReader::Byte()
{
    while (FPos >= FParts[FPart].size())
        Next();
    return quint8(FParts[FPart][FPos++]);
}

void TStringReader::Next()
{
    if (++FPart >= FParts.size())
        Damaged();
    FPos = 0;
}

void TStringReader::Skip(qint64 Count)
{
    for (qint64 i = 0; i < Count; ++i)
        Byte();
}

void ReadSubstream(const QByteArray &Stream, qsizetype At,
                   const std::function<void(quint16, QByteArray)> &Take)
{
    int depth = 0;
    while (At + 4 <= Stream.size()) {
        const quint16 type = U16(Stream, At), size = U16(Stream, At + 2);
        if (At + 4 + size > Stream.size())
            Damaged();
        Take(type, Stream.mid(At + 4, size));
        At += 4 + size;
        if (type == RecBof)
            ++depth;
        else if (type == RecEof && --depth == 0)
            return;
    }
    Damaged();
}
} // namespace Biff
