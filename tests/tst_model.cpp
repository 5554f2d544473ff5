#include "PieChartData.h"
#include "ReminderCategory.h"
#include "ReminderStatus.h"
#include "TextListCodec.h"

#include <QCoreApplication>
#include <QSet>
#include <QTranslator>
#include <QtTest>

namespace {
// Serves one fixed translation so the lookup path can be seen working.
class OneEntryTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (QByteArray(context) == "Localizable" && QByteArray(source) == "Pets")
            return QStringLiteral("Haustiere");
        return {};
    }
    bool isEmpty() const override { return false; }
};
} // namespace

class ModelTest : public QObject {
    Q_OBJECT
private slots:
    void categoriesHaveTheCatalogueOrder() {
        const auto& all = ReminderCategory::allCases();
        QCOMPARE(int(all.size()), 30);
        QCOMPARE(all.front().rawValue(), QStringLiteral("Baseball"));
        QCOMPARE(all.back().rawValue(), QStringLiteral("Workouts"));
        QCOMPARE(all[6].rawValue(), QStringLiteral("Family"));
        QCOMPARE(all[7], ReminderCategory(ReminderCategory::football));
        QCOMPARE(all[8].rawValue(), QStringLiteral("Games"));
        QSet<QString> rawValues, icons;
        for (ReminderCategory c : all) {
            rawValues.insert(c.rawValue());
            icons.insert(c.iconName());
        }
        QCOMPARE(rawValues.size(), 30);
        QCOMPARE(icons.size(), 30);
    }

    void rawValuesRoundTripExactly() {
        for (ReminderCategory c : ReminderCategory::allCases())
            QCOMPARE(ReminderCategory::fromRawValue(c.rawValue()), std::optional(c));
        QCOMPARE(ReminderCategory::fromRawValue(u"American football"),
                 std::optional(ReminderCategory(ReminderCategory::football)));
        QCOMPARE(ReminderCategory(ReminderCategory::football).iconName(),
                 QStringLiteral("football.fill"));
        for (const QString& text : {QStringLiteral("football"), QStringLiteral("american football"),
                                    QStringLiteral("American Football"), QStringLiteral(""),
                                    QStringLiteral("Pets "), QStringLiteral("pets")})
            QVERIFY2(!ReminderCategory::fromRawValue(text), qPrintable(text));
    }

    void rawValuesAreCapitalisedCaseNames() {
        const QStringList caseNames{
            "baseball",  "basketball", "birthdays", "computer",  "education", "expenses",
            "family",    "football",   "games",     "gardening", "groceries", "health",
            "love",      "medicines",  "movies",    "music",     "personal",  "pets",
            "reading",   "sleeping",   "soccer",    "swimming",  "tennis",    "transportation",
            "vacations", "vehicle",    "weather",   "webpages",  "work",      "workouts"};
        for (int i = 0; i < 30; ++i) {
            const QString expected = caseNames[i] == "football"
                                         ? QStringLiteral("American football")
                                         : caseNames[i].left(1).toUpper() + caseNames[i].mid(1);
            QCOMPARE(ReminderCategory::allCases()[i].rawValue(), expected);
        }
    }

    void equalCategoriesHashAlike() {
        const ReminderCategory a(ReminderCategory::pets);
        const auto b = ReminderCategory::fromRawValue(u"Pets");
        QCOMPARE(a, *b);
        QCOMPARE(qHash(a, 7), qHash(*b, 7));
        QCOMPARE(qHash(a, 7), qHash(QStringLiteral("Pets"), 7));
        QVERIFY(a != ReminderCategory(ReminderCategory::love));
    }

    void shownNamesGoThroughTheLocalisationTable() {
        for (ReminderCategory c : ReminderCategory::allCases())
            QCOMPARE(c.shownName(), c.rawValue());
        OneEntryTranslator translator;
        QCoreApplication::installTranslator(&translator);
        QCOMPARE(ReminderCategory(ReminderCategory::pets).shownName(), QStringLiteral("Haustiere"));
        QCOMPARE(ReminderCategory(ReminderCategory::love).shownName(), QStringLiteral("Love"));
        QCoreApplication::removeTranslator(&translator);
    }

    void statusRawValues() {
        using namespace ReminderStatusValues;
        QCOMPARE(fromRawValue(u"Still pending"), std::optional(ReminderStatus::pending));
        QCOMPARE(fromRawValue(u"Completed"), std::optional(ReminderStatus::completed));
        QVERIFY(!fromRawValue(u"pending"));
        QVERIFY(!fromRawValue(u"completed"));
        QVERIFY(!fromRawValue(u"Still Pending"));
        QCOMPARE(rawValue(ReminderStatus::pending), QStringLiteral("Still pending"));
        QCOMPARE(shownName(ReminderStatus::completed), QStringLiteral("Completed"));
        QCOMPARE(qHash(ReminderStatus::pending, 1), qHash(QStringLiteral("Still pending"), 1));
    }

    void slicesCompareByValue() {
        QCOMPARE((PieChartData{2.0, ReminderStatus::completed}),
                 (PieChartData{2.0, ReminderStatus::completed}));
        QVERIFY((PieChartData{2.0, ReminderStatus::completed}) !=
                (PieChartData{2.0, ReminderStatus::pending}));
    }

    void textListsEncodeAsCompactJson() {
        QCOMPARE(TextListCodec::encode({}), QStringLiteral("[]"));
        const QString id = QStringLiteral("0F8FAD5B-D9CB-469F-A165-70867728950E");
        QCOMPARE(TextListCodec::encode({id}), QStringLiteral("[\"%1\"]").arg(id));
        QCOMPARE(TextListCodec::encode({id, id}), QStringLiteral("[\"%1\",\"%1\"]").arg(id));
        // Quotes, backslashes, controls and non-ASCII survive the round trip.
        const QStringList awkward{QStringLiteral("a\"b\\c"), QStringLiteral("line\nbreak"),
                                  QString(QChar(0)), QStringLiteral("Grüße 😀"), QString()};
        QCOMPARE(TextListCodec::decode(TextListCodec::encode(awkward)), std::optional(awkward));
        // A lone surrogate cannot become UTF-8: the whole list encodes as empty.
        QCOMPARE(TextListCodec::encode({QString(QChar(0xD800))}), QStringLiteral("[]"));
    }

    void undecodableTextsGiveNoList() {
        for (const QString& bad :
             {QStringLiteral("["), QStringLiteral(""), QStringLiteral("{}"),
              QStringLiteral("\"id\""), QStringLiteral("[1,2]"), QStringLiteral("[\"a\",null]"),
              QStringLiteral("[\"a\"] trailing"), QString(QChar(0xDC00)),
              // Escapes of lone surrogates: valid JSON, but no list that could be written back.
              QStringLiteral("[\"\\ud800\"]"), QStringLiteral("[\"A\",\"x\\udc00\"]"),
              QStringLiteral("[\"\\ud800\\u0041\"]"), QStringLiteral("[\"\\ude00\\ud83d\"]")})
            QVERIFY2(!TextListCodec::decode(bad), qPrintable(bad));
        // An escaped pair is one character and round-trips.
        const auto pair = TextListCodec::decode(QStringLiteral("[\"\\ud83d\\ude00\"]"));
        QCOMPARE(pair, std::optional(QStringList{QStringLiteral("😀")}));
        QCOMPARE(TextListCodec::encode(*pair), QStringLiteral("[\"😀\"]"));
        QCOMPARE(TextListCodec::decode(QStringLiteral(" [ \"a\" , \"b\" ] ")),
                 std::optional(QStringList{"a", "b"}));
    }
};

QTEST_GUILESS_MAIN(ModelTest)
#include "tst_model.moc"
