#include "UIApplication.h"

#include <QDesktopServices>

bool UIApplication::open(const QUrl& url) {
    return url.isValid() && QDesktopServices::openUrl(url);
}
