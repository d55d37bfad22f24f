#pragma once
// The records of the BIFF8 format as the workbook reads and writes them:
// record types, little-endian writers, strings that run on into CONTINUE
// records, and the walk over a substream's records.
#include "reports/workbook/unt_clsBinary.h"

#include <QList>
#include <QString>

#include <functional>
#include <utility>

namespace Biff
{
constexpr quint16 RecBof = 0x0809, RecEof = 0x000A, RecContinue = 0x003C, RecBoundSheet = 0x0085,
                  RecSst = 0x00FC, RecXf = 0x00E0, RecIndex = 0x020B, RecDimensions = 0x0200, RecRow = 0x0208,
                  RecDbCell = 0x00D7, RecColInfo = 0x007D, RecLabel = 0x0204, RecLabelSst = 0x00FD,
                  RecRString = 0x00D6, RecNumber = 0x0203, RecRk = 0x027E;
constexpr quint16 DefaultCellXf = 15;

void Add16(QByteArray &Bytes, quint16 Value);
void Add32(QByteArray &Bytes, quint32 Value);
void AddRecord(QByteArray &Out, quint16 Type, const QByteArray &Data);
// Records that carry a row index first: the cells of the cell table.
bool IsCell(quint16 Type);
// A string with an 8-bit or a 16-bit length.
QByteArray ShortString(const QString &Text);
QByteArray LongString(const QString &Text);
// A LABEL record of the text at Row, Column, appended to Out.
void AddLabel(QByteArray &Out, quint16 Row, quint16 Column, quint16 Xf, const QString &Text);

// Reads strings that may run on into CONTINUE records; a run of characters
// split there starts again with its own flag byte.
class TStringReader
{
  public:
    TStringReader(QList<QByteArray> Parts, qsizetype Start) : FParts(std::move(Parts)), FPos(Start) {}

    QString Read(int Length, bool Rich);
    quint8 Byte();
    quint16 Word() { return quint16(Byte() | (Byte() << 8)); }
    quint32 Long() { return Word() | (quint32(Word()) << 16); }

  private:
    void Next();
    void Skip(qint64 Count);
    QList<QByteArray> FParts;
    qsizetype FPart = 0;
    qsizetype FPos;
};

// Hands over the records of the substream at At, nested substreams (charts)
// included, up to its EOF.
void ReadSubstream(const QByteArray &Stream, qsizetype At,
                   const std::function<void(quint16, QByteArray)> &Take);
} // namespace Biff
