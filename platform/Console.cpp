#include "Console.h"

#include <cstdio>

namespace {
std::function<void(const QString&)>& sink() {
    static std::function<void(const QString&)> current;
    return current;
}
} // namespace

void Console::writeLine(const QString& text) {
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    std::fprintf(stdout, "%s\n", line.toUtf8().constData());
    std::fflush(stdout);
    if (sink())
        sink()(line);
}

void Console::setSink(std::function<void(const QString&)> newSink) {
    sink() = std::move(newSink);
}
