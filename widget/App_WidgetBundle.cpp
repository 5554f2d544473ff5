#include "App_WidgetBundle.h"

#include "App_Widget.h"

App_WidgetBundle::App_WidgetBundle(QObject* parent)
    : WidgetBundle(parent)
    , widget_(new App_Widget(this)) {}

QList<WidgetConfiguration*> App_WidgetBundle::widgets() {
    return {widget_};
}
