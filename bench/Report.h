#pragma once

#include "Samples.h"

#include <QList>
#include <QString>

#include <optional>

// One line of the benchmark's table: a measure beside the raw SQLite cost of the same work.
struct ReportRow {
    int size = 0;
    QString measure;
    Samples app;
    std::optional<Samples> raw;
    QString rawWork;     // what the raw figure did
    double targetMs = 0; // 0: no target
    QString unit = QStringLiteral("ms");
};

class Report {
public:
    void add(ReportRow row) { rows_.append(std::move(row)); }
    // A timed measure beside the raw SQLite samples of the same work.
    void add(int size, const QString& measure, Samples app, Samples raw, const QString& rawWork,
             double targetMs);
    void addMemory(int size, double megabytes, double targetMb);
    // Prints the table; returns how many rows missed their target.
    int print() const;

private:
    QList<ReportRow> rows_;
};
