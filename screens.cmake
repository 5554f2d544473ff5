# The application's screens as one static QML module: C++ types only, drawn by the QML files
# of the app module. Tests link it to drive the screens directly.
qt_add_qml_module(nudgebox_screens
    URI Nudgebox.Screens
    VERSION 1.0
    STATIC
    OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/Nudgebox/Screens
    SOURCES
        app/AppView.cpp app/AppView.h
        app/FrameLayout.cpp app/FrameLayout.h
        app/MenuOffers.cpp app/MenuOffers.h
        app/ReminderActions.cpp app/ReminderActions.h
        app/Symbols.cpp app/Symbols.h
        app/UIDeviceForeign.h
        charts/ChartView.cpp charts/ChartView.h
        charts/UpdatePieChartData.cpp charts/UpdatePieChartData.h
        sidebar/CategoryListModel.cpp sidebar/CategoryListModel.h
        sidebar/MainView.cpp sidebar/MainView.h
        sidebar/SidebarEntriesModel.cpp sidebar/SidebarEntriesModel.h
        reminders/NotificationIntervals.cpp reminders/NotificationIntervals.h
        reminders/NotificationIntervalsModel.cpp reminders/NotificationIntervalsModel.h
        reminders/ReminderGroupsModel.cpp reminders/ReminderGroupsModel.h
        reminders/ReminderListModel.cpp reminders/ReminderListModel.h
        reminders/ReminderView.cpp reminders/ReminderView.h
)
target_include_directories(nudgebox_screens PUBLIC app charts sidebar reminders)
target_link_libraries(nudgebox_screens PUBLIC nudgebox_model nudgebox_platform Qt6::Gui Qt6::Qml)
