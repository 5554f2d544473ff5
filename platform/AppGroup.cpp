#include "AppGroup.h"

#include <QStandardPaths>

QString AppGroup::identifier() {
    return QStringLiteral("group.org.nudgebox.Nudgebox");
}

QString AppGroup::containerPath(const QString& identifier) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           identifier;
}
