#include "Localization.h"

#include <QCoreApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcLocalization, "nudgebox.localization", QtInfoMsg)

QString NSLocalizedString(const QString& key) {
    const QByteArray utf8 = key.toUtf8();
    return QCoreApplication::translate("Localizable", utf8.constData());
}

QString NSLocalizedString(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}

QString NSLocalizedTitle(QStringView key, std::initializer_list<const char*> titles) {
    for (const char* title : titles)
        if (key == QString::fromUtf8(title))
            return NSLocalizedString(title);
    return {};
}

bool Localization::install() {
    auto* app = QCoreApplication::instance();
    if (!app)
        return false;
    // The system locale's UI languages follow LANGUAGE first, as the desktop's other programs do.
    auto translator = std::make_unique<QTranslator>(app);
    const QLocale locale;
    if (!translator->load(locale, QStringLiteral("nudgebox"), QStringLiteral("_"),
                          tablesDirectory())) {
        qCDebug(lcLocalization) << "no table for" << locale.uiLanguages();
        return false;
    }
    qCDebug(lcLocalization) << "table" << translator->filePath();
    return QCoreApplication::installTranslator(translator.release());
}
