#pragma once
#include <QString>

// Qt shows a tooltip as markup whenever its text looks like markup, and has no switch for that.
// Texts from outside (channel names, comments) go through here so they are shown as typed: every
// character escaped, spaces and line breaks kept, on one line as a plain tooltip would be. The
// empty text stays empty (no tooltip).
QString plain_tooltip(const QString& text);
