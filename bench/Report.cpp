#include "Report.h"

#include <QLocale>
#include <QSet>
#include <QStringList>

#include <algorithm>

namespace {
QString joined(const Samples& samples) {
    QStringList values;
    for (double value : samples.values())
        values << QString::number(value, 'g', 8);
    return values.join(u',');
}
Samples parsed(const QString& text) {
    Samples samples;
    for (const QString& value : text.split(u',', Qt::SkipEmptyParts))
        samples.add(value.toDouble());
    return samples;
}
QString number(double value) {
    return QString::number(value, 'f', value >= 100 ? 0 : value >= 10 ? 1 : 2);
}
QString sizeText(int size) {
    QLocale english(QLocale::English);
    return english.toString(size);
}
} // namespace

QString ReportRow::toLine() const {
    return QStringList{QStringLiteral("row"),          figure,  platform,
                       QString::number(size),          unit,    joined(value),
                       raw ? joined(*raw) : QString(), rawWork, QString::number(int(judge))}
        .join(u'\t');
}

std::optional<ReportRow> ReportRow::fromLine(const QString& line) {
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 9 || fields[0] != QStringLiteral("row"))
        return std::nullopt;
    ReportRow row;
    row.figure = fields[1];
    row.platform = fields[2];
    row.size = fields[3].toInt();
    row.unit = fields[4];
    row.value = parsed(fields[5]);
    if (!fields[6].isEmpty())
        row.raw = parsed(fields[6]);
    row.rawWork = fields[7];
    row.judge = Judge(fields[8].toInt());
    return row;
}

const ReportRow* Report::find(const QString& figure, const QString& platform, int size) const {
    for (const ReportRow& row : rows_)
        if (row.figure == figure && row.platform == platform && row.size == size)
            return &row;
    return nullptr;
}

Report::Verdict Report::verdict(const ReportRow& row) const {
    const ReportRow* frame = find(frameFigure(), row.platform, row.size);
    const double frameMs = frame ? frame->value.median() : 0;
    const double raw = row.raw && !row.raw->isEmpty() ? row.raw->median() : 0;
    switch (row.judge) {
    case Judge::Action:
        return {raw + frameMs, 1.5};
    case Judge::Bulk:
        return {raw + frameMs, 1.3};
    case Judge::Lean:
        return {raw, 1.2};
    case Judge::Redraw: {
        // A few milliseconds of reading plus one frame of the window on the same platform.
        const ReportRow* appFrame = find(frameFigure(), row.platform, row.size);
        return {5.0 + (appFrame ? appFrame->value.median() : 0), 1.0};
    }
    case Judge::Frame:
    case Judge::None:
        break;
    }
    return {raw, 0};
}

QString Report::markdown(int* misses) const {
    QList<int> sizes;
    QList<QPair<QString, QString>> figures;
    for (const ReportRow& row : rows_) {
        if (!sizes.contains(row.size))
            sizes << row.size;
        if (!figures.contains(qMakePair(row.figure, row.platform)))
            figures << qMakePair(row.figure, row.platform);
    }
    std::sort(sizes.begin(), sizes.end());
    QStringList header{QStringLiteral("figure"), QStringLiteral("platform")};
    for (int size : sizes)
        header << sizeText(size);
    header << QStringLiteral("growth 10k→1M") << QStringLiteral("target")
           << QStringLiteral("verdict");
    QString out =
        QStringLiteral("| ") + header.join(QStringLiteral(" | ")) + QStringLiteral(" |\n|");
    for (qsizetype i = 0; i < header.size(); ++i)
        out += QStringLiteral("---|");
    out += u'\n';
    int missed = 0;
    for (const auto& [figure, platform] : figures) {
        QStringList cells{figure, platform};
        QStringList failedAt;
        Judge judge = Judge::None;
        QString unit;
        for (int size : sizes) {
            const ReportRow* row = find(figure, platform, size);
            if (!row) {
                cells << QStringLiteral("–");
                continue;
            }
            judge = row->judge;
            unit = row->unit;
            const Verdict v = verdict(*row);
            const double value = row->value.median();
            QString cell = number(value) + u' ' + row->unit;
            if (v.floor > 0) {
                const double ratio = value / v.floor;
                cell += QStringLiteral(" ÷ %1 = %2×").arg(number(v.floor), number(ratio));
                if (v.limit > 0 && ratio > v.limit)
                    failedAt << sizeText(size);
            }
            cells << cell;
        }
        const ReportRow* small = find(figure, platform, 10000);
        const ReportRow* large = find(figure, platform, 1000000);
        double growth = 0;
        if (small && large && small->value.median() > 0) {
            growth = large->value.median() / small->value.median();
            cells << number(growth) + u'×';
        } else {
            cells << QStringLiteral("–");
        }
        QString target;
        switch (judge) {
        case Judge::Action:
            target = QStringLiteral("≤ 1.5× (raw + frame), growth ≤ 3×");
            if (growth > 3)
                failedAt << QStringLiteral("growth");
            break;
        case Judge::Bulk:
            target = QStringLiteral("≤ 1.3× (raw + frame)");
            break;
        case Judge::Lean:
            target = QStringLiteral("≤ 1.2× lean program");
            break;
        case Judge::Redraw:
            target = QStringLiteral("≤ 5 ms + frame");
            break;
        case Judge::Frame:
            target = QStringLiteral("(floor part)");
            break;
        case Judge::None:
            target = QStringLiteral("–");
            break;
        }
        cells << target;
        const bool judged = judge == Judge::Action || judge == Judge::Bulk ||
                            judge == Judge::Lean || judge == Judge::Redraw;
        if (!judged)
            cells << QStringLiteral("–");
        else if (failedAt.isEmpty())
            cells << QStringLiteral("met");
        else {
            cells << QStringLiteral("**not met** (") + failedAt.join(QStringLiteral(", ")) + u')';
            ++missed;
        }
        out += QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    }
    if (misses)
        *misses = missed;
    return out;
}

QString Report::details() const {
    QString out =
        QStringLiteral("| figure | platform | size | runs | median | p90 | raw work | raw "
                       "median |\n|---|---|---|---|---|---|---|---|\n");
    for (const ReportRow& row : rows_)
        out += QStringLiteral("| %1 | %2 | %3 | %4 | %5 %6 | %7 | %8 | %9 |\n")
                   .arg(row.figure, row.platform, sizeText(row.size))
                   .arg(row.value.count())
                   .arg(number(row.value.median()), row.unit, number(row.value.rank(0.9)),
                        row.rawWork.isEmpty() ? QStringLiteral("–") : row.rawWork,
                        row.raw ? number(row.raw->median()) : QStringLiteral("–"));
    return out;
}
