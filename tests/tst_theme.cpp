// The look: every symbol the screens and the widget name is a glyph of the icon font; the
// colour scheme follows the desktop's portal setting live and the controls follow it; every
// text colour stays legible against what it is drawn on, in both schemes. Runs on a private
// session bus on which the test plays the desktop portal.
#include "ReminderCategory.h"
#include "ui/SymbolCatalogue.h"
#include "ui/Theme.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QRawFont>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtQml/QQmlExtensionPlugin>
#include <QtTest>

Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
} // namespace

// The desktop portal's settings interface, holding one appearance value. An older portal
// knows Read only.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint colorScheme = 0;
    bool knowsReadOne = true;

    QDBusConnection bus = QDBusConnection::sessionBus();

    void announce(const QString& group, const QString& key, uint value) {
        QDBusMessage signal = QDBusMessage::createSignal(
            portalPath, QStringLiteral("org.freedesktop.portal.Settings"),
            QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(QVariant(value)));
        QVERIFY(bus.send(signal));
    }
    void change(uint value) {
        colorScheme = value;
        announce(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("color-scheme"),
                 value);
    }

public slots:
    QDBusVariant ReadOne(const QString& group, const QString& key) {
        if (!knowsReadOne) {
            sendErrorReply(QDBusError::UnknownMethod, QStringLiteral("no ReadOne here"));
            return {};
        }
        return lookUp(group, key);
    }
    // Read wraps the value in a second variant.
    QDBusVariant Read(const QString& group, const QString& key) {
        const QDBusVariant value = lookUp(group, key);
        return QDBusVariant(QVariant::fromValue(value));
    }

private:
    QDBusVariant lookUp(const QString& group, const QString& key) {
        if (group != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme")) {
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"), key);
            return {};
        }
        return QDBusVariant(QVariant(colorScheme));
    }
};

class ThemeTest : public QObject {
    Q_OBJECT

    FakePortal portal_;
    // The portal talks from a connection of its own, as it would from its own process.
    QDBusConnection portalBus_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("portal"));

    static QString hex(const QColor& c) { return c.name(QColor::HexArgb); }

    void setScheme(uint value) {
        Theme* theme = Theme::instance();
        const Theme::Scheme wanted = value == 1 ? Theme::Scheme::Dark : Theme::Scheme::Light;
        if (theme->scheme() == wanted)
            return;
        QSignalSpy changed(theme, &Theme::schemeChanged);
        portal_.change(value);
        QVERIFY(changed.wait());
        QCOMPARE(theme->scheme(), wanted);
    }

private slots:
    void initTestCase() {
        QVERIFY2(portalBus_.isConnected(), "the test needs a session bus");
        portal_.bus = portalBus_;
        QVERIFY(portalBus_.registerObject(portalPath, &portal_, QDBusConnection::ExportAllSlots));
        QVERIFY(portalBus_.registerService(portalService));
        portal_.colorScheme = 1;
        // The first answer is there before the first frame.
        Theme* theme = Theme::instance();
        QVERIFY(theme->waitForPortal(5000));
        QCOMPARE(theme->scheme(), Theme::Scheme::Dark);
        QVERIFY(theme->dark());
    }

    // Every name the screens, menus and widget draw a symbol for has a glyph in the font;
    // the names are read from the code that names them, so a new one cannot be forgotten.
    void everySymbolInUseIsAGlyphOfTheFont() {
        QVERIFY(SymbolCatalogue::loadFont());
        QVERIFY(QFontDatabase::families().contains(SymbolCatalogue::fontFamily()));
        const QRawFont font(SymbolCatalogue::fontPath(), 24);
        QVERIFY(font.isValid());
        QCOMPARE(font.familyName(), SymbolCatalogue::fontFamily());

        QSet<QString> used;
        for (const ReminderCategory& category : ReminderCategory::allCases())
            used.insert(category.iconName());
        const QList<QRegularExpression> qmlUses{
            QRegularExpression("Symbols\\.glyph\\(\"([^\"]+)\"\\)"),
            QRegularExpression("(?<![.\\w])(?:name|symbol):\\s*\"([^\"]+)\""),
            QRegularExpression("\\?\\s*\"([a-z][a-z.]+)\"\\s*:\\s*\"([a-z][a-z.]+)\"")};
        // Menu entries are offered with their symbol after their title.
        const QList<QRegularExpression> cppUses{
            QRegularExpression("add\\(\\s*[\\w:]+\\s*,\\s*[\\w:]+\\([^()]*\\)\\s*,\\s*"
                               "QStringLiteral\\(\"([^\"]+)\"\\)"),
            QRegularExpression("IconRole:\\s*return QStringLiteral\\(\"([^\"]+)\"\\)")};
        int scanned = 0;
        for (const char* folder :
             {"app", "sidebar", "reminders", "charts", "widget", "model", "platform"}) {
            QDirIterator files(QStringLiteral(SOURCE_DIR "/") + QLatin1String(folder),
                               {"*.qml", "*.cpp", "*.h"}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString code = QString::fromUtf8(file.readAll());
                ++scanned;
                for (const QRegularExpression& use : path.endsWith(".qml") ? qmlUses : cppUses) {
                    auto matches = use.globalMatch(code);
                    while (matches.hasNext()) {
                        const auto match = matches.next();
                        for (int i = 1; i <= match.lastCapturedIndex(); ++i)
                            used.insert(match.captured(i));
                    }
                }
            }
        }
        QVERIFY(scanned > 20);
        // The scan finds what the toolbar, the menus and the headers name.
        for (const char* name :
             {"hand.raised", "envelope", "trash", "bell.badge", "tag", "chart.pie", "info.circle",
              "checkmark.circle.fill", "chevron.down", "chevron.right", "star", "house"})
            QVERIFY2(used.contains(QString::fromLatin1(name)), name);

        QStringList missing;
        for (const QString& name : std::as_const(used)) {
            const QString glyph = SymbolCatalogue::glyph(name);
            const auto codePoints = glyph.toUcs4();
            if (codePoints.size() != 1 || !font.supportsCharacter(codePoints.first()))
                missing << name;
        }
        missing.sort();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(", ")));
        // And every glyph the catalogue holds is one the font draws, each its own.
        QSet<QString> glyphs;
        for (const QString& name : SymbolCatalogue::symbolNames()) {
            const QString glyph = SymbolCatalogue::glyph(name);
            QVERIFY2(font.supportsCharacter(glyph.toUcs4().value(0)), qPrintable(name));
            glyphs.insert(glyph);
        }
        QVERIFY(glyphs.size() >= 45);
        QVERIFY(SymbolCatalogue::glyph(QString()).isEmpty());
        QVERIFY(SymbolCatalogue::glyph(QStringLiteral("no.such.symbol")).isEmpty());
    }

    // Every text colour against each background it is drawn on, in both schemes, from the
    // colours the theme hands the screens and the palette it gives the controls.
    void everyTextIsLegibleInBothSchemes() {
        for (uint value : {2u, 1u}) {
            setScheme(value);
            Theme* t = Theme::instance();
            const QPalette p = QGuiApplication::palette();
            QCOMPARE(p.color(QPalette::Window), t->window());
            QCOMPARE(p.color(QPalette::Text), t->text());
            QCOMPARE(p.color(QPalette::Highlight), t->selection());
            const QColor widgetBackground = t->widgetBackground();
            const struct {
                const char* what;
                QColor text, background;
                double needed;
            } pairs[] = {
                {"text on window", t->text(), t->window(), 4.5},
                {"text on base", t->text(), t->base(), 4.5},
                {"secondary text (legend) on window", t->secondaryText(), t->window(), 4.5},
                {"secondary text on base", t->secondaryText(), t->base(), 4.5},
                {"placeholder on the add row", p.color(QPalette::PlaceholderText),
                 t->schemeBackground(), 4.5},
                {"sidebar percentage on its row", t->cyanText(), t->base(), 4.5},
                {"chevron on a header", t->cyanText(), t->base(), 4.5},
                {"ring percentage on the pane", t->cyanText(), t->window(), 4.5},
                {"selected row text and percentage", t->selectedText(), t->selection(), 4.5},
                {"menu item under the pointer", p.color(QPalette::HighlightedText),
                 p.color(QPalette::Highlight), 4.5},
                {"destructive menu item", t->redText(), p.color(QPalette::Base), 4.5},
                {"destructive tool button", t->redText(), t->window(), 4.5},
                {"New reminder header", t->schemeForeground(), t->window(), 4.5},
                {"add row text", p.color(QPalette::Text), t->schemeBackground(), 4.5},
                {"disabled text", p.color(QPalette::Disabled, QPalette::Text), t->base(), 4.5},
                {"widget text", t->text(), widgetBackground, 4.5},
                {"widget percentage", t->cyanText(), widgetBackground, 4.5},
                // Symbols alone are graphics: 3:1.
                {"swipe delete symbol", t->onRed(), t->red(), 3},
            };
            for (const auto& pair : pairs) {
                const double ratio = Theme::contrast(pair.text, pair.background);
                QVERIFY2(ratio >= pair.needed,
                         qPrintable(QStringLiteral("%1 (%2): %3 on %4 is %5:1")
                                        .arg(pair.what, t->dark() ? "dark" : "light",
                                             hex(pair.text), hex(pair.background))
                                        .arg(ratio, 0, 'f', 2)));
            }
            // The add row and its header are drawn by scheme exactly.
            QCOMPARE(t->schemeForeground(), t->dark() ? QColor(Qt::white) : QColor(Qt::black));
            QCOMPARE(t->schemeBackground(), t->dark() ? QColor(Qt::black) : QColor(Qt::white));
            // The chart's second colour is the first at 0.3.
            const QVariantList chart = t->chartColors();
            QCOMPARE(chart.size(), 2);
            QColor translucent = chart[1].value<QColor>();
            QVERIFY(qAbs(translucent.alphaF() - 0.3) < 0.005);
            translucent.setAlpha(255);
            QCOMPARE(translucent, chart[0].value<QColor>());
            QCOMPARE(chart[0].value<QColor>(), t->cyan());
        }
        // The contrast formula itself: black on white is 21:1, a colour on itself 1:1.
        QCOMPARE(Theme::contrast(Qt::black, Qt::white), 21.0);
        QCOMPARE(Theme::contrast(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
        QVERIFY(qAbs(Theme::contrast(QColor(0x77, 0x77, 0x77), Qt::white) - 4.48) < 0.01);
    }

    // A change of the desktop's setting reaches an open window at once: the theme's colours,
    // the controls' palette and the drawn pixels turn dark and light again.
    void aWindowFollowsThePortalLive() {
        setScheme(2);
        QQmlApplicationEngine engine;
        engine.loadData("import QtQuick\n"
                        "import QtQuick.Controls\n"
                        "import Nudgebox.Platform\n"
                        "ApplicationWindow {\n"
                        "width: 200; height: 120; visible: true\n"
                        "Pane {\n"
                        "objectName: \"pane\"\n"
                        "anchors.fill: parent\n"
                        "Label { objectName: \"label\"; text: \"Nudgebox\"; color: Theme.text }\n"
                        "}\n"
                        "Rectangle { objectName: \"swatch\"; width: 20; height: 20; anchors.right: "
                        "parent.right\n"
                        "color: Theme.cyanText }\n"
                        "}\n");
        QCOMPARE(engine.rootObjects().size(), 1);
        auto* window = qobject_cast<QQuickWindow*>(engine.rootObjects().first());
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto paneColour = [&] {
            QSignalSpy frames(window, &QQuickWindow::frameSwapped);
            window->requestUpdate();
            frames.wait(2000);
            const QImage shot = window->grabWindow();
            return shot.pixelColor(QPoint(100, 100) * shot.devicePixelRatio());
        };
        QCOMPARE(paneColour(), Theme::instance()->window());
        QVERIFY(paneColour().lightnessF() > 0.9);

        portal_.change(1);
        auto* label = window->findChild<QQuickItem*>("label");
        QTRY_COMPARE(label->property("color").value<QColor>(), QColor(Qt::white));
        QTRY_VERIFY(paneColour().lightnessF() < 0.15);
        QCOMPARE(window->findChild<QQuickItem*>("swatch")->property("color").value<QColor>(),
                 Theme::instance()->cyanText());

        portal_.change(2);
        QTRY_COMPARE(label->property("color").value<QColor>(), QColor(Qt::black));
        QTRY_VERIFY(paneColour().lightnessF() > 0.9);
        // Other settings of the portal change nothing.
        QSignalSpy changed(Theme::instance(), &Theme::schemeChanged);
        portal_.announce(QStringLiteral("org.freedesktop.appearance"),
                         QStringLiteral("accent-color"), 1);
        QTest::qWait(50);
        QCOMPARE(changed.count(), 0);
    }

    // A portal without ReadOne is asked with Read; with no portal at all, or "no preference",
    // the system palette's lightness decides.
    void olderPortalsAndNoPortal() {
        setScheme(2);
        portal_.knowsReadOne = false;
        portal_.colorScheme = 1;
        Theme* theme = Theme::instance();
        QSignalSpy changed(theme, &Theme::schemeChanged);
        theme->requery();
        QVERIFY(changed.wait());
        QCOMPARE(theme->scheme(), Theme::Scheme::Dark);
        portal_.knowsReadOne = true;

        QPalette darkSystem;
        darkSystem.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
        QPalette lightSystem;
        lightSystem.setColor(QPalette::Window, QColor(0xef, 0xef, 0xef));
        QCOMPARE(Theme::schemeFor(0, darkSystem), Theme::Scheme::Dark);
        QCOMPARE(Theme::schemeFor(0, lightSystem), Theme::Scheme::Light);
        QCOMPARE(Theme::schemeFor(7, darkSystem), Theme::Scheme::Dark);
        QCOMPARE(Theme::schemeFor(2, darkSystem), Theme::Scheme::Light);
        QCOMPARE(Theme::schemeFor(1, lightSystem), Theme::Scheme::Dark);

        // Gone from the bus: asking again leaves the scheme as it is, and nothing blocks.
        QVERIFY(portalBus_.unregisterService(portalService));
        theme->requery();
        QVERIFY(theme->waitForPortal(5000));
        QCOMPARE(theme->scheme(), Theme::Scheme::Dark);
        QVERIFY(portalBus_.registerService(portalService));
    }
};

QTEST_MAIN(ThemeTest)
#include "tst_theme.moc"
