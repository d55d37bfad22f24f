#include "data/unt_clsCategoryDays.h"

#include <algorithm>

void TCategoryDays::Reset(const QDate &From, const QDate &To)
{
    FFrom = From;
    FTo = To;
    FDays = From.isValid() && To.isValid() ? std::max<qint64>(From.daysTo(To) + 1, 0) : 0;
    FNames.clear();
    FEntries.clear();
}

quint32 TCategoryDays::AddName(const QString &Name)
{
    const qsizetype at = FNames.indexOf(Name);
    if (at >= 0)
        return quint32(at);
    FNames << Name;
    return quint32(FNames.size() - 1);
}

void TCategoryDays::RunningSums(int Name, std::vector<qint64> &Out, std::vector<qint64> &In) const
{
    Out.assign(size_t(FDays) + 1, 0);
    In.assign(size_t(FDays) + 1, 0);
    for (const TEntry &entry : FEntries)
        if (Name < 0 || entry.Name == quint32(Name))
            (entry.Income ? In : Out)[size_t(entry.Day) + 1] += entry.Cents;
    for (size_t d = 1; d < Out.size(); ++d) {
        Out[d] += Out[d - 1];
        In[d] += In[d - 1];
    }
}
