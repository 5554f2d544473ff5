#pragma once

#include "Samples.h"

#include <QList>
#include <QString>

#include <optional>

// How a figure is judged against its floor (see DESIGN.md, performance targets).
enum class Judge {
    None,   // shown only
    Frame,  // one frame of the window with nothing changed: part of the action floors
    Action, // a user action: at most 1.5x (raw SQLite + one frame), growing at most 3x
    Bulk,   // a bulk action: at most 1.3x (raw SQLite + one frame)
    Lean,   // start and memory: at most 1.2x the lean Qt Quick program
    Redraw, // widget redraw: a few ms plus one frame
};

// One figure on one platform and store size, beside the floor it is judged against.
struct ReportRow {
    QString figure;
    QString platform;
    int size = 0;
    QString unit = QStringLiteral("ms");
    Samples value;
    std::optional<Samples> raw; // the raw SQLite work or the lean program
    QString rawWork;            // what the raw figure did
    Judge judge = Judge::None;

    // One line of text, for rows measured in a child process.
    QString toLine() const;
    static std::optional<ReportRow> fromLine(const QString& line);
};

class Report {
public:
    void add(ReportRow row) { rows_.append(std::move(row)); }
    const QList<ReportRow>& rows() const { return rows_; }
    // The table as markdown, one line per figure and platform, one column per size; the
    // number of figures that miss their target.
    QString markdown(int* misses) const;
    // Every sample's median and raw figure, for reading the floors behind the table.
    QString details() const;

private:
    struct Verdict {
        double floor = 0; // 0: none
        double limit = 0; // largest ratio to the floor allowed; 0: none
    };
    Verdict verdict(const ReportRow& row) const;
    const ReportRow* find(const QString& figure, const QString& platform, int size) const;

    QList<ReportRow> rows_;
};

// The frame figure the action floors add.
inline QString frameFigure() {
    return QStringLiteral("one frame, nothing changed");
}
