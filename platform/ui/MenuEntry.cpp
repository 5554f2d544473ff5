#include "MenuEntry.h"

#include "../Localization.h"

#include <QVariantMap>

MenuEntry MenuEntry::localized(const QString& action, const QString& titleKey, const QString& icon,
                               bool destructive, QList<MenuEntry> children) {
    return {action, NSLocalizedString(titleKey), icon, destructive, std::move(children)};
}

QVariantList toVariantList(const QList<MenuEntry>& entries) {
    QVariantList list;
    for (const MenuEntry& entry : entries)
        list.append(QVariantMap{{QStringLiteral("action"), entry.action},
                                {QStringLiteral("title"), entry.title},
                                {QStringLiteral("icon"), entry.icon},
                                {QStringLiteral("destructive"), entry.destructive},
                                {QStringLiteral("children"), toVariantList(entry.children)}});
    return list;
}
