#include "Theme.h"

#include "SymbolCatalogue.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEventLoop>
#include <QGuiApplication>
#include <QJSEngine>
#include <QLoggingCategory>
#include <QPointer>
#include <QQuickWindow>
#include <QTimer>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcTheme, "nudgebox.theme", QtWarningMsg)

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

// The platform's system colours, light then dark.
struct Colours {
    QColor cyan, cyanText, red, redText, window, base, text, secondaryText, selection, separator,
        widgetHost, tertiaryFill;
};
const Colours& colours(Theme::Scheme scheme) {
    static const Colours light{
        QColor(0x32, 0xad, 0xe6), QColor(0x00, 0x71, 0xa4), // cyan; increased contrast
        QColor(0xff, 0x3b, 0x30), QColor(0xd7, 0x00, 0x15), // red; increased contrast
        QColor(0xf2, 0xf2, 0xf7), QColor(0xff, 0xff, 0xff), QColor(0x00, 0x00, 0x00),
        QColor(0x6c, 0x6c, 0x70), QColor(0x00, 0x64, 0xd2), QColor(0xc6, 0xc6, 0xc8),
        QColor(0xf2, 0xf2, 0xf7), QColor(118, 118, 128, 31)};
    static const Colours dark{
        QColor(0x64, 0xd2, 0xff), QColor(0x64, 0xd2, 0xff), // cyan reads on dark as is
        QColor(0xff, 0x45, 0x3a), QColor(0xff, 0x69, 0x61), // red; increased contrast
        QColor(0x1c, 0x1c, 0x1e), QColor(0x00, 0x00, 0x00), QColor(0xff, 0xff, 0xff),
        QColor(0xae, 0xae, 0xb2), QColor(0x00, 0x64, 0xd2), QColor(0x38, 0x38, 0x3a),
        QColor(0x00, 0x00, 0x00), QColor(118, 118, 128, 61)};
    return scheme == Theme::Scheme::Dark ? dark : light;
}

// The portal wraps the value in one or two variants depending on the call.
QVariant unwrap(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}
} // namespace

Theme::Theme(QObject* parent)
    : QObject(parent)
    , systemPalette_(QGuiApplication::palette()) {
    SymbolCatalogue::loadFont();
    scheme_ = schemeFor(0, systemPalette_);
    QGuiApplication::setPalette(palette(scheme_));
    // Quick controls take their palette from their window, not from the application.
    QCoreApplication::instance()->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    // From whoever sends it: a sender filter by well-known name loses signals while the
    // bus tracks the name's owner.
    if (bus.isConnected() &&
        !bus.connect(QString(), portalPath, settingsInterface, QStringLiteral("SettingChanged"),
                     this, SLOT(onSettingChanged(QDBusMessage))))
        qCWarning(lcTheme) << "cannot follow the desktop's colour scheme:"
                           << bus.lastError().message();
    requery();
}

Theme* Theme::instance() {
    static QPointer<Theme> theme;
    if (!theme)
        theme = new Theme(QCoreApplication::instance());
    return theme;
}

Theme* Theme::create(QQmlEngine*, QJSEngine*) {
    Theme* theme = instance();
    QJSEngine::setObjectOwnership(theme, QJSEngine::CppOwnership);
    return theme;
}

void Theme::requery() {
    readPortal(true);
}

// Asked without waiting: a missing or slow portal never holds up the first frame.
void Theme::readPortal(bool readOne) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface,
                                                       readOne ? QStringLiteral("ReadOne")
                                                               : QStringLiteral("Read"));
    call << appearance << colorScheme;
    // A portal that is being started may take a while; its answer is taken whenever it comes.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 10000), this);
    ++pending_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, readOne] {
        watcher->deleteLater();
        --pending_;
        const QDBusMessage reply = watcher->reply();
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            // Older portals only know Read; without a portal the palette decides.
            if (readOne &&
                reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"))
                readPortal(false);
            else
                qCDebug(lcTheme) << "no colour scheme from the portal:" << reply.errorMessage();
            return;
        }
        bool ok = false;
        const uint value = unwrap(reply.arguments().constFirst()).toUInt(&ok);
        if (ok)
            setPortalValue(value);
    });
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this] {
        if (pending_ == 0)
            emit portalAnswered();
    });
}

bool Theme::waitForPortal(int milliseconds) {
    if (pending_ == 0)
        return true;
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    connect(this, &Theme::portalAnswered, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return pending_ == 0;
}

void Theme::onSettingChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3 || arguments[0].toString() != appearance ||
        arguments[1].toString() != colorScheme)
        return;
    bool ok = false;
    const uint scheme = unwrap(arguments[2]).toUInt(&ok);
    if (ok)
        setPortalValue(scheme);
}

void Theme::setPortalValue(uint value) {
    apply(schemeFor(value, systemPalette_));
}

void Theme::apply(Scheme scheme) {
    if (scheme == scheme_)
        return;
    scheme_ = scheme;
    QGuiApplication::setPalette(palette(scheme_));
    for (QWindow* window : QGuiApplication::topLevelWindows())
        if (auto* quick = qobject_cast<QQuickWindow*>(window))
            paint(quick);
    emit schemeChanged();
}

bool Theme::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show)
        if (auto* window = qobject_cast<QQuickWindow*>(watched))
            paint(window);
    return false;
}

void Theme::paint(QQuickWindow* window) const {
    auto* quickPalette = window->property("palette").value<QObject*>();
    if (!quickPalette)
        return;
    const QPalette p = palette(scheme_);
    static const std::pair<const char*, QPalette::ColorRole> roles[] = {
        {"window", QPalette::Window},
        {"windowText", QPalette::WindowText},
        {"base", QPalette::Base},
        {"alternateBase", QPalette::AlternateBase},
        {"text", QPalette::Text},
        {"placeholderText", QPalette::PlaceholderText},
        {"button", QPalette::Button},
        {"buttonText", QPalette::ButtonText},
        {"brightText", QPalette::BrightText},
        {"highlight", QPalette::Highlight},
        {"highlightedText", QPalette::HighlightedText},
        {"toolTipBase", QPalette::ToolTipBase},
        {"toolTipText", QPalette::ToolTipText},
        {"link", QPalette::Link},
        {"linkVisited", QPalette::LinkVisited},
        {"light", QPalette::Light},
        {"midlight", QPalette::Midlight},
        {"mid", QPalette::Mid},
        {"dark", QPalette::Dark},
        {"shadow", QPalette::Shadow},
    };
    static const std::pair<const char*, QPalette::ColorGroup> groups[] = {
        {"active", QPalette::Active},
        {"inactive", QPalette::Inactive},
        {"disabled", QPalette::Disabled},
    };
    for (const auto& [groupName, group] : groups) {
        auto* colours = quickPalette->property(groupName).value<QObject*>();
        if (!colours)
            continue;
        for (const auto& [roleName, role] : roles)
            colours->setProperty(roleName, p.color(group, role));
    }
}

Theme::Scheme Theme::schemeFor(uint portalValue, const QPalette& systemPalette) {
    if (portalValue == 1)
        return Scheme::Dark;
    if (portalValue == 2)
        return Scheme::Light;
    return systemPalette.color(QPalette::Window).lightnessF() < 0.5 ? Scheme::Dark : Scheme::Light;
}

QPalette Theme::palette(Scheme scheme) {
    const Colours& c = colours(scheme);
    const bool dark = scheme == Scheme::Dark;
    const QColor button = dark ? QColor(0x2c, 0x2c, 0x2e) : QColor(0xff, 0xff, 0xff);
    QPalette p;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Window, c.window);
        p.setColor(group, QPalette::WindowText, c.text);
        p.setColor(group, QPalette::Base, c.base);
        p.setColor(group, QPalette::AlternateBase, c.window);
        p.setColor(group, QPalette::Text, c.text);
        p.setColor(group, QPalette::PlaceholderText, c.secondaryText);
        p.setColor(group, QPalette::Button, button);
        p.setColor(group, QPalette::ButtonText, c.text);
        p.setColor(group, QPalette::BrightText, dark ? Qt::black : Qt::white);
        p.setColor(group, QPalette::Highlight, c.selection);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, button);
        p.setColor(group, QPalette::ToolTipText, c.text);
        p.setColor(group, QPalette::Link, c.selection);
        p.setColor(group, QPalette::LinkVisited, c.selection);
        p.setColor(group, QPalette::Light, dark ? button.lighter(150) : Qt::white);
        p.setColor(group, QPalette::Midlight, dark ? button.lighter(125) : c.window);
        p.setColor(group, QPalette::Mid, c.separator);
        p.setColor(group, QPalette::Dark,
                   dark ? QColor(0x48, 0x48, 0x4a) : QColor(0xa0, 0xa0, 0xa4));
        p.setColor(group, QPalette::Shadow, Qt::black);
    }
    // Disabled text stays legible but reads as off.
    const QColor disabled = c.secondaryText;
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, disabled);
    for (QPalette::ColorRole role :
         {QPalette::Window, QPalette::Base, QPalette::AlternateBase, QPalette::Button,
          QPalette::Highlight, QPalette::HighlightedText, QPalette::PlaceholderText,
          QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark, QPalette::Shadow,
          QPalette::ToolTipBase, QPalette::ToolTipText, QPalette::BrightText, QPalette::Link,
          QPalette::LinkVisited})
        p.setColor(QPalette::Disabled, role, p.color(QPalette::Active, role));
    return p;
}

QString Theme::symbolFont() const {
    return SymbolCatalogue::fontFamily();
}

QColor Theme::cyan() const {
    return colours(scheme_).cyan;
}
QColor Theme::cyanTranslucent() const {
    QColor c = cyan();
    c.setAlphaF(0.3f);
    return c;
}
QColor Theme::cyanText() const {
    return colours(scheme_).cyanText;
}
QColor Theme::red() const {
    return colours(scheme_).red;
}
QColor Theme::redText() const {
    return colours(scheme_).redText;
}
QColor Theme::schemeForeground() const {
    return dark() ? QColor(Qt::white) : QColor(Qt::black);
}
QColor Theme::schemeBackground() const {
    return dark() ? QColor(Qt::black) : QColor(Qt::white);
}
QColor Theme::window() const {
    return colours(scheme_).window;
}
QColor Theme::base() const {
    return colours(scheme_).base;
}
QColor Theme::text() const {
    return colours(scheme_).text;
}
QColor Theme::secondaryText() const {
    return colours(scheme_).secondaryText;
}
QColor Theme::selection() const {
    return colours(scheme_).selection;
}
QColor Theme::selectedText() const {
    return QColor(Qt::white);
}
QColor Theme::separator() const {
    return colours(scheme_).separator;
}
QColor Theme::onRed() const {
    return QColor(Qt::white);
}
QColor Theme::widgetBackground() const {
    // The widget's container: the platform's tertiary fill over the widget's plain background.
    return over(colours(scheme_).tertiaryFill,
                dark() ? QColor(0x1c, 0x1c, 0x1e) : QColor(Qt::white));
}
QColor Theme::widgetHostBackground() const {
    return colours(scheme_).widgetHost;
}
QVariantList Theme::chartColors() const {
    return {cyan(), cyanTranslucent()};
}

double Theme::contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Theme::over(const QColor& top, const QColor& bottom) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
                            float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}
