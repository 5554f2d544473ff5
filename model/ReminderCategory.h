#pragma once

#include <QByteArrayView>
#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The thirty fixed categories. The raw value is the stored form and the localisation key.
class ReminderCategory {
public:
    enum Case : quint8 {
        baseball,
        basketball,
        birthdays,
        computer,
        education,
        expenses,
        family,
        football,
        games,
        gardening,
        groceries,
        health,
        love,
        medicines,
        movies,
        music,
        personal,
        pets,
        reading,
        sleeping,
        soccer,
        swimming,
        tennis,
        transportation,
        vacations,
        vehicle,
        weather,
        webpages,
        work,
        workouts
    };
    static constexpr int caseCount = 30;

    constexpr ReminderCategory(Case value)
        : value_(value) {}

    // Exact, case-sensitive, whole-text match; anything else is no category.
    static std::optional<ReminderCategory> fromRawValue(QStringView rawValue);
    // The same match on the text's UTF-8 bytes, as the store holds them.
    static std::optional<ReminderCategory> fromRawUtf8(QByteArrayView rawValue);
    static const std::array<ReminderCategory, caseCount>& allCases();

    Case value() const { return value_; }
    const QString& rawValue() const;
    QString iconName() const;
    // The raw value looked up in the main localisation table.
    QString shownName() const;

    friend bool operator==(ReminderCategory, ReminderCategory) = default;

private:
    Case value_;
};

size_t qHash(ReminderCategory category, size_t seed = 0);
