#include "widgets/plain_labels.h"

#include <QLabel>

void show_labels_as_typed(QWidget* dialog) {
  for (QLabel* label : dialog->findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}
