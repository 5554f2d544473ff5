#pragma once

#include <QFont>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// Text sizes in points, all derived from the desktop's own text size (the application font),
// so a larger desktop text size enlarges every text and, through the fonts, every row. The
// styles keep the proportions of a phone's text styles to its body text.
class TextStyles : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(qreal body READ body NOTIFY changed)
    Q_PROPERTY(qreal callout READ callout NOTIFY changed)
    Q_PROPERTY(qreal caption READ caption NOTIFY changed)
    Q_PROPERTY(qreal title3 READ title3 NOTIFY changed)
    Q_PROPERTY(qreal title READ title NOTIFY changed)
    Q_PROPERTY(qreal largeTitle READ largeTitle NOTIFY changed)
public:
    explicit TextStyles(QObject* parent = nullptr);

    // The application font's size in points, also when it was given in pixels.
    qreal body() const;
    qreal callout() const { return scaled(16); }
    qreal caption() const { return scaled(12); }
    qreal title3() const { return scaled(20); }
    qreal title() const { return scaled(28); }
    qreal largeTitle() const { return scaled(34); }

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A phone style's size relative to its 17-point body text.
    qreal scaled(qreal phonePoints) const { return body() * phonePoints / 17.0; }
};
