#pragma once
// The OLE2 compound file that holds an Excel 97-2003 workbook. Only the
// "Workbook" stream is read and written; everything a workbook program
// needs of the file is in it.
#include <QByteArray>
#include <QString>

#include <stdexcept>

class TclsWorkbookError : public std::runtime_error
{
  public:
    using std::runtime_error::runtime_error;
    explicit TclsWorkbookError(const QString &Message) : std::runtime_error(Message.toStdString()) {}
};

namespace CompoundFile
{
// The named stream of a compound file; throws TclsWorkbookError when the
// bytes are no compound file or the stream is missing.
QByteArray ReadStream(const QByteArray &File, const QString &Name);
// A compound file (version 3, 512-byte sectors) holding one stream.
QByteArray WriteSingleStream(const QString &Name, const QByteArray &Stream);
} // namespace CompoundFile
