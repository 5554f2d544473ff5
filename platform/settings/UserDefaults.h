#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

class SettingsStore;

enum class SettingsSuite { standard, shared };

// One handle on a settings suite: the application's standard suite or a suite named by an
// identifier (the app-group suite both processes share). Each reader opens its own handle.
class UserDefaults : public QObject {
    Q_OBJECT
public:
    explicit UserDefaults(QObject* parent = nullptr);
    explicit UserDefaults(const QString& suiteName, QObject* parent = nullptr);
    static std::unique_ptr<UserDefaults> forSuite(SettingsSuite suite);
    ~UserDefaults() override;

    static QString standardSuitePath();
    static QString suitePath(const QString& suiteName);

    QVariant value(const QString& key) const;
    void setValue(const QString& key, const QVariant& value);
    void removeObject(const QString& key);
    // Atomic read-modify-write across processes; false when the file cannot be written.
    bool update(const QString& key, const std::function<QVariant(const QVariant&)>& change);
    bool isAvailable() const;

signals:
    void valueChanged(const QString& key);

private:
    void attach(const QString& path);
    std::shared_ptr<SettingsStore> store_;
};
