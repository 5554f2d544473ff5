#include "ReminderCategory.h"

#include "Localization.h"

#include <string_view>
#include <utility>

namespace {
// The raw values are keys of the main localisation table: a category's shown name.
struct Entry {
    const char* rawValue;
    const char16_t* iconName;
};

constexpr std::array<Entry, ReminderCategory::caseCount> table{{
    {QT_TRANSLATE_NOOP("Localizable", "Baseball"), u"baseball.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Basketball"), u"basketball.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Birthdays"), u"birthday.cake.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Computer"), u"macbook"},
    {QT_TRANSLATE_NOOP("Localizable", "Education"), u"graduationcap.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Expenses"), u"dollarsign"},
    {QT_TRANSLATE_NOOP("Localizable", "Family"), u"figure.and.child.holdinghands"},
    {QT_TRANSLATE_NOOP("Localizable", "American football"), u"football.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Games"), u"gamecontroller.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Gardening"), u"leaf.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Groceries"), u"carrot.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Health"), u"stethoscope"},
    {QT_TRANSLATE_NOOP("Localizable", "Love"), u"heart.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Medicines"), u"pills.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Movies"), u"popcorn.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Music"), u"music.note"},
    {QT_TRANSLATE_NOOP("Localizable", "Personal"), u"person.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Pets"), u"pawprint.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Reading"), u"book.closed.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Sleeping"), u"bed.double.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Soccer"), u"soccerball"},
    {QT_TRANSLATE_NOOP("Localizable", "Swimming"), u"figure.pool.swim"},
    {QT_TRANSLATE_NOOP("Localizable", "Tennis"), u"tennis.racket"},
    {QT_TRANSLATE_NOOP("Localizable", "Transportation"), u"bus"},
    {QT_TRANSLATE_NOOP("Localizable", "Vacations"), u"airplane"},
    {QT_TRANSLATE_NOOP("Localizable", "Vehicle"), u"car.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Weather"), u"cloud.sun.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Webpages"), u"link"},
    {QT_TRANSLATE_NOOP("Localizable", "Work"), u"person.crop.square.fill"},
    {QT_TRANSLATE_NOOP("Localizable", "Workouts"), u"figure.run"},
}};
} // namespace

std::optional<ReminderCategory> ReminderCategory::fromRawValue(QStringView rawValue) {
    // The shared texts know their lengths, so most candidates are ruled out by length alone.
    for (ReminderCategory category : allCases())
        if (rawValue == category.rawValue())
            return category;
    return std::nullopt;
}

std::optional<ReminderCategory> ReminderCategory::fromRawUtf8(QByteArrayView rawValue) {
    // The raw values are ASCII: equal bytes are equal texts, and bytes that are not valid
    // UTF-8 match none, as their decoded text would not.
    const std::string_view bytes(rawValue.data(), size_t(rawValue.size()));
    for (int i = 0; i < caseCount; ++i)
        if (bytes == table[size_t(i)].rawValue)
            return ReminderCategory(Case(i));
    return std::nullopt;
}

const std::array<ReminderCategory, ReminderCategory::caseCount>& ReminderCategory::allCases() {
    static constexpr auto cases = []<std::size_t... I>(std::index_sequence<I...>) {
        return std::array<ReminderCategory, caseCount>{ReminderCategory(Case(I))...};
    }
    (std::make_index_sequence<caseCount>());
    return cases;
}

const QString& ReminderCategory::rawValue() const {
    // Made once and shared by every record filed under the category.
    static const auto texts = [] {
        std::array<QString, caseCount> texts;
        for (int i = 0; i < caseCount; ++i)
            texts[i] = QString::fromUtf8(table[i].rawValue);
        return texts;
    }();
    return texts[value_];
}

QString ReminderCategory::iconName() const {
    return QString::fromUtf16(table[value_].iconName);
}

QString ReminderCategory::shownName() const {
    return NSLocalizedString(rawValue());
}

size_t qHash(ReminderCategory category, size_t seed) {
    return qHash(category.rawValue(), seed);
}
