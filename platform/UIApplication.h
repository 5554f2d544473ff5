#pragma once

#include <QUrl>

namespace UIApplication {
// Opens a web page with the desktop's URL opener; false when none could take it.
bool open(const QUrl& url);
} // namespace UIApplication
