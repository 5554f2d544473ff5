#include "UserDefaults.h"

#include "../AppGroup.h"
#include "SettingsStore.h"

#include <QStandardPaths>

UserDefaults::UserDefaults(QObject* parent)
    : QObject(parent) {
    attach(standardSuitePath());
}

UserDefaults::UserDefaults(const QString& suiteName, QObject* parent)
    : QObject(parent) {
    attach(suitePath(suiteName));
}

UserDefaults::~UserDefaults() = default;

std::unique_ptr<UserDefaults> UserDefaults::forSuite(SettingsSuite suite) {
    return suite == SettingsSuite::shared ? std::make_unique<UserDefaults>(AppGroup::identifier())
                                          : std::make_unique<UserDefaults>();
}

QString UserDefaults::standardSuitePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/nudgebox/standard.settings");
}

QString UserDefaults::suitePath(const QString& suiteName) {
    return AppGroup::containerPath(suiteName) + u'/' + suiteName + QStringLiteral(".settings");
}

void UserDefaults::attach(const QString& path) {
    store_ = SettingsStore::forPath(path);
    connect(store_.get(), &SettingsStore::valueChanged, this, &UserDefaults::valueChanged);
}

QVariant UserDefaults::value(const QString& key) const {
    return store_->value(key);
}

void UserDefaults::setValue(const QString& key, const QVariant& value) {
    store_->setValue(key, value);
}

void UserDefaults::removeObject(const QString& key) {
    store_->setValue(key, QVariant());
}

bool UserDefaults::update(const QString& key,
                          const std::function<QVariant(const QVariant&)>& change) {
    return store_->update(key, change);
}

bool UserDefaults::isAvailable() const {
    return store_->isAvailable();
}
