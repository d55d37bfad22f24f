#pragma once
// Writing an export: the whole file goes to a temporary name beside the
// target and replaces it only when complete, so a failure never leaves a
// half-written file nor costs the user the file of that name.
#include <QByteArray>
#include <QString>

#include <functional>

// Throws std::runtime_error with a message naming the file and the cause.
void WriteWholeFile(const QString &FileName, const QByteArray &Content);
// The same for content made piece by piece: Produce hands each piece to
// Write, which throws as above when a piece cannot be written.
using TWriteChunk = std::function<void(const QByteArray &Chunk)>;
void WriteWholeFile(const QString &FileName, const std::function<void(const TWriteChunk &Write)> &Produce);

// Our words for the cause of a failed file step (an errno value), the
// system's own text after them for the record.
QString FileErrorText(const QString &SystemText, int Code);

// The lines of a text export, the header and the rule first, each ended by
// CR LF, handed to Write a piece at a time.
void WriteReportText(const QByteArray &Header, qsizetype Count,
                     const std::function<QByteArray(qsizetype)> &Line, const TWriteChunk &Write);
