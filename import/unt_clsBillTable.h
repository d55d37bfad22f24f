#pragma once
// Bill files as plain tables: the bytes of a CSV or text bill decoded
// (UTF-8 or GB18030, see Decode) and split into rows of trimmed
// cells. Every limit here keeps a hostile file from eating the memory or the
// minutes of the user: a bill never comes close to them.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

using TBillTable = QList<QStringList>;

// A file that cannot be imported; the text is for the user.
class TclsImportError : public std::runtime_error
{
  public:
    explicit TclsImportError(const QString &Message) : std::runtime_error(Message.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

namespace BillTable
{
inline constexpr qint64 MaxFileBytes = 32LL * 1024 * 1024;
inline constexpr int MaxColumns = 256;
inline constexpr int MaxRecordChars = 64 * 1024;
inline constexpr int MaxRows = 200000;
// The characters all cells of a workbook may hold, a shared string counted
// at each use: a few kilobytes can name one long string a million times.
// Twenty times a household's busiest year of bills.
inline constexpr qint64 MaxTableChars = 8LL * 1024 * 1024;
// Elements inside elements: a sheet needs six, and a reader keeps every
// open one in memory.
inline constexpr int MaxXmlDepth = 64;
// The cells of a table, empty ones between others included: each costs
// memory of its own, and a hundred kilobytes of ZIP unpack to millions.
inline constexpr qint64 MaxTableCells = 1'000'000;
QString TooMuchTextText();
QString TooManyCellsText();

// Refuses empty and binary data; decodes the rest. A BOM tells the
// encoding; without one, UTF-8 or GB18030, whichever has fewer lines with
// invalid sequences. Note, when given, gets a text for the user when some
// lines are not valid in the encoding chosen.
QString Decode(const QByteArray &Bytes, QString *Note = nullptr);
// Comma-separated (or tab-separated when tabs lead) rows, quotes honoured;
// a line's trailing empty cell is kept. Throws TclsImportError past a limit.
TBillTable ParseCsv(const QString &Text);
// Lumora's own layout I text export: fixed byte columns of GB18030 text.
bool IsLayoutText(const QByteArray &Bytes);
TBillTable ParseLayoutText(const QByteArray &Bytes);
} // namespace BillTable
