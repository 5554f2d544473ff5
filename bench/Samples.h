#pragma once

#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <cmath>

// Timings of one measure, in milliseconds.
class Samples {
public:
    void add(double ms) { values_.append(ms); }
    bool isEmpty() const { return values_.isEmpty(); }
    qsizetype count() const { return values_.size(); }
    double median() const { return rank(0.5); }
    double p99() const { return rank(0.99); }
    const QList<double>& values() const { return values_; }

    // Times one call of fn.
    template <class Fn> void time(Fn&& fn) {
        QElapsedTimer clock;
        clock.start();
        fn();
        add(double(clock.nsecsElapsed()) / 1e6);
    }

    // Nearest-rank percentile.
    double rank(double p) const {
        if (values_.isEmpty())
            return 0;
        QList<double> sorted = values_;
        std::sort(sorted.begin(), sorted.end());
        const auto index = qsizetype(std::ceil(p * double(sorted.size()))) - 1;
        return sorted[std::clamp<qsizetype>(index, 0, sorted.size() - 1)];
    }

private:
    QList<double> values_;
};
