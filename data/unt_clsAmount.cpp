#include "data/unt_clsAmount.h"

#include <QRegularExpression>

#include <cmath>

namespace
{
// Digits with at most one point and nothing else: an exponent would turn
// "1.5e3" into 1.5e300, and the C library would also take hex or "inf".
const QRegularExpression &PlainNumber()
{
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    return number;
}
} // namespace

TAmountCheck CheckAmount(const QString &Money)
{
    const QRegularExpressionMatch m = PlainNumber().match(Money);
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
        return TAmountCheck::BadFormat;
    // Counted in the text, not after a conversion: 0.001 would round to a
    // record of 0.00, 12.345 to 12.35, without a word.
    if (m.captured(3).size() > AmountDecimals)
        return TAmountCheck::TooManyDecimals;
    const QString digits = m.captured(2) + m.captured(3);
    const bool zero = digits.count(QLatin1Char('0')) == digits.size();
    if (zero || m.captured(1) == QLatin1String("-"))
        return TAmountCheck::NotPositive;
    qsizetype lead = 0;
    const QString whole = m.captured(2);
    while (lead < whole.size() && whole.at(lead) == QLatin1Char('0'))
        ++lead;
    if (whole.size() - lead > MaxAmountDigits)
        return TAmountCheck::TooLarge;
    return TAmountCheck::Ok;
}

TAmountCheck NormaliseAmount(const QString &Typed, QString &Amount)
{
    // Only what can be typed into an amount field: no sign, no blank.
    if (!Typed.isEmpty() && !Typed.front().isDigit() && Typed.front() != QLatin1Char('.'))
        return TAmountCheck::BadFormat;
    QString text = QLatin1Char('0') + Typed;
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        text += QStringLiteral(".00");
    else
        text += QString(qMax<qsizetype>(0, AmountDecimals - (text.size() - point - 1)), QLatin1Char('0'));
    const TAmountCheck check = CheckAmount(text);
    if (check != TAmountCheck::Ok)
        return check;
    // Two decimals already: the text itself, without its leading zeros.
    qsizetype lead = 0;
    while (text.at(lead) == QLatin1Char('0') && text.at(lead + 1) != QLatin1Char('.'))
        ++lead;
    Amount = text.mid(lead);
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

QByteArray FormatMoneyBytes(double Value)
{
    // Only a value within a thousandth of a cent of whole cents takes the
    // short way; there both ways give the same text, and anything else
    // (a hand-edited 1.005, a huge or odd value) is left to the formatter.
    const double cents = Value * 100;
    if (!(std::fabs(cents) < 1e15))
        return FormatMoney(Value).toLatin1();
    const double rounded = std::nearbyint(cents);
    if (std::fabs(cents - rounded) > 1e-3)
        return FormatMoney(Value).toLatin1();
    const qint64 whole = qint64(rounded);
    quint64 magnitude = whole < 0 ? quint64(-whole) : quint64(whole);
    char text[24];
    char *end = text + sizeof text, *at = end;
    *--at = char('0' + magnitude % 10);
    *--at = char('0' + magnitude / 10 % 10);
    *--at = '.';
    magnitude /= 100;
    do {
        *--at = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (whole < 0)
        *--at = '-';
    return QByteArray(at, end - at);
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

QString AmountProblem(TAmountCheck Check)
{
    switch (Check) {
    case TAmountCheck::BadFormat:
        return QStringLiteral("金额有错误，请重新填写！");
    case TAmountCheck::NotPositive:
        return QStringLiteral("金额不能为空或为0，请重新填写！");
    case TAmountCheck::TooManyDecimals:
        return QStringLiteral("金额最多只能有两位小数，请重新填写！");
    case TAmountCheck::TooLarge:
        return QStringLiteral("金额太大（整数部分最多%1位），请重新填写！").arg(MaxAmountDigits);
    case TAmountCheck::Ok:
        break;
    }
    return QString();
}
