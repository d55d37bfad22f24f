#pragma once
// The stored-text codec: every text column holds the MIME Base64 form of the
// text's GB18030 bytes. GB18030 has the same bytes as GBK for every GBK
// character, and also covers everything else (emoji included), so no text is
// ever lost on its way through the database.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Base64
{
QByteArray EncodeBytes(const QByteArray &Bytes);
QByteArray DecodeBytes(QByteArrayView Text);
QByteArray ToGB18030(const QString &Text);
QString FromGB18030(const QByteArray &Bytes);
// Plain text -> stored form, and back.
QString EncodeText(const QString &Text);
QString DecodeText(const QString &Stored);
} // namespace Base64
