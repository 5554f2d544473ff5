#pragma once

#include "UserDefaults.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

template <class T> struct SettingsKey {
    QString name;
    SettingsSuite suite;
    T defaultValue;
};

// How a value type is kept in a suite. fromStored yields nothing for a missing value or one
// of the wrong type, which then reads as the key's default.
template <class T> struct SettingTraits;

template <> struct SettingTraits<bool> {
    static std::optional<bool> fromStored(const QVariant& v) {
        if (v.typeId() != QMetaType::LongLong)
            return std::nullopt;
        const qint64 n = v.toLongLong();
        if (n != 0 && n != 1)
            return std::nullopt;
        return n == 1;
    }
    static QVariant toStored(bool value) { return QVariant(qint64(value ? 1 : 0)); }
};

template <> struct SettingTraits<qint64> {
    static std::optional<qint64> fromStored(const QVariant& v) {
        if (v.typeId() != QMetaType::LongLong)
            return std::nullopt;
        return v.toLongLong();
    }
    static QVariant toStored(qint64 value) { return QVariant(value); }
};

template <class T> T readSetting(const UserDefaults& defaults, const SettingsKey<T>& key) {
    return SettingTraits<T>::fromStored(defaults.value(key.name)).value_or(key.defaultValue);
}

template <class T>
void writeSetting(UserDefaults& defaults, const SettingsKey<T>& key, const T& value) {
    defaults.setValue(key.name, SettingTraits<T>::toStored(value));
}

// A view property bound to one settings key: reads through the suite, so a write by any other
// binding of the process (or, within a poll interval, by the other process) is seen.
template <class T> class AppStorage {
public:
    explicit AppStorage(SettingsKey<T> key, std::function<void()> onChange = {})
        : key_(std::move(key))
        , defaults_(UserDefaults::forSuite(key_.suite)) {
        if (onChange)
            QObject::connect(defaults_.get(), &UserDefaults::valueChanged, defaults_.get(),
                             [name = key_.name, onChange](const QString& changed) {
                                 if (changed == name)
                                     onChange();
                             });
    }

    T value() const { return readSetting(*defaults_, key_); }
    void setValue(const T& value) { writeSetting(*defaults_, key_, value); }
    const SettingsKey<T>& key() const { return key_; }
    UserDefaults& defaults() const { return *defaults_; }

private:
    SettingsKey<T> key_;
    std::unique_ptr<UserDefaults> defaults_;
};
