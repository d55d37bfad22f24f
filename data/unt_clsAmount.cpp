#include "data/unt_clsAmount.h"

#include <QRegularExpression>

#include <cmath>

TAmountCheck NormaliseAmount(const QString &Typed, QString &Amount)
{
    QString text = QLatin1Char('0') + Typed;
    text += Typed.contains(QLatin1Char('.')) ? QStringLiteral("00") : QStringLiteral(".00");
    // Digits with at most one point and nothing else: an exponent would turn
    // "1.5e3" into 1.5e300, and the C library would also take hex or "inf".
    static const QRegularExpression number(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
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
    // Always a point: the C library's printf follows LC_NUMERIC and would
    // write "12,50" in a German or French locale.
    QString text = QString::number(Value, 'f', 2);
    if (text == QLatin1String("-0.00"))
        text = QStringLiteral("0.00");
    return text;
}

bool AmountFits(const QString &Money)
{
    bool ok = false;
    const double value = Money.toDouble(&ok);
    return ok && std::isfinite(value) && FormatMoney(value).size() <= MaxAmountLength + 3;
}

double ParseMoney(const QString &Text)
{
    return Text.toDouble();
}

qint64 MoneyCents(double Value)
{
    return std::isfinite(Value) ? qint64(std::llround(Value * 100)) : 0;
}

QString FormatCents(qint64 Cents)
{
    // The magnitude as unsigned: the most negative sum has no positive twin.
    const quint64 magnitude = Cents < 0 ? 0 - quint64(Cents) : quint64(Cents);
    const quint64 fraction = magnitude % 100;
    return (Cents < 0 ? QStringLiteral("-") : QString()) + QString::number(magnitude / 100) +
           QLatin1Char('.') + QLatin1Char(char('0' + fraction / 10)) + QLatin1Char(char('0' + fraction % 10));
}
