#include "data/unt_clsUserNames.h"

#include <QList>

#include <unicode/uchar.h>
#include <unicode/uspoof.h>

#include <memory>

namespace
{
struct TSpoofCloser {
    void operator()(USpoofChecker *Checker) const { uspoof_close(Checker); }
};

// Opened once; ICU's skeleton needs only a checker that is not changed.
const USpoofChecker *Checker()
{
    static const std::unique_ptr<USpoofChecker, TSpoofCloser> checker([] {
        UErrorCode status = U_ZERO_ERROR;
        USpoofChecker *opened = uspoof_open(&status);
        return U_SUCCESS(status) ? opened : nullptr;
    }());
    return checker.get();
}

bool Invisible(char32_t C)
{
    if (C == U' ' || C == U'\u3000') // a space between words is seen (and trimmed at the ends)
        return false;
    switch (u_charType(UChar32(C))) {
    case U_CONTROL_CHAR:
    case U_FORMAT_CHAR:
    case U_SURROGATE:
    case U_PRIVATE_USE_CHAR:
    case U_UNASSIGNED:
    case U_LINE_SEPARATOR:
    case U_PARAGRAPH_SEPARATOR:
    case U_SPACE_SEPARATOR:
        return true;
    default:
        break;
    }
    // Fillers, joiners and variation selectors draw nothing; the Braille
    // blank is a character that is drawn as nothing.
    return u_hasBinaryProperty(UChar32(C), UCHAR_DEFAULT_IGNORABLE_CODE_POINT) ||
           u_isUWhiteSpace(UChar32(C)) || C == U'\u2800';
}
} // namespace

namespace UserNames
{
QString Problem(const QString &Name)
{
    bool seen = false;
    for (const char32_t c : Name.toUcs4()) {
        if (Invisible(c))
            return QStringLiteral(
                "用户名中不能有看不见的字符（例如零宽空格、文字方向符号、填充符）或控制字符！");
        seen = seen || (c != U' ' && c != U'\u3000' && u_charType(UChar32(c)) != U_NON_SPACING_MARK &&
                        u_charType(UChar32(c)) != U_ENCLOSING_MARK);
    }
    if (!seen)
        return QStringLiteral("用户名不能为空！");
    return {};
}

QString Key(const QString &Name)
{
    return Name.trimmed()
        .normalized(QString::NormalizationForm_KC)
        .toCaseFolded()
        .normalized(QString::NormalizationForm_KC);
}

QString Skeleton(const QString &Name)
{
    const QString decomposed = Name.trimmed()
                                   .normalized(QString::NormalizationForm_KC)
                                   .toCaseFolded()
                                   .normalized(QString::NormalizationForm_KD);
    QString bare;
    for (const char32_t c : decomposed.toUcs4())
        if (u_charType(UChar32(c)) != U_NON_SPACING_MARK && u_charType(UChar32(c)) != U_ENCLOSING_MARK &&
            !u_hasBinaryProperty(UChar32(c), UCHAR_DEFAULT_IGNORABLE_CODE_POINT))
            bare += QString::fromUcs4(&c, 1);
    // Folded again: a capital that folds to itself with its accent on (the
    // Turkish "İ") is a plain capital once the accent is gone.
    bare = bare.toCaseFolded();
    const USpoofChecker *checker = Checker();
    if (!checker || bare.isEmpty())
        return bare;
    UErrorCode status = U_ZERO_ERROR;
    const auto *source = reinterpret_cast<const UChar *>(bare.utf16());
    const int32_t length = uspoof_getSkeleton(checker, 0, source, int32_t(bare.size()), nullptr, 0, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return bare;
    QString skeleton(length, QChar());
    status = U_ZERO_ERROR;
    uspoof_getSkeleton(checker, 0, source, int32_t(bare.size()), reinterpret_cast<UChar *>(skeleton.data()),
                       length, &status);
    // The skeleton of a case-folded name may hold capitals again ("l" and
    // "I" share one); folded once more, both sides meet the same way.
    return U_SUCCESS(status) ? skeleton.toCaseFolded() : bare;
}
} // namespace UserNames
