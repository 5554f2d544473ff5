#pragma once

#include <QColor>
#include <QDBusMessage>
#include <QObject>
#include <QPalette>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

class QJSEngine;
class QQmlEngine;
class QQuickWindow;

// The colour scheme of the desktop and the named colours drawn in it. The scheme follows the
// desktop's appearance setting (freedesktop portal "org.freedesktop.appearance"
// "color-scheme"), live; without a portal answer it is read from the lightness of the
// system palette. The application palette follows the scheme, so every control draws in it.
//
// Colours are the platform's system colours for each scheme. Plain cyan on a light background
// reaches only 2.5:1, so text drawn "in cyan" uses the platform's increased-contrast cyan on
// light (cyanText); fills and icons without text on them keep the plain cyan. The same holds
// for red. Every text colour reaches 4.5:1 against the background it is drawn on.
class Theme : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(Scheme scheme READ scheme NOTIFY schemeChanged)
    Q_PROPERTY(bool dark READ dark NOTIFY schemeChanged)
    Q_PROPERTY(QString symbolFont READ symbolFont CONSTANT)
    Q_PROPERTY(QColor cyan READ cyan NOTIFY schemeChanged)
    Q_PROPERTY(QColor cyanTranslucent READ cyanTranslucent NOTIFY schemeChanged)
    Q_PROPERTY(QColor cyanText READ cyanText NOTIFY schemeChanged)
    Q_PROPERTY(QColor red READ red NOTIFY schemeChanged)
    Q_PROPERTY(QColor redText READ redText NOTIFY schemeChanged)
    Q_PROPERTY(QColor schemeForeground READ schemeForeground NOTIFY schemeChanged)
    Q_PROPERTY(QColor schemeBackground READ schemeBackground NOTIFY schemeChanged)
    Q_PROPERTY(QColor window READ window NOTIFY schemeChanged)
    Q_PROPERTY(QColor base READ base NOTIFY schemeChanged)
    Q_PROPERTY(QColor text READ text NOTIFY schemeChanged)
    Q_PROPERTY(QColor secondaryText READ secondaryText NOTIFY schemeChanged)
    Q_PROPERTY(QColor selection READ selection NOTIFY schemeChanged)
    Q_PROPERTY(QColor selectedText READ selectedText NOTIFY schemeChanged)
    Q_PROPERTY(QColor separator READ separator NOTIFY schemeChanged)
    Q_PROPERTY(QColor onRed READ onRed NOTIFY schemeChanged)
    Q_PROPERTY(QColor widgetBackground READ widgetBackground NOTIFY schemeChanged)
    Q_PROPERTY(QColor widgetHostBackground READ widgetHostBackground NOTIFY schemeChanged)
    Q_PROPERTY(QVariantList chartColors READ chartColors NOTIFY schemeChanged)

public:
    enum class Scheme { Light, Dark };
    Q_ENUM(Scheme)

    // The one theme of the process, parented to the application; made on first use.
    static Theme* instance();
    static Theme* create(QQmlEngine*, QJSEngine*);

    Scheme scheme() const { return scheme_; }
    bool dark() const { return scheme_ == Scheme::Dark; }
    QString symbolFont() const;

    QColor cyan() const;
    QColor cyanTranslucent() const;
    QColor cyanText() const;
    QColor red() const;
    QColor redText() const;
    QColor schemeForeground() const;
    QColor schemeBackground() const;
    QColor window() const;
    QColor base() const;
    QColor text() const;
    QColor secondaryText() const;
    QColor selection() const;
    QColor selectedText() const;
    QColor separator() const;
    QColor onRed() const;
    QColor widgetBackground() const;
    QColor widgetHostBackground() const;
    QVariantList chartColors() const;

    // The palette of a scheme, as the application gets it.
    static QPalette palette(Scheme scheme);
    // The portal's value ("color-scheme": 1 prefers dark, 2 prefers light, 0 no preference)
    // read against the system palette's lightness for "no preference".
    static Scheme schemeFor(uint portalValue, const QPalette& systemPalette);
    // WCAG 2 contrast ratio of two opaque colours.
    static double contrast(const QColor& a, const QColor& b);
    // A translucent colour over an opaque one.
    static QColor over(const QColor& top, const QColor& bottom);

    // Gives a window's controls the palette of the current scheme; every window shown is
    // given it, and again at each change of scheme.
    void paint(QQuickWindow* window) const;

    // Asks the portal again (for example after the session bus changed); the answer arrives
    // asynchronously.
    void requery();
    // Waits at most this long for the portal's pending answer, so a window's first frame is
    // already drawn in the desktop's scheme. True when no answer is pending any more.
    bool waitForPortal(int milliseconds);

signals:
    void schemeChanged();
    // No answer of the portal is pending any more.
    void portalAnswered();

private slots:
    void onSettingChanged(const QDBusMessage& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Theme(QObject* parent = nullptr);
    void readPortal(bool readOne);
    int pending_ = 0;
    void setPortalValue(uint value);
    void apply(Scheme scheme);

    QPalette systemPalette_;
    Scheme scheme_ = Scheme::Light;
};
