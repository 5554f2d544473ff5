#include "Localization.h"

#include <QCoreApplication>

QString NSLocalizedString(const QString& key) {
    const QByteArray utf8 = key.toUtf8();
    return QCoreApplication::translate("Localizable", utf8.constData());
}
