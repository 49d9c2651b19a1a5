#pragma once

class QWidget;

// Qt takes a label's text for markup whenever it looks like markup. A dialog made by Qt (a progress
// window, an input dialog) whose label shows text from outside, a playlist's name or a channel's,
// goes through here once its label is set: every label in it shows its text as typed.
void show_labels_as_typed(QWidget* dialog);
