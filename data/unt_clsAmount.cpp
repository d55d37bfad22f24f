#include "data/unt_clsAmount.h"

#include <QRegularExpression>

#include <cmath>

TAmountCheck NormaliseAmount(const QString &Typed, QString &Amount)
{
    QString text = QLatin1Char('0') + Typed;
    text += Typed.contains(QLatin1Char('.')) ? QStringLiteral("00") : QStringLiteral(".00");
    // Strict on purpose: the C library would also take hex, "inf" or blanks.
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]*)?([eE][+-]?[0-9]+)?$"));
    if (!number.match(text).hasMatch())
        return TAmountCheck::BadFormat;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return TAmountCheck::BadFormat;
    if (!(value > 0))
        return TAmountCheck::NotPositive;
    Amount = FormatMoney(value);
    return TAmountCheck::Ok;
}

QString FormatMoney(double Value)
{
    QString text = QString::asprintf("%.2f", Value);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text;
}

double ParseMoney(const QString &Text)
{
    return Text.toDouble();
}
