#pragma once
// Amount texts: every amount the program shows or stores is "%0.2f" text.
#include <QString>

enum class TAmountCheck { Ok, BadFormat, NotPositive };

// Typed amounts are completed the same way wherever they are entered: "0" in
// front, then "00" when a point is present or ".00" when not. The result must
// be a plain number (C locale) greater than 0; on Ok, Amount holds "%0.2f".
TAmountCheck NormaliseAmount(const QString &Typed, QString &Amount);

// "%0.2f", never "-0.00": sums like 0.30 - 0.10 - 0.20 land a hair below zero.
QString FormatMoney(double Value);

// The amount fields take 11 characters; stored amounts fit them plus ".00".
constexpr int MaxAmountLength = 11;
bool AmountFits(const QString &Money);

// Reads an amount text the store or a list produced back as a number.
double ParseMoney(const QString &Text);

// Sums that must come out exact are kept in whole cents: a stored amount is
// the double nearest its two-decimal text, so rounding it back is exact.
qint64 MoneyCents(double Value);
// "%0.2f" of a sum in cents, "-" in front when it is negative.
QString FormatCents(qint64 Cents);
