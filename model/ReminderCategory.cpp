#include "ReminderCategory.h"

#include "Localization.h"

#include <utility>

namespace {
struct Entry {
    const char16_t* rawValue;
    const char16_t* iconName;
};

constexpr std::array<Entry, ReminderCategory::caseCount> table{{
    {u"Baseball", u"baseball.fill"},
    {u"Basketball", u"basketball.fill"},
    {u"Birthdays", u"birthday.cake.fill"},
    {u"Computer", u"macbook"},
    {u"Education", u"graduationcap.fill"},
    {u"Expenses", u"dollarsign"},
    {u"Family", u"figure.and.child.holdinghands"},
    {u"American football", u"football.fill"},
    {u"Games", u"gamecontroller.fill"},
    {u"Gardening", u"leaf.fill"},
    {u"Groceries", u"carrot.fill"},
    {u"Health", u"stethoscope"},
    {u"Love", u"heart.fill"},
    {u"Medicines", u"pills.fill"},
    {u"Movies", u"popcorn.fill"},
    {u"Music", u"music.note"},
    {u"Personal", u"person.fill"},
    {u"Pets", u"pawprint.fill"},
    {u"Reading", u"book.closed.fill"},
    {u"Sleeping", u"bed.double.fill"},
    {u"Soccer", u"soccerball"},
    {u"Swimming", u"figure.pool.swim"},
    {u"Tennis", u"tennis.racket"},
    {u"Transportation", u"bus"},
    {u"Vacations", u"airplane"},
    {u"Vehicle", u"car.fill"},
    {u"Weather", u"cloud.sun.fill"},
    {u"Webpages", u"link"},
    {u"Work", u"person.crop.square.fill"},
    {u"Workouts", u"figure.run"},
}};
} // namespace

std::optional<ReminderCategory> ReminderCategory::fromRawValue(QStringView rawValue) {
    // The shared texts know their lengths, so most candidates are ruled out by length alone.
    for (ReminderCategory category : allCases())
        if (rawValue == category.rawValue())
            return category;
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
            texts[i] = QString::fromUtf16(table[i].rawValue);
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
