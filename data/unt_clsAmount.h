#pragma once
// Amount texts: every amount the program shows or stores is "%0.2f" text.
#include <QByteArray>
#include <QString>

enum class TAmountCheck { Ok, BadFormat, NotPositive, TooManyDecimals, TooLarge };

// Money has two decimals, and the longest amount is eleven digits, the point
// and two decimals ("12345678901.25"): the store takes no longer amount, and
// every amount field holds that many characters.
constexpr int AmountDecimals = 2;
constexpr int MaxAmountLength = 14;
constexpr int MaxAmountDigits = MaxAmountLength - 1 - AmountDecimals;

// Typed amounts are completed the same way wherever they are entered: "0" in
// front, and the decimals filled up to two. The result must be a plain number
// (C locale) greater than 0 with at most two decimals and MaxAmountDigits
// digits before the point; on Ok, Amount holds "%0.2f".
TAmountCheck NormaliseAmount(const QString &Typed, QString &Amount);

// What the store asks of an amount text before it is written: a plain decimal
// number (an optional sign, digits, at most one point) that NormaliseAmount
// would take unchanged in value.
TAmountCheck CheckAmount(const QString &Money);

// "%0.2f", never "-0.00": sums like 0.30 - 0.10 - 0.20 land a hair below zero.
QString FormatMoney(double Value);
// The same text as Latin-1 bytes, made without a formatter for the amounts
// books hold (two decimals): the outputs ask for it once per record.
QByteArray FormatMoneyBytes(double Value);

// What an entry panel says of a typed amount it refuses (empty for Ok).
QString AmountProblem(TAmountCheck Check);

// Reads an amount text the store or a list produced back as a number.
double ParseMoney(const QString &Text);

// Sums that must come out exact are kept in whole cents: a stored amount is
// the double nearest its two-decimal text, so rounding it back is exact.
qint64 MoneyCents(double Value);
// "%0.2f" of a sum in cents, "-" in front when it is negative.
QString FormatCents(qint64 Cents);
