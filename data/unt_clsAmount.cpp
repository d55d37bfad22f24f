#include "data/unt_clsAmount.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdio>
#include <cstring>

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
    char buffer[64];
    const int n = std::snprintf(buffer, sizeof buffer, "%.2f", Value);
    if (n == 5 && std::strcmp(buffer, "-0.00") == 0)
        return QStringLiteral("0.00");
    if (n < 0 || n >= int(sizeof buffer))
        return QString::asprintf("%.2f", Value);
    return QString::fromLatin1(buffer, n);
}

double ParseMoney(const QString &Text)
{
    return Text.toDouble();
}
