#pragma once

#include <QDateTime>
#include <QString>

// A timeline entry: it only says when to draw; the view reads the store itself.
struct SimpleEntry {
    QDateTime date;
    QString emoji;
};
