#pragma once

#include <QString>

// The container both deliverables share: $XDG_DATA_HOME/<identifier>/.
namespace AppGroup {
QString identifier();
QString containerPath(const QString& identifier = AppGroup::identifier());
} // namespace AppGroup
