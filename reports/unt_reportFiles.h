#pragma once
// Writing an export: the whole file goes to a temporary name beside the
// target and replaces it only when complete, so a failure never leaves a
// half-written file nor costs the user the file of that name.
#include <QByteArray>
#include <QString>

// Throws std::runtime_error with a message naming the file and the cause.
void WriteWholeFile(const QString &FileName, const QByteArray &Content);

// Our words for the cause of a failed file step (an errno value), the
// system's own text after them for the record.
QString FileErrorText(const QString &SystemText, int Code);

// The report lines of a text export, each ended by CR LF.
QByteArray ReportText(const QByteArray &Header, const QList<QByteArray> &Lines);
