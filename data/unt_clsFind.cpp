#include "data/unt_clsFind.h"

#include "data/unt_clsAmount.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringMatcher>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace
{
// A mask per text holds one bit a word; a longer search runs in rounds.
constexpr int WordsPerRound = 64;

qint64 Cents(double Money)
{
    return std::llround(Money * 100);
}
} // namespace

QString FoldText(const QString &Text)
{
    // Most memos are Chinese characters, digits and plain letters, which
    // compatibility forms and case folding leave as they are but for the
    // capitals: those skip the costly general way, which a find index of
    // years of memos that all differ would take hundreds of thousands of
    // times.
    const bool plain = std::all_of(Text.begin(), Text.end(), [](QChar C) {
        const char16_t c = C.unicode();
        return (c >= 0x20 && c < 0x7F) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF);
    });
    if (!plain)
        return Text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    const auto capital = [](QChar C) { return C.unicode() >= 'A' && C.unicode() <= 'Z'; };
    if (std::none_of(Text.begin(), Text.end(), capital))
        return Text;
    QString folded = Text;
    for (QChar &c : folded)
        if (capital(c))
            c = QChar(c.unicode() + ('a' - 'A'));
    return folded;
}

QStringList FindWords(const QString &Text)
{
    // Folding first makes the full-width blank a plain one; the line
    // break is the texts' end mark, so it parts words too.
    QStringList words;
    for (const QString &word :
         FoldText(Text).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        if (!words.contains(word))
            words << word;
    return words;
}

qint64 AmountWordCents(const QString &Word)
{
    static const QRegularExpression amount(QStringLiteral("^([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch match = amount.match(Word);
    if (!match.hasMatch())
        return -1;
    const QString whole = match.captured(1);
    QString places = match.captured(2);
    if (whole.isEmpty() && places.isEmpty())
        return -1;
    // "88.500" is 88.50; "88.505" is no amount a record can have.
    while (places.size() > 2 && places.endsWith(QLatin1Char('0')))
        places.chop(1);
    if (places.size() > 2 || whole.size() > 15)
        return -1;
    places = places.leftJustified(2, QLatin1Char('0'));
    return whole.toLongLong() * 100 + places.toLongLong();
}

bool AmountWordRange(const QString &Word, qint64 &Low, qint64 &High)
{
    Low = AmountWordCents(Word);
    if (Low < 0)
        return false;
    const qsizetype point = Word.indexOf(QLatin1Char('.'));
    QString places = point < 0 ? QString() : Word.mid(point + 1);
    while (places.size() > 2 && places.endsWith(QLatin1Char('0')))
        places.chop(1);
    High = Low + (places.size() >= 2 ? 0 : places.size() == 1 ? 9 : 99);
    return true;
}

bool TDateWord::Matches(const QDate &Date) const
{
    return (Year == 0 || Date.year() == Year) && Date.month() == Month && (Day == 0 || Date.day() == Day);
}

bool DateWord(const QString &Word, TDateWord &Date)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:([0-9]{4})[-/])?([0-9]{1,2})(?:[-/]([0-9]{1,2}))?$"));
    const QRegularExpressionMatch match = form.match(Word);
    // A lone number is an amount: a month needs its year or its day.
    if (!match.hasMatch() || (match.captured(1).isEmpty() && match.captured(3).isEmpty()))
        return false;
    Date.Year = match.captured(1).toInt();
    Date.Month = match.captured(2).toInt();
    Date.Day = match.captured(3).toInt();
    // 2024 for a day of any year lets 02-29 be one.
    return Date.Month >= 1 && Date.Month <= 12 &&
           (Date.Day == 0 || QDate(Date.Year ? Date.Year : 2024, Date.Month, Date.Day).isValid());
}

qint64 AmountBoundCents(const QString &Text)
{
    QString amount;
    if (Text.trimmed().isEmpty() || NormaliseAmount(Text, amount) != TAmountCheck::Ok)
        return -1;
    return AmountWordCents(amount);
}

void TFindIndex::Reset(TRangeRecords Records)
{
    FRecords = std::move(Records);
    FFolded.clear();
    FStarts.clear();
    FStarts.push_back(0);
    for (qsizetype t = 0; t < FRecords.TextCount(); ++t)
        AddFolded(FRecords.Text(quint32(t)));
    const qsizetype n = FRecords.Count();
    FGone.assign(size_t(n), false);
    // The range is in day order already: from the last day back, only each
    // day's own few records (expenses before income) need putting latest first.
    FNewestFirst.clear();
    FNewestFirst.reserve(size_t(n));
    for (qsizetype end = n; end > 0;) {
        qsizetype begin = end - 1;
        while (begin > 0 && FRecords.At(begin - 1).Day == FRecords.At(end - 1).Day)
            --begin;
        const auto from = FNewestFirst.insert(FNewestFirst.end(), size_t(end - begin), 0);
        std::iota(from, FNewestFirst.end(), begin);
        std::sort(from, FNewestFirst.end(),
                  [this](qsizetype A, qsizetype B) { return FRecords.At(A).Id > FRecords.At(B).Id; });
        end = begin;
    }
}

void TFindIndex::AddFolded(const QString &Text)
{
    FFolded += FoldText(Text);
    FFolded += QLatin1Char('\n');
    FStarts.push_back(FFolded.size());
}

void TFindIndex::MarkTexts(const QString &Word, quint64 Bit, std::vector<quint64> &Masks) const
{
    const QStringMatcher matcher(Word);
    qsizetype at = 0;
    size_t text = 0;
    while ((at = matcher.indexIn(FFolded, at)) >= 0) {
        // Hits come in text order: the text of this one is found by
        // walking on from the last, or by a search when it lies far ahead.
        if (FStarts[text + 1] <= at) {
            if (text + 8 < FStarts.size() && FStarts[text + 8] <= at)
                text =
                    size_t(std::upper_bound(FStarts.begin() + text, FStarts.end(), at) - FStarts.begin()) - 1;
            else
                while (FStarts[text + 1] <= at)
                    ++text;
        }
        Masks[text] |= Bit;
        // The rest of this text cannot add anything.
        at = FStarts[text + 1];
    }
}

TFindResult TFindIndex::Run(const TFindQuery &Query) const
{
    const qsizetype n = FRecords.Count();
    const QStringList words = FindWords(Query.Words);
    std::vector<bool> nameOk;
    if (!Query.Name.isEmpty()) {
        nameOk.resize(size_t(FRecords.TextCount()));
        for (qsizetype t = 0; t < FRecords.TextCount(); ++t)
            nameOk[size_t(t)] = FRecords.Text(quint32(t)) == Query.Name;
    }
    const qint64 first = Query.From.isValid() ? FRecords.From().daysTo(Query.From) : 0;
    const qint64 last =
        Query.To.isValid() ? FRecords.From().daysTo(Query.To) : std::numeric_limits<qint64>::max();
    const bool expenses = Query.Type == QStringLiteral("支出");
    const bool income = Query.Type == QStringLiteral("收入");
    const qint64 min = AmountBoundCents(Query.Min), max = AmountBoundCents(Query.Max);

    // The filters first, then each round of words narrows what is left.
    std::vector<bool> match(size_t(n), false);
    for (qsizetype i = 0; i < n; ++i) {
        const TRangeRecord &r = FRecords.At(i);
        if (FGone[size_t(i)] || r.Day < first || r.Day > last || (expenses && r.Income) ||
            (income && !r.Income) || (!nameOk.empty() && !nameOk[r.Name]))
            continue;
        const qint64 cents = Cents(r.Money);
        match[size_t(i)] = (min < 0 || cents >= min) && (max < 0 || cents <= max);
    }
    for (qsizetype from = 0; from < words.size(); from += WordsPerRound) {
        const QStringList round = words.mid(from, WordsPerRound);
        const quint64 all = round.size() == 64 ? ~quint64(0) : (quint64(1) << round.size()) - 1;
        std::vector<quint64> masks(size_t(FRecords.TextCount()), 0);
        struct TAmountWord {
            qint64 Low, High;
            quint64 Bit;
        };
        std::vector<TAmountWord> amounts;
        std::vector<std::pair<TDateWord, quint64>> dates;
        for (int w = 0; w < round.size(); ++w) {
            const quint64 bit = quint64(1) << w;
            MarkTexts(round[w], bit, masks);
            qint64 low = 0, high = 0;
            TDateWord date;
            if (AmountWordRange(round[w], low, high))
                amounts.push_back({low, high, bit});
            else if (DateWord(round[w], date))
                dates.emplace_back(date, bit);
        }
        // A date word asks for each day's date once: records come in day order.
        qint32 dateDay = -1;
        quint64 dayBits = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (!match[size_t(i)])
                continue;
            const TRangeRecord &r = FRecords.At(i);
            quint64 found = masks[r.Name] | masks[r.Memo];
            if (found != all && !amounts.empty()) {
                const qint64 cents = Cents(r.Money);
                for (const TAmountWord &amount : amounts)
                    if (cents >= amount.Low && cents <= amount.High)
                        found |= amount.Bit;
            }
            if (found != all && !dates.empty()) {
                if (r.Day != dateDay) {
                    dateDay = r.Day;
                    dayBits = 0;
                    const QDate day = FRecords.From().addDays(r.Day);
                    for (const auto &[date, bit] : dates)
                        if (date.Matches(day))
                            dayBits |= bit;
                }
                found |= dayBits;
            }
            match[size_t(i)] = found == all;
        }
    }

    TFindResult result;
    // A day's sums in the range's own order, as the browse panel's days.
    double dayOut = 0, dayIn = 0;
    auto closeDay = [&] {
        if (dayOut != 0 || dayIn != 0) {
            result.Out += ParseMoney(FormatMoney(dayOut));
            result.In += ParseMoney(FormatMoney(dayIn));
        }
        dayOut = dayIn = 0;
    };
    qint32 day = -1;
    for (qsizetype i = 0; i < n; ++i) {
        if (!match[size_t(i)])
            continue;
        const TRangeRecord &r = FRecords.At(i);
        if (r.Day != day) {
            closeDay();
            day = r.Day;
        }
        (r.Income ? dayIn : dayOut) += r.Money;
    }
    closeDay();
    for (const qsizetype i : FNewestFirst)
        if (match[size_t(i)])
            result.Rows.push_back(i);
    return result;
}

QStringList TFindIndex::Names() const
{
    std::vector<bool> seen(size_t(FRecords.TextCount()), false);
    QStringList names;
    QSet<QString> known;
    for (qsizetype i = 0; i < FRecords.Count(); ++i) {
        const quint32 name = FRecords.At(i).Name;
        if (seen[name] || FGone[size_t(i)])
            continue;
        seen[name] = true;
        if (!known.contains(FRecords.Text(name))) {
            known.insert(FRecords.Text(name));
            names << FRecords.Text(name);
        }
    }
    return names;
}

bool TFindIndex::Change(qint64 Id, const QString &Name, double Money, const QString &Memo)
{
    const qsizetype at = FRecords.IndexOfId(Id);
    if (at < 0 || FGone[size_t(at)])
        return false;
    const qsizetype texts = FRecords.TextCount();
    FRecords.Change(at, Name, Money, Memo);
    for (qsizetype t = texts; t < FRecords.TextCount(); ++t)
        AddFolded(FRecords.Text(quint32(t)));
    return true;
}

bool TFindIndex::Remove(qint64 Id)
{
    const qsizetype at = FRecords.IndexOfId(Id);
    if (at < 0 || FGone[size_t(at)])
        return false;
    FGone[size_t(at)] = true;
    return true;
}
