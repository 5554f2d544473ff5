// nudgebox-bench-floor STORE CATEGORY: the floor the application's start-up and memory are
// judged against. A lean Qt Quick program that reads one category's reminders from the store
// with plain SQLite, lists them in a ListView, prints "frame" once the first frame is shown
// and exits.
#include <QGuiApplication>
#include <QQuickView>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace {
struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

QStringList readCategory(const QByteArray& path, const QByteArray& category) {
    QStringList texts;
    sqlite3* opened = nullptr;
    sqlite3_open_v2(path.constData(), &opened, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, CloseDatabase> db(opened);
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db.get(),
                           "SELECT text FROM \"Reminder\" WHERE category = ? "
                           "ORDER BY completed, orderIndex",
                           -1, &prepared, nullptr) != SQLITE_OK)
        return texts;
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> select(prepared);
    sqlite3_bind_text(select.get(), 1, category.constData(), int(category.size()), SQLITE_STATIC);
    while (sqlite3_step(select.get()) == SQLITE_ROW)
        texts << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(select.get(), 0)),
            sqlite3_column_bytes(select.get(), 0));
    return texts;
}
} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: nudgebox-bench-floor STORE CATEGORY\n");
        return 2;
    }
    QQuickView view;
    view.setInitialProperties({{QStringLiteral("texts"), readCategory(argv[1], argv[2])}});
    view.setSource(QUrl(QStringLiteral("qrc:/floor/Floor.qml")));
    if (view.status() != QQuickView::Ready)
        return 1;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    view.resize(1280, 800);
    QObject::connect(
        &view, &QQuickWindow::frameSwapped, &application,
        [] {
            std::printf("frame\n");
            std::fflush(stdout);
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
    view.show();
    return QGuiApplication::exec();
}
