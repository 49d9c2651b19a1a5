#pragma once
#include <QRect>
#include <QString>

class QFrame;
class QWidget;

// The panel that fills a dialog or the splash window: near-white, with a one-pixel orange border.
QFrame* framed_panel(QWidget* parent, const QString& object_name, const QRect& geometry);
