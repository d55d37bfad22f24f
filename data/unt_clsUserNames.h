#pragma once
// Member names as the login list shows them: every name must look like no
// other. A name with characters nobody sees (zero-width spaces, direction
// marks, fillers) would sit in the list as a copy of another, or as a blank.
#include <QString>

namespace UserNames
{
// Empty when Name may be given to a new member, else a Chinese text saying
// why not: a control, format or invisible character, or nothing visible.
QString Problem(const QString &Name);
// The name trimmed, NFKC-normalised and case-folded ("Alice", "ａｌｉｃｅ ").
QString Key(const QString &Name);
// The name as it looks, for comparing: NFKC, case folded, accents left
// out, then ICU's confusable skeleton, so the Cyrillic "а" or a dotless
// "ı" inside "alice" reads as "alice".
QString Skeleton(const QString &Name);
} // namespace UserNames
