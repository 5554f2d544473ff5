#pragma once

#include "widgets/WidgetKit.h"

#include <QtQml/qqmlregistration.h>

class App_Widget;

// The entry of the Glance plug-in: the host makes one and asks it for its widgets.
class App_WidgetBundle : public WidgetBundle {
    Q_OBJECT
    QML_ELEMENT
public:
    explicit App_WidgetBundle(QObject* parent = nullptr);
    QList<WidgetConfiguration*> widgets() override;

private:
    App_Widget* widget_;
};
