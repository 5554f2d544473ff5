// The real window on a desktop whose preferred language is German (LANGUAGE=de over an
// English LANG): every title drawn or named for assistive technology is the German one.
#include "Localization.h"
#include "UiFixture.h"

#include <QAccessible>
#include <QFile>
#include <QXmlStreamReader>

Q_IMPORT_QML_PLUGIN(Nudgebox_ScreensPlugin)
Q_IMPORT_QML_PLUGIN(NudgeboxPlugin)
Q_IMPORT_QML_PLUGIN(Nudgebox_PlatformPlugin)

using namespace ui;

namespace {
// Every text the window shows or names now: labels, placeholders, titles, accessible names.
QSet<QString> shownTexts(QQuickItem* item) {
    QSet<QString> texts;
    if (item->isVisible()) {
        for (const char* property : {"text", "placeholderText", "title"}) {
            const QVariant value = item->property(property);
            if (value.typeId() == QMetaType::QString && !value.toString().isEmpty())
                texts << value.toString();
        }
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item))
            if (const QString name = accessible->text(QAccessible::Name); !name.isEmpty())
                texts << name;
    }
    for (QQuickItem* child : item->childItems())
        texts += shownTexts(child);
    return texts;
}
// The shipped German table: each key with its translation.
QHash<QString, QString> germanTable() {
    QFile file(QStringLiteral(GERMAN_TABLE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QHash<QString, QString> table;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"source")
            source = xml.readElementText();
        else if (xml.name() == u"translation")
            table.insert(source, xml.readElementText());
    }
    return table;
}
} // namespace

class UiGermanTest : public QObject {
    Q_OBJECT
    UiWindow ui_;
    ScreenFixture& fixture_ = ui_.fixture;
    QQuickWindow*& window_ = ui_.window;

private slots:
    void initTestCase() { QVERIFY(Localization::install()); }
    void init() { fixture_.reset(); }
    void cleanup() { ui_.close(); }

    void theWindowShowsGermanTitlesOnly() {
        const auto table = germanTable();
        QVERIFY(table.size() > 60);
        auto milk = fixture_.add("Groceries", "Milch", false, 0);
        fixture_.add("Groceries", "Brot", true, 1);
        fixture_.save();
        QVERIFY(ui_.open("Groceries"));
        QVERIFY(ui_.row("pending:Milch"));

        const QSet<QString> shown = shownTexts(window_->contentItem());
        for (const char* german :
             {"Weitere", "Einkäufe", "Haustiere", "Neue Erinnerung", "Erinnerung hinzufügen",
              "Offene Erinnerungen", "Erledigte Erinnerungen", "Erledigt", "Noch offen", "Suchen",
              "Bearbeiten", "Informationen"})
            QVERIFY2(shown.contains(QString::fromUtf8(german)), german);
        // No title is left in English where German has another word.
        for (auto it = table.begin(); it != table.end(); ++it)
            if (it.key() != it.value())
                QVERIFY2(!shown.contains(it.key()), qPrintable(it.key()));

        // A row's menu is German too, and wide enough for it.
        const MenuNamed rowMenu{window_, "reminderRowMenu"};
        click(window_, ui_.row("pending:Milch"), Qt::RightButton);
        QTRY_VERIFY(isOpen(rowMenu));
        const MenuOffers offers = ui_.appView->reminderView()->rowMenu(milk->idText());
        QCOMPARE(offers.titles().first(), QStringLiteral("Benachrichtigung planen"));
        QVERIFY(showsExactly(rowMenu, offers));
        // The longer German titles are shown whole.
        for (QQuickItem* entry : shownItems(rowMenu))
            QVERIFY2(entry->width() >= entry->implicitWidth(),
                     qPrintable(entry->property("text").toString()));
        QTest::keyClick(window_, Qt::Key_Escape);
        QTRY_VERIFY(!rowMenu->property("visible").toBool());
    }
};

QTEST_MAIN(UiGermanTest)
#include "tst_ui_german.moc"
