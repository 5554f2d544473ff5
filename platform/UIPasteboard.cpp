#include "UIPasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

QString UIPasteboard::string() {
    return QGuiApplication::clipboard()->text();
}

void UIPasteboard::setString(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

bool UIPasteboard::hasStrings() {
    return !string().isEmpty();
}
