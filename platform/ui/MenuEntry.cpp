#include "MenuEntry.h"

#include <QVariantMap>

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
