#include "Report.h"

#include <cstdio>

void Report::add(int size, const QString& measure, Samples app, Samples raw, const QString& rawWork,
                 double targetMs) {
    ReportRow row;
    row.size = size;
    row.measure = measure;
    row.app = std::move(app);
    row.raw = std::move(raw);
    row.rawWork = rawWork;
    row.targetMs = targetMs;
    rows_.append(std::move(row));
}

void Report::addMemory(int size, double megabytes, double targetMb) {
    ReportRow row;
    row.size = size;
    row.measure = QStringLiteral("peak resident memory (application)");
    row.app.add(megabytes);
    row.targetMs = targetMb;
    row.unit = QStringLiteral("MB");
    rows_.append(std::move(row));
}

int Report::print() const {
    int misses = 0;
    std::printf("\n%8s  %-38s %10s %10s %10s %8s %9s  %s\n", "size", "measure", "median", "p99",
                "raw med.", "ratio", "target", "raw work");
    int lastSize = -1;
    for (const ReportRow& row : rows_) {
        if (row.size != lastSize && lastSize != -1)
            std::printf("\n");
        lastSize = row.size;
        const bool memory = row.unit == QStringLiteral("MB");
        // A frame budget holds for nearly every run, so times are judged by their p99.
        const double judged = memory ? row.app.median() : row.app.p99();
        QString target = QStringLiteral("-");
        if (row.targetMs > 0) {
            const bool met = judged < row.targetMs;
            misses += met ? 0 : 1;
            target = QStringLiteral("<%1%2 %3")
                         .arg(row.targetMs)
                         .arg(row.unit)
                         .arg(met ? QStringLiteral("ok") : QStringLiteral("MISS"));
        }
        QString raw = QStringLiteral("-"), ratio = QStringLiteral("-");
        if (row.raw && !row.raw->isEmpty()) {
            raw = QString::number(row.raw->median(), 'f', 3);
            if (row.raw->median() > 0)
                ratio = QString::number(row.app.median() / row.raw->median(), 'f', 1) + u'x';
        }
        std::printf(
            "%8d  %-38s %10s %10s %10s %8s %9s  %s\n", row.size, qPrintable(row.measure),
            qPrintable(QString::number(row.app.median(), 'f', memory ? 1 : 3)),
            qPrintable(memory ? QStringLiteral("-") : QString::number(row.app.p99(), 'f', 3)),
            qPrintable(raw), qPrintable(ratio), qPrintable(target), qPrintable(row.rawWork));
    }
    std::printf("\nTimes in ms (median and p99 over the runs), memory in MB. The ratio is the "
                "application's median over the raw SQLite median of the same work.\n");
    std::fflush(stdout);
    return misses;
}
